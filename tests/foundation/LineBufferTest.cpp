#include <gtest/gtest.h>

#include <string>

#include "foundation/LineBuffer.h"

namespace quorlex {
namespace {

// The buffer grows by itself, at once by Reserve, or both; the lines come out whole either
// way, across growth by a line longer than all the buffer held before.
TEST(LineBufferTest, LinesSurviveGrowth) {
  struct Row {
    const char* name;
    size_t reserved;
  };
  for (const Row& row : {Row{"grows by itself", 0}, Row{"reserved short", 100},
                         Row{"reserved large", size_t{10} << 20}}) {
    SCOPED_TRACE(row.name);
    LineBuffer lines;
    lines.Reserve(row.reserved);
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
      const std::string line(static_cast<size_t>(i % 7 == 0 ? 0 : i * 3 % 500), 'a' + i % 26);
      lines.Add(line);
      expected += line + '\n';
    }
    const std::string huge(size_t{9} << 20, 'z');
    lines.Add(huge);
    lines.Add(std::string_view());
    expected += huge + "\n\n";
    EXPECT_EQ(lines.Text(), expected);
    EXPECT_EQ(lines.Count(), 2002u);
    EXPECT_TRUE(lines.LastIsEmpty());
  }
}

}  // namespace
}  // namespace quorlex
