#include "engine/LineWriter.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/Utf8.h"
#include "textformat/Markers.h"
#include "textformat/WordWrap.h"

namespace quorlex {
namespace {

// Indentation per open list or block.
constexpr int kIndentStep = 4;
// Levels deeper than this, which only broken pages reach (100,000 unclosed lists), are
// written at this indentation: the output stays in proportion to the input.
constexpr int kMaxIndentLevels = 40;

bool IsRuleCharacter(char c) { return c == '-' || c == '=' || c == '_'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(char c) { return c >= 'a' && c <= 'z'; }

int Columns(const TextString& text) { return DisplayWidth(text.View()); }

bool SameText(const TextString& text, const char* word) {
  return text.Length() == static_cast<int>(std::strlen(word)) && text.Equals(word, 0, 0);
}

// The item label marker goes from a piece: with the two blanks the list's text gives it,
// or alone; exact case, both spellings.
void RemoveListItemMarker(TextString& piece, bool rightJustify) {
  if (piece.View().find("[[") == std::string_view::npos) return;  // most pieces
  for (const char* marker : {"[[LI]]", "[[li]]"}) {
    const std::string withBlanks = std::string("  ") + marker;
    if (rightJustify || !piece.Replace(0, withBlanks.c_str(), "", 1, 1, nullptr, nullptr)) {
      piece.Replace(0, marker, "", 1, 1, nullptr, nullptr);
    }
  }
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
  bool rule = false;
  bool opensQuote = false;
  bool nextOpensQuote = false;
  bool closesQuote = false;
  int width = 0;  // the page width less the indentation, or the wrap width when wrapped
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
  if (zeroWidthSpaces) written.ReplaceAll(kZeroWidthSpace.data(), "", 0, 1);
  if (noBreakSpaces) written.ReplaceAll(kNoBreakSpace.data(), " ", 0, 1);
  output_.Add(written);
}

void LineWriter::WriteBlank() {
  if (!paragraph_.IsEmpty()) {
    Write(paragraph_);
    paragraph_.Clear();
    blankWritten_ = 0;
  }
  if (!(pass_.options.convertToText && blankWritten_)) Write(TextString());
  blankWritten_ = 1;
}

void LineWriter::ChangeIndent(int levels) {
  indentLevels_ = std::max(indentLevels_ + levels, 0);
  indentWidth_ = std::min(indentLevels_, kMaxIndentLevels) * kIndentStep;
  indentText_ = std::string(static_cast<size_t>(indentWidth_), ' ').c_str();
}

void LineWriter::WriteTextLine(int moreFollow, TextString line, const TextString& next) {
  const QuorlOptions& o = pass_.options;
  const bool text = o.convertToText != 0;
  const bool preserve = o.preserveWhiteSpace != 0;
  if (text && preserve) moreFollow = 0;
  LineFacts facts;
  facts.next = &next;
  facts.rule = IsRuleLine(line);
  if (facts.rule && o.removeHorizontalRules) {
    line.Clear();
    facts.rule = false;
  }
  if (!moreFollow && !paragraph_.IsEmpty()) WriteBlank();
  const bool carryWasEmpty = carry_.IsEmpty();
  if (!carryWasEmpty) {
    carry_.AppendChar(' ');
    line.Insert(0, carry_.Data());
    carry_.Clear();
  }
  bool isShort = false;
  if (line.IsEmpty()) {
    if (text && o.singleLineParagraphs) {
      WriteBlank();
    } else {
      if (!(text && blankWritten_)) Write(line);
      blankWritten_ = 1;
    }
  } else {
    const bool pre = inPre_ != 0;
    if (text && !pre && !preserve) line.Trim(0, " ");
    const int length = line.Length();
    const int columns = Columns(line);
    facts.width = std::max(o.pageWidth - indentWidth_, kMinimumLineWidth);
    isShort =
        columns < 50 || columns < facts.width - 10 || 4 * columns < 3 * pass_.averageLineLength;
    if (text) {
      const bool extra = o.extraDialogueChecks != 0;
      facts.opensQuote =
          length >= 2 && carryWasEmpty && line[0] == '"' && (!extra || IsUpper(line[1]));
      facts.nextOpensQuote = next.Length() > 1 && next[0] == '"' && (!extra || IsUpper(next[1]));
      const bool nextAllowsClose = next.IsEmpty() ||
                                   (next[0] == '"' && next.Length() > 1 && IsUpper(next[1])) ||
                                   (next[0] != '"' && !IsLower(next[0]));
      facts.closesQuote = length > 1 && line[length - 1] == '"' && (!extra || nextAllowsClose);
      if (!pre && !preserve && o.lookForDialogue && facts.opensQuote && !blankWritten_) {
        WriteBlank();
      }
    }
    facts.moreFollow = moreFollow;
    const bool whole = o.singleLineParagraphs || !text || pre || preserve || !o.imposePageWidth;
    if (whole) {
      facts.pieceNumber = 1;
      facts.last = true;
      facts.nothingLeft = true;
      HandlePiece(line, facts);
    } else {
      const int fullWidth = std::max(o.pageWidth - indentWidth_, kMinimumLineWidth);
      TextString piece;
      for (int position = 0; position < line.Length();) {
        // Only the piece that opens a paragraph takes the first-line indent, so only it
        // wraps that much earlier; the pieces after it have the whole width.
        const bool opensParagraph = o.firstLineIndent > 0 && blankWritten_;
        facts.width = fullWidth - (opensParagraph ? o.firstLineIndent : 0);
        if (!GetWrappedPiece(line, facts.width, position, BreakCharacters(), piece, position)) {
          break;
        }
        piece.Trim(0, " ");
        ++facts.pieceNumber;
        facts.last = position >= line.Length();
        bool left = false;
        for (int i = position; i < line.Length() && !left; ++i)
          left = line[i] != ' ' && line[i] != '\t';
        facts.nothingLeft = !left;
        HandlePiece(piece, facts);
      }
    }
  }
  // The end of a line in text mode: a short line after one that was not short, or a line
  // that closes a quotation, ends its paragraph.
  if (text && !line.IsEmpty() && !inPre_ && !preserve) {
    const bool shortEnd = o.shortLinesEndParagraphs && isShort && !previousShort_ && !blankWritten_;
    if (shortEnd || (o.lookForDialogue && facts.closesQuote)) WriteBlank();
  }
  previousShort_ = isShort ? 1 : 0;
  if (!moreFollow && !paragraph_.IsEmpty()) WriteBlank();
}

void LineWriter::HandlePiece(TextString piece, const LineFacts& facts) {
  if (!pass_.options.convertToText) {
    Write(piece);
    return;
  }
  if (SameText(piece, kStartListLine) || SameText(piece, kStartBlockLine)) {
    ChangeIndent(1);
  } else if (SameText(piece, kEndListLine)) {
    ChangeIndent(-1);
    WriteBlank();
  } else if (SameText(piece, kEndBlockLine)) {
    ChangeIndent(-1);
  } else if (SameText(piece, kStartPreLine)) {
    inPre_ = 1;
  } else if (SameText(piece, kEndPreLine)) {
    inPre_ = 0;
  } else if (piece.StartsWith("$_$_TEXTBLOCK", 0)) {
    WriteTextBlock(piece);
  } else if (piece.StartsWith(kRuleLine, 1)) {
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
  for (const TextString& line : lines) Write(line);
  blankWritten_ = 0;
}

void LineWriter::WriteRule(const TextString& piece, int width) {
  if (pass_.options.removeHorizontalRules) return;
  // The width after "$_$_LINE": columns, or a share of the page ("50%").
  TextString rest;
  rest.AssignSub(piece.Data(), static_cast<int>(std::strlen(kRuleLine)), -1);
  rest.Trim(0, " ");
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
  const bool carried = o.imposePageWidth && facts.nothingLeft &&
                       !next.StartsWith(kMarkerLinePrefix, 0) && columns < width - 5 &&
                       !facts.nextOpensQuote && !facts.closesQuote &&
                       (facts.pieceNumber >= 2 || facts.opensQuote) && facts.moreFollow &&
                       next.FindNoCase("[[") == nullptr && !next.IsEmpty();
  if (carried) {
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
  const bool indentFirst = !pre && o.firstLineIndent > 0 && blankWritten_ && !piece.IsEmpty();
  if (o.rightJustify && !pieceShort && !pre && !(facts.last && !next.IsEmpty())) {
    piece.Justify(width);
  }
  if (indentFirst) piece.Insert(0, o.indentText.Data());
  if (!indentText_.IsEmpty()) piece.Insert(0, indentText_.Data());
  if (o.singleLineParagraphs) {
    if (!paragraph_.IsEmpty()) paragraph_.AppendChar(' ');
    paragraph_ += piece;
  } else {
    Write(piece);
  }
  blankWritten_ = 0;
}

}  // namespace quorlex
