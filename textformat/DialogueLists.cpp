#include "textformat/DialogueLists.h"

#include <cassert>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "foundation/Ascii.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// The lists are fixed and valid, so a refused pattern means that the caller locked the
// engine before building the list.
void ExpectAdded([[maybe_unused]] const WildcardPattern* pattern) {
  assert(pattern != nullptr && "a list is built before its engine is locked");
}

struct Replacement {
  const char* pattern;
  const char* replacement;
};

// Adds type-1, case-insensitive patterns in order.
void AddReplacements(CopyPatternEngine& engine, std::initializer_list<Replacement> entries) {
  for (const Replacement& entry : entries) {
    ExpectAdded(engine.AddPattern(PatternType::kReplace, entry.pattern, entry.replacement, 0));
  }
}

// Adds a type-6, case-insensitive pattern whose handler gets `datum`, a C string that lives
// as long as the program.
void AddHandled(CopyPatternEngine& engine, const char* pattern, PatternHandler handler,
                const char* datum) {
  // The handlers only read their datum; the engine's user data is untyped.
  void* userData = const_cast<char*>(datum);
  ExpectAdded(engine.AddPattern(PatternType::kCopyHandler, pattern, nullptr, 0, handler, userData));
}

// ". ", a soft break and a quote: the period and one blank end the line, the quotation
// starts the next one.
const TextString& BreakAfterPeriod() {
  static const TextString kText = ". " + GetMarkers().softBreak + "\"";
  return kText;
}

// A quote, a soft break and a quote: the white space between two quotations goes.
const TextString& BreakBetweenQuotes() {
  static const TextString kText = "\"" + GetMarkers().softBreak + "\"";
  return kText;
}

// Whether the characters right before index `at` spell `suffix`, with at least
// `minimumBefore` characters before `at`.
bool PrecededBy(const char* working, int at, const char* suffix, int minimumBefore) {
  const int length = static_cast<int>(std::strlen(suffix));
  if (at < minimumBefore || at < length) return false;
  return std::memcmp(working + at - length, suffix, static_cast<size_t>(length)) == 0;
}

// The quotation that the match opens belongs to the text before it: a quote after a comma
// continues the speech, and a period after a speech verb ("replied.", "said.") introduces
// the quotation rather than ending a sentence.
bool QuotationContinues(const char* working, int start) {
  const char first = working[start];
  if (first == '"') return PrecededBy(working, start, ",", 1);
  if (first == '.') {
    return PrecededBy(working, start, "ed", 2) || PrecededBy(working, start, "aid", 4);
  }
  return false;
}

// What a handler answers once it has emitted its replacement. The copying engine's own
// replacements answer kChanged too, and for the same reason: every match in progress must
// be dropped. One that began inside the emitted match would otherwise be emitted again
// later, and the text it shares with this one would come out twice ("<i><b>x</b></i>":
// the i element would repeat the b element after its "*x*").
constexpr HandlerResult kEmitted = HandlerResult::kChanged;

// Replaces the first occurrence of `find` (exact case) in `text`, if there is one.
void ReplaceFirst(TextString& text, const TextString& find, const TextString& with) {
  text.Replace(0, find.Data(), with.Data(), 1, LetterCase::kMatters, nullptr, nullptr);
}

// Moves blanks and line feeds at the inner edges of the element outside it; a second blank
// or line feed at an edge is dropped.
void MoveEdgeSpaceOutside(TextString& element, const TextString& open, const TextString& close) {
  for (const char* space : {" ", "\n"}) {
    ReplaceFirst(element, open + space, space + open);
    ReplaceFirst(element, space + close, close + space);
    ReplaceFirst(element, open + space, open);
    ReplaceFirst(element, space + close, close);
  }
}

// "*" for bold elements (b, strong), "_" for italic ones (i, em), else null.
const char* MarkFor(const char* name) {
  switch (name[0]) {
    case 'b':
    case 's':
      return "*";
    case 'i':
    case 'e':
      return "_";
    default:
      return nullptr;
  }
}

}  // namespace

void AddDialogueList0(CopyPatternEngine& engine) {
  AddReplacements(engine, {{".%W\"?W", ".\" "}, {"!%W\"?W", "!\" "}, {"|?%W\"?W", "?\" "}});
}

void AddDialogueList1(CopyPatternEngine& engine) {
  // Real line feeds: in the pattern a line feed stands for itself, and a replacement is
  // plain text, where "|n" would be two characters.
  AddReplacements(engine, {{"\n*W\"", "\n\""}, {"\"*W\n", "\"\n"}});
}

void AddDialogueList2(CopyPatternEngine& engine) {
  AddHandled(engine, ".?W\"", DialogueBreakHandler, BreakAfterPeriod().Data());
  AddHandled(engine, "\"?W\"", DialogueBreakHandler, BreakBetweenQuotes().Data());
}

void AddSentenceList(CopyPatternEngine& engine) { AddReplacements(engine, {{".?S", ".  "}}); }

void AddHighlightList(CopyPatternEngine& engine) {
  static const struct {
    const char* pattern;
    const char* name;
  } kElements[] = {{"<b>**</b>", "b"},
                   {"<strong>**</strong>", "strong"},
                   {"<i>**</i>", "i"},
                   {"<em>**</em>", "em"}};
  for (const auto& element : kElements) {
    AddHandled(engine, element.pattern, EmphasisHandler, element.name);
  }
}

HandlerResult DialogueBreakHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                                   const char* working, int& index, void* userData) {
  auto* copying = dynamic_cast<CopyPatternEngine*>(&engine);
  const auto* replacement = static_cast<const char*>(userData);
  if (copying == nullptr || replacement == nullptr || !state.IsUsable(engine.WorkingLength())) {
    return HandlerResult::kUnchanged;
  }
  if (QuotationContinues(working, state.start)) return HandlerResult::kUnchanged;
  // The copying engine never edits its working text: `working` is the whole text of the
  // run, WorkingLength() characters long, so the character after the match can be read
  // whenever the match does not end the text.
  const int after = state.end + 1;
  if (after < engine.WorkingLength() && IsAsciiLower(working[after])) {
    return HandlerResult::kUnchanged;
  }
  copying->EmitReplacement(state, index, replacement);
  return kEmitted;
}

HandlerResult EmphasisHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                              const char* working, int& index, void* userData) {
  auto* copying = dynamic_cast<CopyPatternEngine*>(&engine);
  const auto* name = static_cast<const char*>(userData);
  if (copying == nullptr || name == nullptr || name[0] == 0 ||
      !state.IsUsable(engine.WorkingLength())) {
    return HandlerResult::kUnchanged;
  }
  TextString open = TextString("<") + name + ">";
  open.ToLower();
  TextString close = TextString("</") + name + ">";
  close.ToLower();

  TextString element;
  element.AssignBytes(working + state.start, state.end - state.start + 1);
  // The replacement reaches the engine as a C string, which would end at a NUL byte and
  // lose the rest of the element; such an element is copied as it stands.
  if (element.View().find('\0') != std::string_view::npos) return HandlerResult::kUnchanged;
  // The match ends at the first closing tag, so a nested element of the same name would
  // lose its own closing tag: "<b>a<b>b</b>" is left for the tag remover.
  int nested = -1;
  if (element.Find(2, open.Data(), nested, LetterCase::kIgnored)) return HandlerResult::kUnchanged;

  MoveEdgeSpaceOutside(element, open, close);
  const char* mark = MarkFor(open.Data() + 1);
  if (mark != nullptr) {
    ReplaceFirst(element, open, mark);
    ReplaceFirst(element, close, mark);
    // An element of nothing but white space leaves its white space and no marks: "a<b>
    // </b>b" must not glue the two words together.
    const TextString marks = TextString(mark) + mark;
    TextString trimmed = element;
    trimmed.Trim(TrimEnds::kBoth, " \t\n");
    if (trimmed.View() == marks.View()) ReplaceFirst(element, marks, "");
  }
  copying->EmitReplacement(state, index, element.Data());
  return kEmitted;
}

}  // namespace quorlex
