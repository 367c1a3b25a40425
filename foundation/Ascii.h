#pragma once

#include <string>
#include <string_view>

// Character tests and case changes for ASCII only. Markup names, policy words, qualifiers
// and charset names are ASCII; the text itself may be in any charset, so these never look
// at the locale (as <cctype> does) and leave every byte above 0x7F as it is.

namespace quorlex {

inline constexpr bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline constexpr bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
inline constexpr bool IsAsciiLetter(char c) { return IsAsciiUpper(c) || IsAsciiLower(c); }
inline constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline constexpr bool IsAsciiHexDigit(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline constexpr char ToAsciiLower(char c) {
  return IsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
inline constexpr char ToAsciiUpper(char c) {
  return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

// A blank inside a line: space or tab.
inline constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// White space as markup counts it: space, tab, line feed, carriage return, form feed.
inline constexpr bool IsMarkupWhiteSpace(char c) {
  return IsBlank(c) || c == '\n' || c == '\r' || c == '\f';
}

// Whether `a` and `b` are the same but for the case of their ASCII letters.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToAsciiLower(a[i]) != ToAsciiLower(b[i])) return false;
  }
  return true;
}

inline std::string AsciiLowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ToAsciiLower(c);
  return lower;
}

}  // namespace quorlex
