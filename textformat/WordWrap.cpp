#include "textformat/WordWrap.h"

#include <algorithm>
#include <cstring>

#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// A blank or bracket can stand back this far from the limit before a better break is sought.
constexpr int kBreakSlack = 15;

bool IsOneOf(char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The start of the character that `at` lies in: itself, or the lead byte of the valid UTF-8
// sequence it continues.
int CharacterStart(const TextString& line, int at) {
  for (int lead = at; lead > at - 4 && lead >= 0; --lead) {
    const int length = Utf8SequenceLength(line.Data(), line.Length(), lead);
    if (length > 0) return lead + length > at ? lead : at;
  }
  return at;
}

}  // namespace

int FindBreak(const TextString& line, int start, int width, const BreakCharacters& characters) {
  const int length = line.Length();
  const int limit = start + std::max(width, 1);
  const int end = std::min(limit, length);
  // The last blank within the width; the end of the line counts as one.
  int blank = start;
  if (end == length) {
    blank = length;
  } else {
    for (int i = end; i > start; --i) {
      if (IsOneOf(line[i], characters.blanks)) {
        blank = i;
        break;
      }
    }
  }
  int breakAt = blank;
  if (blank == start || blank < limit - kBreakSlack) {
    int opening = -1;
    for (int i = std::min(end, length - 1); i >= blank && i >= 0; --i) {
      const bool beforeFullStop = i + 1 < length && line[i + 1] == '.';
      if (IsOneOf(line[i], characters.opening) && !beforeFullStop) {
        opening = i;
        break;
      }
    }
    if (opening > start && opening > blank) breakAt = opening;
    for (int i = std::min(end, length - 1); i >= std::max(blank, opening) && i >= 0; --i) {
      const char c = line[i];
      const bool digitComma =
          c == ',' && i > 0 && i + 1 < length && IsDigit(line[i - 1]) && IsDigit(line[i + 1]);
      if (!IsOneOf(c, characters.closing) || digitComma) continue;
      if (i - 1 < limit && i - 1 > breakAt) breakAt = i - 1;
      break;
    }
  }
  if (breakAt == start) {
    // Nothing fitted: cut after `width` characters, but never inside a UTF-8 character.
    breakAt = limit - 1;
    const int next = CharacterStart(line, limit);
    if (next > start) breakAt = next - 1;
  }
  return breakAt;
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
