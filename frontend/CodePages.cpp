#include "frontend/CodePages.h"

#include <cstdint>

#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// Code points of the bytes 0x80 to 0x9F of Windows-1252 (0xA0 to 0xFF equal Latin-1).
// The undefined bytes keep their own number.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Code points of the bytes 0x80 to 0xBF of Windows-1251 (0xC0 to 0xFF are U+0410 to
// U+044F, the Cyrillic capitals and small letters in alphabetical order).
constexpr uint16_t kWindows1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

uint16_t CodePoint(unsigned char byte, CodePage codePage) {
  if (byte < 0x80) return byte;
  if (codePage == CodePage::Windows1251) {
    return byte >= 0xC0 ? static_cast<uint16_t>(0x0410 + (byte - 0xC0))
                        : kWindows1251High[byte - 0x80];
  }
  return byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

void AppendUtf8(uint16_t codePoint, std::string& out) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string ToUtf8(std::string_view bytes, CodePage codePage) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  const int length = static_cast<int>(bytes.size());
  for (int i = 0; i < length;) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (codePage == CodePage::Utf8 && byte >= 0x80) {
      const int sequence = Utf8SequenceLength(bytes.data(), length, i);
      if (sequence > 0) {
        out.append(bytes.data() + i, static_cast<size_t>(sequence));
        i += sequence;
        continue;
      }
      AppendUtf8(CodePoint(byte, CodePage::Windows1252), out);
    } else {
      AppendUtf8(CodePoint(byte, codePage), out);
    }
    ++i;
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  const int length = static_cast<int>(bytes.size());
  for (int i = 0; i < length;) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const int sequence = Utf8SequenceLength(bytes.data(), length, i);
    if (sequence == 0) return false;
    i += sequence;
  }
  return true;
}

CodePage GuessCodePage(std::string_view bytes) {
  int high = 0;
  int letters = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      ++high;
    } else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')) {
      ++letters;
    }
  }
  if (high > 0 && IsValidUtf8(bytes)) return CodePage::Utf8;
  return high > letters ? CodePage::Windows1251 : CodePage::Windows1252;
}

std::string MessageToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return ToUtf8(bytes, CodePage::Windows1252);
}

}  // namespace quorlex
