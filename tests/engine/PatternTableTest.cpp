#include <gtest/gtest.h>

#include <string>

#include "engine/PatternTable.h"

namespace quorlex {
namespace {

TEST(ExtractBetween, FindsTheTextBetweenTwoPatterns) {
  static const struct {
    const char* name;
    const char* text;
    const char* start;
    const char* end;
    int found;
    const char* out;
  } kCases[] = {
      {"title", "<head><TITLE>A page</title></head>", "<title>", "</title>", 1, "A page"},
      {"first start, next end", "a[1]b[2]", "[", "]", 1, "1"},
      {"end only before start", "]x[", "[", "]", 0, ""},
      {"no start", "abc", "<base%W", ">", 0, ""},
      {"wildcard start", "<base href=\"x/\">", "<base%W", ">", 1, "href=\"x/\""},
      {"empty between", "<title></title>", "<title>", "</title>", 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString out("stale");
    EXPECT_EQ(c.found, ExtractBetween(c.text, c.start, c.end, out));
    EXPECT_EQ(c.out, out.View());
  }
}

TEST(GetAttribute, ReadsQuotedAndUnquotedValues) {
  static const struct {
    const char* name;
    const char* attribute;
    const char* tag;
    int found;
    const char* value;
  } kCases[] = {
      {"double quotes", "href", "<a href=\"x.htm\" class=y>", 1, "x.htm"},
      {"single quotes", "href", "<a href='x y.htm'>", 1, "x y.htm"},
      {"unquoted", "src", "<img src=pic.png alt=x>", 1, "pic.png"},
      {"case ignored, blanks around =", "HREF", "<A Href = \"x\">", 1, "x"},
      {"line feed before the name", "width", "<hr\nwidth=\"50%\">", 1, "50%"},
      {"needs white space before the name", "ref", "<a href=\"x\">", 0, ""},
      {"missing", "alt", "<img src=x>", 0, ""},
      {"empty value", "alt", "<img alt=\"\" src=x>", 0, ""},
      {"unclosed quote", "alt", "<img alt=\"open", 1, "open"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString value("stale");
    EXPECT_EQ(c.found, GetAttribute(c.attribute, c.tag, value));
    EXPECT_EQ(c.value, value.View());
  }
}

// The attribute reader scans tags directly; it must find what the wildcard patterns
// " ?W<name>*W=" and ">" find, on any text.
TEST(GetAttribute, FindsWhatThePatternsFind) {
  const auto reference = [](const char* name, const std::string& tag, std::string& value) {
    TextString between;
    if (!ExtractBetween((" " + tag + ">").c_str(), (std::string("?W") + name + "*W=").c_str(), ">",
                        between)) {
      return 0;
    }
    between.Trim(TrimEnds::kBoth, " \n\r");
    if (between.IsEmpty()) return 0;
    std::string_view v = between.View();
    if (v[0] == '"' || v[0] == '\'') {
      const size_t close = v.find(v[0], 1);
      v = v.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    } else {
      v = v.substr(0, v.find(' '));
    }
    value = std::string(v);
    return value.empty() ? 0 : 1;
  };
  // Tags built from pieces of names, white space, quotes and equals signs, so that matches
  // start, break and start again in every way.
  const char* kPieces[] = {" ", "\t", "\n", "\r", "h", "hr", "href", "HREF", "hre",
                           "=", "\"", "'",  ">",  "x", "a-", "a-x",  "-"};
  unsigned seed = 12345;
  const auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int round = 0; round < 50000; ++round) {
    std::string tag;
    const unsigned length = next() % 12;
    for (unsigned i = 0; i < length; ++i) tag += kPieces[next() % std::size(kPieces)];
    for (const char* name : {"href", "h", "a-x"}) {
      std::string expected;
      const int found = reference(name, tag, expected);
      TextString value;
      ASSERT_EQ(found, GetAttribute(name, tag.c_str(), value)) << '"' << tag << "\" " << name;
      ASSERT_EQ(expected, value.View()) << '"' << tag << "\" " << name;
    }
  }
}

TEST(ResolveUrl, MakesLinksAbsoluteAgainstTheBase) {
  static const struct {
    const char* name;
    const char* link;
    const char* base;
    const char* result;
  } kCases[] = {
      {"no base", "page.htm", "", "page.htm"},
      {"absolute link", "http://other.org/x", "http://site.org/a/", "http://other.org/x"},
      {"mail address", "mailto:ann@x.org", "http://site.org/", "mailto:ann@x.org"},
      {"script", "javascript:go()", "http://site.org/", "javascript:go()"},
      {"page beside the base page", "b.htm", "http://site.org/dir/a.htm",
       "http://site.org/dir/b.htm"},
      {"base naming a directory", "b.htm", "http://site.org/dir/", "http://site.org/dir/b.htm"},
      {"site root", "/top.htm", "http://site.org/dir/a.htm", "http://site.org/top.htm"},
      {"one up", "../up.htm", "http://site.org/a/b/c.htm", "http://site.org/a/up.htm"},
      {"above the site", "../../../x.htm", "http://site.org/a/c.htm", "http://site.org/x.htm"},
      {"query and fragment cut", "b.htm", "http://site.org/d/a.htm?q=1#top",
       "http://site.org/d/b.htm"},
      {"base without scheme", "b.htm", "site.org/d/a.htm", "site.org/d/b.htm"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString out;
    ResolveUrl(c.link, c.base, out);
    EXPECT_EQ(c.result, out.View());
  }
}

// Which lists get entries, by mode and policy.
TEST(BuildPatternLists, AddsEntriesWhoseConditionHolds) {
  PassState pass;
  pass.options = QuorlOptions::BuiltIn();
  pass.options.convertToText = 0;
  pass.options.removeComments = 1;
  pass.options.removeScript = 0;
  pass.options.removeStyleSheet = 0;
  pass.options.removeHead = 0;
  pass.options.removeOfficeTags = 0;
  pass.options.removeEmphasis = 1;
  pass.options.removeFont = 0;
  pass.options.removeSpan = 0;
  pass.options.removeImg = 0;
  pass.options.replaceLinksByDisplayValue = 0;
  pass.options.removeForm = 0;
  BuildPatternLists(pass);
  const PatternLists& l = pass.lists;
  EXPECT_EQ(1, l.meta.PatternCount());
  EXPECT_EQ(0, l.head.PatternCount());
  EXPECT_EQ(0, l.outsideHead.PatternCount());
  EXPECT_EQ(1, l.comment.PatternCount());
  EXPECT_EQ(0, l.style.PatternCount());
  EXPECT_EQ(8, l.inLine.PatternCount());  // the emphasis tags only
  EXPECT_EQ(0, l.listTag.PatternCount());
  EXPECT_EQ(0, l.link.PatternCount());
  EXPECT_EQ(0, l.paragraph.PatternCount());
  EXPECT_EQ(0, l.heading.PatternCount());
  EXPECT_EQ(2, l.softBreak.PatternCount());  // a run begins with either break
  EXPECT_EQ(4, l.marker.PatternCount());
  EXPECT_TRUE(l.comment.locked);

  pass.options = QuorlOptions::BuiltIn();  // text mode, highlighting on
  BuildPatternLists(pass);
  EXPECT_EQ(2, l.head.PatternCount());         // "<head>", and "<head" with white space
  EXPECT_EQ(3, l.outsideHead.PatternCount());  // office XML, titles with and without attributes
  EXPECT_EQ(4, l.style.PatternCount());
  EXPECT_EQ(21, l.form.PatternCount());  // 12 block tags, 7 tags of labels and buttons
  // b, i, strong and em stay for highlighting; 9 pre tags; 3 spellings of <wbr>; sup, sub
  // and q with and without attributes, and "</q>"
  EXPECT_EQ(31, l.inLine.PatternCount());
  EXPECT_EQ(4, l.highlight.PatternCount());
  EXPECT_EQ(20, l.listTag.PatternCount());    // menu lists and definition lists too
  EXPECT_EQ(61, l.paragraph.PatternCount());  // 18 blocks of three tags each
  EXPECT_EQ(16, l.block.PatternCount());
  EXPECT_EQ(2, l.heading.PatternCount());
  EXPECT_EQ(1, l.table.PatternCount());
  EXPECT_EQ(0, l.sentence.PatternCount());

  pass.options.highlightBoldAndItalic = 0;
  pass.options.gapBetweenSentences = 1;
  BuildPatternLists(pass);
  EXPECT_EQ(39, l.inLine.PatternCount());
  EXPECT_EQ(0, l.highlight.PatternCount());
  EXPECT_EQ(1, l.sentence.PatternCount());
}

}  // namespace
}  // namespace quorlex
