#include "foundation/Utf8.h"

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

bool IsInUtf8Sequence(const char* text, int length, int pos) {
  if (text == nullptr || pos < 0 || pos >= length) return false;
  // A continuation byte belongs to the sequence whose lead stands at most three bytes back;
  // the lead byte itself is the case back == 0.
  for (int back = 0; back <= 3 && back <= pos; ++back) {
    if (Utf8SequenceLength(text, length, pos - back) > back) return true;
  }
  return false;
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

int ShownLength(const char* text, int length) {
  int shown = 0;
  for (int i = 0; i < length;) {
    const int ascii = NextNonAscii(text, length, i);
    shown += ascii - i;  // one character per ASCII byte
    i = ascii;
    if (i == length) break;
    const int sequence = Utf8SequenceLength(text, length, i);
    i += sequence > 0 ? sequence : 1;
    ++shown;
  }
  return shown;
}

bool RemoveUtf8ByteOrderMark(TextString& line) {
  if (!line.View().starts_with("\xEF\xBB\xBF")) return false;
  line.Mid(3, line.Length());
  return true;
}

void AppendUtf8(TextString& text, unsigned int cp) {
  char bytes[4];
  int count = 0;
  if (cp < 0x80) {
    bytes[count++] = static_cast<char>(cp);
  } else if (cp < 0x800) {
    bytes[count++] = static_cast<char>(0xC0 | (cp >> 6));
    bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    bytes[count++] = static_cast<char>(0xE0 | (cp >> 12));
    bytes[count++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    bytes[count++] = static_cast<char>(0xF0 | (cp >> 18));
    bytes[count++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    bytes[count++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[count++] = static_cast<char>(0x80 | (cp & 0x3F));
  }
  text.AppendBytes(bytes, count);
}

}  // namespace quorlex
