#include "foundation/TextString.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/Ascii.h"
#include "foundation/LargeBlocks.h"
#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// The buffer is allocated in whole units of this size.
constexpr int kBlockUnit = 256;
// Below this many characters a short shortfall doubles the buffer; above, it grows by half.
constexpr int kDoublingLimit = 500000;
// Replace rebuilds strings longer than this in one pass instead of shifting their tail.
constexpr int kOnePassReplaceLength = 1000;
// The largest capacity a 32-bit length can describe, leaving room for the rounding.
constexpr int64_t kMaxCapacity = INT32_MAX - 2 * kBlockUnit;

bool SameChar(char a, char b, LetterCase letterCase) {
  return letterCase == LetterCase::kMatters ? a == b : ToAsciiUpper(a) == ToAsciiUpper(b);
}

int CStringLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

// Block size for a target of x characters: whole 256-byte units with room for x + 1 bytes
// and at least one spare unit, so capacity (block - 2) is never below x.
int64_t BlockBytesFor(int64_t x) { return ((x + 1) / kBlockUnit) * kBlockUnit + kBlockUnit; }

// Index of the first occurrence of needle[0, needleLength) in text[from, textLength), or -1.
int FindIn(const char* text, int textLength, int from, const char* needle, int needleLength,
           LetterCase letterCase) {
  if (needleLength == 0 || from < 0 || from > textLength - needleLength) return -1;
  if (letterCase == LetterCase::kMatters) {
    // memchr to each candidate first character, then a compare: linear in practice, and it
    // reads no further than it needs to (memmem may look at the whole rest of the text).
    const int last = textLength - needleLength;
    for (int i = from; i <= last;) {
      const void* hit = std::memchr(text + i, needle[0], static_cast<size_t>(last - i) + 1);
      if (hit == nullptr) return -1;
      i = static_cast<int>(static_cast<const char*>(hit) - text);
      if (std::memcmp(text + i + 1, needle + 1, static_cast<size_t>(needleLength - 1)) == 0) {
        return i;
      }
      ++i;
    }
    return -1;
  }
  const char first = ToAsciiUpper(needle[0]);
  const int last = textLength - needleLength;
  for (int i = from; i <= last; ++i) {
    if (ToAsciiUpper(text[i]) != first) continue;
    int k = 1;
    while (k < needleLength && ToAsciiUpper(text[i + k]) == ToAsciiUpper(needle[k])) ++k;
    if (k == needleLength) return i;
  }
  return -1;
}

// The direction flag of Justify. It flips at every call so that successive lines of a
// paragraph lean alternately left and right; it is the one piece of state strings share,
// kept per thread so that conversions on different threads do not disturb each other.
thread_local bool justifyLeansRight = true;

}  // namespace

// --- Construction -----------------------------------------------------------------------

TextString::TextString() : data(nullptr), length(0), capacity(-1) { Reserve(0); }

TextString::TextString(const TextString& other) : TextString() {
  AssignBytes(other.data, other.length);
}

TextString::TextString(TextString&& other) noexcept : TextString() { Swap(other); }

TextString::TextString(const char* text) : TextString() { Assign(text); }

TextString::TextString(int value) : TextString() { AppendNumber('1', value, 0); }

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) AssignBytes(other.data, other.length);
  return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
  Swap(other);
  return *this;
}

TextString& TextString::operator=(const char* text) {
  Assign(text);
  return *this;
}

TextString::~TextString() {
  std::free(data);
  data = nullptr;
  length = 0;
  capacity = 0;
}

char TextString::operator[](int i) const {
  assert(i >= 0 && i < length && "TextString index out of range");
  return data[i];
}

// --- Classes of characters --------------------------------------------------------------

int TextString::HasNoLetters() const {
  for (int i = 0; i < length; ++i) {
    if (IsAsciiLetter(data[i])) return 0;
  }
  return 1;
}

int TextString::HasNoLettersOrDigits() const {
  for (int i = 0; i < length; ++i) {
    if (IsAsciiLetter(data[i]) || IsAsciiDigit(data[i])) return 0;
  }
  return 1;
}

int TextString::HasNoLowerCase() const {
  for (int i = 0; i < length; ++i) {
    if (data[i] >= 'a' && data[i] <= 'z') return 0;
  }
  return 1;
}

void EndForLackOfMemory() {
  // The program's new-handler says so before the program ends, as it does when any other
  // allocation fails.
  if (const std::new_handler handler = std::get_new_handler()) handler();
  std::abort();
}

// --- Storage ----------------------------------------------------------------------------

void TextString::Reserve(int n) {
  if (capacity >= n) return;
  int64_t target = n;
  const int64_t shortfall = static_cast<int64_t>(n) - capacity;
  if (n > 2 * kBlockUnit && 5 * shortfall < n) {
    target = n < kDoublingLimit ? 2 * static_cast<int64_t>(capacity)
                                : static_cast<int64_t>(capacity) * 3 / 2;
  }
  // Half as much again may pass what a 32-bit length can count: then the buffer takes the
  // largest capacity at once. Growing by the exact amount asked instead would make every
  // append near 2 GiB copy the whole text.
  if (target > kMaxCapacity) target = std::max<int64_t>(n, kMaxCapacity);
  if (target > kMaxCapacity) EndForLackOfMemory();  // beyond what a 32-bit length can count
  Reallocate(static_cast<int>(target));
}

void TextString::Reallocate(int newCapacity) {
  const int64_t bytes = BlockBytesFor(newCapacity);
  // realloc moves a large block by remapping its pages, without copying or touching them.
  char* block = static_cast<char*>(std::realloc(data, static_cast<size_t>(bytes)));
  if (block == nullptr) EndForLackOfMemory();
  block[length] = 0;
  data = block;
  capacity = static_cast<int>(bytes - 2);
  AdviseLargeBlock(block, static_cast<size_t>(bytes));
}

void TextString::SetLength(int newLength) {
  length = newLength;
  data[length] = 0;
}

void TextString::Swap(TextString& other) noexcept {
  std::swap(data, other.data);
  std::swap(length, other.length);
  std::swap(capacity, other.capacity);
}

// --- Assignment and concatenation -------------------------------------------------------

int TextString::Assign(const char* text) {
  if (text == data) return 1;
  return AssignBytes(text, CStringLength(text));
}

int TextString::AssignSub(const char* text, int start, int count) {
  if (text == nullptr) return Clear();
  if (count < 0) count = CStringLength(text) - start;
  if (count < 0) count = 0;
  return AssignBytes(text + start, count);
}

int TextString::AssignBytes(const char* bytes, int n) {
  if (n < 0 || (bytes == nullptr && n > 0)) return 0;
  if (n > capacity) {
    // The source may lie in our own buffer: copy it out before the buffer moves.
    TextString copy;
    copy.Reserve(n);
    std::memcpy(copy.data, bytes, static_cast<size_t>(n));
    copy.SetLength(n);
    Swap(copy);
    return 1;
  }
  if (n > 0) std::memmove(data, bytes, static_cast<size_t>(n));
  SetLength(n);
  return 1;
}

int TextString::Clear() {
  SetLength(0);
  return 1;
}

int TextString::AppendChar(char c) {
  Reserve(length + 1);
  data[length] = c;
  SetLength(length + 1);
  return 1;
}

int TextString::Append(const char* text) { return AppendBytes(text, CStringLength(text)); }

int TextString::AppendBytes(const char* bytes, int n) {
  if (n < 0 || (bytes == nullptr && n > 0)) return 0;
  if (n == 0) return 1;
  if (static_cast<int64_t>(length) + n > kMaxCapacity) EndForLackOfMemory();
  if (length + n > capacity) {
    // The source may lie in our own buffer, which Reserve is about to free.
    const bool inside = bytes >= data && bytes < data + length;
    const int64_t offset = bytes - data;
    Reserve(length + n);
    if (inside) bytes = data + offset;
  }
  std::memmove(data + length, bytes, static_cast<size_t>(n));
  SetLength(length + n);
  return 1;
}

TextString& TextString::operator+=(const TextString& other) {
  AppendBytes(other.data, other.length);
  return *this;
}

TextString& TextString::operator+=(const char* text) {
  Append(text);
  return *this;
}

TextString& TextString::operator+=(int value) {
  AppendNumber('1', value, 0);
  return *this;
}

TextString operator+(const TextString& left, const TextString& right) {
  TextString result(left);
  result += right;
  return result;
}

TextString operator+(const TextString& left, const char* right) {
  TextString result(left);
  result += right;
  return result;
}

TextString operator+(const char* left, const TextString& right) {
  TextString result(left);
  result += right;
  return result;
}

void TextString::ToUpper() {
  for (int i = 0; i < length; ++i) data[i] = ToAsciiUpper(data[i]);
}

void TextString::ToLower() {
  for (int i = 0; i < length; ++i) data[i] = ToAsciiLower(data[i]);
}

// --- Comparison and search --------------------------------------------------------------

int TextString::Equals(const char* text, LetterCase letterCase, Blanks blanks) const {
  if (text == nullptr) return 0;
  const int textLength = CStringLength(text);
  const bool ignoreBlanks = blanks == Blanks::kIgnored;
  if (!ignoreBlanks && textLength != length) return 0;
  int i = 0;
  int k = 0;
  while (i < length && k < textLength) {
    if (ignoreBlanks) {
      while (i < length && IsBlank(data[i])) ++i;
      while (k < textLength && IsBlank(text[k])) ++k;
      if (i == length || k == textLength) break;
    }
    if (!SameChar(data[i], text[k], letterCase)) return 0;
    ++i;
    ++k;
  }
  return 1;
}

int TextString::StartsWith(const char* prefix, LetterCase letterCase) const {
  if (prefix == nullptr || prefix[0] == '\0') return 0;
  // One pass over the prefix: most calls fail on its first character.
  for (int i = 0; prefix[i] != '\0'; ++i) {
    if (i >= length || !SameChar(data[i], prefix[i], letterCase)) return 0;
  }
  return 1;
}

int TextString::CompareN(const char* a, const char* b, int n, LetterCase letterCase) {
  if (n <= 0) return 0;
  if (a == nullptr) return b == nullptr ? 0 : -1;
  if (b == nullptr) return 1;
  for (int i = 0; i < n; ++i) {
    const signed char ca = static_cast<signed char>(a[i]);
    const signed char cb = static_cast<signed char>(b[i]);
    if (ca == 0 && cb == 0) return 0;  // both ended: the rest compares equal
    if (ca == 0) return -1;
    if (cb == 0) return 1;
    if (ca == cb || (letterCase == LetterCase::kIgnored && ToAsciiUpper(ca) == ToAsciiUpper(cb))) {
      continue;
    }
    return ca < cb ? -1 : 1;
  }
  return 0;
}

int TextString::Find(int from, const char* text, int& pos, LetterCase letterCase) const {
  pos = -1;
  if (from < 0 || from > length) return 0;
  pos = FindIn(data, length, from, text, CStringLength(text), letterCase);
  return pos >= 0 ? 1 : 0;
}

int TextString::FindChar(int from, char c, int& pos, LetterCase letterCase) const {
  const char needle[1] = {c};
  pos = -1;
  if (from < 0 || from > length) return 0;
  pos = FindIn(data, length, from, needle, 1, letterCase);
  return pos >= 0 ? 1 : 0;
}

const char* TextString::FindNoCase(const char* text) const {
  const int at = FindIn(data, length, 0, text, CStringLength(text), LetterCase::kIgnored);
  return at >= 0 ? data + at : nullptr;
}

int TextString::CountChar(char c) const {
  int count = 0;
  for (int i = 0; i < length; ++i) count += data[i] == c ? 1 : 0;
  return count;
}

// --- Editing ----------------------------------------------------------------------------

int TextString::InsertChar(int pos, char c) {
  if (pos < 0 || pos > length) return 0;
  Reserve(length + 1);
  std::memmove(data + pos + 1, data + pos, static_cast<size_t>(length - pos));
  data[pos] = c;
  SetLength(length + 1);
  return 1;
}

int TextString::Insert(int pos, const char* text) {
  if (pos < 0 || pos > length) return 0;
  const int n = CStringLength(text);
  if (n == 0) return 1;
  TextString copy(text);  // the text may lie in our own buffer
  Reserve(length + n);
  std::memmove(data + pos + n, data + pos, static_cast<size_t>(length - pos));
  std::memcpy(data + pos, copy.data, static_cast<size_t>(n));
  SetLength(length + n);
  return 1;
}

int TextString::Mid(int start, int count) {
  if (start < 0 || start > length) return 0;
  if (count < 0) count = 0;
  if (count > length - start) count = length - start;
  std::memmove(data, data + start, static_cast<size_t>(count));
  SetLength(count);
  return 1;
}

int TextString::Splice(int start, int count, const char* text, int textLength) {
  if (start < 0 || count < 0 || start > length - count || textLength < 0 ||
      (text == nullptr && textLength > 0)) {
    return 0;
  }
  if (static_cast<int64_t>(length) - count + textLength > kMaxCapacity) EndForLackOfMemory();
  const int newLength = length - count + textLength;
  if (textLength > count) Reserve(newLength);
  std::memmove(data + start + textLength, data + start + count,
               static_cast<size_t>(length - start - count));
  if (textLength > 0) std::memcpy(data + start, text, static_cast<size_t>(textLength));
  SetLength(newLength);
  return 1;
}

int TextString::RemoveChar(int from, char c, int max) {
  if (from < 0 || from > length) return 0;
  int removed = 0;
  int out = from;
  for (int i = from; i < length; ++i) {
    if (data[i] == c && (max <= 0 || removed < max)) {
      ++removed;
      continue;
    }
    data[out++] = data[i];
  }
  SetLength(out);
  return (max <= 0 || removed == max) ? 1 : 0;
}

int TextString::ReplaceChar(int from, char oldChar, char newChar, int max) {
  if (length == 0) return 1;
  if (from < 0 || from > length) return 0;
  int replaced = 0;
  for (int i = from; i < length && (max <= 0 || replaced < max); ++i) {
    if (data[i] != oldChar) continue;
    data[i] = newChar;
    ++replaced;
  }
  return (max <= 0 || replaced == max) ? 1 : 0;
}

namespace {

// Whether a replacement limited to `max` (0 or less: no limit) may replace once more.
bool MayReplaceMore(int replaced, int max) { return max <= 0 || replaced < max; }

}  // namespace

int TextString::FillOccurrences(int from, const TextString& findText, char fillChar, int max,
                                LetterCase letterCase) {
  int replaced = 0;
  int scan = from;
  while (MayReplaceMore(replaced, max)) {
    const int at = FindIn(data, length, scan, findText.data, findText.length, letterCase);
    if (at < 0) break;
    std::memset(data + at, fillChar, static_cast<size_t>(findText.length));
    scan = at + findText.length;
    ++replaced;
  }
  return replaced;
}

int TextString::ReplaceInPlace(int from, const TextString& findText, const TextString& withText,
                               int max, LetterCase letterCase) {
  const int findLength = findText.length;
  const int withLength = withText.length;
  int replaced = 0;
  int scan = from;
  while (MayReplaceMore(replaced, max)) {
    const int at = FindIn(data, length, scan, findText.data, findLength, letterCase);
    if (at < 0) break;
    if (withLength != findLength) {
      const int newLength = length - findLength + withLength;
      Reserve(newLength);
      std::memmove(data + at + withLength, data + at + findLength,
                   static_cast<size_t>(length - at - findLength));
      SetLength(newLength);
    }
    std::memcpy(data + at, withText.data, static_cast<size_t>(withLength));
    scan = at + withLength;
    ++replaced;
  }
  return replaced;
}

int TextString::ReplaceIntoNewBuffer(int from, const TextString& findText,
                                     const TextString& withText, int max, LetterCase letterCase) {
  TextString rebuilt;
  rebuilt.Reallocate(capacity);
  rebuilt.AppendBytes(data, from);
  int replaced = 0;
  int scan = from;
  while (MayReplaceMore(replaced, max)) {
    const int at = FindIn(data, length, scan, findText.data, findText.length, letterCase);
    if (at < 0) break;
    rebuilt.AppendBytes(data + scan, at - scan);
    rebuilt.AppendBytes(withText.data, withText.length);
    scan = at + findText.length;
    ++replaced;
  }
  rebuilt.AppendBytes(data + scan, length - scan);
  Swap(rebuilt);
  return replaced;
}

int TextString::Replace(int from, const char* find, const char* with, int max,
                        LetterCase letterCase, const char* fill, int* count) {
  if (from < 0 || from > length || find == nullptr || (with == nullptr && fill == nullptr)) {
    return 0;
  }
  const int findLength = CStringLength(find);
  if (findLength == 0) return 0;
  if (length == 0) return 1;

  // Copies, because either text may lie in this string's buffer, which the edits change.
  const TextString findText(find);
  int replaced = 0;
  if (with == nullptr) {
    replaced = FillOccurrences(from, findText, *fill, max, letterCase);
  } else {
    const TextString withText(with);
    // One left-to-right pass into a fresh buffer: a document with thousands of
    // occurrences is never shifted once per occurrence.
    const bool newBuffer = withText.length != findLength && length > kOnePassReplaceLength;
    replaced = newBuffer ? ReplaceIntoNewBuffer(from, findText, withText, max, letterCase)
                         : ReplaceInPlace(from, findText, withText, max, letterCase);
  }
  if (count != nullptr) *count += replaced;
  return MayReplaceMore(replaced, max) && max > 0 ? 0 : 1;
}

int TextString::ReplaceAll(const char* find, const char* with, int max, LetterCase letterCase) {
  return Replace(0, find, with, max, letterCase, nullptr, nullptr);
}

int TextString::Trim(TrimEnds ends, const char* set) {
  const char* chars = set == nullptr ? " " : set;
  const bool spaceInSet = std::strchr(chars, ' ') != nullptr;
  const auto inSet = [&](char c) {
    return (c != 0 && std::strchr(chars, c) != nullptr) || (spaceInSet && c == '\t');
  };
  int end = length;
  while (end > 0 && inSet(data[end - 1])) --end;
  int start = 0;
  if (ends == TrimEnds::kBoth) {
    while (start < end && inSet(data[start])) ++start;
  }
  std::memmove(data, data + start, static_cast<size_t>(end - start));
  SetLength(end - start);
  return 1;
}

int TextString::CollapseBlanks() {
  int out = 0;
  for (int i = 0; i < length; ++i) {
    if (IsBlank(data[i]) && i > 0 && IsBlank(data[i - 1])) continue;
    data[out++] = data[i];
  }
  SetLength(out);
  return 1;
}

int TextString::ExpandTabs(int width) {
  if (width < 1 || std::memchr(data, '\t', static_cast<size_t>(length)) == nullptr) {
    return length;
  }
  TextString expanded;
  expanded.Reserve(length);
  for (int i = 0; i < length; ++i) {
    if (data[i] != '\t') {
      expanded.AppendChar(data[i]);
      continue;
    }
    // The tab stands at index `column` of the text expanded so far.
    const int column = expanded.length;
    const int blanks = width * ((width + column) / width) - column;
    for (int k = 0; k < blanks; ++k) expanded.AppendChar(' ');
  }
  Swap(expanded);
  return length;
}

namespace {

// Whether the blank at text[i] is a gap that Justify widens: a blank followed by a
// non-blank, except the one at index 1.
bool IsJustifyGap(char c, char right, int i) { return c == ' ' && right != ' ' && i != 1; }

int CountJustifyGaps(const char* text, int length) {
  int gaps = 0;
  for (int i = 0; i + 1 < length; ++i) {
    if (IsJustifyGap(text[i], text[i + 1], i)) ++gaps;
  }
  return gaps;
}

// How much of `extra` `blanks` blanks are, in whole per cent: the layout has always
// truncated this share.
int WholePercentOf(int blanks, int extra) { return (100 * blanks) / extra; }

// The blanks that gap number `gap` (counted from the right, of `gaps`) takes when `added`
// of the `extra` blanks have been handed out. A gap takes a first blank while the share
// handed out so far stays below its own position's share, and further blanks while one
// more would too; the leftmost takes what is left over.
int BlanksAtGap(int gap, int gaps, int added, int extra, bool leansRight) {
  if (gap == gaps) return extra - added;
  const double share = 100.0 * gap / gaps;
  const int firstProbe = leansRight ? added : added + 1;
  if (WholePercentOf(firstProbe, extra) >= share) return 0;
  int blanks = 1;
  while (WholePercentOf(added + blanks + 1, extra) < share) ++blanks;
  return blanks;
}

}  // namespace

void ResetJustifyDirection() { justifyLeansRight = true; }

int TextString::Justify(int width) {
  justifyLeansRight = !justifyLeansRight;  // flips whatever this call's outcome
  const bool leansRight = justifyLeansRight;

  Trim(TrimEnds::kBoth, " \t");
  const int shown = DisplayWidth(View());
  if (shown > width) return 0;
  const int gaps = CountJustifyGaps(data, length);
  if (gaps == 0) return 0;
  const int extra = width - shown;
  if (extra == 0) return 1;

  // Copy from right to left into the final place, handing out blanks at each gap. Gaps
  // are numbered from the right. The gaps are ASCII blanks, so the bytes of wider
  // characters move as they stand.
  const int widened = length + extra;
  Reserve(widened);
  int dst = widened - 1;
  int gap = 0;
  int added = 0;
  char right = 0;  // the character right of src in the text before widening
  for (int src = length - 1; src >= 0; --src) {
    const char c = data[src];
    data[dst--] = c;
    const bool isGap = src + 1 < length && IsJustifyGap(c, right, src);
    right = c;
    if (!isGap) continue;
    ++gap;
    const int blanks = BlanksAtGap(gap, gaps, added, extra, leansRight);
    for (int k = 0; k < blanks; ++k) data[dst--] = ' ';
    added += blanks;
  }
  SetLength(widened);
  return 1;
}

// --- Tokens -----------------------------------------------------------------------------

namespace {

constexpr char kWordModeDelimiter = static_cast<char>(0xBF);

// Length of the token that begins at text[0, n): up to its first delimiter.
int TokenLength(const char* text, int n, char delim) {
  int i = 0;
  if (delim == ' ') {
    while (i < n && !IsBlank(text[i])) ++i;
  } else if (delim == kWordModeDelimiter) {
    for (; i < n; ++i) {
      const char c = text[i];
      if (c == '\t' || c == ' ' || c == ',' || c == ';' || c == '<' || c == '>') break;
      if (c == '&' && i + 3 < n && text[i + 2] == 't' && text[i + 3] == ';' &&
          (text[i + 1] == 'l' || text[i + 1] == 'g')) {
        break;
      }
    }
  } else {
    while (i < n && text[i] != delim) ++i;
  }
  return i;
}

}  // namespace

int TextString::GetToken(int n, char delim, TextString& out) const {
  int offset = 0;
  return GetTokenAt(0, n, delim, out, offset);
}

int TextString::GetTokenAt(int start, int n, char delim, TextString& out, int& offset) const {
  offset = 0;
  if (n <= 0 || start < 0 || start >= length || (delim == kWordModeDelimiter && n != 1)) {
    out.Clear();
    return 0;
  }
  const char* text = data + start;
  const int textLength = length - start;
  int at = 0;
  if (delim == ' ') {
    while (at < textLength && IsBlank(text[at])) ++at;
  }
  for (int token = 1;; ++token) {
    if (delim == ' ' && at == textLength) break;  // only blanks were left: no more tokens
    const int tokenLength = TokenLength(text + at, textLength - at, delim);
    if (token == n) {
      offset = at;
      out.AssignBytes(text + at, tokenLength);  // `out` may be this string
      return 1;
    }
    at += tokenLength;
    if (delim == ' ') {
      while (at < textLength && IsBlank(text[at])) ++at;
    } else {
      ++at;  // step over the delimiter
    }
    if (at >= textLength) break;  // a delimiter at the very end opens no token
  }
  out.Clear();
  return 0;
}

int TextString::GetNextToken(int& pos, char delim, TextString& out) const {
  if (pos < 0) pos = 0;
  if (pos >= length) {
    out.Clear();
    return 0;
  }
  const int sourceLength = length;  // `out` may be this string
  const int tokenLength = TokenLength(data + pos, length - pos, delim);
  out.AssignBytes(data + pos, tokenLength);
  pos = pos + tokenLength + 1 < sourceLength ? pos + tokenLength + 1 : sourceLength;
  return 1;
}

}  // namespace quorlex
