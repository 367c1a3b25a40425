#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

constexpr int kDetaggingCategory = 4;

// Adds yes/no and integer policies, or a text policy, to one section.
struct SectionBuilder {
  PolicySection& section;
  int category;

  SectionBuilder& YesNo(int id, const char* name, int yes) {
    section.AddPolicy(Policy(id, PolicyType::kYesNo, section.number, category, name, yes));
    return *this;
  }
  SectionBuilder& Integer(int id, const char* name, int value) {
    section.AddPolicy(Policy(id, PolicyType::kInteger, section.number, category, name, value));
    return *this;
  }
  // An integer policy whose values outside [minimum, maximum] are reported and take the
  // nearest bound.
  SectionBuilder& BoundedInteger(int id, const char* name, int value, int minimum, int maximum) {
    Policy policy(id, PolicyType::kInteger, section.number, category, name, value);
    policy.SetBounds(minimum, maximum);
    section.AddPolicy(std::move(policy));
    return *this;
  }
  SectionBuilder& Text(int id, const char* name, const char* value) {
    section.AddPolicy(Policy(id, PolicyType::kText, section.number, category, name, value));
    return *this;
  }
  // A text policy that takes only one of `words` (comma-separated, compared ignoring case).
  SectionBuilder& TextOf(int id, const char* name, const char* value, const char* words) {
    Policy policy(id, PolicyType::kText, section.number, category, name, value);
    policy.SetChoices(words);
    section.AddPolicy(std::move(policy));
    return *this;
  }
};

constexpr int kYes = 1;
constexpr int kNo = 0;

}  // namespace

PolicySet MakeDetaggingPolicies() {
  PolicySet set;
  const auto section = [&set](int number, const char* heading) {
    return SectionBuilder{set.AddSection(number, heading), kDetaggingCategory};
  };
  section(kQuorlSection, "[Quorl]")
      .YesNo(kRemoveAllTags, "Remove all tags", kYes)
      .YesNo(kRemoveAllHtmlTags, "Remove all HTML tags", kNo)
      .YesNo(kRemoveHead, "Remove HTML <HEAD> section", kNo)
      .YesNo(kRemoveComments, "Remove HTML-style comments", kNo)
      .YesNo(kRemoveScript, "Remove HTML <SCRIPT> section", kNo)
      .YesNo(kRemoveFont, "Remove HTML <FONT> tags", kNo)
      .YesNo(kRemoveForm, "Remove HTML <FORM>..</FORM> tags", kNo)
      .YesNo(kRemoveSpan, "Remove HTML <SPAN> section", kNo)
      .YesNo(kRemoveEmphasis, "Remove emphasis tags", kNo)
      .YesNo(kReplaceLinksByDisplayValue, "Replace hyperlinks by the display value", kNo)
      .YesNo(kRemoveNonStandardTags, "Remove non-standard tags", kNo)
      .YesNo(kKeepDeprecatedTags, "Keep deprecated tags", kYes)
      .YesNo(kRemoveNonStandardAttributes, "Remove non-standard tag attributes", kNo)
      .YesNo(kKeepDeprecatedAttributes, "Keep deprecated tag attributes", kYes)
      .YesNo(kRemoveStyleSheet, "Remove style sheet", kNo)
      .YesNo(kRemoveImg, "Remove HTML <IMG> tags", kNo)
      .YesNo(kRemoveNonHtmlTags, "Remove all non-HTML tags", kYes)
      .YesNo(kRemoveMailXTags, "Remove all x-tags used in mail messages", kYes)
      .YesNo(kRemoveOfficeTags, "Remove Microsoft Office tags", kYes);
  section(kTagManipulationSection, "[Tag Manipulation]")
      .YesNo(kLowerCaseTags, "Convert tags to lower case", kNo)
      .YesNo(kUpperCaseTags, "Convert tags to upper case", kNo)
      .YesNo(kReplaceEntities, "Replace entities by text", kNo)
      .YesNo(kAllow8BitAnsi, "Allow 8-bit ANSI values in output", kYes)
      .TextOf(kOutputCharacterSet, "Output character set", kUtf8Output, "UTF-8,8-bit")
      .YesNo(kAllowAnsiAlternatives, "Allow ANSI alternatives (e.g. space for &nbsp;)", kYes);
  section(kMailTidySection, "[Mail Tidy]")
      .YesNo(kMailSeparator, "Insert separator betweeen email messages", kNo)
      .YesNo(kMailNotesOnHtml, "Add notes when email converted from HTML", kNo)
      .YesNo(kMailNotesOnDiscards, "Add notes when components are discarded", kNo)
      .YesNo(kSimplifyMailHeaders, "Simplify the mail headers", kNo)
      .YesNo(kMailHeaderDetailLevel, "Level of header details wanted (0-10)", kNo)
      .YesNo(kDiscardNonAnsiMail, "Discard any non-ANSI messages (e.g. Chinese)", kNo);
  section(kTextFormattingSection, "[Text formatting]")
      .YesNo(kPreserveWhiteSpace, "Preserve all white space from the original source", kNo)
      .YesNo(kImposePageWidth, "Impose a page width on the output", kYes)
      // A page a thousand columns wide is already no page; a typing error must not make
      // every rule and table line megabytes long.
      .BoundedInteger(kPageWidth, "Target Page width", 72, -1, kMaxPageWidth)
      .YesNo(kRightJustify, "Right justify the output text", kNo)
      .YesNo(kSingleLineParagraphs, "Output each paragraph on a single line", kNo)
      .YesNo(kPreserveShortLines, "Preserve short lines", kYes)
      .YesNo(kShortLinesEndParagraphs, "Treat short lines as paragraph endings", kYes)
      .Integer(kFirstLineIndent, "First line indent for paragraphs", 0)
      .YesNo(kGapBetweenSentences, "Insert gap between sentences", kNo)
      .YesNo(kLookForDialogue, "Look for dialogue lines", kNo)
      .YesNo(kExtraDialogueChecks, "Apply extra dialogue checks", kNo)
      .YesNo(kBreakDialogueLines, "Break lines where dialogue starts in the middle", kNo)
      .YesNo(kRemoveHorizontalRules, "Remove all horizontal rules and lines", kNo)
      .YesNo(kHighlightBoldAndItalic, "Highlight *bold* and _italic_ text", kYes)
      .YesNo(kUnicodeMarker, "May add Unicode marker to output file", kNo);
  section(kTextHeadersFootersSection, "[Text headers/footers]")
      .YesNo(kByLineAsAuthor, "Allow by-line to be used for Author field", kNo);
  section(kTextHyperlinksSection, "[Text hyperlinks]")
      .YesNo(kOmitEmailLinks, "Omit email hyperlinks from the output", kNo)
      .YesNo(kOmitLocalLinks, "Omit local hyperlinks from the output", kNo)
      .Text(kRemovedLinkText, "Text to replace removed links by", "[removed link]")
      .YesNo(kAddUrlReferences, "Add URL references at end of file", kYes)
      .YesNo(kDisplayLinkUrls, "Display link URLs", kNo)
      .YesNo(kImgTextMarker, "Replace <IMG> tags by a text marker", kNo)
      .YesNo(kImgAltText, "Use the ALT attribute to replace <IMG> tags", kNo);
  section(kTextTablesSection, "[Text tables]")
      .YesNo(kParseTables, "Attempt to parse tables", kYes)
      .YesNo(kBorderOnAllTables, "Add border to all tables", kNo)
      .YesNo(kSuppressNestedTableBorders, "Suppress borders on nested tables", kYes)
      .YesNo(kAdjustTablesToPageWidth, "Adjust table to page width", kYes)
      .Integer(kTableFormat, "Output table format", 1);
  return set;
}

PolicySet MakeGeneralPolicies() {
  PolicySet set;
  SectionBuilder files{set.AddSection(kFileGenerationSection, "[File generation]"), 3};
  files.YesNo(kOutputPolicyFile, "Output policy file", kNo)
      .Text(kOutputPolicyFilename, "Output policy filename", "")
      .Text(kOutputDirectory, "Output directory", "")
      .YesNo(kCreateLogFile, "Create a log file", kNo)
      .Text(kOutputLogFilename, "Output log filename", "Pellomar.log");
  files.category = 4;
  files.YesNo(kDisplayMessages, "Display messages", kYes);
  SectionBuilder messages{set.AddSection(kMessagesSection, "[Messages]"), 4};
  messages.Integer(kErrorReportingLevel, "Error reporting level", 5);
  messages.category = 3;
  messages.YesNo(kSuppressUrlMessages, "Suppress URL messages", kYes)
      .YesNo(kSuppressInfoMessages, "Suppress INFO messages", kNo)
      .YesNo(kSuppressWarningMessages, "Suppress WARNING messages", kNo)
      .YesNo(kSuppressProgramErrorMessages, "Suppress program ERROR messages", kNo)
      .YesNo(kSuppressTagErrorMessages, "Suppress TAG ERROR messages", kNo);
  SectionBuilder{set.AddSection(kPreprocessorSection, "[Preprocessor]"), 2}
      .Text(kStartTagDelimiter, "Start tag delimiter", "[[")
      .Text(kEndTagDelimiter, "End tag delimiter", "]]");
  return set;
}

}  // namespace quorlex
