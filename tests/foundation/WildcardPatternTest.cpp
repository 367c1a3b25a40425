#include <gtest/gtest.h>

#include "foundation/WildcardPattern.h"

namespace quorlex {
namespace {

TEST(CheckPatternSyntax, ReportsTheFirstBadCharacter) {
  static const struct {
    const char* name;
    const char* pattern;
    int result;
  } kCases[] = {
      {"plain text", "<br>", 0},
      {"every class", "%*%W%S%1%Z%A%a%(%)%.", 0},
      {"repetitions", "**?W*S", 0},
      {"every escape", "|n|t|%|*|?||", 0},
      {"unknown class", "%q", 2},
      {"unknown escape", "ab|x", 4},
      {"bad class after a good one", "%W*x", 4},
      {"metacharacter at the end", "a%", 3},
      {"escape at the end", "ab|", 4},
      {"empty", "", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, CheckPatternSyntax(c.pattern));
  }
  EXPECT_EQ(-1, CheckPatternSyntax(nullptr));
}

TEST(CompilePattern, UpperCasesOnlyLiteralsOfCaseInsensitivePatterns) {
  static const struct {
    const char* name;
    const char* pattern;
    int caseSensitive;
    const char* stored;
  } kCases[] = {
      {"literals", "<head**/head>", 0, "<HEAD**/HEAD>"},
      {"class letters keep their case", "%a?z*Z", 0, "%a?z*Z"},
      {"escapes keep their case", "x|ny|t", 0, "X|nY|t"},
      {"letter right after a repetition", "a**b", 0, "A**B"},
      {"character after a backslash", "\\n", 0, "\\n"},
      {"case-sensitive stays as written", "<Head>", 1, "<Head>"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    WildcardPattern pattern;
    CompilePattern(c.pattern, c.caseSensitive, pattern);
    EXPECT_EQ(c.stored, pattern.text);
  }
}

TEST(PatternClasses, HoldTheirCharacters) {
  static const struct {
    char letter;
    const char* members;
    const char* others;
  } kCases[] = {
      {'*', "a\n\x01\xFF", ""},
      {'W', " \t\n",
       "\r\x0B"
       "a"},
      {'S', " ", "\t\n"},
      {'1', "0123456789", "a/:"},
      {'Z', "azAZ", "@[`{\xE9"},
      {'A', "AZ", "az@["},
      {'a', "az", "AZ`{"},
      {'(', "(<[{", ")>]}"},
      {')', ")>]}", "(<[{"},
      {'.', "!\"&'(),.:;<>[]{}", "-?/#%*@a"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.letter);
    const auto classId =
        static_cast<unsigned char>(std::string_view(kPatternClassLetters).find(c.letter));
    for (const char* m = c.members; *m != 0; ++m) {
      EXPECT_TRUE(IsInPatternClass(classId, static_cast<unsigned char>(*m))) << *m;
    }
    for (const char* o = c.others; *o != 0; ++o) {
      EXPECT_FALSE(IsInPatternClass(classId, static_cast<unsigned char>(*o))) << *o;
    }
  }
}

}  // namespace
}  // namespace quorlex
