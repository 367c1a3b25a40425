#pragma once

// The handlers of the pattern lists. Each receives a HandlerDatum (engine/PassState.h) as
// its user datum and, like every handler, leaves a match whose positions are not usable
// unchanged. The copying-engine handlers emit their replacement and answer "unchanged"; the
// heading handler edits the text in place.

#include "foundation/PatternEngine.h"

namespace quorlex {

// "<meta ...>": takes the author and the character set, and deletes the tag.
HandlerResult MetaHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                          const char* working, int& index, void* userData);
// "<link ...>": deletes a style-sheet link when style sheets are removed.
HandlerResult StyleSheetLinkHandler(PatternEngine& engine, WildcardPattern& pattern,
                                    MatchState& state, const char* working, int& index,
                                    void* userData);
// Font and span tags: a blank in running text, nothing inside pre-formatted text, where a
// blank would shift the columns. The pre-formatted tags of the same list (the datum's
// inLineTag says which) stay and only say where such text begins and ends.
HandlerResult InLineTagHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                               const char* working, int& index, void* userData);
// List tags (the datum's listTag): list markers, numbered and bulleted item labels.
HandlerResult ListHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                          const char* working, int& index, void* userData);
// Definition list tags (the datum's definitionTag): a term starts a line; a definition starts an
// indented block that ends at the next term, definition or end of the list (its end tag is often
// left out); the list itself is framed by its markers.
HandlerResult DefinitionListHandler(PatternEngine& engine, WildcardPattern& pattern,
                                    MatchState& state, const char* working, int& index,
                                    void* userData);
// A break or soft break: with the soft breaks and breaks that follow it, white space apart,
// a run that holds a soft break makes as many line breaks as it holds breaks, and at least
// one (the blocks of a page close and open several at a time).
HandlerResult BreakRunHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                              const char* working, int& index, void* userData);
// "<img ...>": the ALT text, a text marker, or nothing.
HandlerResult ImageHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                           const char* working, int& index, void* userData);
// "<a ...>...</a>": the display text with its reference, or the removed-link text.
HandlerResult LinkHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                          const char* working, int& index, void* userData);
// Rules, pre-formatted and block tags: the tag stays, its marker follows on a line of its
// own.
HandlerResult BlockHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                           const char* working, int& index, void* userData);
// "<input ...>": a button's caption (type button, submit or reset: its value, else the
// caption a browser shows), between blanks; any other input goes.
HandlerResult InputHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                           const char* working, int& index, void* userData);
// "<select ...>...</select>": the text of its first selected option, else of its first
// option, between blanks.
HandlerResult SelectHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                            const char* working, int& index, void* userData);
// A whole sup or sub element (the datum's raisedMark: '^' or '_'): its content after the
// mark, in brackets when it shows more than one word ("^2", "_(max)" ); content that
// already stands in brackets or parentheses ("[3]", "(a)"), or shows nothing, goes in
// unmarked.
HandlerResult RaisedTextHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                                const char* working, int& index, void* userData);
// "<hN ...>" and "</hN>" (in-place engine; the datum's headingTag says which): the heading text
// framed and underlined.
HandlerResult HeadingHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                             const char* working, int& index, void* userData);

}  // namespace quorlex
