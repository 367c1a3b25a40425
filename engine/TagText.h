#pragma once

#include <string>
#include <string_view>

// Small readers of tags as the text holds them, for the passes that look at tags without a
// pattern list. Tag names and the words looked for in tags are ASCII.

namespace quorlex {

inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool IsTagWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

inline bool IsTagNameCharacter(char c) {
  c = LowerAscii(c);
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == ':' || c == '_' ||
         c == '.';
}

// Whether `text` (any case) is `lowerText` (lower case).
inline bool SameIgnoringCase(std::string_view text, std::string_view lowerText) {
  if (text.size() != lowerText.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (LowerAscii(text[i]) != lowerText[i]) return false;
  }
  return true;
}

// The tag name that starts at text[at]; empty when none does.
inline std::string_view TagNameAt(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && IsTagNameCharacter(text[end])) ++end;
  return text.substr(at, end - at);
}

// Where the tag starting at text[at] stops: at its ">", or at the next "<" or the end of
// the text when one of those comes first. Looking no further than the next "<" keeps a text
// full of stray "<"s linear. (A plain loop: find_first_of would look each character up in
// its set with a call.)
inline size_t TagStop(std::string_view text, size_t at) {
  size_t i = at + 1;
  while (i < text.size() && text[i] != '>' && text[i] != '<') ++i;
  return i;
}

// The ">" that ends the tag starting at text[at]; npos when it has none before the next "<".
inline size_t TagEnd(std::string_view text, size_t at) {
  const size_t stop = TagStop(text, at);
  return stop < text.size() && text[stop] == '>' ? stop : std::string_view::npos;
}

inline bool ClosesItself(std::string_view tag) { return tag.ends_with("/>"); }

inline std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

}  // namespace quorlex
