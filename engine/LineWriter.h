#pragma once

#include <vector>

#include "engine/IndentLevels.h"
#include "engine/PassState.h"
#include "foundation/LineBuffer.h"
#include "foundation/TextString.h"

namespace quorlex {

// Whether a text is a line drawn with '-', '=' or '_': only those characters and single
// blanks, no two different rule characters side by side, and a rule character after the
// first position ("--", "- -", "==== ----", " -"; not "-", "-=", "--  --", "-- a").
[[nodiscard]] bool IsRuleLine(const TextString& text);

// The narrowest a text line is wrapped to, however small the page width or deep the lists.
inline constexpr int kMinimumLineWidth = 30;

// Lays out the lines of the converted text. In text mode it wraps lines to the page width,
// carries the short tail of a wrapped line into the next source line, ends paragraphs after
// short lines, indents lists, blocks and definitions (the later lines of a list item hang
// at its text column), draws rules, copies pre-formatted and table blocks, and never writes
// two empty lines in a row nor any inside a definition list; when the output stays HTML it
// copies every line.
class LineWriter {
 public:
  // Whether a line goes on with the source line before it, or a break of the markup began
  // it (then nothing of the line before is carried into it).
  enum class LineStart { kContinuesSource, kStartsBlock };
  // Whether lines follow the one being handled: none after the last line of the text.
  enum class LinesAfter { kSome, kNone };

  // Lines go to `output`; the options, the text blocks and the average line length come
  // from the pass. Neither is owned.
  LineWriter(PassState& pass, LineBuffer& output);

  // Handles one line. `linesAfter` is kNone only for the last line of the text; `next` is the
  // line after it (empty after the last) and `nextStart` how it begins. A paragraph being
  // collected for single-line output is written when the last line has been handled.
  void WriteTextLine(LinesAfter linesAfter, TextString line, const TextString& next,
                     LineStart nextStart = LineStart::kContinuesSource);

 private:
  struct LineFacts;
  // Whether a line holding only an item's label may wait for the item's text.
  enum class LabelAlone { kWaits, kWritten };
  // Lays out one line: the tail carried from the line before goes in front of it, a list
  // item's label takes its place, and the line is written whole or in wrapped pieces.
  void LayOutLine(int moreFollow, TextString line, const TextString& next, LineStart nextStart,
                  LabelAlone labelAlone);
  // Puts the tail carried from the line before in front of `line`; false when none was.
  bool PrependCarry(TextString& line);
  // Trims a text line and sets the column it stands at; a line that opens a list item starts
  // the item. Returns false when the line is an item's label alone, which now waits for the
  // item's text.
  bool PlaceLine(TextString& line, LabelAlone labelAlone, LineFacts& facts);
  // Whether a line counts as short for ending a paragraph: short of 50 columns, of the
  // width less 10, or of three quarters of the document's average line.
  [[nodiscard]] bool IsShortLine(const TextString& line, int width) const;
  // Sets the quotation facts of a text line (a carried tail in front of it opens none); an
  // empty line goes before a line that opens a quotation when dialogue is looked for.
  void NoteQuotes(const TextString& line, bool carried, LineFacts& facts);
  // Hands the line to HandlePiece whole, or wrapped to the width in pieces.
  void WritePieces(const TextString& line, LineFacts& facts);
  // In text mode a short line after one that was not short, or a line that closes a
  // quotation, ends its paragraph; the items of a list stay together.
  void EndParagraphAfterLine(bool isShort, const LineFacts& facts);
  void Write(const TextString& line);
  // An empty line, unless text mode just wrote one or a definition list is open; a
  // paragraph being collected comes first.
  void WriteBlank();
  // Writes the paragraph being collected for single-line output, if there is one.
  void WriteParagraph();
  // Opens or closes a level for a marker line; false for any other piece.
  bool HandleLevelMarker(const TextString& piece);
  // A line that begins a list item: its label takes the item marker's place.
  void StartItem(TextString& line);
  // Handles one piece of a line: a marker, or text to write or carry.
  void HandlePiece(TextString piece, const LineFacts& facts);
  void WriteRule(const TextString& piece, int width);
  void WriteTextBlock(const TextString& piece);
  void WriteOrdinary(TextString piece, const LineFacts& facts);
  // Whether a piece `columns` wide is the short tail of a line that goes in front of the
  // next line, which goes on with the same source paragraph.
  [[nodiscard]] bool CarriesTail(int columns, const LineFacts& facts) const;
  // Adds a piece to the paragraph collected for single-line output; the first piece takes
  // the indentation of `column`.
  void JoinParagraph(TextString& piece, int column);
  void WriteWrapped(const TextString& line, LineFacts& facts);

  PassState& pass_;
  LineBuffer& output_;
  IndentLevels levels_;
  // A list item's label that waits for the item's text on a later line.
  TextString waitingLabel_;
  int inPre_ = 0;
  int blankWritten_ = 1;
  int previousShort_ = 0;
  TextString carry_;
  TextString paragraph_;
};

}  // namespace quorlex
