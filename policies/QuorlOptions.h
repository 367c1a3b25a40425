#pragma once

#include "foundation/TextString.h"

namespace quorlex {

class PolicySet;

// Every de-tagging option of one conversion, copied from the policies once per file. The
// engine reads options only from here and never changes them: what it learns about a
// document while converting it stays in its own pass state.
struct QuorlOptions {
  // The widest indent text a first-line indent gives.
  static constexpr int kMaxIndent = 1000;

  // Built from the de-tagging policy set: each field copies the policy of its comment.
  static QuorlOptions FromPolicies(const PolicySet& policies);
  // The built-in defaults, for sub-conversions such as a document title.
  static QuorlOptions BuiltIn();

  bool operator==(const QuorlOptions& other) const = default;

  // Text output in UTF-8: the document is decoded as it is read, and the engine sees and
  // writes valid UTF-8 only. Output that stays HTML keeps the document's bytes.
  [[nodiscard]] bool WritesUtf8() const { return utf8Output != 0 && convertToText != 0; }

  int convertToText = 0;                // 10 "Remove all tags"
  int removeAllHtmlTags = 0;            // 11
  int removeNonHtmlTags = 0;            // 30
  int removeMailXTags = 0;              // 31
  int removeOfficeTags = 0;             // 32
  int removeComments = 0;               // 13
  int removeHead = 0;                   // 12
  int removeScript = 0;                 // 14
  int removeStyleSheet = 0;             // 40
  int removeFont = 0;                   // 15
  int removeForm = 0;                   // 16
  int removeSpan = 0;                   // 17
  int removeEmphasis = 0;               // 18
  int replaceLinksByDisplayValue = 0;   // 19
  int removeImg = 0;                    // 41
  int removeNonStandardTags = 0;        // 20
  int removeNonStandardAttributes = 0;  // 22
  int keepDeprecatedTags = 0;           // 21
  int keepDeprecatedAttributes = 0;     // 23
  int rightJustify = 0;                 // 107
  int gapBetweenSentences = 0;          // 114
  int singleLineParagraphs = 0;         // 110
  int firstLineIndent = 0;              // 113
  int replaceEntities = 0;              // 52
  int allow8BitAnsi = 0;                // 53
  int allowAnsiAlternatives = 0;        // 54
  int utf8Output = 1;                   // 55 "Output character set": "UTF-8" (1) or "8-bit" (0)
  int upperCaseTags = 0;                // 50
  int lowerCaseTags = 0;                // 51
  int imgTextMarker = 0;                // 135
  int imgAltText = 0;                   // 136
  int omitLocalLinks = 0;               // 131
  int omitEmailLinks = 0;               // 130
  TextString removedLinkText;           // 132
  int removeHorizontalRules = 0;        // 125
  int displayLinkUrls = 0;              // 134
  int addUrlReferences = 0;             // 133
  int highlightBoldAndItalic = 0;       // 126
  int imposePageWidth = 0;              // 105
  int pageWidth = 0;                    // 106
  int lookForDialogue = 0;              // 120
  int extraDialogueChecks = 0;          // 121
  int breakDialogueLines = 0;           // 122
  int preserveShortLines = 0;           // 111
  int shortLinesEndParagraphs = 0;      // 112
  int preserveWhiteSpace = 0;           // 100
  int parseTables = 0;                  // 140
  int borderOnAllTables = 0;            // 142
  int adjustTablesToPageWidth = 0;      // 144
  int suppressNestedTableBorders = 0;   // 143
  int tableFormat = 0;                  // 141
  // The mail settings ("[Mail Tidy]"), in this order. They are carried so that a policy
  // file keeps them and a mail step can read them; no conversion step reads them yet.
  int InsertMailSeparator = 0;      // 200
  int NoteHtmlConversion = 0;       // 201
  int NoteDiscardedComponents = 0;  // 202
  int SimplifyMailHeaders = 0;      // 203
  int DiscardNonAnsiMessages = 0;   // 205
  int MailHeaderDetailLevel = 0;    // 204 (a yes/no policy: 0 or 1; 9 built in)
  int byLineAsAuthor = 0;           // 150
  int unicodeMarker = 0;            // 127
  TextString indentText;            // as many spaces as firstLineIndent (at most 1000)

 private:
  // Builds the indent text and lets the inline display of URLs and the reference list
  // exclude each other (neither applies when the output stays HTML).
  void Settle();
};

}  // namespace quorlex
