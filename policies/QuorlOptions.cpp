#include "policies/QuorlOptions.h"

#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

// Reads policies from the section that holds each, with the getter of the policy's type.
struct Reader {
  const PolicySet& policies;

  int YesNo(int section, int id) const { return Section(section).GetYesNo(id); }
  int Integer(int section, int id) const { return Section(section).GetInteger(id); }
  TextString Text(int section, int id) const { return Section(section).GetText(id); }

  const PolicySection& Section(int number) const {
    static const PolicySection kMissing(0);
    const PolicySection* section = policies.Section(number);
    return section != nullptr ? *section : kMissing;
  }
};

}  // namespace

QuorlOptions QuorlOptions::FromPolicies(const PolicySet& policies) {
  const Reader r{policies};
  QuorlOptions o;
  o.convertToText = r.YesNo(kQuorlSection, kRemoveAllTags);
  o.removeAllHtmlTags = r.YesNo(kQuorlSection, kRemoveAllHtmlTags);
  o.removeNonHtmlTags = r.YesNo(kQuorlSection, kRemoveNonHtmlTags);
  o.removeMailXTags = r.YesNo(kQuorlSection, kRemoveMailXTags);
  o.removeOfficeTags = r.YesNo(kQuorlSection, kRemoveOfficeTags);
  o.removeComments = r.YesNo(kQuorlSection, kRemoveComments);
  o.removeHead = r.YesNo(kQuorlSection, kRemoveHead);
  o.removeScript = r.YesNo(kQuorlSection, kRemoveScript);
  o.removeStyleSheet = r.YesNo(kQuorlSection, kRemoveStyleSheet);
  o.removeFont = r.YesNo(kQuorlSection, kRemoveFont);
  o.removeForm = r.YesNo(kQuorlSection, kRemoveForm);
  o.removeSpan = r.YesNo(kQuorlSection, kRemoveSpan);
  o.removeEmphasis = r.YesNo(kQuorlSection, kRemoveEmphasis);
  o.replaceLinksByDisplayValue = r.YesNo(kQuorlSection, kReplaceLinksByDisplayValue);
  o.removeImg = r.YesNo(kQuorlSection, kRemoveImg);
  o.removeNonStandardTags = r.YesNo(kQuorlSection, kRemoveNonStandardTags);
  o.removeNonStandardAttributes = r.YesNo(kQuorlSection, kRemoveNonStandardAttributes);
  o.keepDeprecatedTags = r.YesNo(kQuorlSection, kKeepDeprecatedTags);
  o.keepDeprecatedAttributes = r.YesNo(kQuorlSection, kKeepDeprecatedAttributes);
  o.rightJustify = r.YesNo(kTextFormattingSection, kRightJustify);
  o.gapBetweenSentences = r.YesNo(kTextFormattingSection, kGapBetweenSentences);
  o.singleLineParagraphs = r.YesNo(kTextFormattingSection, kSingleLineParagraphs);
  o.firstLineIndent = r.Integer(kTextFormattingSection, kFirstLineIndent);
  o.replaceEntities = r.YesNo(kTagManipulationSection, kReplaceEntities);
  o.allow8BitAnsi = r.YesNo(kTagManipulationSection, kAllow8BitAnsi);
  o.allowAnsiAlternatives = r.YesNo(kTagManipulationSection, kAllowAnsiAlternatives);
  o.utf8Output = !r.Text(kTagManipulationSection, kOutputCharacterSet)
                      .Equals(k8BitOutput, LetterCase::kIgnored, Blanks::kCount);
  o.upperCaseTags = r.YesNo(kTagManipulationSection, kUpperCaseTags);
  o.lowerCaseTags = r.YesNo(kTagManipulationSection, kLowerCaseTags);
  o.imgTextMarker = r.YesNo(kTextHyperlinksSection, kImgTextMarker);
  o.imgAltText = r.YesNo(kTextHyperlinksSection, kImgAltText);
  o.omitLocalLinks = r.YesNo(kTextHyperlinksSection, kOmitLocalLinks);
  o.omitEmailLinks = r.YesNo(kTextHyperlinksSection, kOmitEmailLinks);
  o.removedLinkText = r.Text(kTextHyperlinksSection, kRemovedLinkText);
  o.removeHorizontalRules = r.YesNo(kTextFormattingSection, kRemoveHorizontalRules);
  o.displayLinkUrls = r.YesNo(kTextHyperlinksSection, kDisplayLinkUrls);
  o.addUrlReferences = r.YesNo(kTextHyperlinksSection, kAddUrlReferences);
  o.highlightBoldAndItalic = r.YesNo(kTextFormattingSection, kHighlightBoldAndItalic);
  o.imposePageWidth = r.YesNo(kTextFormattingSection, kImposePageWidth);
  o.pageWidth = r.Integer(kTextFormattingSection, kPageWidth);
  o.lookForDialogue = r.YesNo(kTextFormattingSection, kLookForDialogue);
  o.extraDialogueChecks = r.YesNo(kTextFormattingSection, kExtraDialogueChecks);
  o.breakDialogueLines = r.YesNo(kTextFormattingSection, kBreakDialogueLines);
  o.preserveShortLines = r.YesNo(kTextFormattingSection, kPreserveShortLines);
  o.shortLinesEndParagraphs = r.YesNo(kTextFormattingSection, kShortLinesEndParagraphs);
  o.preserveWhiteSpace = r.YesNo(kTextFormattingSection, kPreserveWhiteSpace);
  o.parseTables = r.YesNo(kTextTablesSection, kParseTables);
  o.borderOnAllTables = r.YesNo(kTextTablesSection, kBorderOnAllTables);
  o.adjustTablesToPageWidth = r.YesNo(kTextTablesSection, kAdjustTablesToPageWidth);
  o.suppressNestedTableBorders = r.YesNo(kTextTablesSection, kSuppressNestedTableBorders);
  o.tableFormat = r.Integer(kTextTablesSection, kTableFormat);
  o.InsertMailSeparator = r.YesNo(kMailTidySection, kMailSeparator);
  o.NoteHtmlConversion = r.YesNo(kMailTidySection, kMailNotesOnHtml);
  o.NoteDiscardedComponents = r.YesNo(kMailTidySection, kMailNotesOnDiscards);
  o.SimplifyMailHeaders = r.YesNo(kMailTidySection, kSimplifyMailHeaders);
  o.DiscardNonAnsiMessages = r.YesNo(kMailTidySection, kDiscardNonAnsiMail);
  o.MailHeaderDetailLevel = r.YesNo(kMailTidySection, kMailHeaderDetailLevel);
  o.byLineAsAuthor = r.YesNo(kTextHeadersFootersSection, kByLineAsAuthor);
  o.unicodeMarker = r.YesNo(kTextFormattingSection, kUnicodeMarker);
  o.Settle();
  return o;
}

QuorlOptions QuorlOptions::BuiltIn() {
  QuorlOptions o;
  for (int* flag : {&o.convertToText,
                    &o.removeAllHtmlTags,
                    &o.removeNonHtmlTags,
                    &o.removeMailXTags,
                    &o.removeOfficeTags,
                    &o.removeComments,
                    &o.removeHead,
                    &o.removeScript,
                    &o.removeStyleSheet,
                    &o.removeFont,
                    &o.removeForm,
                    &o.removeSpan,
                    &o.replaceLinksByDisplayValue,
                    &o.removeImg,
                    &o.removeNonStandardTags,
                    &o.removeNonStandardAttributes,
                    &o.keepDeprecatedTags,
                    &o.keepDeprecatedAttributes,
                    &o.allow8BitAnsi,
                    &o.allowAnsiAlternatives,
                    &o.unicodeMarker,
                    &o.imgTextMarker,
                    &o.imgAltText,
                    &o.addUrlReferences,
                    &o.highlightBoldAndItalic,
                    &o.imposePageWidth,
                    &o.extraDialogueChecks,
                    &o.preserveShortLines,
                    &o.shortLinesEndParagraphs,
                    &o.parseTables,
                    &o.suppressNestedTableBorders,
                    &o.InsertMailSeparator,
                    &o.NoteHtmlConversion,
                    &o.NoteDiscardedComponents,
                    &o.SimplifyMailHeaders,
                    &o.DiscardNonAnsiMessages}) {
    *flag = 1;
  }
  o.pageWidth = 65;
  o.tableFormat = 1;
  o.MailHeaderDetailLevel = 9;
  o.removedLinkText = "[link removed]";
  o.Settle();
  return o;
}

void QuorlOptions::Settle() {
  // A policy file can ask for any number; an indent wider than any page is cut back so that
  // a typing error cannot make every paragraph megabytes long. The policy reader already
  // bounds the page width; values set by other means are bounded here.
  if (pageWidth > kMaxPageWidth) pageWidth = kMaxPageWidth;
  indentText.Clear();
  for (int i = 0; i < firstLineIndent && i < kMaxIndent; ++i) indentText.AppendChar(' ');
  if (!convertToText) {
    addUrlReferences = 0;
    displayLinkUrls = 0;
    return;
  }
  if (displayLinkUrls) addUrlReferences = 0;
  if (addUrlReferences) displayLinkUrls = 0;
}

}  // namespace quorlex
