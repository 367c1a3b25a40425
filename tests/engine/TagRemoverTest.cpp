#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TagRemover.h"

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
      {"no closing bracket", "a < b", "a < b"},
      {"entities", "a &amp; b &lt;tag&gt;", "a & b <tag>"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    QuorlOptions options = QuorlOptions::BuiltIn();
    TextString out;
    RemoveRemainingTags(nullptr, options, c.in, out);
    EXPECT_EQ(c.out, out.View());
  }
}

TEST(TagRemover, CountsTagsAndEntities) {
  QuorlOptions options = QuorlOptions::BuiltIn();
  TextString out;
  EXPECT_EQ(5, RemoveRemainingTags(nullptr, options, "<i>a</i> &amp; &amp; <u>", out));
  EXPECT_EQ("a & & ", out.View());
}

TEST(TagRemover, LeavesTagsButConvertsEntitiesOnRequestInMarkupMode) {
  QuorlOptions options = QuorlOptions::BuiltIn();
  options.convertToText = 0;
  options.replaceEntities = 0;
  TextString out;
  RemoveRemainingTags(nullptr, options, "<p>a &amp; b</p>", out);
  EXPECT_EQ("<p>a &amp; b</p>", out.View());
  options.replaceEntities = 1;
  RemoveRemainingTags(nullptr, options, "<p>a &amp; b</p>", out);
  EXPECT_EQ("<p>a & b</p>", out.View());
}

TEST(TagRemover, WritesEntitiesOfAUtf8DocumentAsUtf8) {
  QuorlOptions options = QuorlOptions::BuiltIn();
  TextString out;
  RemoveRemainingTags(nullptr, options, "caf&eacute;", out);
  EXPECT_EQ("caf\xE9", out.View());
  options.utf8Document = 1;
  RemoveRemainingTags(nullptr, options, "caf&eacute;", out);
  EXPECT_EQ("caf\xC3\xA9", out.View());
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
