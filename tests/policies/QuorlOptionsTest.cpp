#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "policies/PolicyCatalogue.h"
#include "policies/PolicyFile.h"
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

// One row per de-tagging policy: its name as a policy file writes it, a value other than the
// default, and what that value must change in the options read from the catalogue defaults.
// Nothing else may change, so a policy read into the wrong field, or not read, fails.
struct MappingRow {
  const char* name;
  const char* value;
  void (*expect)(QuorlOptions&);
};

constexpr MappingRow kMappings[] = {
    // Without text output neither URL form applies.
    {"Remove all tags", "No", [](QuorlOptions& o) { o.convertToText = o.addUrlReferences = 0; }},
    {"Remove all HTML tags", "Yes", [](QuorlOptions& o) { o.removeAllHtmlTags = 1; }},
    {"Remove HTML <HEAD> section", "Yes", [](QuorlOptions& o) { o.removeHead = 1; }},
    {"Remove HTML-style comments", "Yes", [](QuorlOptions& o) { o.removeComments = 1; }},
    {"Remove HTML <SCRIPT> section", "Yes", [](QuorlOptions& o) { o.removeScript = 1; }},
    {"Remove HTML <FONT> tags", "Yes", [](QuorlOptions& o) { o.removeFont = 1; }},
    {"Remove HTML <FORM>..</FORM> tags", "Yes", [](QuorlOptions& o) { o.removeForm = 1; }},
    {"Remove HTML <SPAN> section", "Yes", [](QuorlOptions& o) { o.removeSpan = 1; }},
    {"Remove emphasis tags", "Yes", [](QuorlOptions& o) { o.removeEmphasis = 1; }},
    {"Replace hyperlinks by the display value", "Yes",
     [](QuorlOptions& o) { o.replaceLinksByDisplayValue = 1; }},
    {"Remove non-standard tags", "Yes", [](QuorlOptions& o) { o.removeNonStandardTags = 1; }},
    {"Keep deprecated tags", "No", [](QuorlOptions& o) { o.keepDeprecatedTags = 0; }},
    {"Remove non-standard tag attributes", "Yes",
     [](QuorlOptions& o) { o.removeNonStandardAttributes = 1; }},
    {"Keep deprecated tag attributes", "No",
     [](QuorlOptions& o) { o.keepDeprecatedAttributes = 0; }},
    {"Remove style sheet", "Yes", [](QuorlOptions& o) { o.removeStyleSheet = 1; }},
    {"Remove HTML <IMG> tags", "Yes", [](QuorlOptions& o) { o.removeImg = 1; }},
    {"Remove all non-HTML tags", "No", [](QuorlOptions& o) { o.removeNonHtmlTags = 0; }},
    {"Remove all x-tags used in mail messages", "No",
     [](QuorlOptions& o) { o.removeMailXTags = 0; }},
    {"Remove Microsoft Office tags", "No", [](QuorlOptions& o) { o.removeOfficeTags = 0; }},
    {"Convert tags to lower case", "Yes", [](QuorlOptions& o) { o.lowerCaseTags = 1; }},
    {"Convert tags to upper case", "Yes", [](QuorlOptions& o) { o.upperCaseTags = 1; }},
    {"Replace entities by text", "Yes", [](QuorlOptions& o) { o.replaceEntities = 1; }},
    {"Allow 8-bit ANSI values in output", "No", [](QuorlOptions& o) { o.allow8BitAnsi = 0; }},
    {"Output character set", "8-bit", [](QuorlOptions& o) { o.utf8Output = 0; }},
    {"Allow ANSI alternatives (e.g. space for &nbsp;)", "No",
     [](QuorlOptions& o) { o.allowAnsiAlternatives = 0; }},
    {"Insert separator betweeen email messages", "Yes",
     [](QuorlOptions& o) { o.InsertMailSeparator = 1; }},
    {"Add notes when email converted from HTML", "Yes",
     [](QuorlOptions& o) { o.NoteHtmlConversion = 1; }},
    {"Add notes when components are discarded", "Yes",
     [](QuorlOptions& o) { o.NoteDiscardedComponents = 1; }},
    {"Simplify the mail headers", "Yes", [](QuorlOptions& o) { o.SimplifyMailHeaders = 1; }},
    {"Level of header details wanted (0-10)", "Yes",
     [](QuorlOptions& o) { o.MailHeaderDetailLevel = 1; }},
    {"Discard any non-ANSI messages (e.g. Chinese)", "Yes",
     [](QuorlOptions& o) { o.DiscardNonAnsiMessages = 1; }},
    {"Preserve all white space from the original source", "Yes",
     [](QuorlOptions& o) { o.preserveWhiteSpace = 1; }},
    {"Impose a page width on the output", "No", [](QuorlOptions& o) { o.imposePageWidth = 0; }},
    {"Target Page width", "60", [](QuorlOptions& o) { o.pageWidth = 60; }},
    {"Right justify the output text", "Yes", [](QuorlOptions& o) { o.rightJustify = 1; }},
    {"Output each paragraph on a single line", "Yes",
     [](QuorlOptions& o) { o.singleLineParagraphs = 1; }},
    {"Preserve short lines", "No", [](QuorlOptions& o) { o.preserveShortLines = 0; }},
    {"Treat short lines as paragraph endings", "No",
     [](QuorlOptions& o) { o.shortLinesEndParagraphs = 0; }},
    {"First line indent for paragraphs", "3",
     [](QuorlOptions& o) {
       o.firstLineIndent = 3;
       o.indentText = "   ";
     }},
    {"Insert gap between sentences", "Yes", [](QuorlOptions& o) { o.gapBetweenSentences = 1; }},
    {"Look for dialogue lines", "Yes", [](QuorlOptions& o) { o.lookForDialogue = 1; }},
    {"Apply extra dialogue checks", "Yes", [](QuorlOptions& o) { o.extraDialogueChecks = 1; }},
    {"Break lines where dialogue starts in the middle", "Yes",
     [](QuorlOptions& o) { o.breakDialogueLines = 1; }},
    {"Remove all horizontal rules and lines", "Yes",
     [](QuorlOptions& o) { o.removeHorizontalRules = 1; }},
    {"Highlight *bold* and _italic_ text", "No",
     [](QuorlOptions& o) { o.highlightBoldAndItalic = 0; }},
    {"May add Unicode marker to output file", "Yes", [](QuorlOptions& o) { o.unicodeMarker = 1; }},
    {"Allow by-line to be used for Author field", "Yes",
     [](QuorlOptions& o) { o.byLineAsAuthor = 1; }},
    {"Omit email hyperlinks from the output", "Yes", [](QuorlOptions& o) { o.omitEmailLinks = 1; }},
    {"Omit local hyperlinks from the output", "Yes", [](QuorlOptions& o) { o.omitLocalLinks = 1; }},
    {"Text to replace removed links by", "[gone]",
     [](QuorlOptions& o) { o.removedLinkText = "[gone]"; }},
    {"Add URL references at end of file", "No", [](QuorlOptions& o) { o.addUrlReferences = 0; }},
    // The inline display of URLs excludes the reference list.
    {"Display link URLs", "Yes",
     [](QuorlOptions& o) {
       o.displayLinkUrls = 1;
       o.addUrlReferences = 0;
     }},
    {"Replace <IMG> tags by a text marker", "Yes", [](QuorlOptions& o) { o.imgTextMarker = 1; }},
    {"Use the ALT attribute to replace <IMG> tags", "Yes",
     [](QuorlOptions& o) { o.imgAltText = 1; }},
    {"Attempt to parse tables", "No", [](QuorlOptions& o) { o.parseTables = 0; }},
    {"Add border to all tables", "Yes", [](QuorlOptions& o) { o.borderOnAllTables = 1; }},
    {"Suppress borders on nested tables", "No",
     [](QuorlOptions& o) { o.suppressNestedTableBorders = 0; }},
    {"Adjust table to page width", "No", [](QuorlOptions& o) { o.adjustTablesToPageWidth = 0; }},
    {"Output table format", "2", [](QuorlOptions& o) { o.tableFormat = 2; }},
};

TEST(QuorlOptions, EachPolicyLineSetsItsOwnFieldAndNoOther) {
  const QuorlOptions defaults = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
  for (const MappingRow& row : kMappings) {
    SCOPED_TRACE(row.name);
    PolicySet policies = MakeDetaggingPolicies();
    ConversionContext context(policies);
    int category = 0;
    const std::string line = std::string(row.name) + " : " + row.value;
    ASSERT_EQ(0, ParsePolicyLine(context, line.c_str(), 0, category));
    QuorlOptions expected = defaults;
    row.expect(expected);
    ASSERT_FALSE(expected == defaults) << "the row must change a field";
    EXPECT_TRUE(expected == QuorlOptions::FromPolicies(policies));
  }
}

TEST(QuorlOptions, EveryDetaggingPolicyHasAMappingRow) {
  const PolicySet policies = MakeDetaggingPolicies();
  for (const PolicySection& section : policies.Sections()) {
    for (const Policy& policy : section.Policies()) {
      SCOPED_TRACE(policy.name.Data());
      EXPECT_TRUE(
          std::any_of(std::begin(kMappings), std::end(kMappings),
                      [&policy](const MappingRow& row) { return policy.name == row.name; }));
    }
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
