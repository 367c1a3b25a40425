#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/PatternTable.h"
#include "engine/TagHandlers.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// A text-mode pass with the built-in options, whose messages are recorded.
class HandlerTest : public ::testing::Test {
 protected:
  HandlerTest() {
    pass_.options = QuorlOptions::BuiltIn();
    pass_.report = [this](const char* message, int level) {
      messages_.push_back(std::to_string(level) + ": " + message);
    };
  }

  // Runs one list of the pass over `text` (the lists built from the current options).
  std::string Run(CopyPatternEngine PatternLists::*list, const std::string& text) {
    BuildPatternLists(pass_);
    CopyPatternEngine& engine = pass_.lists.*list;
    if (engine.Run(text.data(), static_cast<int>(text.size()), &kListRunOptions) == 0) return text;
    return std::string(engine.Result().View());
  }

  std::string Heading(const std::string& text) {
    BuildPatternLists(pass_);
    pass_.headingStart = -1;
    PatternEngine& engine = pass_.lists.heading;
    if (engine.Search(text.data(), static_cast<int>(text.size()), &kListRunOptions) == 0) {
      return text;
    }
    return std::string(engine.Result().View());
  }

  PassState pass_;
  std::vector<std::string> messages_;
};

// The markers written out readably: P, BR, CBR, TAB and the marker lines.
std::string Readable(std::string text) {
  const Markers& m = GetMarkers();
  const std::pair<std::string, std::string> kNames[] = {
      {std::string(m.startList.View()), "{LIST}"},
      {std::string(m.endList.View()), "{/LIST}"},
      {std::string(m.startPreformatted.View()), "{PRE}"},
      {std::string(m.endPreformatted.View()), "{/PRE}"},
      {std::string(m.startBlock.View()), "{BLOCK}"},
      {std::string(m.endBlock.View()), "{/BLOCK}"},
      {std::string(m.listItem.View()), "{LI}"},
      {std::string(m.paragraph.View()), "{P}"},
      {std::string(m.lineBreak.View()), "{BR}"},
      {std::string(m.softBreak.View()), "{CBR}"},
  };
  for (const auto& [marker, name] : kNames) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
      text.replace(at, marker.size(), name);
    }
  }
  return text;
}

TEST_F(HandlerTest, MetaTakesTheAuthorAndTheCharacterSet) {
  EXPECT_EQ("ab",
            Run(&PatternLists::meta,
                "a<meta name=\"author\" content=\"Ann Lee\"><META http-equiv=\"Content-Type\" "
                "content=\"text/html; charset=ISO-8859-5 \">b"));
  EXPECT_EQ("Ann Lee", pass_.info.author.View());
  EXPECT_EQ("ISO-8859-5", pass_.foundCharacterSet.View());
  EXPECT_EQ("", Run(&PatternLists::meta, "<meta charset=\"utf-8\">"));
  EXPECT_EQ("utf-8", pass_.foundCharacterSet.View());
}

TEST_F(HandlerTest, StyleSheetLinksGoOnlyWhenStyleSheetsAreRemoved) {
  const std::string links = "<link rel=\"stylesheet\" href=\"s.css\"><link rel=\"icon\" href=i>";
  EXPECT_EQ("<link rel=\"icon\" href=i>", Run(&PatternLists::styleSheetLink, links));
  pass_.options.removeStyleSheet = 0;
  EXPECT_EQ(links, Run(&PatternLists::styleSheetLink, links));
}

// In text mode span and font tags join their text to what stands around it; when the output
// stays HTML they leave a blank, but none in pre-formatted text.
TEST_F(HandlerTest, InLineTagsLeaveNoBlanksInPreformattedText) {
  const std::string html =
      "a<span id=1>b</span>c<pre><span class=k>if</span>(x)  y</pre><font size=2>d</font>"
      "<span id=2>e</span><PRE class=c><span id=3>f</span></PRE>g<span id=4>h";
  pass_.options.convertToText = 1;
  EXPECT_EQ("abc<pre>if(x)  y</pre>de<PRE class=c>f</PRE>gh", Run(&PatternLists::inLine, html));
  pass_.options.convertToText = 0;
  pass_.options.removeSpan = 1;
  pass_.options.removeFont = 1;
  EXPECT_EQ("a b c<pre>if(x)  y</pre> d  e <PRE class=c>f</PRE>g h",
            Run(&PatternLists::inLine, html));
  // A chunk that ends inside pre-formatted text leaves the next one starting there.
  EXPECT_EQ("<pre>a", Run(&PatternLists::inLine, "<pre>a"));
  EXPECT_EQ("bc</pre> d", Run(&PatternLists::inLine, "b<span id=1>c</span></pre><span id=2>d"));
}

TEST_F(HandlerTest, ListsGetMarkersAndLabels) {
  static const struct {
    const char* name;
    const char* html;
    const char* result;
  } kCases[] = {
      {"roman from 3", "<ol type=\"i\" start=\"3\"><li>a<li>b</ol>",
       "{LIST}{LI}iii) a{LI}iv) b{/LIST}"},
      {"letters and a value", "<OL type=A><li>a<li value=\"5\">b<li>c</OL>",
       "{LIST}{LI}A) a{LI}E) b{LI}F) c{/LIST}"},
      {"numbers at the ends of int count on safely",
       "<ol start=\"2147483647\"><li>a<li>b</ol><ol><li value=\"-2147483648\">c<li>d</ol>",
       "{LIST}{LI}1000000000) a{LI}1000000001) b{/LIST}"
       "{LIST}{LI}-1000000000) c{LI}-999999999) d{/LIST}"},
      {"unknown type counts in decimal", "<ol type=\"x\"><li>a</ol>", "{LIST}{LI}1) a{/LIST}"},
      {"bullets by depth", "<ul><li>1<ul><li>2<ul><li>3<ul><li>4</ul></ul></ul></ul>",
       "{LIST}{LI}- 1{LIST}{LI}* 2{LIST}{LI}+ 3{LIST}{LI}- 4{/LIST}{/LIST}{/LIST}{/LIST}"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.Reset();
    EXPECT_EQ(c.result, Readable(Run(&PatternLists::listTag, c.html)));
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(HandlerTest, ListsReportTooManyEndsAndTooDeepNesting) {
  EXPECT_EQ("{/LIST}", Readable(Run(&PatternLists::listTag, "</ul>")));
  std::string deep;
  for (int i = 0; i < 11; ++i) deep += "<ul>";
  Run(&PatternLists::listTag, deep);
  EXPECT_EQ(10, pass_.listDepth);
  EXPECT_EQ((std::vector<std::string>{"10: PROGRAM ERROR: Too many end list tags",
                                      "10: PROGRAM ERROR: Max list depth reached"}),
            messages_);
}

TEST_F(HandlerTest, ImagesBecomeTheirAltTextOrAMarker) {
  static const struct {
    const char* name;
    int marker, alt, references;
    const char* html;
    const char* result;
  } kCases[] = {
      {"alt text", 1, 1, 1, "<img src=\"a.png\" alt=\"A cat\">", "[A cat]"},
      {"relative source", 1, 0, 1, "<img src=\"pics/a.png\" alt=\"A cat\">", "[Image pics/a.png]"},
      {"absolute source with references", 1, 0, 1, "<img src=\"http://x.org/a.png\">",
       "[Image {1}]"},
      {"absolute source without references", 1, 0, 0, "<img src=\"http://x.org/a.png\">",
       "[Image]"},
      {"nothing to show", 1, 1, 1, "<img width=3>", ""},
      {"both policies off: the ALT text", 0, 0, 1, "<img src=\"a.png\" alt=\"A cat\">", "[A cat]"},
      {"both policies off: a decorative image goes", 0, 0, 1, "<img src=\"a.png\" alt=\" \">", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.Reset();
    pass_.options.imgTextMarker = c.marker;
    pass_.options.imgAltText = c.alt;
    pass_.options.addUrlReferences = c.references;
    EXPECT_EQ(std::string("x") + c.result + "y",
              Run(&PatternLists::image, std::string("x") + c.html + "y"));
  }
}

TEST_F(HandlerTest, LinksBecomeTheirTextWithAReference) {
  static const struct {
    const char* name;
    int references, display, omitLocal, omitEmail;
    const char* base;
    const char* html;
    const char* result;
    int urls;
  } kCases[] = {
      {"reference number", 1, 0, 0, 0, "", "<a href=\"http://x.org/p\">The <b>page</b></a>",
       "The page [1]", 1},
      {"text equal to the address", 1, 0, 0, 0, "", "<a href=\"http://www.x.org/\">www.x.org</a>",
       "www.x.org", 0},
      {"secure link", 1, 0, 0, 0, "", "<a href=\"https://x.org/p\">Page</a>", "Page [1]", 1},
      {"secure link equal to the text", 1, 0, 0, 0, "",
       "<a href=\"https://www.x.org/\">www.x.org</a>", "www.x.org", 0},
      {"secure link kept when local links go", 1, 0, 1, 0, "",
       "<a href=\"https://x.org/p\">Page</a>", "Page [1]", 1},
      {"inline URL", 0, 1, 0, 0, "", "<a href=\"http://x.org/p\">Page</a>", "Page [http://x.org/p]",
       0},
      {"inline URL equal to the text", 0, 1, 0, 0, "",
       "<a href=\"http://www.x.org/\">www.x.org</a>", "www.x.org", 0},
      {"local link", 1, 0, 0, 0, "", "<a href=\"other.htm\">Other</a>", "Other", 0},
      {"local link made absolute by the base", 1, 0, 0, 0, "http://x.org/d/",
       "<a href=\"o.htm\">Other</a>", "Other [1]", 1},
      {"omitted local link", 1, 0, 1, 0, "", "<a href=\"other.htm\">Other</a>", "[link removed]",
       0},
      {"omitted mail link leaves no reference", 1, 0, 0, 1, "",
       "<a href=\"mailto:ann@x.org\">Ann</a>", "[link removed]", 0},
      {"mail link", 1, 0, 0, 0, "", "<a href=\"mailto:ann@x.org\">Write</a>", "Write [1]", 1},
      {"anchor without href", 1, 1, 0, 0, "", "<a name=\"top\">Top</a>", "Top", 0},
      {"a link with nothing to show has no reference", 1, 0, 0, 0, "",
       "<a href=\"http://x.org/p\">&nbsp;<img src=\"x.png\"></a>", " ", 0},
      {"line break in the text", 0, 0, 0, 0, "", "<a href=\"#x\">a<br>b</a>", "a{BR}b", 0},
      {"an empty anchor holds nothing", 1, 0, 0, 0, "",
       "<a id=\"s1\"/>Heading<p>Text <a href=\"http://x.org/p\">page</a>",
       "Heading<p>Text page [1]", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.Reset();
    pass_.options.addUrlReferences = c.references;
    pass_.options.displayLinkUrls = c.display;
    pass_.options.omitLocalLinks = c.omitLocal;
    pass_.options.omitEmailLinks = c.omitEmail;
    pass_.info.baseUrl = c.base;
    EXPECT_EQ(c.result, Readable(Run(&PatternLists::link, c.html)));
    EXPECT_EQ(c.urls, pass_.urls.Count());
  }
}

// Text that a handler takes from the document goes in decoded, with '&', '<' and '>' as
// entities, for the second stage to decode once; addresses are listed decoded. When the
// output stays HTML the text goes in as written.
TEST_F(HandlerTest, DocumentTextGoesInForTheSecondStageToDecodeOnce) {
  static const struct {
    const char* name;
    CopyPatternEngine PatternLists::*list;
    int textMode, displayUrls;
    const char* html;
    const char* result;
    const char* url;  // the one listed, or ""
  } kCases[] = {
      {"escaped markup in a link", &PatternLists::link, 1, 0,
       "<a href=\"https://x.org/p\">&lt;string&gt;</a>", "&lt;string&gt; [1]", "https://x.org/p"},
      {"ampersand in a link text and its address", &PatternLists::link, 1, 0,
       "<a href=\"https://x.org/?a=1&amp;b=2\">Fish &amp; <b>chips</b></a>", "Fish &amp; chips [1]",
       "https://x.org/?a=1&b=2"},
      {"letters decoded", &PatternLists::link, 1, 0,
       "<a href=\"https://x.org/caf&#xE9;\">caf&eacute;</a>", "caf\xC3\xA9 [1]",
       "https://x.org/caf\xC3\xA9"},
      {"text equal to the decoded address", &PatternLists::link, 1, 0,
       "<a href=\"https://www.x.org/?a&amp;b\">www.x.org/?a&amp;b</a>", "www.x.org/?a&amp;b", ""},
      {"address shown in the text", &PatternLists::link, 1, 1,
       "<a href=\"https://x.org/?a&amp;b\">Page</a>", "Page [https://x.org/?a&amp;b]", ""},
      {"link text as written in HTML output", &PatternLists::link, 0, 0,
       "<a href=\"https://x.org/?a&amp;b\">caf&eacute; <b>&lt;b&gt;</b></a>",
       "caf&eacute; &lt;b&gt;", ""},
      {"ALT text", &PatternLists::image, 1, 0,
       "<img src=\"a.png\" alt=\"A &lt;b&gt; &amp; caf&eacute; 3 < 4\">",
       "[A &lt;b&gt; &amp; caf\xC3\xA9 3 &lt; 4]", ""},
      {"relative source", &PatternLists::image, 1, 0, "<img src=\"a.png?w=1&amp;h=2\">",
       "[Image a.png?w=1&amp;h=2]", ""},
      {"absolute source listed decoded", &PatternLists::image, 1, 0,
       "<img src=\"https://x.org/i.png?w=1&amp;h=2\">", "[Image {1}]",
       "https://x.org/i.png?w=1&h=2"},
      {"ALT text as written in HTML output", &PatternLists::image, 0, 0,
       "<img src=\"a.png\" alt=\"caf&eacute;\">", "[caf&eacute;]", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.Reset();
    pass_.options.convertToText = c.textMode;
    pass_.options.addUrlReferences = c.textMode && !c.displayUrls;
    pass_.options.displayLinkUrls = c.displayUrls;
    pass_.options.imgAltText = 1;
    pass_.options.imgTextMarker = 1;
    EXPECT_EQ(c.result, Run(c.list, c.html));
    const std::string url = pass_.urls.Count() > 0 ? std::string(pass_.urls.At(0).View()) : "";
    EXPECT_EQ(c.url, url);
  }
}

TEST_F(HandlerTest, OmittedMailLinksGiveTheAuthorsAddress) {
  pass_.options.omitEmailLinks = 1;
  EXPECT_EQ("[link removed] [link removed]",
            Run(&PatternLists::link,
                "<a href=\"mailto:ann@x.org\">Ann</a> <a href=\"mailto:bob@x.org\">Bob</a>"));
  EXPECT_EQ("bob@x.org", pass_.info.linkEmail.View());
  EXPECT_EQ("ann@x.org", pass_.info.authorEmail.View());
}

TEST_F(HandlerTest, RulesAndBlocksGetTheirMarkers) {
  static const struct {
    const char* name;
    int adjust;
    const char* html;
    const char* result;
  } kCases[] = {
      {"rule scaled to the page", 1, "<hr width=\"400\">",
       "<hr width=\"400\">{CBR}$_$_LINE 32{CBR}"},
      {"rule scaled to 80 columns", 0, "<hr width=\"400\">",
       "<hr width=\"400\">{CBR}$_$_LINE 40{CBR}"},
      {"rule by share", 1, "<HR width=50%>", "<HR width=50%>{CBR}$_$_LINE 50%{CBR}"},
      {"plain rule", 1, "<hr/>", "<hr/>{CBR}$_$_LINE{CBR}"},
      {"width not a number", 1, "<hr width=wide>", "<hr width=wide>{CBR}$_$_LINE{CBR}"},
      {"pre", 1, "<pre>x</pre>", "<pre>\n{PRE}\nx</pre>\n{/PRE}\n"},
      {"pre with attributes", 1, "<pre class=\"code\">x</pre>",
       "<pre class=\"code\">\n{PRE}\nx</pre>\n{/PRE}\n"},
      {"quote", 1, "<blockquote cite=x>q</blockquote>",
       "<blockquote cite=x>\n{BLOCK}\nq</blockquote>\n{/BLOCK}\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.options.adjustTablesToPageWidth = c.adjust;
    EXPECT_EQ(c.result, Readable(Run(&PatternLists::block, c.html)));
  }
}

// A heading is framed on a line of its own and underlined as long as it shows: tags gone,
// entities decoded, markers as blanks, in display columns. The heading itself keeps its
// markup for the second stage, and the first one becomes the title.
TEST_F(HandlerTest, HeadingsAreUnderlinedAsLongAsTheyShow) {
  const std::string greek =
      "\xCE\x95\xCE\xB9\xCF\x83\xCE\xB1\xCE\xB3\xCF\x89\xCE\xB3"
      "\xCE\xAE";  // Εισαγωγή
  const std::string link = "<a href=\"https://example.org/install\">Install</a>";
  const struct {
    const char* name;
    std::string html;
    std::string result;
    std::string title;
  } kCases[] = {
      {"attributes on the opening tag", "<h1 id=x>Intro</h1>text",
       "{BR}{BR}{PRE}Intro{BR}====={/PRE}text", "Intro"},
      {"white space collapsed", "a<h3>\n  Two\n  lines </H3>",
       "a{BR}{BR}{PRE}Two lines{BR}---------{/PRE}", "Two lines"},
      {"a link", "<h2>" + link + "</h2>", "{BR}{BR}{PRE}" + link + "{BR}======={/PRE}", "Install"},
      {"code and an entity", "<h3>Use <code>open()</code> &amp; friends</h3>",
       "{BR}{BR}{PRE}Use <code>open()</code> &amp; friends{BR}--------------------{/PRE}",
       "Use open() & friends"},
      {"tags, entities and a marker",
       "<h1><b>Caf&eacute;</b> &amp;\xFFP\xFF"
       "Bar</h1>",
       "{BR}{BR}{PRE}<b>Caf&eacute;</b> &amp;{P}Bar{BR}=========={/PRE}", "Caf\xC3\xA9 & Bar"},
      {"a soft hyphen shows as nothing", "<h2>Co&shy;operation</h2>",
       "{BR}{BR}{PRE}Co&shy;operation{BR}==========={/PRE}", "Cooperation"},
      {"two-byte letters", "x<h2>\xC3\x89t\xC3\xA9</h2>",
       "x{BR}{BR}{PRE}\xC3\x89t\xC3\xA9{BR}==={/PRE}", "\xC3\x89t\xC3\xA9"},
      {"Greek letters take a column each", "<h1>" + greek + "</h1>",
       "{BR}{BR}{PRE}" + greek + "{BR}========{/PRE}", greek},
      {"a closing tag alone", "closing</h2> alone", "closing alone", DocumentInfo::kUnknown},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.info.title = DocumentInfo::kUnknown;
    EXPECT_EQ(c.result, Readable(Heading(c.html)));
    EXPECT_EQ(c.title, pass_.info.title.View());
  }
}

TEST_F(HandlerTest, TheFirstHeadingStaysTheTitle) {
  pass_.info.title = DocumentInfo::kUnknown;
  (void)Heading("<h1>Intro</h1><h2>Later</h2>");
  (void)Heading("<h1>Another</h1>");
  EXPECT_EQ("Intro", pass_.info.title.View());
}

// A heading wider than the page is wrapped as the line writer wraps a paragraph, and its
// underline is as long as its longest line; where the line writer writes every line whole,
// so is the heading. One of 120 columns or more is a plain line without an underline.
TEST_F(HandlerTest, HeadingsWiderThanThePageAreWrapped) {
  // 74 columns: lines of 56 and 17 at width 65.
  const std::string wide =
      "Getting started with the command line tools on a freshly installed machine";
  const std::string wideLines =
      "Getting started with the command line tools on a freshly{BR}"
      "installed machine{BR}";
  const std::string wideLink =
      "Getting started with the <a href=\"/cli\">command line</a> tools on a freshly installed "
      "machine";
  const std::string escaped =
      "Questions &amp; answers about the &lt;template&gt; element and where browsers differ";
  const std::string narrow = "Installing the toolkit from source on older machines";
  std::string ideographs36;
  for (int i = 0; i < 36; ++i) ideographs36 += "\xE4\xB8\xAD";
  const std::string ideographs23 = ideographs36.substr(0, 23 * 3);
  const std::string ideographs59 = ideographs36 + ideographs23;  // 118 columns
  const std::string ideographs60 = ideographs59 + "\xE4\xB8\xAD";
  const std::string x119(119, 'x');
  const std::string x120(120, 'x');
  const struct {
    const char* name;
    int QuorlOptions::*setting;
    int value;
    std::string html;
    std::string result;
  } kCases[] = {
      {"wrapped at the page width", &QuorlOptions::pageWidth, 65, "<h1>" + wide + "</h1>",
       "{BR}{BR}{PRE}" + wideLines + std::string(56, '=') + "{/PRE}"},
      {"wrapped as it shows", &QuorlOptions::pageWidth, 65, "<h1>" + wideLink + "</h1>",
       "{BR}{BR}{PRE}" + wideLines + std::string(56, '=') + "{/PRE}"},
      {"entities decoded once, by the second stage", &QuorlOptions::pageWidth, 65,
       "<h3>" + escaped + "</h3>",
       "{BR}{BR}{PRE}Questions &amp; answers about the &lt;template&gt; element and where{BR}"
       "browsers differ{BR}" +
           std::string(58, '-') + "{/PRE}"},
      {"a page never narrower than 30", &QuorlOptions::pageWidth, 20, "<h2>" + narrow + "</h2>",
       "{BR}{BR}{PRE}Installing the toolkit from{BR}source on older machines{BR}" +
           std::string(27, '=') + "{/PRE}"},
      {"ideographs wrap between characters", &QuorlOptions::pageWidth, 72,
       "<h3>" + ideographs59 + "</h3>",
       "{BR}{BR}{PRE}" + ideographs36 + "{BR}" + ideographs23 + "{BR}" + std::string(72, '-') +
           "{/PRE}"},
      {"one word of 119 columns", &QuorlOptions::pageWidth, 65, "<h4>" + x119 + "</h4>",
       "{BR}{BR}{PRE}" + x119 + "{BR}" + std::string(119, '-') + "{/PRE}"},
      {"120 columns: a plain line", &QuorlOptions::pageWidth, 65, "<h4>" + x120 + "</h4>",
       "{BR}" + x120 + "{BR}"},
      {"120 columns of ideographs", &QuorlOptions::pageWidth, 65, "<h3>" + ideographs60 + "</h3>",
       "{BR}" + ideographs60 + "{BR}"},
      {"page width not imposed", &QuorlOptions::imposePageWidth, 0, "<h1>" + wide + "</h1>",
       "{BR}{BR}{PRE}" + wide + "{BR}" + std::string(74, '=') + "{/PRE}"},
      {"each paragraph on one line", &QuorlOptions::singleLineParagraphs, 1,
       "<h1>" + wide + "</h1>", "{BR}{BR}{PRE}" + wide + "{BR}" + std::string(74, '=') + "{/PRE}"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    pass_.options = QuorlOptions::BuiltIn();
    pass_.options.*c.setting = c.value;
    EXPECT_EQ(c.result, Readable(Heading(c.html)));
  }
}

}  // namespace
}  // namespace quorlex
