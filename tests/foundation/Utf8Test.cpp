#include <gtest/gtest.h>

#include <string_view>

#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// `length` below the size of `text` checks that nothing past the given length is read.
struct Probe {
  const char* name;
  std::string_view text;
  int length;
  int pos;
  int expected;
};

int Size(std::string_view text) { return static_cast<int>(text.size()); }

TEST(Utf8SequenceLength, MeasuresOnlyValidSequences) {
  static const Probe kCases[] = {
      {"ascii", "A", 1, 0, 0},
      {"two bytes smallest", "\xC2\x80", 2, 0, 2},
      {"three bytes", "\xE2\x80\x94", 3, 0, 3},
      {"three bytes smallest", "\xE0\xA0\x80", 3, 0, 3},
      {"last before surrogates", "\xED\x9F\xBF", 3, 0, 3},
      {"four bytes smallest", "\xF0\x90\x80\x80", 4, 0, 4},
      {"largest code point", "\xF4\x8F\xBF\xBF", 4, 0, 4},
      {"at a later position", "ab\xC3\xA9", 4, 2, 2},
      {"continuation byte", "\xC3\xA9", 2, 1, 0},
      {"overlong two bytes C1", "\xC1\xBF", 2, 0, 0},
      {"overlong three bytes", "\xE0\x9F\xBF", 3, 0, 0},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", 4, 0, 0},
      {"surrogate", "\xED\xA0\x80", 3, 0, 0},
      {"above U+10FFFF", "\xF4\x90\x80\x80", 4, 0, 0},
      {"lead F5", "\xF5\x80\x80\x80", 4, 0, 0},
      {"second byte not continuation", "\xC3Z", 2, 0, 0},
      {"fourth byte not continuation", "\xF0\x9F\x98Z", 4, 0, 0},
      {"cut off by the text", "\xE2\x80", 2, 0, 0},
      {"cut off by the length", "\xC3\xA9", 1, 0, 0},
      {"before the text", "\xC3\xA9", 2, -1, 0},
      {"at the end of the text", "\xC3\xA9", 2, 2, 0},
      {"empty text", "", 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, Utf8SequenceLength(c.text.data(), c.length, c.pos));
  }
  EXPECT_EQ(0, Utf8SequenceLength(nullptr, 4, 0));
}

TEST(IsInUtf8Sequence, FindsTheLeadByteUpToThreeBack) {
  static const std::string_view kDash = "x\xE2\x80\x94y";
  static const std::string_view kFace = "\xF0\x9F\x98\x80";
  static const Probe kCases[] = {
      {"ascii before", kDash, Size(kDash), 0, 0},
      {"lead byte", kDash, Size(kDash), 1, 1},
      {"first continuation", kDash, Size(kDash), 2, 1},
      {"last continuation", kDash, Size(kDash), 3, 1},
      {"ascii after", kDash, Size(kDash), 4, 0},
      {"three back", kFace, Size(kFace), 3, 1},
      {"lone continuation", "a\x97", 2, 1, 0},
      {"continuation at the start", "\xA9", 1, 0, 0},
      {"one continuation too many", "\xC3\xA9\xA9", 3, 2, 0},
      {"four continuations", "\x80\x80\x80\x80", 4, 3, 0},
      {"continuation of an overlong lead", "\xC0\xA0", 2, 1, 0},
      {"continuation of a surrogate", "\xED\xA0\x80", 3, 2, 0},
      {"cut off by the text", "\xE2\x80", 2, 1, 0},
      {"cut off by the length", "\xE2\x80\x94", 2, 1, 0},
      {"before the text", kDash, Size(kDash), -1, 0},
      {"at the end of the text", kDash, Size(kDash), Size(kDash), 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected != 0, IsInUtf8Sequence(c.text.data(), c.length, c.pos));
  }
  EXPECT_FALSE(IsInUtf8Sequence(nullptr, 4, 0));
}

// The word-at-a-time scan and the count built on it, around the eight-byte steps.
TEST(NextNonAscii, FindsHighBytesInAndBetweenWords) {
  static const std::string_view kText = "abcdefg\xE9ijklmnopqrstu\xC3\xA9vwxyz";  // 7, 21
  static const Probe kCases[] = {
      {"last byte of the first word", kText, Size(kText), 0, 7},
      {"from the high byte itself", kText, Size(kText), 7, 7},
      {"in the third word", kText, Size(kText), 8, 21},
      {"none before the end", kText, Size(kText), 23, Size(kText)},
      {"cut off before it", kText, 20, 8, 20},
      {"from before the text", kText, Size(kText), -3, 7},
      {"empty", "", 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, NextNonAscii(c.text.data(), c.length, c.pos));
  }
  // é in Windows-1252 is one column, in UTF-8 two bytes for one.
  EXPECT_EQ(Size(kText) - 1, DisplayWidth(kText));
}

}  // namespace
}  // namespace quorlex
