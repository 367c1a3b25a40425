#pragma once

// The pattern lists that reshape text for reading in text mode: the three dialogue lists,
// which close up and break quotations, the sentence list, which puts two blanks after every
// period, and the highlight list, which writes bold text as *text* and italic text as
// _text_. Each Add function appends the entries of one list, in order, to an engine that the
// caller has cleared and will lock afterwards (an engine that is already locked is a
// programming error: it takes nothing).

#include "foundation/PatternEngine.h"

namespace quorlex {

// A sentence mark ('.', '!' or '?'), one white-space character, a double quote and white
// space become the mark, the quote and one blank: "Hello. \" She" gives "Hello.\" She".
void AddDialogueList0(CopyPatternEngine& engine);

// White space between a line feed and an opening quote, and between a closing quote and a
// line feed, is removed (further line feeds included).
void AddDialogueList1(CopyPatternEngine& engine);

// A period or closing quote, white space and an opening quote: DialogueBreakHandler decides
// whether the new quotation starts a line of its own (after a soft break marker).
void AddDialogueList2(CopyPatternEngine& engine);

// A period followed by one or more blanks gets exactly two blanks. Tabs, line feeds and
// other sentence marks are left alone.
void AddSentenceList(CopyPatternEngine& engine);

// The b, strong, i and em elements, in that order, each handed to EmphasisHandler with the
// element name as its data.
void AddHighlightList(CopyPatternEngine& engine);

// Handler of dialogue list 2, on the copying engine; userData is the replacement text (a C
// string that outlives the run). The match is replaced by it unless the quotation belongs
// to what stands before it:
//  - the match begins with a quote that follows a comma ("Wait," "No" is one speech);
//  - the match begins with a period after "ed" or "aid" (he replied. "Go", she said. "Go");
//  - the character after the match is a lower-case letter.
// Answers kChanged when it replaced the match, so that the engine drops every match in
// progress (one that began inside this match would repeat its text), else kUnchanged. An
// unusable state, a missing replacement or an engine that does not copy leaves the text as
// it is.
HandlerResult DialogueBreakHandler(PatternEngine& engine, WildcardPattern& pattern,
                                   MatchState& state, const char* working, int& index,
                                   void* userData);

// Handler of the highlight list, on the copying engine; userData is the element name in
// lower case ("b", "strong", "i" or "em"). The match is a whole element, "<b>...</b>".
// White space at the inner edges of the element moves outside it ("<b> word </b>" gives
// " <b>word</b> "), then the tags become "*" (names beginning with b or s) or "_" (i or e).
// An element that holds only white space leaves that white space and no marks. Left as it
// is: an element that holds another opening tag of its own name (in any case), a match
// holding a NUL byte, an unusable state, a missing name or an engine that does not copy.
// The edge moves and the tag replacements look at the tags in lower case only, so an
// element written "<B>...</B>" keeps its tags. Answers as DialogueBreakHandler does: of
// nested elements of different names ("<i><b>x</b></i>"), the inner one, which ends first,
// gets its marks and the outer one keeps its tags ("<i>*x*</i>").
HandlerResult EmphasisHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                              const char* working, int& index, void* userData);

}  // namespace quorlex
