#include <gtest/gtest.h>

#include <string>

#include "engine/PatternTable.h"
#include "engine/Tables.h"
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
