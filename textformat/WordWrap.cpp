#include "textformat/WordWrap.h"

#include <algorithm>

#include "foundation/Ascii.h"
#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// A break point can stand back this far (in columns) from the limit before a better break
// is sought.
constexpr int kBreakSlack = 15;

// Punctuation that never starts a line, and brackets that never end one, where a line
// breaks without a blank.
constexpr std::u32string_view kNoBreakBefore = U"、。，．：；？！）］｝」』】〕〉》ー…";
constexpr std::u32string_view kNoBreakAfter = U"（［｛「『【〔〈《";

// The sets are a few characters long: a loop beats a call for every character of a line.
bool IsOneOf(char c, const char* set) {
  for (; *set != 0; ++set) {
    if (*set == c) return true;
  }
  return false;
}

bool MayBreakBetween(const TextCharacter& before, const TextCharacter& after) {
  const bool afterZeroWidthSpace = before.codePoint == kZeroWidthSpaceCode;
  if (!afterZeroWidthSpace && before.width < 2 && after.width < 2) return false;
  // A combining mark stays with its base, a joiner with what it joins.
  if (after.width == 0 || (before.width == 0 && !afterZeroWidthSpace)) return false;
  if (before.codePoint == kNoBreakSpaceCode || after.codePoint == kNoBreakSpaceCode) {
    return false;
  }
  return kNoBreakBefore.find(after.codePoint) == std::u32string_view::npos &&
         kNoBreakAfter.find(before.codePoint) == std::u32string_view::npos;
}

// A place where a piece may end: at a blank, which is dropped, or before the character at
// `at`. `at` is -1 for none.
struct BreakPoint {
  int at = -1;
  bool blank = false;
};

// The index of the last character of the piece that ends at `point`.
int PieceEnd(const BreakPoint& point) { return point.blank ? point.at : point.at - 1; }

// The last break point after `start` at or before `limit`, which lies inside the text; none
// when there is none. Where the text is ASCII, as most text is, only blanks break and the
// search runs back from the limit.
BreakPoint LastBreakPoint(std::string_view line, int start, int limit, const char* blanks) {
  if (NextNonAscii(line.data(), limit + 1, start) > limit) {
    for (int at = limit; at > start; --at) {
      if (IsOneOf(line[at], blanks)) return BreakPoint{at, true};
    }
    return BreakPoint();
  }
  BreakPoint last;
  for (int at = start;;) {
    bool blank = false;
    at = NextBreakPoint(line, at, blanks, blank);
    if (at > limit) return last;
    last = BreakPoint{at, blank};
  }
}

// The documented search for a better break than `breakAt` (start when there is none) in
// [from, limit]: an opening bracket ends the piece, or the piece ends before a closing
// character.
int BracketBreak(const TextString& line, int start, int from, int limit, int breakAt,
                 const BreakCharacters& characters) {
  const int length = line.Length();
  int opening = -1;
  for (int i = limit; i >= from; --i) {
    const bool beforeFullStop = i + 1 < length && line[i + 1] == '.';
    if (IsOneOf(line[i], characters.opening) && !beforeFullStop) {
      opening = i;
      break;
    }
  }
  if (opening > start && opening > from) breakAt = opening;
  for (int i = limit; i >= std::max(from, opening); --i) {
    const char c = line[i];
    const bool digitComma = c == ',' && i > 0 && i + 1 < length && IsAsciiDigit(line[i - 1]) &&
                            IsAsciiDigit(line[i + 1]);
    if (!IsOneOf(c, characters.closing) || digitComma) continue;
    if (i - 1 > breakAt) breakAt = i - 1;
    break;
  }
  return breakAt;
}

}  // namespace

int NextBreakPoint(std::string_view line, int from, const char* blanks, bool& isBlank) {
  isBlank = false;
  const int length = static_cast<int>(line.size());
  if (from < 0 || from >= length) return length;
  TextCharacter before = CharacterAt(line, from);
  bool beforeIsBlank = IsOneOf(line[from], blanks);
  for (int at = from + before.size; at < length;) {
    if (IsOneOf(line[at], blanks)) {
      isBlank = true;
      return at;
    }
    const auto byte = static_cast<unsigned char>(line[at]);
    const TextCharacter after = byte < 0x80 ? TextCharacter{byte, 1, 1} : CharacterAt(line, at);
    if (!beforeIsBlank && MayBreakBetween(before, after)) return at;
    before = after;
    beforeIsBlank = false;
    at += after.size;
  }
  return length;
}

int FindBreak(const TextString& line, int start, int width, const BreakCharacters& characters) {
  const std::string_view text = line.View();
  const int length = line.Length();
  if (start < 0 || start >= length) return length;
  // The limit is the first byte past the width; a first character wider than the width
  // still goes.
  int limit = start + FittingLength(text.substr(static_cast<size_t>(start)), std::max(width, 1));
  if (limit == start) limit += CharacterAt(text, start).size;
  if (limit >= length) return length;  // the rest fits: the end of the line is a blank
  const BreakPoint last = LastBreakPoint(text, start, limit, characters.blanks);
  const bool found = last.at >= 0;
  const int from = found ? PieceEnd(last) : start;
  int breakAt = from;
  const int slack = found ? DisplayWidth(text.substr(static_cast<size_t>(last.at),
                                                     static_cast<size_t>(limit - last.at)))
                          : 0;
  if (!found || slack > kBreakSlack) {
    breakAt = BracketBreak(line, start, from, limit, breakAt, characters);
  }
  if (found || breakAt != start) return breakAt;
  // Nothing fitted: the word is written whole, up to the next break point. (One at the
  // limit itself would have fitted.)
  BreakPoint beyond;
  beyond.at = NextBreakPoint(text, limit, characters.blanks, beyond.blank);
  return beyond.at >= length ? length : PieceEnd(beyond);
}

int GetWrappedPiece(const TextString& line, int width, int start, const BreakCharacters& characters,
                    TextString& piece, int& position) {
  piece.Clear();
  if (start < 0 || start >= line.Length()) {
    position = -1;
    return 0;
  }
  const int breakAt = FindBreak(line, start, width, characters);
  int first = start;
  if (line[first] == ' ') ++first;
  int last = std::min(breakAt, line.Length() - 1);
  if (last >= first && breakAt < line.Length() && line[breakAt] == ' ') --last;
  if (last >= first) piece.AssignBytes(line.Data() + first, last - first + 1);
  position = breakAt + 1;
  return 1;
}

}  // namespace quorlex
