#include <gtest/gtest.h>

#include "policies/PolicyCatalogue.h"
#include "policies/QuorlOptions.h"

namespace quorlex {
namespace {

TEST(QuorlOptions, CopyTheCatalogueDefaults) {
  const QuorlOptions o = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
  EXPECT_EQ(1, o.convertToText);
  EXPECT_EQ(72, o.pageWidth);
  EXPECT_EQ(0, o.rightJustify);
  EXPECT_EQ(1, o.addUrlReferences);
  EXPECT_EQ(0, o.displayLinkUrls);
  EXPECT_EQ("[removed link]", o.removedLinkText.View());
  EXPECT_EQ(1, o.keepDeprecatedTags);
  EXPECT_EQ(1, o.removeNonHtmlTags);
  EXPECT_EQ(1, o.tableFormat);
  EXPECT_EQ(1, o.highlightBoldAndItalic);
  EXPECT_EQ(0, o.MailHeaderDetailLevel);
  EXPECT_EQ("", o.indentText.View());
}

TEST(QuorlOptions, CopyEachPolicyFromItsSection) {
  static const struct {
    int id;
    int value;
    int QuorlOptions::*field;
  } kCases[] = {
      {kRemoveHorizontalRules, 1, &QuorlOptions::removeHorizontalRules},
      {kUnicodeMarker, 0, &QuorlOptions::unicodeMarker},
      {kReplaceEntities, 1, &QuorlOptions::replaceEntities},
      {kParseTables, 0, &QuorlOptions::parseTables},
      {kByLineAsAuthor, 1, &QuorlOptions::byLineAsAuthor},
      {kMailHeaderDetailLevel, 1, &QuorlOptions::MailHeaderDetailLevel},
      {kDiscardNonAnsiMail, 1, &QuorlOptions::DiscardNonAnsiMessages},
      {kLowerCaseTags, 1, &QuorlOptions::lowerCaseTags},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.id);
    PolicySet set = MakeDetaggingPolicies();
    Policy* policy = set.Find(c.id);
    ASSERT_NE(nullptr, policy);
    policy->number = c.value;
    EXPECT_EQ(c.value, QuorlOptions::FromPolicies(set).*c.field);
  }
}

TEST(QuorlOptions, InlineUrlsAndTheReferenceListExcludeEachOther) {
  static const struct {
    const char* name;
    int text, add, display;
    int addAfter, displayAfter;
  } kCases[] = {
      {"defaults", 1, 1, 0, 1, 0},          {"both asked: inline display wins", 1, 1, 1, 0, 1},
      {"neither", 1, 0, 0, 0, 0},           {"display only", 1, 0, 1, 0, 1},
      {"output stays HTML", 0, 1, 1, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PolicySet set = MakeDetaggingPolicies();
    set.Find(kRemoveAllTags)->number = c.text;
    set.Find(kAddUrlReferences)->number = c.add;
    set.Find(kDisplayLinkUrls)->number = c.display;
    const QuorlOptions o = QuorlOptions::FromPolicies(set);
    EXPECT_EQ(c.addAfter, o.addUrlReferences);
    EXPECT_EQ(c.displayAfter, o.displayLinkUrls);
  }
}

TEST(QuorlOptions, IndentTextFollowsTheFirstLineIndent) {
  static const struct {
    int indent;
    int spaces;
  } kCases[] = {{4, 4}, {0, 0}, {-1, 0}, {2000000000, QuorlOptions::kMaxIndent}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.indent);
    PolicySet set = MakeDetaggingPolicies();
    set.Find(kFirstLineIndent)->number = c.indent;
    const QuorlOptions o = QuorlOptions::FromPolicies(set);
    EXPECT_EQ(std::string(static_cast<size_t>(c.spaces), ' '), o.indentText.View());
  }
}

TEST(QuorlOptions, BuiltInDefaultsForSubConversions) {
  const QuorlOptions o = QuorlOptions::BuiltIn();
  EXPECT_EQ(1, o.convertToText);
  EXPECT_EQ(65, o.pageWidth);
  EXPECT_EQ(1, o.tableFormat);
  EXPECT_EQ(9, o.MailHeaderDetailLevel);
  EXPECT_EQ("[link removed]", o.removedLinkText.View());
  EXPECT_EQ(1, o.removeComments);
  EXPECT_EQ(1, o.InsertMailSeparator);
  EXPECT_EQ(1, o.addUrlReferences);
  EXPECT_EQ(0, o.displayLinkUrls);
  EXPECT_EQ(0, o.removeEmphasis);
  EXPECT_EQ(0, o.rightJustify);
  EXPECT_EQ(0, o.lookForDialogue);
  EXPECT_EQ(0, o.byLineAsAuthor);
  EXPECT_EQ(0, o.firstLineIndent);
}

}  // namespace
}  // namespace quorlex
