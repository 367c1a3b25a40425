#pragma once

#include "engine/PassState.h"
#include "foundation/TextString.h"

namespace quorlex {

// Empties every list of the pass and adds the entries of the pattern table whose condition
// holds for the pass's options, in table order. Each list is locked while it is built and
// unlocked at the end; handler entries get data that point back to the pass. Lists built
// for the same options before are kept: a run of many files with the same policies
// compiles them once.
void BuildPatternLists(PassState& pass);

// `out` becomes the text between the end of the first match of `startPattern` and the
// beginning of the next match of `endPattern`, both wildcard patterns ignoring case.
// Returns 1 when both were found. (PassState::extractor keeps compiled patterns between
// calls; these free forms compile afresh.)
int ExtractBetween(const TextString& text, const char* startPattern, const char* endPattern,
                   TextString& out);
// The value of attribute `name` in the tag text: the text after a blank, the name and "="
// up to the tag's end, trimmed; a quoted value without its quotes, else up to the first
// blank. Attribute names match ignoring case and need white space before them. Returns 1
// when the value is not empty.
int GetAttribute(const char* name, const TextString& tag, TextString& out);

// A link made absolute against the document's base URL. Links holding "://",
// "javascript:", "news:", "mailto:" or an at sign, and any link when the base is empty, come
// back unchanged. "/x" goes to the base's site; "../x" climbs one directory of the base per
// "../"; anything else goes in the base's directory.
void ResolveUrl(const TextString& link, const TextString& base, TextString& out);

}  // namespace quorlex
