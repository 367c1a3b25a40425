#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/PatternTable.h"
#include "engine/Phases.h"
#include "policies/PolicyCatalogue.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// A pass over the catalogue's default policies (text mode), recording its status lines.
class PhasesTest : public ::testing::Test {
 protected:
  PhasesTest() {
    pass_.options = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
    pass_.status = [this](const char* line) { status_.emplace_back(line); };
    pass_.report = [this](const char* line, int level) {
      messages_.push_back(std::to_string(level) + ": " + line);
    };
  }

  // Both stages over one chunk. The line ends that a break of the markup made are marked
  // with `breakEnd` ("|", say), or left unmarked.
  std::string Convert(const std::string& html, const char* breakEnd = "") {
    BuildPatternLists(pass_);
    TextString text(html.c_str());
    RunFirstStage(1, pass_, text);
    RunSecondStage(pass_, text);
    text.ReplaceAll(GetMarkers().endsAtBreak.Data(), breakEnd, 0, LetterCase::kMatters);
    return std::string(text.View());
  }

  PassState pass_;
  std::vector<std::string> status_;
  std::vector<std::string> messages_;
};

TEST_F(PhasesTest, TurnsAPageIntoMarkerStructuredText) {
  const std::string page =
      "<html><head>\n"
      "<meta name=\"Author\" content=\"Ann Lee\">\n"
      "<title>The  &amp; Page</title>\n"
      "<base href=\"http://x.org/docs/\">\n"
      "<style>p { color: red }</style>\n"
      "</head><body>\n"
      "<h1>Welcome</h1>\n"
      "<p>First line\n"
      "goes on here.<br>Next <b>bold</b> and <em>it</em>.</p>\n"
      "<ul><li>one<li>two <a href=\"more.htm\">more</a></ul>\n"
      "<pre>keep   this\n  as is</pre>\n"
      "<hr><img src=\"pic.png\" alt=\"A cat\">\n"
      "<!-- gone --><script>x()</script>\n"
      "</body></html>\n";
  // A run of breaks and soft breaks makes as many line feeds as it holds breaks. The line
  // ends that breaks made are marked.
  EXPECT_EQ(
      "|\n|\n$_$_START_PRE|\nWelcome|\n=======|\n$_$_END_PRE|\n|\n\nFirst line goes on here.|\n"
      "Next *bold* and _it_.|\n$_$_START_LIST|\n[[LI]]- one|\n[[LI]]- two more [1]|\n"
      "$_$_END_LIST|\n$_$_START_PRE|\n\nkeep   this\n  as is|\n$_$_END_PRE|\n$_$_LINE|\n[A cat] ",
      Convert(page, "|"));
  EXPECT_EQ("The  & Page", pass_.info.title.View());
  EXPECT_EQ("Ann Lee", pass_.info.author.View());
  EXPECT_EQ("http://x.org/docs/", pass_.info.baseUrl.View());
  ASSERT_EQ(1, pass_.urls.Count());
  EXPECT_EQ("http://x.org/docs/more.htm", pass_.urls.At(0).View());
  EXPECT_EQ((std::vector<std::string>{
                "INFO: Processing <META> tags", "INFO: Removing <HEAD>..</HEAD> tags",
                "INFO: Removing comments", "INFO: Removing style sheet",
                "INFO: Processing list tags", "INFO: Removing image tags",
                "INFO: Removing hyperlink tags", "INFO: Applying highlighting mods",
                "INFO: Removing all remaining tags", "INFO: Reinserting line/paragraph markers"}),
            status_);
}

TEST_F(PhasesTest, RunsOnlyTheAskedPhasesInMarkupMode) {
  pass_.options.convertToText = 0;
  pass_.options.removeComments = 1;
  const std::string page =
      "<html><head><title>T</title></head><body><!-- c --><p>a &amp; b<br>"
      "<b>c</b></p></body></html>";
  EXPECT_EQ("<html><head><title>T</title></head><body><p>a &amp; b<br><b>c</b></p></body></html>",
            Convert(page));
  EXPECT_EQ(
      (std::vector<std::string>{"INFO: Removing comments", "INFO: Removing all remaining tags"}),
      status_);
  EXPECT_EQ("T", pass_.info.title.View());
}

// Removing forms from a page that stays HTML keeps what the controls show.
TEST_F(PhasesTest, RemovingFormsKeepsWhatTheControlsShow) {
  pass_.options.convertToText = 0;
  pass_.options.removeForm = 1;
  static const struct {
    const char* name;
    const char* html;
    const char* result;
  } kCases[] = {
      {"the form and its fieldset go, the legend's text stays",
       "<form action=/s><fieldset><legend>Contact</legend><p>Hi</p></fieldset></form>",
       "Contact<p>Hi</p>"},
      {"a label keeps its text", "<label for=e>E-mail</label><input type=email name=e>", "E-mail "},
      {"the selected option", "<select><option>A<option selected=selected>B</select>", " B "},
      {"a text area and a button",
       "<textarea>Dear Sir</textarea><button>Send</button><input type=reset value=Undo>",
       "Dear Sir Send  Undo "},
      {"other inputs go", "<p>x<input type=hidden value=secret>y</p>", "<p>xy</p>"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, Convert(c.html));
  }
}

TEST_F(PhasesTest, RemovesFontAndSpanTagsWithOrWithoutAttributes) {
  pass_.options.convertToText = 0;
  pass_.options.removeFont = pass_.options.removeSpan = 1;
  EXPECT_EQ("<p> a  b  c </p>",
            Convert("<p><font>a</font><FONT size=2>b</font><span>c</span></p>"));
}

TEST_F(PhasesTest, FirstChunkOnlyPhasesSeeOnlyTheFirstChunk) {
  BuildPatternLists(pass_);
  std::string first = "<head><title>First</title><meta name=author content=\"A\"></head>";
  first += std::string(200000, 'a');
  TextString one(first.c_str());
  RunFirstStage(1, pass_, one);
  EXPECT_EQ(std::string(200000, 'a'), one.View());
  TextString three(
      ("<head><title>Third</title></head>x<!-- late -->y" + std::string(250000, 'b')).c_str());
  RunFirstStage(3, pass_, three);
  EXPECT_EQ("First", pass_.info.title.View());
  EXPECT_EQ("<head><title>Third</title></head>xy" + std::string(250000, 'b'), three.View());
}

// The head goes whole, whatever it holds, and nothing but the head: "<header>" is no head.
// A title outside any head goes too, and still names the document.
TEST_F(PhasesTest, RemovesTheHeadWholeAndTitlesOutsideIt) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
    const char* title;
  } kCases[] = {
      {"a header before the head",
       "<header>Top</header><head><title>T</title><style>p{}</style>gone</head><p>Body",
       "\nTop\n\n\nBody", "T"},
      {"a header after the head", "<head><title>T</title></head><header>Site</header><p>Body",
       "\nSite\n\n\nBody", "T"},
      {"a head with attributes", "<HEAD profile=\"x\">\n<title>T</title>gone</HEAD><p>Body",
       "\n\nBody", "T"},
      {"an office mail's head",
       "<head><title>T</title><!--[if gte mso 9]><xml><o:OfficeDocumentSettings><o:AllowPNG/>"
       "</o:OfficeDocumentSettings></xml><![endif]--><style>p{}</style></head><p>Body",
       "\n\nBody", "T"},
      {"a head never closed", "<html><head><title>T</title><meta charset=\"utf-8\"><p>Body",
       "\n\nBody", "T"},
      {"a title outside any head", "<title>Lone</title>\n<p>Body", "\n\nBody", "Lone"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.Reset();
    EXPECT_EQ(c.text, Convert(c.html));
    EXPECT_EQ(c.title, pass_.info.title.View());
  }
}

// What 8-bit output does with the document's bytes; UTF-8 output has them decoded first.
TEST_F(PhasesTest, LeavesUtf8TextAloneAndFoldsWindowsPunctuation) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
  } kCases[] = {
      {"UTF-8 without a declaration", "<p>\xC3\xA0 \xE2\x80\x94 \xC3\x85 &eacute;",
       "\xC3\xA0 \xE2\x80\x94 \xC3\x85 \xC3\xA9"},
      {"UTF-8 declared", "<meta charset=\"utf-8\"><p>\xC3\x85\x85", "\xC3\x85..."},
      {"Windows-1252 quotes", "<p>\x93Hi\x94 \x85 \x96", "\"Hi\" ... -"},
      {"declared Windows-1252 folds even UTF-8 look-alikes",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"><p>\xC3\x85",
       "\xC3..."},
      {"koi8-r keeps its letters",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=KOI8-R\"><p>\x85\x93",
       "\x85\x93"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PhasesTest::SetUp();
    pass_.Reset();
    pass_.options = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
    pass_.options.utf8Output = 0;
    EXPECT_EQ(std::string("\n\n") + c.text, Convert(c.html));
  }
}

TEST_F(PhasesTest, JoinsSourceLinesAndMeasuresThem) {
  const std::string longLine(60, 'w');
  EXPECT_EQ("\n\none two " + longLine + " three",
            Convert("<p>one\ntwo\n" + longLine + "\n   three  \n"));
  EXPECT_EQ(60 / 2 + 1, pass_.averageLineLength);
  // Lines are measured in display columns: 60 Cyrillic letters are 60 columns in 120 bytes.
  std::string cyrillic;
  for (int i = 0; i < 60; ++i) cyrillic += "\xD0\xB6";
  EXPECT_EQ("\n\nx " + cyrillic, Convert("<p>x\n" + cyrillic + "\n"));
  EXPECT_EQ(60 / 2 + 1, pass_.averageLineLength);
  // Indentation left of removed tags joins with a single blank.
  EXPECT_EQ("\n\nA B C", Convert("<p>A\n  <span>\n  B\n\t<u>  \n  </u>\nC\n"));
}

TEST_F(PhasesTest, BreaksLinesAtEveryFormOfBreak) {
  EXPECT_EQ("\n\na\nb\nc\nd", Convert("<p>a<br>b<BR />c<br/>d"));
}

TEST_F(PhasesTest, FindsTheByLineAndTheAuthorsAddress) {
  pass_.options.byLineAsAuthor = 1;
  Convert("<p>A story</p><p>By Ann Lee</p><p>Write to ann@x.org or bob@y.org now</p>");
  EXPECT_EQ("Ann Lee", pass_.info.byLine.View());
  EXPECT_EQ("bob@y.org", pass_.info.authorEmail.View());
}

TEST_F(PhasesTest, HighlightsOnlyWhenAsked) {
  EXPECT_EQ("\n\nA *bold* and _it_ word", Convert("<p>A <strong>bold</strong> and <i>it</i> word"));
  status_.clear();
  pass_.options.highlightBoldAndItalic = 0;
  EXPECT_EQ("\n\nA bold and it word", Convert("<p>A <strong>bold</strong> and <i>it</i> word"));
}

TEST_F(PhasesTest, ReformatsDialogueAndSentences) {
  pass_.options.lookForDialogue = 1;
  pass_.options.breakDialogueLines = 1;
  pass_.options.gapBetweenSentences = 1;
  EXPECT_EQ("\n\nShe left.\n\"Wait,\" he said.  \"Now.\"",
            Convert("<p>She left. \"Wait,\" he said. \"Now.\""));
}

}  // namespace
}  // namespace quorlex
