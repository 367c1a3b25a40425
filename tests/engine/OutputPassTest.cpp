#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/OutputPass.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::CapturedStream;
using testing::TempFolder;

// A pass with default policies whose messages a test can read.
class OutputPassTest : public ::testing::Test {
 protected:
  OutputPassTest() : policies_(MakeDetaggingPolicies()), context_(policies_), pass_(context_) {
    context_.SetStreams(out_.Stream(), err_.Stream());
    pass_.SetDate(FragmentDate{2026, 12, 7});
  }

  void SetYesNo(int id, int on) { policies_.Find(id)->number = on; }

  // Converts `html` from a file called input.htm into `outputName`; returns whether the
  // pass converted it.
  int Convert(const std::string& html, const std::string& outputName = "output.txt") {
    input_ = work_.Write("input.htm", html);
    output_ = work_ / outputName;
    return pass_.RunOutputPass(input_.c_str(), output_.c_str(), nullptr, nullptr).converted;
  }

  PolicySet policies_;
  ConversionContext context_;
  OutputPass pass_;
  CapturedStream out_;
  CapturedStream err_;
  TempFolder work_;
  std::string input_;
  std::string output_;
};

TEST_F(OutputPassTest, WritesOverItsInputOnlyWhenAllowed) {
  const std::string html = "<p>Keep me</p>\n";
  const std::string input = work_.Write("page.htm", html);
  const std::string link = work_ / "link.htm";
  std::filesystem::create_symlink(input, link);
  const std::string hardLink = work_ / "hard.htm";
  std::filesystem::create_hard_link(input, hardLink);
  std::filesystem::create_directory(work_ / "sub");
  const struct {
    const char* label;
    std::string output;
  } kCases[] = {
      {"same name", input},
      {"a link to the input", link},
      {"a hard link to the input", hardLink},
      {"the input by another path", work_ / "sub/../page.htm"},
      {"the name in other case", work_ / "PAGE.HTM"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(0, pass_.RunOutputPass(input.c_str(), c.output.c_str(), nullptr, nullptr).converted);
    EXPECT_EQ(html, TempFolder::ReadFile(input));
  }
  EXPECT_NE(std::string::npos,
            err_.Text().find("ERROR: Output file is overwriting input file - " + input +
                             "\nERROR: Choose a different output directory\n"));
  // Allowed, the input is read whole before its converted text takes its place.
  pass_.SetMayOverwrite(true);
  EXPECT_EQ(1, pass_.RunOutputPass(input.c_str(), input.c_str(), nullptr, nullptr).converted);
  EXPECT_NE(std::string::npos, TempFolder::ReadFile(input).find("\nKeep me\n"));
}

// A full disk, simulated by a file-size limit in a child process: the conversion fails with
// a message and leaves the earlier output as it was, and no temporary file behind.
TEST_F(OutputPassTest, FullDiskFailsAndKeepsTheEarlierOutput) {
  const std::string earlier = work_.Write("output.txt", "earlier output\n");
  const std::string input = work_.Write("input.htm", "<p>" + std::string(1000000, 'x') + "</p>\n");
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    const testing::FileSizeLimit limit(65536);
    if (!limit.Active()) _exit(3);
    const int result =
        pass_.RunOutputPass(input.c_str(), earlier.c_str(), nullptr, nullptr).converted;
    const bool reported = err_.Text().find("ERROR: ") != std::string::npos;
    _exit(result == 1 ? 1 : reported ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "1: reported success, 2: failed silently";
  EXPECT_EQ("earlier output\n", TempFolder::ReadFile(earlier));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(work_.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"input.htm", "output.txt"}), names);
}

TEST_F(OutputPassTest, OutputIntoAMissingFolderFailsWithAMessage) {
  EXPECT_EQ(0, Convert("<p>Text</p>\n", "missing/output.txt"));
  EXPECT_NE(std::string::npos, err_.Text().find("ERROR: Error opening " + output_));
  EXPECT_FALSE(std::filesystem::exists(work_ / "missing"));
}

TEST_F(OutputPassTest, UnwritableOutputFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  const std::string old = work_.Write("out/output.txt", "earlier output\n");
  std::filesystem::permissions(
      work_ / "out", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_EQ(0, Convert("<p>Text</p>\n", "out/output.txt"));
  EXPECT_NE(std::string::npos, err_.Text().find("ERROR: Error opening " + old));
  EXPECT_EQ("earlier output\n", TempFolder::ReadFile(old));
}

TEST_F(OutputPassTest, MissingInputFailsWithAMessage) {
  const std::string output = work_ / "output.txt";
  EXPECT_EQ(0, pass_.RunOutputPass((work_ / "absent.htm").c_str(), output.c_str(), nullptr, nullptr)
                   .converted);
  EXPECT_NE(std::string::npos, err_.Text().find("ERROR: Error opening " + work_ / "absent.htm"));
  EXPECT_FALSE(std::filesystem::exists(output));
}

// The result names the file written (none when the output went to the caller's text or the
// pass failed) and the folders of both paths, and says whether the text went beyond ASCII.
TEST_F(OutputPassTest, ResultReportsTheFileWrittenAndTheFolders) {
  static const struct {
    const char* name;
    const char* input;
    const char* output;
    bool toText;
    int converted;
    bool unicodeText;
  } kCases[] = {
      {"ASCII text to a file", "in/page.htm", "out/page.txt", false, 1, false},
      {"text beyond ASCII to a file", "in/cafe.htm", "out/cafe.txt", false, 1, true},
      {"to the caller's text", "in/page.htm", "out/page.txt", true, 1, false},
      {"missing input", "in/absent.htm", "out/absent.txt", false, 0, false},
  };
  work_.Write("in/page.htm", "<p>cafe</p>\n");
  work_.Write("in/cafe.htm", "<p>caf&eacute;</p>\n");
  std::filesystem::create_directory(work_ / "out");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string output = work_ / c.output;
    std::string text;
    const PassResult result = pass_.RunOutputPass((work_ / c.input).c_str(), output.c_str(),
                                                  nullptr, c.toText ? &text : nullptr);
    EXPECT_EQ(c.converted, result.converted);
    EXPECT_EQ(c.converted && !c.toText ? output : "", result.outputFile.View());
    EXPECT_EQ(work_ / "in/", result.inputFolder.View());
    EXPECT_EQ(work_ / "out/", result.outputFolder.View());
    EXPECT_EQ(c.unicodeText, result.unicodeText);
  }
}

TEST_F(OutputPassTest, MemorySourceAndOutputTextTouchNoFile) {
  SetYesNo(kRemoveAllTags, 0);
  SetYesNo(kRemoveComments, 1);
  const std::vector<TextString> source = {"<p>One</p>", "<!-- gone -->two"};
  std::string text = "kept\n";
  const std::string output = work_ / "output.htm";
  ASSERT_EQ(1, pass_.RunOutputPass((work_ / "absent.htm").c_str(), output.c_str(), &source, &text)
                   .converted);
  EXPECT_EQ("kept\n<p>One</p>\ntwo\n", text);
  EXPECT_FALSE(std::filesystem::exists(output));
}

// The body of a conversion of `html` held in memory: what follows the header box.
std::string ConvertedBody(OutputPass& pass, const std::string& html) {
  std::vector<TextString> source;
  for (size_t start = 0; start < html.size();) {
    const size_t end = std::min(html.find('\n', start), html.size());
    source.emplace_back(html.substr(start, end - start).c_str());
    start = end + 1;
  }
  std::string text;
  if (!pass.RunOutputPass("input.htm", "output.txt", &source, &text).converted) return "(failed)";
  const size_t box = text.find("-/\n\n");
  return box == std::string::npos ? text : text.substr(box + 4);
}

// Blocks, lists, definition lists, figures and tables as today's pages nest them. (A short
// line after a longer one ends its paragraph, as the default policies ask.)
TEST_F(OutputPassTest, LaysOutTheStructureOfTodaysPages) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
  } kCases[] = {
      {"a definition list", "<dl><dt>-a, --all</dt><dd>Stage all files.</dd></dl>",
       "-a, --all\n    Stage all files.\n\n"},
      {"definitions whose end tags are left out, and a list inside one",
       "<p>Options:<dl><dt>-q<dd>Quiet.<dd><p>Also:<ul><li>one<li>two</ul><dt>-v<dd>Loud.</dl>"
       "<p>After.",
       "Options:\n\n-q\n    Quiet.\n    Also:\n        - one\n        - two\n-v\n    Loud.\n\n"
       "After.\n\n"},
      {"a definition list inside a list item",
       "<ul><li>Flags<dl><dt>-x</dt><dd>Extract.</dd></dl></li><li>Next</li></ul>",
       "    - Flags\n\n      -x\n          Extract.\n\n    - Next\n\n"},
      {"items of several paragraphs",
       "<ol><li><p>Heat the oven.</p><p>Wait.</p></li><li><p>Bake.</p></li></ol>",
       "    1) Heat the oven.\n\n       Wait.\n    2) Bake.\n\n"},
      {"a paragraph in three levels of div",
       "<div><div><div><p>Deep text.</p></div></div></div><div>Next block.</div>",
       "Deep text.\n\nNext block.\n"},
      {"a heading in the header of an article",
       "<article><header><h2>News <a href=\"#x\">today</a></h2><p>By Ann</p></header>"
       "<p>Body.</p></article>",
       "News today\n==========\n\nBy Ann\n\nBody.\n\n"},
      {"a figure and its caption",
       "<p>Text.</p><figure><img alt=\"\" src=\"a.png\"><figcaption>Figure 1.</figcaption>"
       "</figure><p>More",
       "Text.\n\nFigure 1.\n\nMore\n\n"},
      {"a table inside a section between paragraphs",
       "<p>Before.</p><section><table><tr><td>a</td><td>b</td></tr></table></section><p>After.",
       "Before.\n\n a b\n\nAfter.\n\n"},
      {"a table in a list item stands at the item's text and fits the page",
       "<ul><li>Settings:<table><tr><td>endpoint</td><td>Address of the storage service, with "
       "its scheme, its port and the path of the bucket.</td></tr></table></li></ul>",
       "    - Settings:\n       endpoint Address of the storage service, with its scheme, its    \n"
       "                port and the path of the bucket.                        \n\n"},
      {"a form's fieldset and legend are blocks that keep their text",
       "<form action=\"/s\"><fieldset><legend>Contact</legend>Write to us.</fieldset></form>"
       "<menu><li>Cut<li>Paste</menu>",
       "Contact\n\nWrite to us.\n\n    - Cut\n    - Paste\n\n"},
      {"the tail of a paragraph is not carried into the next block",
       "<p>The market opens every Saturday on the quayside and the stalls are set up at "
       "ten o'clock.</p>Telephone: 01632 960 118",
       "The market opens every Saturday on the quayside and the stalls are set\nup at ten "
       "o'clock.\nTelephone: 01632 960 118\n\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, ConvertedBody(pass_, c.html));
  }
}

// Inline elements join their text as written; a link's marker follows its text, and what
// follows the link follows the marker; images show their ALT text, and links with nothing to
// show have no marker and no reference.
TEST_F(OutputPassTest, KeepsInlineTextAsWritten) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
  } kCases[] = {
      {"spans and code inside words and before punctuation",
       "<p>Call <code><span>open</span>()</code>, then pay &pound;<span>9</span>; "
       "un<span>believ</span>able.",
       "Call open(), then pay \xC2\xA3"
       "9; unbelievable.\n\n"},
      {"links before punctuation and in a row",
       "<p>See the <a href=\"https://x.org/d\">docs</a>. Also (<a href=\"https://x.org/a\">one"
       "</a>, <a href=\"https://x.org/b\">two</a>): done.",
       "See the docs [1]. Also (one [2], two [3]): done.\n\n[1] https://x.org/d\n"
       "[2] https://x.org/a\n[3] https://x.org/b\n"},
      {"a link around code in a list item",
       "<ul><li><a href=\"https://x.org/p\"><code>path</code></a>: the path</li></ul>",
       "    - path [1]: the path\n\n[1] https://x.org/p\n"},
      {"images and image links",
       "<p>Trusted by <img src=\"a.png\" alt=\"Acme\"> and <img src=\"d.png\" alt=\"\">us. "
       "<a href=\"https://x.org/i\"><img src=\"i.svg\"></a><a href=\"https://x.org/c\">"
       "<img src=\"b.svg\" alt=\"build passing\"></a>",
       "Trusted by [Acme] and us. [build passing] [1]\n\n[1] https://x.org/c\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, ConvertedBody(pass_, c.html));
  }
}

// Nothing a reader sees is lost: what the controls of a form show, table captions, raised
// and lowered text, quotations.
TEST_F(OutputPassTest, KeepsTheTextAReaderSees) {
  static const struct {
    const char* name;
    const char* html;
    int tableFormat;  // 1 text, 2 comma, 3 tab
    const char* characterSet;
    const char* text;
  } kCases[] = {
      {"a select shows its selected option",
       "<p>Size: <select name=s><option value=\"1\">Small<option selected value=2>Large "
       "</option></select> only.",
       1, "UTF-8", "Size: Large only.\n\n"},
      {"a select without a selected option shows its first",
       "<p>Size:<select><option value=\"selected\">Small</option><option>Large</option>"
       "</select>only.",
       1, "UTF-8", "Size: Small only.\n\n"},
      {"a select without options shows nothing", "<p>A <select></select>B", 1, "UTF-8", "A B\n\n"},
      {"a fieldset holding paragraphs and a table",
       "<fieldset><legend>Plan</legend><p>Pick one.</p><table><tr><td>Basic</td><td>Pro</td>"
       "</tr></table></fieldset>",
       1, "UTF-8", "Plan\n\nPick one.\n\n Basic Pro\n"},
      {"a label around an input keeps its text",
       "<p><label for=n>Name</label><input type=text name=n> <label><input type=checkbox> "
       "I agree</label>",
       1, "UTF-8", "Name I agree\n\n"},
      {"button captions",
       "<p><input type=submit value=\"Send &amp; save\"><input type=reset>"
       "<input type=submit><input type=button value=Help><button type=submit>Go</button>",
       1, "UTF-8", "Send & save Reset Submit Help Go\n\n"},
      {"a text area keeps its text",
       "<p>Notes:</p><textarea name=t rows=3>Hello there</textarea><p>End", 1, "UTF-8",
       "Notes:\n\nHello there\n\nEnd\n\n"},
      {"a caption stands above the table",
       "<table><caption>Sales <span>2026</span></caption><tr><td>a</td><td>b</td></tr></table>", 1,
       "UTF-8", "Sales 2026\n a b\n"},
      {"a long caption is wrapped to the page",
       "<table><caption>The sales of every branch of the company, quarter by quarter, over "
       "the whole of the year</caption><tr><td>a</td></tr></table>",
       1, "UTF-8",
       "The sales of every branch of the company, quarter by quarter, over the\nwhole of the "
       "year\n a\n"},
      {"a caption above a comma-delimited table",
       "<table><caption>Sales</caption><tr><td>a</td><td>b</td></tr></table>", 2, "UTF-8",
       "Sales\n$_$_BEGIN_COMMA_DELIMITED_TABLE\n\"a\",\"b\"\n$_$_END_TABLE\n"},
      {"a caption above a tab-delimited table",
       "<table><caption>Sales</caption><tr><td>a</td><td>b</td></tr></table>", 3, "UTF-8",
       "Sales\n$_$_BEGIN_DELIMITED_TABLE\n\"a\"\t\"b\"\n$_$_END_TABLE\n"},
      {"one raised or lowered word", "<p>E = mc<sup>2</sup> and H<sub>2</sub>O.", 1, "UTF-8",
       "E = mc^2 and H_2O.\n\n"},
      {"several raised or lowered words", "<p>x<sup> n + 1 </sup> and T<sub>max value</sub>.", 1,
       "UTF-8", "x^(n + 1) and T_(max value).\n\n"},
      {"marks already in brackets",
       "<p>Fact<sup>[3]</sup> and more<sup>(a)</sup> and<sup><a href=\"#n4\">[4]</a></sup>.", 1,
       "UTF-8", "Fact[3] and more(a) and[4].\n\n"},
      {"a footnote number that is a link", "<p>Claim<sup><a href=\"#n1\">1</a></sup>.", 1, "UTF-8",
       "Claim^1.\n\n"},
      {"a quotation in UTF-8 output", "<p>She said <q cite=x>yes</q>.", 1, "UTF-8",
       "She said \u201cyes\u201d.\n\n"},
      {"a quotation in 8-bit output", "<p>She said <q>yes</q>.", 1, "8-bit",
       "She said \"yes\".\n\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SetYesNo(kTableFormat, c.tableFormat);
    policies_.Find(kOutputCharacterSet)->text = c.characterSet;
    EXPECT_EQ(c.text, ConvertedBody(pass_, c.html));
  }
}

// Where the input is cut into chunks must not lose, double or reorder text: a page whose
// tags each sit on one line converts to the same text with chunks of any length.
TEST_F(OutputPassTest, ChunkBoundariesDoNotChangeTheText) {
  const std::string html =
      "<html><head><title>Chunks</title></head><body>\n<h1>Heading one</h1>\n"
      "<p>First paragraph,\nwritten over\nthree lines.</p>\n<ul>\n<li>one</li>\n<li>two</li>\n"
      "</ul>\n<pre>\n  kept   as\n  it is\n</pre>\n<table>\n<tr><td>a</td><td>b</td></tr>\n"
      "<tr><td>c</td><td>d</td></tr>\n</table>\n<p>Last &amp; final.</p>\n</body></html>\n";
  ASSERT_EQ(1, Convert(html));
  const std::string whole = TempFolder::ReadFile(output_);
  for (const int length : {1, 16, 40, 100}) {
    SCOPED_TRACE(length);
    pass_.SetChunkLength(length);
    ASSERT_EQ(1, Convert(html));
    EXPECT_EQ(whole, TempFolder::ReadFile(output_));
  }
}

// An element that the first stage removes whole and that is open where the chunk passes
// 200,000 characters goes whole: the chunk goes on to its end.
TEST_F(OutputPassTest, ChunksNeverEndInsideAnElementRemovedWhole) {
  static const struct {
    const char* name;
    size_t before;  // characters of paragraphs before the element
    const char* start;
    const char* inside;
    const char* end;
  } kCases[] = {
      {"a head", 0, "<html><head>\n", "<meta name=\"k\" content=\"a, b\">\n", "stray</head>\n"},
      {"a comment", 190000, "<!-- a long comment\n", "inside\n", "stray -->\n"},
      {"a script", 190000, "<script>\n", "var inside = 1;\n", "stray = 2;</script>\n"},
      {"a hidden element", 190000, "<div hidden>\n", "<div>inside</div>\n", "stray</div>\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string html;
    while (html.size() < c.before) html += "<p>" + std::string(96, 'x') + "</p>\n";
    html += c.start;
    while (html.size() < 210000) html += c.inside;
    ASSERT_EQ(1, Convert(html + c.end + "<p>After</p>\n"));
    const std::string text = TempFolder::ReadFile(output_);
    EXPECT_EQ(std::string::npos, text.find("stray"));
    EXPECT_EQ(std::string::npos, text.find("inside"));
    EXPECT_NE(std::string::npos, text.find("\nAfter\n"));
  }
}

TEST_F(OutputPassTest, LongInputIsProcessedInChunks) {
  std::string html =
      "<html><head><title>Big Title</title>"
      "<meta name=\"author\" content=\"A. Writer\"></head><body>\n";
  const std::string paragraph = "<p>" + std::string(96, 'x') + "</p>\n";
  while (html.size() < 460000) html += paragraph;
  html += "<p>Before<!-- a late comment --> after</p>\n</body></html>\n";
  ASSERT_EQ(1, Convert(html));

  const std::string status = out_.Text();
  EXPECT_NE(std::string::npos, status.find("INFO: Processing chunk #1\n"));
  EXPECT_NE(std::string::npos, status.find("INFO: Processing chunk #3\n"));
  EXPECT_EQ(std::string::npos, status.find("INFO: Processing chunk #4\n"));
  EXPECT_STREQ("Big Title", pass_.Info().title.Data());
  EXPECT_STREQ("A. Writer", pass_.Info().author.Data());
  const std::string text = TempFolder::ReadFile(output_);
  EXPECT_NE(std::string::npos, text.find("| Title        : Big Title"));
  EXPECT_NE(std::string::npos, text.find("\nBefore after\n"));
  EXPECT_EQ(std::string::npos, text.find("late comment"));
}

TEST_F(OutputPassTest, EmptyInputGivesTheHeaderOrOneEmptyLine) {
  ASSERT_EQ(1, Convert(""));
  const std::string text = TempFolder::ReadFile(output_);
  EXPECT_EQ(0u, text.find("/---"));
  EXPECT_NE(std::string::npos, text.find("| File size    : 742 bytes (approx)"));
  EXPECT_EQ("---/\n\n", text.substr(text.size() - 6));

  SetYesNo(kRemoveAllTags, 0);
  ASSERT_EQ(1, Convert("", "output.htm"));
  EXPECT_EQ("\n", TempFolder::ReadFile(output_));
}

TEST_F(OutputPassTest, UnicodeTextStartsWithAMarkOnlyWhenAllowed) {
  const std::string mark = "\xEF\xBB\xBF";
  static const struct {
    const char* name;
    const char* html;
    bool unicode;
  } kCases[] = {
      {"entity", "<p>Price: 5 &#8364;</p>\n", true},
      {"text", "<p>Price: 5 \xE2\x82\xAC</p>\n", true},
      {"only in the title", "<title>Caf\xC3\xA9</title><p>Price</p>\n", true},
      {"only in an address", "<p><a href=\"https://example.org/caf\xC3\xA9\">Price</a></p>\n",
       true},
      {"ASCII", "<p>Price</p>\n", false},
  };
  for (const auto& c : kCases) {
    for (const int allowed : {0, 1}) {
      SCOPED_TRACE(std::string(c.name) + (allowed ? ", allowed" : ""));
      SetYesNo(kUnicodeMarker, allowed);
      ASSERT_EQ(1, Convert(c.html));
      const std::string text = TempFolder::ReadFile(output_);
      EXPECT_EQ(c.unicode && allowed == 1, text.compare(0, mark.size(), mark) == 0);
    }
  }
  EXPECT_NE(std::string::npos, out_.Text().find("INFO: Generating Unicode text file " + output_));
  EXPECT_NE(std::string::npos,
            err_.Text().find("WARNING: Unicode text detected.  Inserting UTF-8 file marker"));
}

TEST(OutputSizeText, CountsTheHeaderAndTwoBytesPerLineEnd) {
  struct Case {
    int lines;
    int lineLength;
    const char* expected;
  };
  // The header box itself counts 742 bytes.
  const Case cases[] = {
      {0, 0, "742 bytes (approx)"},
      {1, 8, "752 bytes (approx)"},
      {1, 11601, "12,345 bytes (approx)"},
      {1, 257, "1,001 bytes (approx)"},
      {1, 999261, "1,000,005 bytes (approx)"},
      {2, 499627, "1,000,000 bytes (approx)"},
  };
  for (const Case& c : cases) {
    LineBuffer lines;
    for (int i = 0; i < c.lines; ++i) lines.Add(std::string(c.lineLength, 'a'));
    EXPECT_STREQ(c.expected, OutputSizeText(lines).Data()) << c.lines << " x " << c.lineLength;
  }
}

}  // namespace
}  // namespace quorlex
