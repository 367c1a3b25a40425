#include "foundation/Utf8.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "foundation/TextString.h"

namespace quorlex {

static bool IsContinuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

int Utf8SequenceLength(const char* text, int length, int pos) {
  if (text == nullptr || pos < 0 || pos >= length) return 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const unsigned char lead = bytes[pos];
  int size = 0;
  // The range allowed for the second byte is what rules out overlong forms (E0, F0),
  // surrogates (ED) and code points above U+10FFFF (F4).
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    size = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    size = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    size = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (length - pos < size) return 0;
  if (bytes[pos + 1] < secondLow || bytes[pos + 1] > secondHigh) return 0;
  for (int i = 2; i < size; ++i) {
    if (!IsContinuation(bytes[pos + i])) return 0;
  }
  return size;
}

int NextNonAscii(const char* text, int length, int from) {
  int i = from < 0 ? 0 : from;
  for (; i + 8 <= length; i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, text + i, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) break;
  }
  while (i < length && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i < length ? i : length;
}

namespace {

// The width Unicode's tables give a code point above ASCII.
int TableWidth(char32_t codePoint) {
  const utf8proc_property_t* property =
      utf8proc_get_property(static_cast<utf8proc_int32_t>(codePoint));
  if (property->ignorable) return 0;
  switch (property->category) {
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_MC:
    case UTF8PROC_CATEGORY_ME:
      return 0;
    default:
      // utf8proc gives 0 to controls and unassigned code points too: they take a column.
      return property->charwidth == 2 ? 2 : 1;
  }
}

}  // namespace

int CodePointWidth(char32_t codePoint) {
  if (codePoint < 0x80 || codePoint > 0x10FFFF) return 1;
  // The commonest scripts skip the table: Latin, Greek and Cyrillic letters take one column
  // (the soft hyphen none), CJK ideographs and Hangul syllables two.
  if (codePoint < 0x300) return codePoint == 0xAD ? 0 : 1;
  if (codePoint >= 0x370 && codePoint < 0x483) return 1;
  if ((codePoint >= 0x4E00 && codePoint <= 0x9FFF) ||
      (codePoint >= 0xAC00 && codePoint <= 0xD7A3)) {
    return 2;
  }
  return TableWidth(codePoint);
}

TextCharacter CharacterAt(std::string_view text, int pos) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  if (bytes[pos] < 0x80) return TextCharacter{bytes[pos], 1, 1};
  const int size = Utf8SequenceLength(text.data(), static_cast<int>(text.size()), pos);
  if (size == 0) return TextCharacter{bytes[pos], 1, 1};
  // The lead byte keeps 7 - size bits, each continuation byte 6.
  char32_t codePoint = bytes[pos] & (0x7F >> size);
  for (int i = 1; i < size; ++i) codePoint = (codePoint << 6) | (bytes[pos + i] & 0x3F);
  return TextCharacter{codePoint, size, CodePointWidth(codePoint)};
}

int DisplayWidth(std::string_view text) {
  const int length = static_cast<int>(text.size());
  int width = 0;
  for (int i = 0; i < length;) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      const int ascii = NextNonAscii(text.data(), length, i);
      width += ascii - i;  // a column per ASCII byte
      i = ascii;
      continue;
    }
    const TextCharacter character = CharacterAt(text, i);
    width += character.width;
    i += character.size;
  }
  return width;
}

int FittingLength(std::string_view text, int columns) {
  const int length = static_cast<int>(text.size());
  int used = 0;
  for (int i = 0; i < length;) {
    // An ASCII run takes a column a byte; only as many bytes as columns are left are read.
    const int stop = i + std::min(length - i, std::max(columns - used, 0));
    const int ascii = NextNonAscii(text.data(), stop, i);
    used += ascii - i;
    i = ascii;
    if (i == length) break;
    if (static_cast<unsigned char>(text[i]) < 0x80) return i;  // no column left for it
    const TextCharacter character = CharacterAt(text, i);
    if (used + character.width > columns) return i;
    used += character.width;
    i += character.size;
  }
  return length;
}

bool RemoveUtf8ByteOrderMark(TextString& line) {
  if (!line.View().starts_with("\xEF\xBB\xBF")) return false;
  line.Mid(3, line.Length());
  return true;
}

int EncodeUtf8(unsigned int cp, char (&bytes)[4]) {
  if (cp < 0x80) {
    bytes[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
    bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
    bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
  bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

void AppendUtf8(TextString& text, unsigned int cp) {
  char bytes[4];
  text.AppendBytes(bytes, EncodeUtf8(cp, bytes));
}

}  // namespace quorlex
