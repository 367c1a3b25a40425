#pragma once

#include <string_view>

#include "foundation/Ascii.h"

// Small readers of tags as the text holds them, for the passes that look at tags without a
// pattern list. Tag names and the words looked for in tags are ASCII.

namespace quorlex {

inline bool IsTagNameCharacter(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == ':' || c == '_' || c == '.';
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

}  // namespace quorlex
