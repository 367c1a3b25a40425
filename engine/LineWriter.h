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

  // Lines go to `output`; the options, the text blocks and the average line length come
  // from the pass. Neither is owned.
  LineWriter(PassState& pass, LineBuffer& output);

  // Handles one line. `moreFollow` is 0 only for the last line of the text; `next` is the
  // line after it (empty after the last) and `nextStart` how it begins. A paragraph being
  // collected for single-line output is written when the last line has been handled.
  void WriteTextLine(int moreFollow, TextString line, const TextString& next,
                     LineStart nextStart = LineStart::kContinuesSource);

 private:
  struct LineFacts;
  // Whether a line holding only an item's label may wait for the item's text.
  enum class LabelAlone { kWaits, kWritten };
  void LayOutLine(int moreFollow, TextString line, const TextString& next, LineStart nextStart,
                  LabelAlone labelAlone);
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
