#include "engine/LineWriter.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "textformat/Markers.h"
#include "textformat/WordWrap.h"

namespace quorlex {
namespace {

using Kind = IndentLevels::Kind;

bool IsRuleCharacter(char c) { return c == '-' || c == '=' || c == '_'; }

int Columns(const TextString& text) { return DisplayWidth(text.View()); }

bool SameText(const TextString& text, const char* word) {
  return text.Equals(word, LetterCase::kIgnored, Blanks::kCount);
}

// The item marker in exact case, either spelling.
constexpr const char* kListItemLabels[] = {kListItemLabel, kListItemLabelLowerCase};

// The length of the item marker that opens `line`, or 0.
int ItemMarkerLength(const TextString& line) {
  for (const char* marker : kListItemLabels) {
    if (line.StartsWith(marker, LetterCase::kMatters)) return static_cast<int>(std::strlen(marker));
  }
  return 0;
}

// Whether `next` opens a list item, or opens or closes a list.
bool IsListLine(const TextString& next) {
  return ItemMarkerLength(next) > 0 || SameText(next, kStartListLine) ||
         SameText(next, kEndListLine);
}

// The item label marker goes from a piece that still holds it (in text written as it
// stands): with the two blanks the list's text gives it, or alone; exact case.
void RemoveListItemMarker(TextString& piece, bool rightJustify) {
  if (piece.View().find(kListItemLabelOpening) == std::string_view::npos) return;  // most pieces
  for (const char* marker : kListItemLabels) {
    const std::string withBlanks = std::string("  ") + marker;
    if (rightJustify ||
        !piece.Replace(0, withBlanks.c_str(), "", 1, LetterCase::kMatters, nullptr, nullptr)) {
      piece.Replace(0, marker, "", 1, LetterCase::kMatters, nullptr, nullptr);
    }
  }
}

void Indent(TextString& text, int column) {
  if (column > 0) text.Insert(0, std::string(static_cast<size_t>(column), ' ').c_str());
}

}  // namespace

bool IsRuleLine(const TextString& text) {
  if (text.IsEmpty()) return false;
  bool ruleAfterFirst = false;
  for (int i = 0; i < text.Length(); ++i) {
    const char c = text[i];
    if (c != ' ' && !IsRuleCharacter(c)) return false;
    if (i > 0) {
      const char before = text[i - 1];
      if (c == ' ' && before == ' ') return false;
      if (IsRuleCharacter(c) && IsRuleCharacter(before) && c != before) return false;
      if (IsRuleCharacter(c)) ruleAfterFirst = true;
    }
  }
  return ruleAfterFirst;
}

// What the tests of one line work out, shared by its pieces.
struct LineWriter::LineFacts {
  int moreFollow = 0;
  const TextString* next = nullptr;
  bool nextStartsBlock = false;
  bool rule = false;
  bool opensQuote = false;
  bool nextOpensQuote = false;
  bool closesQuote = false;
  // The line begins a list item: its first piece stands at the list's column, the pieces
  // after it at the item's text column.
  bool startsItem = false;
  int width = 0;   // the page width less the indentation, or the wrap width when wrapped
  int column = 0;  // where the piece stands
  int pieceNumber = 0;
  bool last = false;
  bool nothingLeft = false;
};

LineWriter::LineWriter(PassState& pass, LineBuffer& output) : pass_(pass), output_(output) {}

void LineWriter::Write(const TextString& line) {
  const QuorlOptions& o = pass_.options;
  const std::string_view view = line.View();
  const bool zeroWidthSpaces = view.find(kZeroWidthSpace) != std::string_view::npos;
  const bool noBreakSpaces =
      o.utf8Output && o.allowAnsiAlternatives && view.find(kNoBreakSpace) != std::string_view::npos;
  if (!o.convertToText || (!zeroWidthSpaces && !noBreakSpaces)) {
    output_.Add(line);
    return;
  }
  // A zero-width space only marked a place to break; a no-break space has kept its words
  // together and is written as the blank it stands for.
  TextString written(line);
  if (zeroWidthSpaces) written.ReplaceAll(kZeroWidthSpace.data(), "", 0, LetterCase::kMatters);
  if (noBreakSpaces) written.ReplaceAll(kNoBreakSpace.data(), " ", 0, LetterCase::kMatters);
  output_.Add(written);
}

void LineWriter::WriteParagraph() {
  if (paragraph_.IsEmpty()) return;
  Write(paragraph_);
  paragraph_.Clear();
  blankWritten_ = 0;
}

void LineWriter::WriteBlank() {
  WriteParagraph();
  const bool text = pass_.options.convertToText != 0;
  // The terms and definitions of a definition list stand together.
  if (text && levels_.Count(Kind::kDefinitions) > 0) return;
  if (!(text && blankWritten_)) Write(TextString());
  blankWritten_ = 1;
}

void LineWriter::StartItem(TextString& line) {
  line.Mid(ItemMarkerLength(line), line.Length());
  // Each item is a paragraph of its own when paragraphs go on single lines.
  WriteParagraph();
  // The label ("1) ", "- ") runs to its blank; the item's text starts after it.
  int blank = -1;
  TextString label;
  label.AssignBytes(line.Data(),
                    line.FindChar(0, ' ', blank, LetterCase::kMatters) ? blank : line.Length());
  levels_.StartItem(Columns(label) + 1);
}

void LineWriter::WriteTextLine(LinesAfter linesAfter, TextString line, const TextString& next,
                               LineStart nextStart) {
  const int moreFollow = linesAfter == LinesAfter::kSome ? 1 : 0;
  if (!waitingLabel_.IsEmpty()) {
    // The empty lines between an item's label and its text go; the text joins the label,
    // and anything else (a heading, a nested list, the next item) starts below it.
    TextString trimmed(line);
    trimmed.Trim(TrimEnds::kBoth, " ");
    if (trimmed.IsEmpty() && moreFollow) return;
    TextString label;
    label.Swap(waitingLabel_);
    if (!trimmed.IsEmpty() && !trimmed.StartsWith(kMarkerLinePrefix, LetterCase::kIgnored) &&
        ItemMarkerLength(trimmed) == 0) {
      line = label + " " + trimmed;
    } else {
      LayOutLine(1, label, line, LineStart::kStartsBlock, LabelAlone::kWritten);
    }
  }
  LayOutLine(moreFollow, std::move(line), next, nextStart, LabelAlone::kWaits);
}

void LineWriter::LayOutLine(int moreFollow, TextString line, const TextString& next,
                            LineStart nextStart, LabelAlone labelAlone) {
  const QuorlOptions& o = pass_.options;
  const bool text = o.convertToText != 0;
  const bool preserve = o.preserveWhiteSpace != 0;
  if (text && preserve) moreFollow = 0;
  LineFacts facts;
  facts.moreFollow = moreFollow;
  facts.next = &next;
  facts.nextStartsBlock = nextStart == LineStart::kStartsBlock;
  facts.rule = IsRuleLine(line);
  if (facts.rule && o.removeHorizontalRules) {
    line.Clear();
    facts.rule = false;
  }
  if (!moreFollow && !paragraph_.IsEmpty()) WriteBlank();
  const bool carried = PrependCarry(line);
  bool isShort = false;
  if (line.IsEmpty()) {
    WriteBlank();
  } else {
    if (!PlaceLine(line, labelAlone, facts)) return;  // a label alone waits for its text
    facts.width = std::max(o.pageWidth - facts.column, kMinimumLineWidth);
    isShort = IsShortLine(line, facts.width);
    if (text) NoteQuotes(line, carried, facts);
    WritePieces(line, facts);
  }
  if (text && !line.IsEmpty() && !inPre_ && !preserve) EndParagraphAfterLine(isShort, facts);
  previousShort_ = isShort ? 1 : 0;
  if (!moreFollow && !paragraph_.IsEmpty()) WriteBlank();
}

bool LineWriter::PrependCarry(TextString& line) {
  if (carry_.IsEmpty()) return false;
  carry_.AppendChar(' ');
  line.Insert(0, carry_.Data());
  carry_.Clear();
  return true;
}

bool LineWriter::PlaceLine(TextString& line, LabelAlone labelAlone, LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const bool text = o.convertToText != 0;
  const bool pre = inPre_ != 0;
  if (text && !pre && !o.preserveWhiteSpace) line.Trim(TrimEnds::kBoth, " ");
  if (!text || pre || ItemMarkerLength(line) == 0) {
    facts.column = levels_.TextColumn();
    return true;
  }
  // A label alone waits for its item's text, which a paragraph or block of the item put on
  // a later line.
  const bool labelOnly = line.View().find(' ') == std::string_view::npos;
  if (labelOnly && facts.moreFollow && labelAlone == LabelAlone::kWaits) {
    waitingLabel_.Swap(line);
    return false;
  }
  facts.startsItem = true;
  facts.column = levels_.LevelColumn();
  StartItem(line);
  return true;
}

bool LineWriter::IsShortLine(const TextString& line, int width) const {
  const int columns = Columns(line);
  return columns < 50 || columns < width - 10 || 4 * columns < 3 * pass_.averageLineLength;
}

void LineWriter::NoteQuotes(const TextString& line, bool carried, LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const TextString& next = *facts.next;
  const int length = line.Length();
  // With the extra dialogue checks a quotation mark opens a quotation only before a
  // capital, and closes one only before a line that may follow its end.
  const bool extra = o.extraDialogueChecks != 0;
  facts.opensQuote = length >= 2 && !carried && line[0] == '"' && (!extra || IsAsciiUpper(line[1]));
  facts.nextOpensQuote = next.Length() > 1 && next[0] == '"' && (!extra || IsAsciiUpper(next[1]));
  const bool nextAllowsClose = next.IsEmpty() ||
                               (next[0] == '"' && next.Length() > 1 && IsAsciiUpper(next[1])) ||
                               (next[0] != '"' && !IsAsciiLower(next[0]));
  facts.closesQuote = length > 1 && line[length - 1] == '"' && (!extra || nextAllowsClose);
  // A quotation that opens a line starts a paragraph of dialogue.
  const bool laidOut = !inPre_ && !o.preserveWhiteSpace;
  if (laidOut && o.lookForDialogue && facts.opensQuote && !blankWritten_) WriteBlank();
}

void LineWriter::WritePieces(const TextString& line, LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const bool whole = o.singleLineParagraphs || !o.convertToText || inPre_ || o.preserveWhiteSpace ||
                     !o.imposePageWidth;
  if (!whole) {
    WriteWrapped(line, facts);
    return;
  }
  facts.pieceNumber = 1;
  facts.last = true;
  facts.nothingLeft = true;
  HandlePiece(line, facts);
}

void LineWriter::EndParagraphAfterLine(bool isShort, const LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const bool beforeItem = levels_.Count(Kind::kList) > 0 && IsListLine(*facts.next);
  const bool shortEnd =
      o.shortLinesEndParagraphs && isShort && !previousShort_ && !blankWritten_ && !beforeItem;
  if (shortEnd || (o.lookForDialogue && facts.closesQuote)) WriteBlank();
}

void LineWriter::WriteWrapped(const TextString& line, LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const int firstColumn = facts.column;
  TextString piece;
  for (int position = 0; position < line.Length();) {
    // The pieces of an item after its first hang at the item's text column.
    facts.column = facts.startsItem && facts.pieceNumber > 0 ? levels_.TextColumn() : firstColumn;
    // Only the piece that opens a paragraph takes the first-line indent, so only it wraps
    // that much earlier; the pieces after it have the whole width.
    const bool opensParagraph = o.firstLineIndent > 0 && blankWritten_;
    facts.width = std::max(o.pageWidth - facts.column, kMinimumLineWidth) -
                  (opensParagraph ? o.firstLineIndent : 0);
    if (!GetWrappedPiece(line, facts.width, position, BreakCharacters(), piece, position)) {
      break;
    }
    piece.Trim(TrimEnds::kBoth, " ");
    ++facts.pieceNumber;
    facts.last = position >= line.Length();
    bool left = false;
    for (int i = position; i < line.Length() && !left; ++i)
      left = line[i] != ' ' && line[i] != '\t';
    facts.nothingLeft = !left;
    HandlePiece(piece, facts);
  }
}

bool LineWriter::HandleLevelMarker(const TextString& piece) {
  static const struct {
    const char* line;
    Kind kind;
    bool opens;
  } kLevelMarkers[] = {
      {kStartListLine, Kind::kList, true},
      {kEndListLine, Kind::kList, false},
      {kStartBlockLine, Kind::kBlock, true},
      {kEndBlockLine, Kind::kBlock, false},
      {kStartDefinitionsLine, Kind::kDefinitions, true},
      {kEndDefinitionsLine, Kind::kDefinitions, false},
  };
  for (const auto& marker : kLevelMarkers) {
    if (!SameText(piece, marker.line)) continue;
    // A level begins and ends a paragraph collected for single-line output. The outermost
    // list, and the outermost definition list, stand apart from the text around them by an
    // empty line; the levels inside them do not.
    WriteParagraph();
    const bool apart = marker.kind != Kind::kBlock;
    if (marker.opens) {
      if (apart && levels_.Count(marker.kind) == 0) WriteBlank();
      levels_.Open(marker.kind);
    } else {
      levels_.Close();
      if (apart && levels_.Count(marker.kind) == 0) WriteBlank();
    }
    return true;
  }
  return false;
}

void LineWriter::HandlePiece(TextString piece, const LineFacts& facts) {
  if (!pass_.options.convertToText) {
    Write(piece);
    return;
  }
  if (HandleLevelMarker(piece)) return;
  if (SameText(piece, kStartPreLine)) {
    inPre_ = 1;
  } else if (SameText(piece, kEndPreLine)) {
    inPre_ = 0;
  } else if (piece.StartsWith(kTextBlockWord, LetterCase::kIgnored)) {
    WriteTextBlock(piece);
  } else if (piece.StartsWith(kRuleLine, LetterCase::kMatters)) {
    WriteRule(piece, facts.width);
  } else {
    WriteOrdinary(piece, facts);
  }
}

void LineWriter::WriteTextBlock(const TextString& piece) {
  TextString words(piece);
  words.CollapseBlanks();
  TextString number;
  int n = 0;
  if (!words.GetToken(2, ' ', number) || !number.ParseNumber('1', n)) return;
  std::vector<TextString> lines;
  if (!pass_.blocks.Write(n, lines) || lines.empty()) return;
  // A table stands apart from a paragraph collected for single-line output, and at the
  // indentation of the list item, quotation or definition that holds it.
  if (!paragraph_.IsEmpty()) WriteBlank();
  const int column = levels_.TextColumn();
  for (TextString& line : lines) {
    if (!line.IsEmpty()) Indent(line, column);
    Write(line);
  }
  blankWritten_ = 0;
}

void LineWriter::WriteRule(const TextString& piece, int width) {
  if (pass_.options.removeHorizontalRules) return;
  if (!paragraph_.IsEmpty()) WriteBlank();
  // The width after the rule's word: columns, or a share of the page ("50%").
  TextString rest;
  rest.AssignSub(piece.Data(), static_cast<int>(sizeof kRuleLine - 1), -1);
  rest.Trim(TrimEnds::kBoth, " ");
  int length = width;
  int asked = 0;
  if (!rest.IsEmpty() && rest.ParseNumber('1', asked) && asked >= 0) {
    const bool share = rest.Contains('%');
    length = std::min(
        share ? static_cast<int>(static_cast<long long>(width) * std::min(asked, 100) / 100)
              : asked,
        width);
  }
  TextString dashes;
  for (int i = 0; i < length; ++i) dashes.AppendChar('-');
  Write(dashes);
  blankWritten_ = 0;
}

void LineWriter::WriteOrdinary(TextString piece, const LineFacts& facts) {
  const QuorlOptions& o = pass_.options;
  const TextString& next = *facts.next;
  const int columns = Columns(piece);
  const int width = facts.width;
  const bool pieceShort = 4 * columns < 3 * width ||
                          (facts.last && next.IsEmpty() && (columns < 50 || columns < width - 5));
  if (CarriesTail(columns, facts)) {
    if (!facts.rule) {
      if (!carry_.IsEmpty()) carry_.AppendChar(' ');
      carry_ += piece;
    }
    return;
  }
  if (o.imposePageWidth && facts.pieceNumber >= 2 && facts.rule) {
    blankWritten_ = 0;
    return;  // a rule never wraps onto a second line
  }
  RemoveListItemMarker(piece, o.rightJustify != 0);
  const bool pre = inPre_ != 0;
  // Pre-formatted lines (a heading and its underline among them) are never joined to a
  // paragraph collected for single-line output.
  if (pre && !paragraph_.IsEmpty()) WriteBlank();
  const bool joins = o.singleLineParagraphs && !pre;
  const bool indentFirst = !pre && o.firstLineIndent > 0 && blankWritten_ && !piece.IsEmpty();
  if (o.rightJustify && !pieceShort && !pre && !(facts.last && !next.IsEmpty())) {
    piece.Justify(width);
  }
  if (indentFirst) piece.Insert(0, o.indentText.Data());
  if (joins) {
    JoinParagraph(piece, facts.column);
  } else {
    Indent(piece, facts.column);
    Write(piece);
  }
  blankWritten_ = 0;
}

bool LineWriter::CarriesTail(int columns, const LineFacts& facts) const {
  const TextString& next = *facts.next;
  // Never into a line that a break, a block or a marker begins.
  const bool nextContinues = facts.moreFollow && !next.IsEmpty() && !facts.nextStartsBlock &&
                             !next.StartsWith(kMarkerLinePrefix, LetterCase::kIgnored) &&
                             next.FindNoCase(kListItemLabelOpening) == nullptr;
  return pass_.options.imposePageWidth && nextContinues && facts.nothingLeft &&
         columns < facts.width - 5 && !facts.nextOpensQuote && !facts.closesQuote &&
         (facts.pieceNumber >= 2 || facts.opensQuote);
}

void LineWriter::JoinParagraph(TextString& piece, int column) {
  if (paragraph_.IsEmpty()) {
    Indent(piece, column);
    paragraph_.Swap(piece);
    return;
  }
  paragraph_.AppendChar(' ');
  paragraph_ += piece;
}

}  // namespace quorlex
