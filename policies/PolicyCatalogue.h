#pragma once

#include <vector>

#include "policies/PolicySection.h"

namespace quorlex {

// The widest "Target Page width" a policy file may set.
constexpr int kMaxPageWidth = 1000;

// The values of "Output character set": text written as UTF-8 (decoded from the document's
// charset), or the document's own 8-bit bytes.
constexpr const char* kUtf8Output = "UTF-8";
constexpr const char* k8BitOutput = "8-bit";

// Numbers and headings of the de-tagging sections (4 is not used).
enum PolicySectionNumber : int {
  kQuorlSection = 1,
  kTagManipulationSection = 2,
  kMailTidySection = 3,
  kTextFormattingSection = 5,
  kTextHeadersFootersSection = 6,
  kTextHyperlinksSection = 7,
  kTextTablesSection = 8,
};

// The ids of the de-tagging policies.
enum PolicyId : int {
  kRemoveAllTags = 10,
  kRemoveAllHtmlTags = 11,
  kRemoveHead = 12,
  kRemoveComments = 13,
  kRemoveScript = 14,
  kRemoveFont = 15,
  kRemoveForm = 16,
  kRemoveSpan = 17,
  kRemoveEmphasis = 18,
  kReplaceLinksByDisplayValue = 19,
  kRemoveNonStandardTags = 20,
  kKeepDeprecatedTags = 21,
  kRemoveNonStandardAttributes = 22,
  kKeepDeprecatedAttributes = 23,
  kRemoveNonHtmlTags = 30,
  kRemoveMailXTags = 31,
  kRemoveOfficeTags = 32,
  kRemoveStyleSheet = 40,
  kRemoveImg = 41,
  kUpperCaseTags = 50,
  kLowerCaseTags = 51,
  kReplaceEntities = 52,
  kAllow8BitAnsi = 53,
  kAllowAnsiAlternatives = 54,
  kOutputCharacterSet = 55,
  kPreserveWhiteSpace = 100,
  kImposePageWidth = 105,
  kPageWidth = 106,
  kRightJustify = 107,
  kSingleLineParagraphs = 110,
  kPreserveShortLines = 111,
  kShortLinesEndParagraphs = 112,
  kFirstLineIndent = 113,
  kGapBetweenSentences = 114,
  kLookForDialogue = 120,
  kExtraDialogueChecks = 121,
  kBreakDialogueLines = 122,
  kRemoveHorizontalRules = 125,
  kHighlightBoldAndItalic = 126,
  kUnicodeMarker = 127,
  kOmitEmailLinks = 130,
  kOmitLocalLinks = 131,
  kRemovedLinkText = 132,
  kAddUrlReferences = 133,
  kDisplayLinkUrls = 134,
  kImgTextMarker = 135,
  kImgAltText = 136,
  kParseTables = 140,
  kTableFormat = 141,
  kBorderOnAllTables = 142,
  kSuppressNestedTableBorders = 143,
  kAdjustTablesToPageWidth = 144,
  kByLineAsAuthor = 150,
  kMailSeparator = 200,
  kMailNotesOnHtml = 201,
  kMailNotesOnDiscards = 202,
  kSimplifyMailHeaders = 203,
  kMailHeaderDetailLevel = 204,
  kDiscardNonAnsiMail = 205,
};

// The general policies that the de-tagging program relies on. They belong to each
// conversion context rather than to the shared de-tagging set; the ids are ours.
enum GeneralPolicyId : int {
  kOutputPolicyFile = 1001,
  kOutputPolicyFilename,
  kOutputDirectory,
  kDisplayMessages,
  kCreateLogFile,
  kOutputLogFilename,
  kErrorReportingLevel,
  kSuppressUrlMessages,
  kSuppressInfoMessages,
  kSuppressWarningMessages,
  kSuppressProgramErrorMessages,
  kSuppressTagErrorMessages,
  kStartTagDelimiter,
  kEndTagDelimiter,
};

// Sections the general policies are written under in a policy file ("[Messages]" is
// written apart, only when one of its policies is set).
enum GeneralSectionNumber : int {
  kFileGenerationSection = 101,
  kMessagesSection = 102,
  kPreprocessorSection = 103,
};

// The de-tagging policy set: the seven sections in the order they are held, with every
// policy of the catalogue at its default. Every policy has category 4.
PolicySet MakeDetaggingPolicies();

// The general policies of a new conversion context, as a set of three sections.
PolicySet MakeGeneralPolicies();

}  // namespace quorlex
