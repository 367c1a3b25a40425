// Inputs made to break a converter: deep nesting, floods of one character, binary data,
// broken UTF-16, huge lines, tables and entities with absurd numbers, tags that never close,
// a page of 200 MB on one line. Each input is made here, in a folder of its own, and
// converted by quorlexrun in text mode and in markup mode. Every conversion must end (the
// test's timeout catches a hang) and succeed, the text the input carries must reach the
// output, and the biggest inputs must stay within a multiple of their size in memory.
// bench/hostile.sh times the big shapes in a Release build and prints their memory.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Check.h"

namespace quorlex {
namespace {

using testing::ProgramResult;
using testing::TempFolder;

std::string Repeat(const std::string& text, size_t times) {
  std::string result;
  result.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) result += text;
  return result;
}

std::string RandomBytes(size_t count) {
  std::mt19937 random(13);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Little-endian UTF-16 with its byte-order mark (ASCII text only).
std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// The sanitizer build runs these conversions some twenty times slower: there every size is
// a tenth (10,000 levels of nesting is still far beyond any real page). Its memory is not
// checked either: the sanitizer's own bookkeeping would make the figures meaningless.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kDivisor = 10;
constexpr bool kMeasuresMemory = false;
#else
constexpr size_t kDivisor = 1;
constexpr bool kMeasuresMemory = true;
#endif
constexpr size_t Sized(size_t n) { return n / kDivisor; }

struct HostileCase {
  const char* name;
  std::function<std::string()> make;
  // Text that must be found in the text-mode output (empty: nothing in particular).
  std::string kept;
  // When not zero, the most memory (peak resident set) a conversion may take, as a multiple
  // of the input's size.
  double memoryMultiple = 0;
};

const std::vector<HostileCase>& Cases() {
  constexpr size_t kDeep = Sized(100000);
  constexpr size_t kMegabyte = Sized(1000000);
  static const std::vector<HostileCase> cases = {
      {"nested tables",
       [] {
         return Repeat("<table><tr><td>", kDeep) + "deep" + Repeat("</td></tr></table>", kDeep);
       },
       "deep"},
      {"unclosed tables", [] { return Repeat("<table><tr><td>", kDeep) + "deep"; }, "deep"},
      {"nested lists",
       [] { return Repeat("<ul><li>", kDeep) + "deep" + Repeat("</li></ul>", kDeep); }, "deep"},
      {"unclosed numbered lists", [] { return Repeat("<ol><li>", kDeep) + "deep"; }, "deep"},
      {"nested blocks", [] { return Repeat("<blockquote>", kDeep) + "deep"; }, "deep"},
      {"nested inline tags", [] { return Repeat("<b><i><span><font>", kDeep) + "deep"; }, "deep"},
      {"a flood of < (10 MB)", [] { return std::string(10 * kMegabyte, '<') + "<p>after</p>"; },
       "after"},
      {"NUL bytes", [] { return std::string(kMegabyte, '\0') + "<p>after</p>"; }, "after"},
      {"random binary", [] { return RandomBytes(kMegabyte); }, ""},
      {"odd-length UTF-16", [] { return Utf16("<p>odd length</p>\n") + "x"; }, "odd length"},
      {"UTF-16 without line feeds",
       [] { return Utf16(Repeat("<p>word one two</p>", Sized(50000))); }, "word one two"},
      {"lines of a megabyte",
       [] { return Repeat("<p>" + Repeat("word ", Sized(200000)) + "end</p>\n", 3); }, "word end"},
      {"table of 10,000 columns",
       [] { return "<table><tr>" + Repeat("<td>c</td>", 10000) + "</tr></table>"; }, "c"},
      {"spans of 2,000,000,000",
       [] {
         return "<table><tr><td colspan=2000000000 rowspan=2000000000>big</td><td>x</td></tr>"
                "<tr><td>y</td></tr><tr><td colspan=-5 rowspan=99999999999>z</td></tr></table>";
       },
       "big"},
      {"entities with huge numbers",
       [] {
         return "<p>a &#99999999999999999999; b &#x7FFFFFFFFFFFFFFF; c &#4294967296; d &#-1; "
                "e &#x110000; f &#0; g &#xD800; h &" +
                std::string(100000, 'a') + "; end</p>";
       },
       "end"},
      {"headings and links never closed",
       [] { return Repeat("<h1>heading <a href=\"http://example.com/\">link ", 2000) + "end"; },
       "end"},
      // A minified page of one 200 MB line, as many sites serve them. Most of its memory
      // (about 7 times its size) is the working copies of the text that the pattern lists
      // pass along and the cells of its many tables.
      {"single-line page of 200 MB",
       [] {
         const std::string unit =
             "<div class=\"c\"><h2>Title</h2><p>Some <b>text</b> with a "
             "<a href=\"https://example.com/p\">link</a> &amp; an entity.</p><ul><li>one</li>"
             "<li>two</li></ul><table><tr><td>a</td><td>b</td></tr></table></div>";
         return "<html><body>" + Repeat(unit, 200 * kMegabyte / unit.size()) + "</body></html>";
       },
       "an entity.", 10},
      {"unterminated comment at the start of 50 MB",
       [] {
         const std::string unit = "text <p>para</p> ";
         return "<!-- never closed " + Repeat(unit, 50 * kMegabyte / unit.size());
       },
       "", 10},
  };
  return cases;
}

void ExpectMemoryWithin(const HostileCase& c, const std::string& input, const ProgramResult& run) {
  if (!kMeasuresMemory || c.memoryMultiple == 0) return;
  EXPECT_LT(static_cast<double>(run.peakKilobytes) * 1000.0,
            c.memoryMultiple * static_cast<double>(input.size()))
      << run.peakKilobytes << " KB for " << input.size() << " bytes";
}

class HostileInputTest : public ::testing::TestWithParam<size_t> {
 protected:
  // Converts `input` (page.htm) with the policy `policy` (page.pol); returns the run.
  ProgramResult Convert(const std::string& input, const std::string& policy) {
    work_.Write("page.htm", input);
    work_.Write("page.pol", policy);
    return testing::RunProgram(QUORLEX_RUN, {"page.htm", "page.pol", "/O=out/"}, work_.Path());
  }

  TempFolder work_;
};

TEST_P(HostileInputTest, ConvertsInBoundedTimeAndKeepsTheText) {
  const HostileCase& c = Cases()[GetParam()];
  SCOPED_TRACE(c.name);
  const std::string input = c.make();

  const ProgramResult text = Convert(input, "Remove all tags : Yes\n");
  ASSERT_EQ(0, text.status) << text.err;
  ExpectMemoryWithin(c, input, text);
  const std::string output = work_.Read("out/page.txt");
  EXPECT_NE(std::string::npos, output.find(c.kept));
  EXPECT_TRUE(testing::IsUtf8WithoutC1(output));
  // The output stays in proportion to the input: deep lists write up to 160 columns of
  // indentation a line, where indentation growing with the depth would write gigabytes.
  EXPECT_LT(output.size(), 40 * input.size() + 65536);

  const ProgramResult markup = Convert(input, "Remove all tags : No\n");
  ASSERT_EQ(0, markup.status) << markup.err;
  ExpectMemoryWithin(c, input, markup);
  EXPECT_FALSE(work_.Read("out/page.htm").empty());
}

// A steering file that names itself, as a steering file (a steering file's own "@" lines are
// not followed) or as an input (refused: its text output would overwrite it): the run ends,
// the page converts and the steering file stays as it was.
TEST(HostileSteeringFile, NamingItselfEnds) {
  const struct {
    const char* name;
    const char* steering;
    int status;
  } kCases[] = {
      {"as a steering file", "@steer.txt\npage.htm\n", 0},
      {"as an input", "page.htm\nsteer.txt\n", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder work;
    work.Write("steer.txt", c.steering);
    work.Write("page.htm", "<p>Converted.</p>\n");
    const ProgramResult run = testing::RunProgram(QUORLEX_RUN, {"@steer.txt"}, work.Path());
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_NE(std::string::npos, work.Read("page.txt").find("Converted."));
    EXPECT_EQ(c.steering, work.Read("steer.txt"));
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, HostileInputTest, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string name = Cases()[info.param].name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace quorlex
