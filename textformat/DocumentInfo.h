#pragma once

#include "foundation/TextString.h"

namespace quorlex {

// Facts about the document that the phases collect and the header box prints.
struct DocumentInfo {
  // A value that counts as empty in title, author e-mail and by-line.
  static constexpr const char* kUnknown = "** UNKNOWN **";

  // Whether a field is empty or holds kUnknown.
  static bool IsUnknown(const TextString& field) {
    return field.IsEmpty() || field.Equals(kUnknown, LetterCase::kMatters, Blanks::kCount);
  }

  TextString title;
  TextString author;
  TextString authorEmail;
  TextString linkEmail;
  TextString byLine;
  TextString baseUrl;
  TextString inputFileName;   // name and extension, no folder
  TextString outputFileName;  // name and extension, no folder
  TextString outputSizeText;
};

}  // namespace quorlex
