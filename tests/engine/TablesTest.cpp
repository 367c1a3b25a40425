#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/PatternTable.h"
#include "engine/Tables.h"
#include "foundation/Utf8.h"
#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

// A text-mode pass with the default policies that lays out the tables of some HTML.
class TablesTest : public ::testing::Test {
 protected:
  TablesTest() { pass_.options = QuorlOptions::FromPolicies(MakeDetaggingPolicies()); }

  // The last table block after running the table list until it handles nothing more.
  std::string Layout(const std::string& html) {
    BuildPatternLists(pass_);
    TextString text(html.c_str());
    for (int run = 0; run < 8 && pass_.lists.table.Run(text, &kListRunOptions) > 0; ++run) {
      pass_.lists.table.TakeResult(text);
    }
    text_ = std::string(text.View());
    const int count = pass_.blocks.Count();
    return count == 0 ? std::string() : std::string(pass_.blocks.Block(count).View());
  }

  PassState pass_;
  std::string text_;
};

TEST_F(TablesTest, ColumnWidthScalesPercentagesAndPixels) {
  static const struct {
    const char* tag;
    int adjust;
    int in;
    int out;
  } kCases[] = {
      {" width=\"50%\"", 1, 60, 30},    {" width=400", 1, 60, 36},  {" width=400", 0, 60, 40},
      {" class=x", 1, 60, 60},          {" width=wide", 1, 60, 60}, {" width=-5", 1, 60, 60},
      {" width=99999999", 1, 60, 9000},
  };
  for (const auto& c : kCases) {
    pass_.options.adjustTablesToPageWidth = c.adjust;
    EXPECT_EQ(c.out, ColumnWidth(pass_, c.tag, c.in)) << c.tag << " adjust " << c.adjust;
  }
}

TEST(ProportionalShares, AddUpToTheAmountRoundedByLargestRemainders) {
  static const struct {
    const char* name;
    long long amount;
    std::vector<long long> weights;
    std::vector<long long> shares;
  } kCases[] = {
      {"largest remainder first", 5, {2, 1, 1}, {3, 1, 1}},
      {"largest remainder not the leftmost", 3, {1, 1, 3}, {1, 0, 2}},
      {"equal remainders go left to right", 2, {1, 1, 1}, {1, 1, 0}},
      {"weights all 0 share equally", 5, {0, 0, 0}, {2, 2, 1}},
      {"a weight of 0 gets nothing", 4, {0, 3, 1}, {0, 3, 1}},
      {"no weights", 7, {}, {}},
      {"large amounts", 3000000000LL, {1000000000LL, 2000000000LL}, {1000000000LL, 2000000000LL}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.shares, ProportionalShares(c.amount, c.weights));
  }
}

// A cell spanning columns claims its widest line less its columns' widths, shared by those
// widths; the columns grow by their claims (scaled down to the room left when they exceed
// it), and the room still left goes to columns whose natural widths exceed their minimums.
TEST_F(TablesTest, ColumnsGrowByTheirShareOfASpanningCellsClaim) {
  const struct {
    const char* name;
    std::string html;
    std::string lines;
  } kCases[] = {
      // Widths 5 and 2, claim 11 - 7 = 4: 3 and 1 (2.86, 1.14), widths 8 and 3. The 23 columns
      // left of 36 go 0 and 22 by natural less minimum width (6 - 5 and 29 - 2).
      {"a title above a narrow label and a wide value",
       "<table width=50%><tr><td colspan=2>aaa bbb ccc</td></tr>"
       "<tr><td>label</td><td>vv vv vv vv vv vv vv vv vv vv</td></tr></table>",
       " aaa bbb ccc" + std::string(23, ' ') + "\n label    vv vv vv vv vv vv vv vv  \n" +
           std::string(10, ' ') + "vv vv" + std::string(20, ' ') + "\n"},
      // Widths 2 and 3, claim 14: 6 and 8 (5.6, 8.4). 18 columns leave 11 of room: scaled to
      // 5 and 6 (4.71, 6.29), widths 7 and 9, and the title wraps in 17.
      {"claims beyond the room are scaled down to fill it",
       "<table width=25%><tr><td colspan=2>aaaa bbbb cccc dddd</td></tr>"
       "<tr><td>x</td><td>yyy</td></tr></table>",
       " aaaa bbbb cccc   \n dddd" + std::string(13, ' ') + "\n x       yyy      \n"},
      // 123 pixels are 11 columns. Widths 1, 1 and 3, claim 3: 0.6, 0.6 and 1.8 round to 1, 0
      // and 2, which fill the table.
      {"claims rounded by largest remainders",
       "<table width=123><tr><td colspan=3>ab cd ef</td></tr>"
       "<tr><td>a</td><td>b</td><td>ccc</td></tr></table>",
       " ab cd ef  \n a  b ccc  \n"},
      // 223 pixels are 20 columns. "中文 中文" takes 9 columns: widths 2 and 2 claim 5, 3 and 2
      // (2.5 each, the left first); the 9 columns left go 4 and 4 to natural widths 5 over
      // minimums 2.
      {"claims in display columns",
       "<table width=223><tr><td colspan=2>\xE4\xB8\xAD\xE6\x96\x87 \xE4\xB8\xAD\xE6\x96\x87"
       "</td></tr><tr><td>a</td><td>b</td></tr></table>",
       " \xE4\xB8\xAD\xE6\x96\x87 \xE4\xB8\xAD\xE6\x96\x87" + std::string(9, ' ') + "\n a" +
           std::string(8, ' ') + " b" + std::string(7, ' ') + "\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.lines, Layout(c.html));
  }
}

TEST_F(TablesTest, EveryCellOfARowMixingThAndTdIsKept) {
  EXPECT_EQ(" a b c\n", Layout("<table><tr><td>a<th>b</th><td>c</table>"));
  // <thead> and <tbody> are no cells, <track> no row.
  EXPECT_EQ(" h\n 1\n", Layout("<table><thead><tr><th>h</th></tr></thead>"
                               "<tbody><tr><td>1<track src=x></td></tr></tbody></table>"));
}

// The markers the phases leave in the text.
const std::string kSoft =
    "\xFF"
    "CBR\xFF";
const std::string kBreak =
    "\xFF"
    "BR\xFF";
std::string Marker(const char* word) { return kSoft + word + kSoft; }

TEST_F(TablesTest, CellsKeepPreformattedLinesListsAndRules) {
  // Narrow tables (100 pixels are 9 columns): pre-formatted lines are never broken.
  EXPECT_EQ(" x  = 1  |\n y  = 22  \n",
            Layout("<table width=100><tr><td>" + Marker("$_$_START_PRE") + "x  = 1\ny  = 22" +
                   Marker("$_$_END_PRE") + "</td><td>|</td></tr></table>"));
  const std::string item = kSoft + "[[LI]]";
  EXPECT_EQ(" Items:  \n   - one \n   - two \n",
            Layout("<table width=100><tr><td>Items:" + Marker("$_$_START_LIST") + item + "- one" +
                   item + "- two" + Marker("$_$_END_LIST") + "</td></tr></table>"));
  EXPECT_EQ(" Term:   \n   Said. \n",
            Layout("<table width=100><tr><td>" + Marker("$_$_START_DL") +
                   "Term:" + Marker("$_$_START_BLOCK") + "Said." + Marker("$_$_END_BLOCK") +
                   Marker("$_$_END_DL") + "</td></tr></table>"));
  EXPECT_EQ(" ab \n----\n cd \n",
            Layout("<table><tr><td>ab</td></tr><tr><td>---</td></tr><tr><td>cd</td></tr></table>"));
}

TEST_F(TablesTest, CellsAlignVertically) {
  EXPECT_EQ(" a    \n x   c\n y b  \n", Layout("<table><tr><td>a" + kBreak + "x" + kBreak +
                                               "y</td><td valign=bottom>b</td>"
                                               "<td valign=middle>c</td></tr></table>"));
}

TEST_F(TablesTest, NestedTablesAreLaidOutFromTheInsideOut) {
  const std::string block = Layout(
      "<table border=1><tr><td>out</td><td><table><tr><td>in1</td><td>in2</td></tr></table>"
      "</td></tr></table>");
  EXPECT_EQ("+---+-------+\n|out|in1 in2|\n+---+-------+\n", block);
  EXPECT_EQ(2, pass_.deepestNesting);
  EXPECT_EQ(std::string::npos, text_.find("<table"));
}

// Every line of a bordered table takes the same display columns, whatever its script.
TEST_F(TablesTest, CellsAreMeasuredInDisplayColumns) {
  const struct {
    const char* name;
    std::string html;
  } kCases[] = {
      {"CJK beside Latin",
       "<table border=1><tr><td>\xE4\xB8\xAD\xE6\x96\x87</td><td>abc</td></tr>"
       "<tr><td>x</td><td>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</td></tr></table>"},
      {"Greek and Cyrillic centred and right-aligned",
       "<table border=1><tr><td align=center>\xCE\xB1\xCE\xB2</td>"
       "<td align=right>\xD0\xB4\xD0\xB0</td></tr>"
       "<tr><td>wider cell</td><td>wider cell</td></tr></table>"},
      {"combining marks re-wrapped in a narrow table",
       "<table border=1 width=100><tr><td>cafe\xCC\x81 re\xCC\x81sume\xCC\x81 "
       "na\xCC\x88i\xCC\x88ve</td><td align=center>e\xCC\x81</td></tr></table>"},
      {"CJK re-wrapped in a narrow table",
       "<table border=1 width=100><tr><td>\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B"
       "\x9B\xE4\xBA\x94\xE5\x85\xAD\xE4\xB8\x83\xE5\x85\xAB</td><td>x</td></tr></table>"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string block = Layout(c.html);
    SCOPED_TRACE(block);
    std::vector<int> widths;
    for (size_t start = 0, end; (end = block.find('\n', start)) != std::string::npos;
         start = end + 1) {
      widths.push_back(DisplayWidth(std::string_view(block).substr(start, end - start)));
    }
    ASSERT_GE(widths.size(), 3u);
    for (const int width : widths) EXPECT_EQ(widths[0], width);
  }
  // Padding is in columns: two ideographs fill four of them, three fill six.
  EXPECT_EQ(" \xE4\xB8\xAD\xE6\x96\x87" + std::string(24, ' ') + " abc" + std::string(39, ' ') +
                "\n x" + std::string(27, ' ') + " \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" +
                std::string(36, ' ') + "\n",
            Layout("<table><tr><td>\xE4\xB8\xAD\xE6\x96\x87</td><td>abc</td></tr>"
                   "<tr><td>x</td><td>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</td></tr></table>"));
}

// Cells break between ideographs, never before a full stop, and after zero-width spaces.
TEST_F(TablesTest, CellsBreakWhereLinesMay) {
  // 一二三 | / 四五 / 六。 in a table of 9 columns
  EXPECT_EQ(
      " \xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89 |\n \xE5\x9B\x9B\xE4\xBA\x94    \n"
      " \xE5\x85\xAD\xE3\x80\x82    \n",
      Layout("<table width=100><tr><td>\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B"
             "\xE4\xBA\x94\xE5\x85\xAD\xE3\x80\x82</td><td>|</td></tr></table>"));
  const std::string zwsp = "\xE2\x80\x8B";
  // The zero-width spaces stay for the line writer to drop.
  EXPECT_EQ(" abcd" + zwsp + "   |\n efgh" + zwsp + "    \n ijkl    \n",
            Layout("<table width=100><tr><td>abcd" + zwsp + "efgh" + zwsp +
                   "ijkl</td><td>|</td></tr></table>"));
}

TEST_F(TablesTest, OddTablesNeverBreakTheLayout) {
  // Spans far past the tracked columns, a row span with no rows after it, cells without
  // rows, a table without a closing row.
  std::string wide = "<table><tr>";
  for (int i = 0; i < 120; ++i) wide += "<td rowspan=3 colspan=2>x</td>";
  wide += "</tr><tr><td>y</td></tr></table>";
  EXPECT_FALSE(Layout(wide).empty());
  EXPECT_EQ("", Layout("<table><td>orphan</td></table>"));
  EXPECT_EQ(" a\n", Layout("<table><tr><td>a</table>"));
}

}  // namespace
}  // namespace quorlex
