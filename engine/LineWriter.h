#pragma once

#include <vector>

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
// carries the short tail of a wrapped line into the next, ends paragraphs after short
// lines, indents lists and blocks, draws rules, copies pre-formatted and table blocks, and
// never writes two empty lines in a row; when the output stays HTML it copies every line.
class LineWriter {
 public:
  // Lines go to `output`; the options, the text blocks and the average line length come
  // from the pass. Neither is owned.
  LineWriter(PassState& pass, LineBuffer& output);

  // Handles one line. `moreFollow` is 0 only for the last line of the text; `next` is the
  // line after it (empty after the last). A paragraph being collected for single-line
  // output is written when the last line has been handled.
  void WriteTextLine(int moreFollow, TextString line, const TextString& next);

 private:
  struct LineFacts;

  void Write(const TextString& line);
  // An empty line, unless text mode just wrote one; a paragraph being collected comes first.
  void WriteBlank();
  // Opens (1) or closes (-1) a level of list or block indentation.
  void ChangeIndent(int levels);
  // Handles one piece of a line: a marker, or text to write or carry.
  void HandlePiece(TextString piece, const LineFacts& facts);
  void WriteRule(const TextString& piece, int width);
  void WriteTextBlock(const TextString& piece);
  void WriteOrdinary(TextString piece, const LineFacts& facts);

  PassState& pass_;
  LineBuffer& output_;
  int indentLevels_ = 0;  // open lists and blocks
  int indentWidth_ = 0;
  TextString indentText_;
  int inPre_ = 0;
  int blankWritten_ = 1;
  int previousShort_ = 0;
  TextString carry_;
  TextString paragraph_;
};

}  // namespace quorlex
