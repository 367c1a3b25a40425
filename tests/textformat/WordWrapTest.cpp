#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "foundation/Utf8.h"
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
    piece.Trim(TrimEnds::kBoth, " ");
    pieces.emplace_back(piece.View());
  }
  return pieces;
}

// A line cut at a width, and the pieces it must give.
struct PieceCase {
  const char* name;
  std::string line;
  int width;
  std::vector<std::string> pieces;
};

void ExpectPieces(std::span<const PieceCase> cases) {
  for (const PieceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.pieces, Pieces(c.line, c.width));
  }
}

TEST(WordWrap, CutsLinesIntoPiecesThatFit) {
  const PieceCase kCases[] = {
      {"words",
       "The quick brown fox jumps over the lazy dog and keeps running far away into the distance.",
       30,
       {"The quick brown fox jumps over", "the lazy dog and keeps running",
        "far away into the distance."}},
      {"closing character starts the next piece",
       "Some text with a function_call(argument_one,argument_two) and more words",
       30,
       {"Some text with a", "function_call(argument_one", ",argument_two) and more words"}},
      {"opening bracket ends a piece",
       "xxxxxxxx yyyyyyyyyyyyyyyyyyyyyy(zzzzzzzzzzzz",
       30,
       {"xxxxxxxx", "yyyyyyyyyyyyyyyyyyyyyy(", "zzzzzzzzzzzz"}},
      {"numbers keep their commas",
       "To 2,500,000,000,000,000 in dollars",
       22,
       {"To", "2,500,000,000,000,000", "in dollars"}},
      {"the rest fits whole", "a(b)c,d [e]", 30, {"a(b)c,d [e]"}},
      {"widths are columns, not bytes",
       "caf\xC3\xA9 caf\xC3\xA9 caf\xC3\xA9",
       9,
       {"caf\xC3\xA9 caf\xC3\xA9", "caf\xC3\xA9"}},
      {"combining marks take no column",
       "cafe\xCC\x81 cafe\xCC\x81 cafe\xCC\x81",
       9,
       {"cafe\xCC\x81 cafe\xCC\x81", "cafe\xCC\x81"}},
  };
  ExpectPieces(kCases);
}

TEST(WordWrap, WordsWiderThanThePageStayWhole) {
  const std::string url = "https://example.org/documentation/reference/widths-and-columns.html";
  const PieceCase kCases[] = {
      {"a run without blanks", std::string(90, 'a'), 30, {std::string(90, 'a')}},
      {"an address between words", "See " + url + " for more", 30, {"See", url, "for more"}},
      {"a number whose commas may not break",
       "Total 2,500,000,000,000,000,000 dollars",
       20,
       {"Total", "2,500,000,000,000,000,000", "dollars"}},
      {"a character wider than the page",
       "\xE4\xB8\xAD\xE6\x96\x87",
       1,
       {"\xE4\xB8\xAD", "\xE6\x96\x87"}},
  };
  ExpectPieces(kCases);
}

// 中 文 。 「 」 and the zero-width and no-break spaces, spelt out.
#define ZH "\xE4\xB8\xAD"
#define WEN "\xE6\x96\x87"
#define FULL_STOP "\xE3\x80\x82"
#define OPEN "\xE3\x80\x8C"
#define CLOSE "\xE3\x80\x8D"
#define ZWSP "\xE2\x80\x8B"
#define NBSP "\xC2\xA0"

TEST(WordWrap, BreaksBesideWideCharactersAndAtZeroWidthSpaces) {
  const PieceCase kCases[] = {
      {"between wide characters", ZH WEN ZH WEN ZH WEN, 4, {ZH WEN, ZH WEN, ZH WEN}},
      {"between a wide character and a narrow one", "ab" ZH WEN "cd", 4, {"ab" ZH, WEN "cd"}},
      {"never before a full stop", ZH WEN FULL_STOP ZH WEN, 4, {ZH, WEN FULL_STOP, ZH WEN}},
      {"never after an opening bracket nor before a closing one",
       ZH OPEN WEN CLOSE ZH,
       4,
       {ZH, OPEN WEN CLOSE, ZH}},
      {"after a zero-width space, which stays for the writer to drop",
       "abc" ZWSP "defgh",
       5,
       {"abc" ZWSP, "defgh"}},
      {"a no-break space keeps its words together",
       "aaaa" NBSP "bbbb cc",
       8,
       {"aaaa" NBSP "bbbb", "cc"}},
      {"nor breaks beside wide characters", ZH NBSP WEN " ab", 4, {ZH NBSP WEN, "ab"}},
      {"a blank still wins over a later wide break", "ab " ZH WEN, 4, {"ab", ZH WEN}},
  };
  ExpectPieces(kCases);
}

// Paragraphs of several scripts at the 72-column default: no piece is wider than the page,
// every piece but the last comes close to it, and nothing is lost or reordered (Arabic
// stays in logical order).
TEST(WordWrap, FillsLinesOfEveryScriptToTheWidth) {
  const struct {
    const char* name;
    std::string words;  // repeated to make a paragraph
    const char* joint;  // what a break drops
    int closest;        // the narrowest a piece but the last may be
  } kCases[] = {
      {"Russian", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80 ",
       " ", 60},                                                         // привет, мир
      {"Chinese", ZH WEN "\xE6\x96\x87\xE6\x9C\xAC" FULL_STOP, "", 70},  // 中文文本。
      {"Arabic",
       "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84"
       "\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85 ",
       " ", 60},  // مرحبا بالعالم
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string paragraph;
    for (int i = 0; i < 20; ++i) paragraph += c.words;
    paragraph.erase(paragraph.find_last_not_of(' ') + 1);
    const std::vector<std::string> pieces = Pieces(paragraph, 72);
    ASSERT_GT(pieces.size(), 1u);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
      SCOPED_TRACE(pieces[i]);
      EXPECT_LE(DisplayWidth(pieces[i]), 72);
      if (i + 1 < pieces.size()) {
        EXPECT_GE(DisplayWidth(pieces[i]), c.closest);
      }
      joined += (i > 0 ? c.joint : "") + pieces[i];
    }
    EXPECT_EQ(paragraph, joined);
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
