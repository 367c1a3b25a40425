#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textformat/WordWrap.h"

namespace quorlex {
namespace {

// The trimmed pieces of a line at a width, as the line writer takes them.
std::vector<std::string> Pieces(const std::string& line, int width) {
  std::vector<std::string> pieces;
  const TextString text(line.c_str());
  TextString piece;
  for (int position = 0; position >= 0 && position < text.Length();) {
    if (!GetWrappedPiece(text, width, position, BreakCharacters(), piece, position)) break;
    piece.Trim(0, " ");
    pieces.emplace_back(piece.View());
  }
  return pieces;
}

TEST(WordWrap, CutsLinesIntoPiecesThatFit) {
  const struct {
    const char* name;
    std::string line;
    int width;
    std::vector<std::string> pieces;
  } kCases[] = {
      {"words",
       "The quick brown fox jumps over the lazy dog and keeps running far away into the distance.",
       30,
       {"The quick brown fox jumps over", "the lazy dog and keeps running",
        "far away into the distance."}},
      {"no blanks",
       std::string(90, 'a'),
       30,
       {std::string(30, 'a'), std::string(30, 'a'), std::string(30, 'a')}},
      {"closing character starts the next piece",
       "Some text with a function_call(argument_one,argument_two) and more words",
       30,
       {"Some text with a", "function_call(argument_one", ",argument_two) and more words"}},
      {"opening bracket ends a piece",
       "xxxxxxxx yyyyyyyyyyyyyyyyyyyyyy(zzzzzzzzzzzz",
       30,
       {"xxxxxxxx", "yyyyyyyyyyyyyyyyyyyyyy(", "zzzzzzzzzzzz"}},
      {"numbers keep their commas",
       "Total 2,500,000,000,000,000,000 dollars",
       20,
       {"Total", "2,500,000,000,000,00", "0,000 dollars"}},
      {"the rest fits whole", "a(b)c,d [e]", 30, {"a(b)c,d [e]"}},
      {"a UTF-8 character is never split",
       "\xC3\xA9\xC3\xA9\xC3\xA9",
       3,
       {"\xC3\xA9", "\xC3\xA9", "\xC3\xA9"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.pieces, Pieces(c.line, c.width));
  }
}

TEST(WordWrap, StartBeyondTheLineGivesNothing) {
  TextString piece("stale");
  int position = 7;
  EXPECT_EQ(0, GetWrappedPiece("abc", 30, 3, BreakCharacters(), piece, position));
  EXPECT_EQ(-1, position);
  EXPECT_EQ("", piece.View());
}

}  // namespace
}  // namespace quorlex
