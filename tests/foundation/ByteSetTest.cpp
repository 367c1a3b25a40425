#include <gtest/gtest.h>

#include <random>
#include <string>

#include "foundation/ByteSet.h"

namespace quorlex {
namespace {

ByteSet SetOf(const std::string& bytes) {
  ByteSet set;
  for (const char c : bytes) set.Add(static_cast<unsigned char>(c));
  return set;
}

// The vector search agrees with a byte-by-byte one: sets of one to five bytes, followers
// few and many, below 128 and above, hits on both sides of every 16-byte boundary, a start
// byte last in the text.
TEST(ByteSetTest, FindsTheStartBytesThatTheirFollowersFollow) {
  struct Row {
    const char* starts;
    const char* followers;
  };
  std::mt19937 random(9);
  for (const Row& row :
       {Row{"<", "ai"}, Row{"<&", "/a<"}, Row{"<&#", "x"}, Row{"<&#;", "!-"}, Row{"<&#;>", "a"},
        Row{"<", "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ/!<"}, Row{"<", "a\xE9"},
        Row{"\xE9", "\x7F"}}) {
    SCOPED_TRACE(row.starts);
    const ByteSet starts = SetOf(row.starts);
    const ByteSet followers = SetOf(row.followers);
    for (int round = 0; round < 200; ++round) {
      std::string text(static_cast<size_t>(random() % 90), ' ');
      for (char& c : text) c = "<&#;>ai/x!- bQ\x7F\xE9"[random() % 16];
      const int length = static_cast<int>(text.size());
      for (int from = 0; from <= length; from += 7) {
        int expected = from;
        while (expected < length &&
               !(starts.Contains(static_cast<unsigned char>(text[expected])) &&
                 (expected + 1 == length ||
                  followers.Contains(static_cast<unsigned char>(text[expected + 1]))))) {
          ++expected;
        }
        ASSERT_EQ(starts.FindNextFollowedBy(text.data(), length, from, followers), expected)
            << text << " from " << from;
      }
    }
  }
}

}  // namespace
}  // namespace quorlex
