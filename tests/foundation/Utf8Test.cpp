#include <gtest/gtest.h>
#include <utf8proc.h>

#include <string_view>

#include "foundation/Utf8.h"
#include "tests/support/Utf8Sequence.h"

namespace quorlex {
namespace {

using testing::IsInUtf8Sequence;

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

// Each row is measured twice: by DisplayWidth, which counts ASCII runs a byte at a time,
// and character by character through CharacterAt.
TEST(DisplayWidth, CountsColumnsPerCodePoint) {
  static const struct {
    const char* name;
    std::string_view text;
    int columns;
  } kCases[] = {
      {"ascii", "Hello, world", 12},
      {"precomposed Latin", "caf\xC3\xA9", 4},
      {"combining acute", "cafe\xCC\x81", 4},
      {"Cyrillic", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 6},
      {"Greek, ambiguous width", "\xCE\xB1\xCE\xB2\xCE\xB3", 3},
      {"CJK ideographs", "\xE4\xB8\xAD\xE6\x96\x87", 4},
      {"fullwidth letter", "\xEF\xBC\xA1", 2},
      {"emoji", "\xF0\x9F\x98\x80", 2},
      // man ZWJ woman ZWJ girl: each emoji counts, the joiners do not
      {"family joined by ZWJ",
       "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7", 6},
      {"variation selector", "\xE2\x9D\xA4\xEF\xB8\x8F", 1},
      {"Arabic with a vowel mark", "\xD9\x85\xD9\x8E\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7", 5},
      {"zero-width space and joiners",
       "a\xE2\x80\x8B\xE2\x80\x8C\xE2\x80\x8D\xE2\x80\x8E\xE2\x80\x8F\xE2\x81\xA0"
       "b",
       2},
      {"no-break space",
       "a\xC2\xA0"
       "b",
       3},
      {"8-bit bytes take a column each", "caf\xE9 \x93quoted\x94", 13},
      {"empty", "", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.columns, DisplayWidth(c.text));
    int columns = 0;
    for (int i = 0; i < Size(c.text);) {
      const TextCharacter character = CharacterAt(c.text, i);
      columns += character.width;
      i += character.size;
    }
    EXPECT_EQ(c.columns, columns);
  }
}

// The scripts CodePointWidth measures without the table, measured with it as the rule of
// Utf8.h states: ignorable 0, combining marks 0, wide 2, else 1.
TEST(CodePointWidth, ShortcutsAgreeWithTheUnicodeTables) {
  const auto fromTable = [](char32_t codePoint) {
    const utf8proc_property_t* p = utf8proc_get_property(static_cast<utf8proc_int32_t>(codePoint));
    const bool mark = p->category == UTF8PROC_CATEGORY_MN || p->category == UTF8PROC_CATEGORY_MC ||
                      p->category == UTF8PROC_CATEGORY_ME;
    return p->ignorable || mark ? 0 : p->charwidth == 2 ? 2 : 1;
  };
  static const struct {
    char32_t first, last;
  } kRanges[] = {{0x80, 0x500}, {0x4DF0, 0xA010}, {0xABF0, 0xD7B0}};
  for (const auto& range : kRanges) {
    for (char32_t codePoint = range.first; codePoint <= range.last; ++codePoint) {
      SCOPED_TRACE(static_cast<int>(codePoint));
      ASSERT_EQ(fromTable(codePoint), CodePointWidth(codePoint));
    }
  }
}

TEST(FittingLength, KeepsWholeCharactersWithinTheColumns) {
  static const struct {
    const char* name;
    std::string_view text;
    int columns;
    int bytes;
  } kCases[] = {
      {"ascii cut", "abcdef", 4, 4},
      {"all fits", "abc", 10, 3},
      {"no columns", "abc", 0, 0},
      {"wide character does not half fit", "a\xE4\xB8\xAD", 2, 1},
      {"wide character fits",
       "a\xE4\xB8\xAD"
       "b",
       3, 4},
      {"first character too wide", "\xE4\xB8\xAD", 1, 0},
      {"combining mark stays with its letter", "ae\xCC\x81x", 2, 4},
      {"empty", "", 5, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.bytes, FittingLength(c.text, c.columns));
  }
}

}  // namespace
}  // namespace quorlex
