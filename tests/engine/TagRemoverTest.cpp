#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/TagKnowledge.h"
#include "engine/TagRemover.h"
#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

TEST(TagRemover, DeletesWhatLooksLikeATagInTextMode) {
  static const struct {
    const char* name;
    const char* in;
    const char* out;
  } kCases[] = {
      {"tags", "<p class=x>Some <b>bold</b> text</p>", "Some bold text"},
      {"mail address in brackets", "Ann <ann@example.org> wrote", "Ann <ann@example.org> wrote"},
      {"URL in brackets", "see <http://x.org/> now", "see <http://x.org/> now"},
      {"short address-like text is a tag", "a <b.c> d", "a  d"},
      {"comparison", "if a < b and c > d", "if a < b and c > d"},
      {"less or equal", "a <= b > c", "a <= b > c"},
      {"quote marks", "<<quoted>>", "<<quoted>>"},
      {"line break inside a tag", "x<a\nhref=y>z", "xz"},
      {"carriage return after the name", "x<a\rhref=http://x.org/>z", "xz"},
      {"no closing bracket", "a < b", "a < b"},
      {"entities", "a &amp; b &lt;tag&gt;", "a & b <tag>"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    QuorlOptions options = QuorlOptions::BuiltIn();
    TextString out;
    DocumentEncoding encoding;
    TagRemover().Run(nullptr, options, encoding, c.in, out);
    EXPECT_EQ(c.out, out.View());
  }
}

// Text mode deletes tags with a direct scan; it must agree with the pattern list. The direct
// scan runs in place, with a spare buffer that still holds an earlier round's text.
TEST(TagRemover, DirectScanAgreesWithThePatternList) {
  const char* kPieces[] = {"<",
                           ">",
                           "<<",
                           "<=",
                           " ",
                           "\n",
                           "\t",
                           "a",
                           "<b>",
                           "</p>",
                           "@",
                           ".",
                           "://",
                           "x",
                           "&amp;",
                           ";",
                           "<ann@example.org>",
                           "<http://x.org/>",
                           "\xC2\xAD"};
  unsigned seed = 7;
  const auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  TagRemover direct;
  TagRemover patterns(true);
  TextString spare;
  for (int round = 0; round < 30000; ++round) {
    std::string text;
    const unsigned length = next() % 14;
    for (unsigned i = 0; i < length; ++i) text += kPieces[next() % std::size(kPieces)];
    QuorlOptions a = QuorlOptions::BuiltIn();
    QuorlOptions b = QuorlOptions::BuiltIn();
    TextString fast(text.c_str());
    TextString plain;
    DocumentEncoding encodingA;
    DocumentEncoding encodingB;
    const int fastCount = direct.Run(nullptr, a, encodingA, fast, fast, spare);
    const int plainCount = patterns.Run(nullptr, b, encodingB, text.c_str(), plain);
    ASSERT_EQ(plain.View(), fast.View()) << '"' << text << '"';
    ASSERT_EQ(plainCount, fastCount) << '"' << text << '"';
  }
}

// `in` and `out` may be one string: each step's result then replaces it at once.
TEST(TagRemover, RemovesInPlaceAsIntoAnotherString) {
  const char* kTexts[] = {"plain text", "<i>a</i> &amp; &lt;b&gt;",
                          "<p>soft&shy;ly \xC2\xADnot</p>"};
  for (const bool usePatterns : {false, true}) {
    for (const char* in : kTexts) {
      SCOPED_TRACE(in);
      TagRemover remover(usePatterns);
      DocumentEncoding encoding;
      TextString apart;
      TextString text(in);
      const int count = remover.Run(nullptr, QuorlOptions::BuiltIn(), encoding, in, apart);
      EXPECT_EQ(count, remover.Run(nullptr, QuorlOptions::BuiltIn(), encoding, text, text));
      EXPECT_EQ(apart.View(), text.View());
    }
  }
}

TEST(TagRemover, CountsTagsAndEntities) {
  QuorlOptions options = QuorlOptions::BuiltIn();
  TextString out;
  DocumentEncoding encoding;
  EXPECT_EQ(5, TagRemover().Run(nullptr, options, encoding, "<i>a</i> &amp; &amp; <u>", out));
  EXPECT_EQ("a & & ", out.View());
}

// In UTF-8 output every entity is its own character; text output leaves soft hyphens out
// and is Unicode text as soon as it holds a byte above 127. HTML output keeps the markup
// entities and writes the others in the document's charset, and converts them only on
// request. 8-bit output writes entities in windows-1252, or in UTF-8 for a UTF-8 document.
TEST(TagRemover, WritesEntitiesAsTheOutputAndTheDocumentAsk) {
  enum Mode { kHtml, kText };
  enum Output { k8Bit, kUtf8 };
  static const struct {
    const char* name;
    Mode mode;
    Output output;
    int utf8Document;
    int replaceEntities;
    const char* charset;
    const char* in;
    const char* out;
    int unicode;
  } kCases[] = {
      {"ASCII text", kText, kUtf8, 0, 1, "", "<b>a &amp; b</b>", "a & b", 0},
      {"ASCII text between markers", kText, kUtf8, 0, 1, "",
       "\xFFP\xFF"
       "a",
       "\xFFP\xFF"
       "a",
       0},
      {"raw UTF-8 text", kText, kUtf8, 0, 1, "", "caf\xC3\xA9", "caf\xC3\xA9", 1},
      {"entity", kText, kUtf8, 0, 1, "", "caf&eacute;", "caf\xC3\xA9", 1},
      {"soft hyphens", kText, kUtf8, 0, 1, "", "hy\xC2\xADphen&shy;ation", "hyphenation", 0},
      {"HTML output in windows-1252", kHtml, kUtf8, 0, 1, "windows-1252",
       "<p>caf&eacute; &lt;b&gt; &#x4E2D;&apos;</p>", "<p>caf\xE9 &lt;b&gt; &#x4E2D;&apos;</p>", 0},
      {"HTML output keeps soft hyphens", kHtml, kUtf8, 0, 1, "UTF-8", "hy\xC2\xADphen&shy;",
       "hy\xC2\xADphen\xC2\xAD", 1},
      {"8-bit HTML output without the request", kHtml, k8Bit, 0, 0, "",
       "<p>caf&eacute; &amp; &lt;b&gt;</p>", "<p>caf&eacute; &amp; &lt;b&gt;</p>", 0},
      // The markup characters stay entities: the output is still HTML.
      {"8-bit HTML output on request", kHtml, k8Bit, 0, 1, "", "<p>caf&eacute; &amp; &lt;b&gt;</p>",
       "<p>caf\xE9 &amp; &lt;b&gt;</p>", 0},
      {"8-bit text", kText, k8Bit, 0, 0, "", "caf&eacute;", "caf\xE9", 0},
      {"8-bit text of a UTF-8 document", kText, k8Bit, 1, 0, "", "caf&eacute;", "caf\xC3\xA9", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    QuorlOptions options = QuorlOptions::BuiltIn();
    options.convertToText = c.mode == kText;
    options.removeAllHtmlTags = c.mode == kText;
    options.utf8Output = c.output == kUtf8;
    options.replaceEntities = c.replaceEntities;
    DocumentEncoding encoding;
    encoding.utf8Document = c.utf8Document;
    encoding.charset = c.charset;
    TextString out;
    TagRemover().Run(nullptr, options, encoding, c.in, out);
    EXPECT_EQ(c.out, out.View());
    EXPECT_EQ(c.unicode != 0, encoding.unicodeTextProduced);
  }
}

TEST(TagRemover, DecidesTagByTagInMarkupMode) {
  using Adjust = std::function<void(QuorlOptions&)>;
  static const struct {
    const char* name;
    Adjust adjust;
    const char* in;
    const char* out;
    std::vector<std::string> tally;
  } kCases[] = {
      {"upper case only",
       [](QuorlOptions& o) { o.upperCaseTags = 1; },
       "<p align=center>x</p><br/>",
       "<P ALIGN=center>x</P><BR/>",
       {}},
      {"lower case wins",
       [](QuorlOptions& o) { o.upperCaseTags = o.lowerCaseTags = 1; },
       "<Td CLASS=\"a\">",
       "<td class=\"a\">",
       {}},
      {"deprecated attributes counted",
       [](QuorlOptions& o) {
         o.removeNonStandardAttributes = 1;
         o.keepDeprecatedAttributes = 0;
       },
       "<BODY BGCOLOR=x onload=f()><body bgcolor=y>",
       "<BODY onload=f()><body>",
       {"INFO: Removing deprecated tag/attr BODY/BGCOLOR (2 times)"}},
      {"unknown attributes",
       [](QuorlOptions& o) { o.removeNonStandardAttributes = 1; },
       "<a data-x=1 href=h>",
       "<a href=h>",
       {"INFO: Removing unknown tag/attr A/DATA-X"}},
      {"style sheet attributes go silently",
       [](QuorlOptions& o) { o.removeStyleSheet = 1; },
       "<div class=a ID=b style='c: d' title=t>",
       "<div title=t>",
       {}},
      {"office tags, XML and conditional comments",
       nullptr,
       "<xml><o:p>a</o:p></xml><!--[if gte mso 9]>b<![endif]-->",
       "ab",
       {}},
      {"office attributes",
       [](QuorlOptions& o) { o.lowerCaseTags = 1; },
       "<HTML xmlns:o=\"urn\" lang=en>",
       "<html lang=en>",
       {"INFO: Removing unknown tag/attr HTML/XMLNS:O"}},
      {"mail x-tags", nullptr, "<x-sigsep><x-tab>a</x-tab></x-sigsep>", "a", {}},
      {"all HTML tags, XHTML too",
       [](QuorlOptions& o) { o.removeAllHtmlTags = 1; },
       "<p>a<br/>b</p><my-el>c</my-el>",
       "ab<my-el>c</my-el>",
       {}},
      {"a custom element stays as written",
       [](QuorlOptions& o) { o.upperCaseTags = 1; },
       "<my-el x=1><?xml version=\"1.0\"?>",
       "<my-el x=1><?xml version=\"1.0\"?>",
       {}},
      {"non-standard tags go",
       [](QuorlOptions& o) { o.removeNonStandardTags = 1; },
       "<section>a</section><?xml x?><!DOCTYPE html>",
       "a<!DOCTYPE html>",
       {"INFO: Removing unknown tag SECTION", "INFO: Removing unknown tag /SECTION",
        "INFO: Removing unknown tag ?XML"}},
      {"deprecated tags kept and rebuilt",
       [](QuorlOptions& o) { o.removeNonStandardTags = o.removeNonStandardAttributes = 1; },
       "<FONT color=red>a</FONT>",
       "<FONT>a</FONT>",
       {"WARNING: Deprecated tag FONT", "INFO: Removing unknown tag/attr FONT/COLOR",
        "WARNING: Deprecated tag /FONT"}},
      {"deprecated tags removed",
       [](QuorlOptions& o) {
         o.removeNonStandardTags = 1;
         o.keepDeprecatedTags = 0;
       },
       "<center>a</center>",
       "a",
       {"INFO: Removing deprecated tag CENTER", "INFO: Removing deprecated tag /CENTER"}},
      {"text that is no tag stays",
       [](QuorlOptions& o) { o.removeNonStandardTags = 1; },
       "if a < b and c > d <ann@example.org>",
       "if a < b and c > d <ann@example.org>",
       {}},
      {"attribute values as written",
       [](QuorlOptions& o) { o.upperCaseTags = 1; },
       "<p title = \"a b\" lang='x y'\n  dir=a\"b id=\"open>",
       "<P TITLE=\"a b\" LANG='x y'\n  DIR=ab ID=\"open>",
       {}},
      {"white space after the name",
       [](QuorlOptions& o) { o.removeNonStandardTags = o.upperCaseTags = 1; },
       "<td\talign=\"left\"><p\fclass=a>x</p>",
       "<TD\tALIGN=\"left\"><P\fCLASS=a>x</P>",
       {}},
      {"listed name before a carriage return",
       [](QuorlOptions& o) { o.removeAllHtmlTags = 1; },
       "<br\rclear=all>a",
       "a",
       {}},
      {"closing slash of an XHTML element",
       [](QuorlOptions& o) { o.removeNonStandardAttributes = 1; },
       "<img src=a.png />",
       "<img src=a.png />",
       {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    QuorlOptions options = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
    options.convertToText = 0;
    if (c.adjust) c.adjust(options);
    std::vector<std::string> tally;
    DocumentEncoding encoding;
    TextString out;
    TagRemover().Run([&tally](const char* m, int) { tally.emplace_back(m); }, options, encoding,
                     c.in, out);
    EXPECT_EQ(c.out, out.View());
    EXPECT_EQ(c.tally, tally);
  }
}

TEST(TagKnowledge, ClassifiesHtml40TagsAndAttributes) {
  const TagKnowledge& k = TagKnowledge::Html40();
  static const struct {
    const char* tag;
    TagClass kind;
  } kTags[] = {
      {"p", TagClass::kStandard},         {"/P", TagClass::kStandard},
      {" caption ", TagClass::kStandard}, {"font", TagClass::kDeprecated},
      {"/Strike", TagClass::kDeprecated}, {"?XML", TagClass::kSpecial},
      {"!doctype", TagClass::kSpecial},   {"section", TagClass::kUnknown},
      {"o:p", TagClass::kUnknown},        {"", TagClass::kUnknown},
  };
  for (const auto& c : kTags) EXPECT_EQ(c.kind, k.ClassifyTag(c.tag)) << c.tag;
  static const struct {
    const char* tag;
    const char* attribute;
    AttributeClass kind;
  } kAttributes[] = {
      {"body", "BGCOLOR", AttributeClass::kDeprecated},
      {"BODY", "onClick", AttributeClass::kStandard},
      {"td", "nowrap", AttributeClass::kDeprecated},
      {"param", "id", AttributeClass::kStandard},
      {"br", "onclick", AttributeClass::kUnknown},
      {"font", "color", AttributeClass::kUnknown},
      {"/h1", "align", AttributeClass::kDeprecated},
      {"base", "id", AttributeClass::kUnknown},
      {"meta", "charset", AttributeClass::kStandard},
  };
  for (const auto& c : kAttributes) {
    EXPECT_EQ(c.kind, k.ClassifyAttribute(c.tag, c.attribute)) << c.tag << " " << c.attribute;
  }
  EXPECT_TRUE(IsListed(NameList::kHtmlTags, "MARQUEE"));
  EXPECT_TRUE(IsListed(NameList::kMailXTags, "X-Sigsep"));
  EXPECT_TRUE(IsListed(NameList::kOfficeTags, "O:P"));
  EXPECT_TRUE(IsListed(NameList::kOfficeTags, "!--[if"));
  EXPECT_FALSE(IsListed(NameList::kHtmlTags, "section"));
}

TEST(MessageTally, FoldsRepeatsIntoACount) {
  MessageTally tally;
  tally.Add("INFO: Removing unknown tag BLINK");
  tally.Add("WARNING: Deprecated tag FONT");
  tally.Add("INFO: Removing unknown tag BLINK");
  std::vector<std::string> lines;
  tally.Report(
      [&lines](const char* m, int level) { lines.push_back(std::to_string(level) + ": " + m); }, 8);
  EXPECT_EQ((std::vector<std::string>{"8: INFO: Removing unknown tag BLINK (2 times)",
                                      "8: WARNING: Deprecated tag FONT"}),
            lines);
}

}  // namespace
}  // namespace quorlex
