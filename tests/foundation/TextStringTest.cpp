#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/TextString.h"
#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// The table rows below say 1 or 0 for the flags of the operation they call.
LetterCase CaseOf(int caseSensitive) {
  return caseSensitive ? LetterCase::kMatters : LetterCase::kIgnored;
}
Blanks BlanksOf(int ignoreBlanks) { return ignoreBlanks ? Blanks::kIgnored : Blanks::kCount; }

TEST(TextStringGrowth, FollowsBlockRule) {
  TextString s;
  EXPECT_EQ(254, s.Capacity());
  for (int i = 0; i < 254; ++i) s.AppendChar('x');
  EXPECT_EQ(254, s.Capacity());
  s.AppendChar('x');  // the 255th character needs a 512-byte block
  EXPECT_EQ(510, s.Capacity());
  EXPECT_EQ(255, s.Length());

  static const struct {
    const char* name;
    int startCapacity;  // reached by Reserve on a fresh string
    int reserve;
    int capacity;
  } kCases[] = {
      {"short shortfall doubles", 510, 600, 1022},
      {"long shortfall takes the request", 254, 600, 766},
      {"no growth when it fits", 1022, 1000, 1022},
      {"small request never doubles", 254, 500, 510},
      {"above 500000 grows by half", 600062, 600063, 900094},
      {"below 500000 doubles", 400126, 400127, 800254},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString t;
    t.Reserve(c.startCapacity);
    ASSERT_EQ(c.startCapacity, t.Capacity());
    t.Reserve(c.reserve);
    EXPECT_EQ(c.capacity, t.Capacity());
  }
}

TEST(TextStringGrowth, KeepsTextAndTerminatorAcrossGrowth) {
  TextString s("abc");
  s.Reserve(100000);
  EXPECT_EQ("abc", s.View());
  EXPECT_EQ('\0', s.Data()[3]);
}

TEST(TextStringConstruction, CopiesAndConverts) {
  EXPECT_EQ("", TextString(static_cast<const char*>(nullptr)).View());
  EXPECT_EQ("-42", TextString(-42).View());
  TextString a("hello");
  TextString b(a);
  b.AppendChar('!');
  EXPECT_EQ("hello", a.View());
  EXPECT_EQ("hello!", b.View());
  TextString moved(std::move(b));
  EXPECT_EQ("hello!", moved.View());
  EXPECT_EQ(0, b.Length());  // NOLINT(bugprone-use-after-move): moved-from stays usable
  b.Append("again");
  EXPECT_EQ("again", b.View());
}

TEST(TextStringAssign, HandlesTextInsideItsOwnBuffer) {
  TextString s("abcdef");
  EXPECT_EQ(1, s.Assign(s.Data()));
  EXPECT_EQ("abcdef", s.View());
  EXPECT_EQ(1, s.Assign(s.Data() + 2));
  EXPECT_EQ("cdef", s.View());

  TextString big;
  for (int i = 0; i < 300; ++i) big.AppendChar(static_cast<char>('a' + i % 26));
  const std::string before(big.View());
  big.AppendBytes(big.Data(), big.Length());  // grows while reading itself
  EXPECT_EQ(before + before, big.View());
}

TEST(TextStringAssign, SubstringsAndBytes) {
  TextString s;
  EXPECT_EQ(1, s.AssignSub("abcdef", 2, 3));
  EXPECT_EQ("cde", s.View());
  EXPECT_EQ(1, s.AssignSub("abcdef", 2, -1));
  EXPECT_EQ("cdef", s.View());
  EXPECT_EQ(1, s.AssignBytes("a\0b", 3));
  EXPECT_EQ(3, s.Length());
  EXPECT_EQ(std::string("a\0b", 3), s.View());
  EXPECT_EQ(0, s.AssignBytes("x", -1));
  EXPECT_EQ(3, s.Length());
}

TEST(TextStringConcatenation, AppendsAndJoins) {
  TextString s("a");
  (s += "b") += 3;
  EXPECT_EQ("ab3", s.View());
  EXPECT_EQ("x-ab3", ("x-" + s).View());
  EXPECT_EQ("ab3-y", (s + "-y").View());
  EXPECT_EQ("ab3ab3", (s + s).View());
  EXPECT_EQ("ab3", s.View());
}

TEST(TextStringCase, MapsOnlyAscii) {
  TextString s("aZ\xE9\xC9-1");
  s.ToUpper();
  EXPECT_EQ("AZ\xE9\xC9-1", s.View());
  s.ToLower();
  EXPECT_EQ("az\xE9\xC9-1", s.View());
}

TEST(TextStringClasses, AnswersLetterAndDigitQuestions) {
  static const struct {
    const char* name;
    const char* text;
    int noLetters, noLettersOrDigits, noLowerCase;
  } kCases[] = {
      {"empty", "", 1, 1, 1},         {"punctuation", "-+ .", 1, 1, 1},
      {"digits", "42", 1, 0, 1},      {"upper case", "ABC", 0, 0, 1},
      {"lower case", "abc", 0, 0, 0}, {"8-bit letters are not ASCII", "\xE9\xC9", 1, 1, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString s(c.text);
    EXPECT_EQ(c.noLetters, s.HasNoLetters());
    EXPECT_EQ(c.noLettersOrDigits, s.HasNoLettersOrDigits());
    EXPECT_EQ(c.noLowerCase, s.HasNoLowerCase());
  }
}

TEST(TextStringEquals, ComparesExactlyOrIgnoringCaseAndBlanks) {
  static const struct {
    const char* name;
    const char* left;
    const char* right;
    int caseSensitive, ignoreBlanks, result;
  } kCases[] = {
      {"same text", "abc", "abc", 1, 0, 1},
      {"case differs", "abc", "ABC", 1, 0, 0},
      {"case ignored", "abc", "ABC", 0, 0, 1},
      {"lengths differ", "abc", "ab", 0, 0, 0},
      {"blanks ignored, shorter side ends the walk", "abc", "A b", 0, 1, 1},
      {"blanks and tabs skipped on both sides", " a\tb c", "abc", 1, 1, 1},
      {"blank-insensitive still compares letters", "abd", "a b c", 1, 1, 0},
      {"empty equals anything without blanks rule", "", "xyz", 1, 1, 1},
      {"empty is not equal to text otherwise", "", "xyz", 1, 0, 0},
      {"8-bit bytes compare exactly", "\xE9", "\xC9", 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, TextString(c.left).Equals(c.right, CaseOf(c.caseSensitive),
                                                  BlanksOf(c.ignoreBlanks)));
  }
  EXPECT_EQ(0, TextString("a").Equals(nullptr, LetterCase::kMatters, Blanks::kIgnored));
}

TEST(TextStringStartsWith, NeedsANonEmptyPrefixThatFits) {
  static const struct {
    const char* name;
    const char* text;
    const char* prefix;
    int caseSensitive, result;
  } kCases[] = {
      {"prefix", "Hello", "He", 1, 1},        {"case ignored", "Hello", "hE", 0, 1},
      {"case differs", "Hello", "he", 1, 0},  {"whole text", "Hello", "Hello", 1, 1},
      {"longer prefix", "He", "Hello", 1, 0}, {"empty prefix", "Hello", "", 1, 0},
      {"empty string", "", "H", 1, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result, TextString(c.text).StartsWith(c.prefix, CaseOf(c.caseSensitive)));
  }
  EXPECT_EQ(0, TextString("abc").StartsWith(nullptr, LetterCase::kMatters));
}

TEST(TextStringCompareN, ThreeWayOverAtMostNCharacters) {
  static const struct {
    const char* name;
    const char* a;
    const char* b;
    int n, ignoreCase, result;
  } kCases[] = {
      {"equal", "abc", "abc", 3, 0, 0},
      {"difference beyond n", "abX", "abY", 2, 0, 0},
      {"smaller byte first", "abc", "abd", 3, 0, -1},
      {"larger byte", "abd", "abc", 3, 0, 1},
      {"a ends first", "ab", "abc", 5, 0, -1},
      {"b ends first", "abc", "ab", 5, 0, 1},
      {"both end inside n", "ab", "ab", 9, 0, 0},
      {"case ignored", "ABC", "abc", 3, 1, 0},
      {"case counts", "ABC", "abc", 3, 0, -1},
      {"sign from the characters as they stand", "Ab", "aC", 2, 1, 1},
      {"bytes are signed", "\xE9", "a", 1, 0, -1},
      {"n of zero", "a", "b", 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result,
              TextString::CompareN(c.a, c.b, c.n,
                                   c.ignoreCase ? LetterCase::kIgnored : LetterCase::kMatters));
  }
  EXPECT_EQ(-1, TextString::CompareN(nullptr, "a", 1, LetterCase::kMatters));
  EXPECT_EQ(1, TextString::CompareN("a", nullptr, 1, LetterCase::kMatters));
  EXPECT_EQ(0, TextString::CompareN(nullptr, nullptr, 1, LetterCase::kMatters));
}

TEST(TextStringFind, ReportsFirstOccurrenceAtOrAfterFrom) {
  static const struct {
    const char* name;
    const char* text;
    int from;
    const char* needle;
    int caseSensitive, result, pos;
  } kCases[] = {
      {"match at start", "abcabc", 0, "abc", 1, 1, 0},
      {"match after from", "abcabc", 1, "abc", 1, 1, 3},
      {"partial match restarts one later", "aaab", 0, "aab", 1, 1, 1},
      {"case ignored", "xxHeLLo", 0, "hello", 0, 1, 2},
      {"case counts", "xxHeLLo", 0, "hello", 1, 0, -1},
      {"needle at the very end", "abc", 0, "bc", 1, 1, 1},
      {"needle longer than the rest", "abc", 2, "cd", 1, 0, -1},
      {"from at the end", "abc", 3, "a", 1, 0, -1},
      {"from beyond end", "abc", 4, "a", 1, 0, -1},
      {"negative from", "abc", -1, "a", 1, 0, -1},
      {"empty needle", "abc", 0, "", 1, 0, -1},
      {"empty text", "", 0, "a", 1, 0, -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    int pos = 99;  // must be overwritten on failure too
    EXPECT_EQ(c.result, TextString(c.text).Find(c.from, c.needle, pos, CaseOf(c.caseSensitive)));
    EXPECT_EQ(c.pos, pos);
  }
}

TEST(TextStringFind, SingleCharactersAndNoCasePointers) {
  TextString s("aXbxc");
  int pos = 99;
  EXPECT_EQ(1, s.FindChar(2, 'X', pos, LetterCase::kIgnored));
  EXPECT_EQ(3, pos);
  EXPECT_EQ(0, s.FindChar(2, 'X', pos, LetterCase::kMatters));
  EXPECT_EQ(-1, pos);
  EXPECT_EQ(s.Data() + 1, s.FindNoCase("xB"));
  EXPECT_EQ(nullptr, s.FindNoCase("xy"));
  EXPECT_EQ(nullptr, s.FindNoCase(""));
  EXPECT_EQ(2, s.CountChar('x') + s.CountChar('c'));
}

TEST(TextStringEdit, InsertsAndCutsWithinRange) {
  static const struct {
    const char* name;
    const char* text;
    int op;  // 0 InsertChar('#'), 1 Insert("<>"), 2 Mid(pos, count)
    int pos, count, result;
    const char* after;
  } kCases[] = {
      {"insert char at start", "abc", 0, 0, 0, 1, "#abc"},
      {"insert char as append", "abc", 0, 3, 0, 1, "abc#"},
      {"insert char beyond end", "abc", 0, 4, 0, 0, "abc"},
      {"insert char negative", "abc", 0, -1, 0, 0, "abc"},
      {"insert text in the middle", "abc", 1, 1, 0, 1, "a<>bc"},
      {"insert text beyond end", "abc", 1, 5, 0, 0, "abc"},
      {"mid cut to what remains", "abcdef", 2, 3, 10, 1, "def"},
      {"mid negative count", "abcdef", 2, 3, -2, 1, ""},
      {"mid at the end", "abcdef", 2, 6, 2, 1, ""},
      {"mid beyond end", "abcdef", 2, 7, 1, 0, "abcdef"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString s(c.text);
    int result = 0;
    if (c.op == 0) result = s.InsertChar(c.pos, '#');
    if (c.op == 1) result = s.Insert(c.pos, "<>");
    if (c.op == 2) result = s.Mid(c.pos, c.count);
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.after, s.View());
  }
}

TEST(TextStringEdit, RemovesAndReplacesCharacters) {
  static const struct {
    const char* name;
    const char* text;
    bool remove;
    int from, max, result;
    const char* after;
  } kCases[] = {
      {"remove all", "a.b.c.", true, 0, 0, 1, "abc"},
      {"remove from index", "a.b.c.", true, 2, 0, 1, "a.bc"},
      {"remove exactly max", "a.b.c.", true, 0, 2, 1, "abc."},
      {"remove fewer than max", "a.b", true, 0, 3, 0, "ab"},
      {"remove from beyond end", "a.b", true, 4, 0, 0, "a.b"},
      {"replace all", "a.b.c", false, 0, 0, 1, "a_b_c"},
      {"replace at most max", "a.b.c", false, 0, 1, 1, "a_b.c"},
      {"replace fewer than max", "a.b", false, 0, 2, 0, "a_b"},
      {"replace on empty string", "", false, 5, 1, 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString s(c.text);
    const int result =
        c.remove ? s.RemoveChar(c.from, '.', c.max) : s.ReplaceChar(c.from, '.', '_', c.max);
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.after, s.View());
  }
}

TEST(TextStringReplace, ReplacesLeftToRightWithoutRescanning) {
  static const struct {
    const char* name;
    const char* text;
    int from;
    const char* find;
    const char* with;  // null: fill mode with '*'
    int max, caseSensitive, result;
    const char* after;
  } kCases[] = {
      {"partial match restarts", "aaab", 0, "aab", "X", 1, 1, 1, "aX"},
      {"inserted text not rescanned", "aaa", 0, "a", "aa", 0, 1, 1, "aaaaaa"},
      {"deletion resumes at the same index", "aabb", 0, "ab", "", 0, 1, 1, "ab"},
      {"same length overwrites", "a<b>c<b>", 0, "<b>", "[i]", 0, 1, 1, "a[i]c[i]"},
      {"fill overwrites every character", "a<b>c", 0, "<b>", nullptr, 0, 1, 1, "a***c"},
      {"case ignored", "Foo fOO", 0, "foo", "x", 0, 0, 1, "x x"},
      {"case counts", "Foo foo", 0, "foo", "x", 0, 1, 1, "Foo x"},
      {"from skips earlier text", "ab ab ab", 3, "ab", "X", 0, 1, 1, "ab X X"},
      {"max reached", "ab ab ab", 0, "ab", "X", 2, 1, 1, "X X ab"},
      {"fewer than max", "ab ab", 0, "ab", "X", 3, 1, 0, "X X"},
      {"nothing found with max", "abc", 0, "z", "X", 1, 1, 0, "abc"},
      {"nothing found without max", "abc", 0, "z", "X", 0, 1, 1, "abc"},
      {"empty find", "abc", 0, "", "X", 0, 1, 0, "abc"},
      {"negative from", "abc", -1, "a", "X", 0, 1, 0, "abc"},
      {"from beyond end", "abc", 4, "a", "X", 0, 1, 0, "abc"},
      {"empty string", "", 0, "a", "X", 0, 1, 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString s(c.text);
    const char fill = '*';
    EXPECT_EQ(c.result,
              s.Replace(c.from, c.find, c.with, c.max, CaseOf(c.caseSensitive), &fill, nullptr));
    EXPECT_EQ(c.after, s.View());
  }
}

TEST(TextStringReplace, RefusesMissingArgumentsAndCountsReplacements) {
  TextString s("abab");
  EXPECT_EQ(0, s.Replace(0, nullptr, "x", 0, LetterCase::kMatters, nullptr, nullptr));
  EXPECT_EQ(0, s.Replace(0, "a", nullptr, 0, LetterCase::kMatters, nullptr, nullptr));
  EXPECT_EQ("abab", s.View());
  int count = 5;  // the counter is never reset
  EXPECT_EQ(1, s.Replace(0, "b", "", 0, LetterCase::kMatters, nullptr, &count));
  EXPECT_EQ(7, count);
  EXPECT_EQ(1, s.ReplaceAll("A", "<>", 0, LetterCase::kIgnored));
  EXPECT_EQ("<><>", s.View());
}

// A deliberately simple replace to check both ways of replacing against.
std::string ReferenceReplace(const std::string& text, const std::string& find, const char* with,
                             char fill, int max, bool caseSensitive, int& replaced) {
  const auto upper = [](std::string s) {
    for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    return s;
  };
  const std::string haystack = caseSensitive ? text : upper(text);
  const std::string needle = caseSensitive ? find : upper(find);
  const std::string replacement = with ? with : std::string(find.size(), fill);
  std::string out;
  size_t scan = 0;
  replaced = 0;
  while (max <= 0 || replaced < max) {
    const size_t at = haystack.find(needle, scan);
    if (at == std::string::npos) break;
    out += text.substr(scan, at - scan) + replacement;
    scan = at + find.size();
    ++replaced;
  }
  return out + text.substr(scan);
}

TEST(TextStringReplace, LongStringsGiveTheSameResultAsShortOnes) {
  static const struct {
    const char* name;
    const char* find;
    const char* with;
    int max, caseSensitive;
  } kCases[] = {
      {"shorter replacement", "<br>", "\n", 0, 1},
      {"deletion", "<BR>", "", 0, 0},
      {"longer replacement", "<br>", "<br />", 0, 1},
      {"same length", "<br>", "[br]", 0, 1},
      {"fill mode", "<br>", nullptr, 0, 1},
      {"shorter with max", "<br>", "", 7, 1},
      {"longer with max beyond the count", "<br>", "<br />", 100000, 1},
  };
  const std::string block = "text<br>more <BR> and <br><br> end|";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    for (int blocks : {1, 2, 200}) {  // 1 and 2 stay under 1000 characters
      std::string text;
      for (int i = 0; i < blocks; ++i) text += block;
      int expectedCount = 0;
      const std::string expected =
          ReferenceReplace(text, c.find, c.with, '#', c.max, c.caseSensitive, expectedCount);
      TextString s(text.c_str());
      const char fill = '#';
      int count = 0;
      const int result =
          s.Replace(0, c.find, c.with, c.max, CaseOf(c.caseSensitive), &fill, &count);
      EXPECT_EQ(expected, s.View()) << blocks << " blocks";
      EXPECT_EQ(expectedCount, count) << blocks << " blocks";
      EXPECT_EQ(c.max <= 0 || expectedCount == c.max ? 1 : 0, result);
      EXPECT_EQ('\0', s.Data()[s.Length()]);
    }
  }
}

TEST(TextStringReplace, OnePassRebuildKeepsTheCapacity) {
  TextString s;
  for (int i = 0; i < 500; ++i) s.Append("ab");
  const int capacity = s.Capacity();
  EXPECT_EQ(1, s.ReplaceAll("ab", "x", 0, LetterCase::kMatters));
  EXPECT_EQ(500, s.Length());
  EXPECT_EQ(capacity, s.Capacity());
}

TEST(TextStringTrim, StripsSetCharacters) {
  static const struct {
    const char* name;
    const char* text;
    int trailingOnly;
    const char* set;
    const char* after;
  } kCases[] = {
      {"both ends", "  a b  ", 0, nullptr, "a b"},
      {"trailing only", "  a b  ", 1, nullptr, "  a b"},
      {"only blanks, trailing only", "   ", 1, nullptr, ""},
      {"space in the set matches tabs", "\t a \t", 0, " ", "a"},
      {"tab in the set does not match spaces", " \ta\t ", 0, "\t", " \ta\t "},
      {"other set", "--a--", 0, "-", "a"},
      {"empty string", "", 0, nullptr, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString s(c.text);
    EXPECT_EQ(1, s.Trim(c.trailingOnly ? TrimEnds::kTrailingOnly : TrimEnds::kBoth, c.set));
    EXPECT_EQ(c.after, s.View());
  }
}

TEST(TextStringBlanks, CollapsesRunsAndExpandsTabs) {
  TextString s(" a  \t b\t\tc ");
  EXPECT_EQ(1, s.CollapseBlanks());
  EXPECT_EQ(" a b\tc ", s.View());

  static const struct {
    const char* name;
    const char* text;
    int width;
    const char* after;
  } kCases[] = {
      {"tab at the start", "\tx", 8, "        x"},
      {"tab after text", "ab\tx", 8, "ab      x"},
      {"stops counted in the expanded text", "ab\t\tc", 4, "ab      c"},
      {"tab right at a stop", "abcd\tx", 4, "abcd    x"},
      {"wide stops", "\tx", 20, "                    x"},
      {"no tabs", "abc", 4, "abc"},
      {"width below one", "a\tb", 0, "a\tb"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString t(c.text);
    EXPECT_EQ(static_cast<int>(std::string(c.after).size()), t.ExpandTabs(c.width));
    EXPECT_EQ(c.after, t.View());
  }
}

// Justify alternates its direction at every call on a thread; this finds out which way the
// next call leans by justifying a probe line.
bool NextJustifyLeansRight() {
  TextString probe("ab cd ef");
  EXPECT_EQ(1, probe.Justify(9));
  const bool probeLeanedRight = probe.View() == "ab cd  ef";
  return !probeLeanedRight;
}

TEST(TextStringJustify, SpreadsBlanksAlternatelyFromEachSide) {
  static const struct {
    const char* name;
    const char* text;
    int width;
    const char* leftLeaning;
    const char* rightLeaning;
  } kCases[] = {
      {"one blank over two gaps", "ab cd ef", 9, "ab  cd ef", "ab cd  ef"},
      {"leftmost gap takes the rest", "ab cd ef", 12, "ab    cd  ef", "ab    cd  ef"},
      {"one blank per gap", "aa bb cc dd", 14, "aa  bb  cc  dd", "aa  bb  cc  dd"},
      {"two blanks over three gaps", "aa bb cc dd", 13, "aa  bb  cc dd", "aa bb  cc  dd"},
      {"bullet blank never widened", "- item text", 13, "- item   text", "- item   text"},
      {"trimmed first", "  ab cd  ", 6, "ab  cd", "ab  cd"},
      {"already full", "ab cd", 5, "ab cd", "ab cd"},
      {"runs of spaces widen at their last space", "ab  cd ef", 10, "ab   cd ef", "ab  cd  ef"},
      // Widths are display columns: 9 columns in 13 bytes.
      {"wide characters", "\xE4\xB8\xAD\xE6\x96\x87 \xE4\xB8\xAD\xE6\x96\x87", 10,
       "\xE4\xB8\xAD\xE6\x96\x87  \xE4\xB8\xAD\xE6\x96\x87",
       "\xE4\xB8\xAD\xE6\x96\x87  \xE4\xB8\xAD\xE6\x96\x87"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const bool right = NextJustifyLeansRight();
    TextString s(c.text);
    EXPECT_EQ(1, s.Justify(c.width));
    EXPECT_EQ(right ? c.rightLeaning : c.leftLeaning, s.View());
    EXPECT_EQ(c.width, DisplayWidth(s.View()));
  }
}

TEST(TextStringJustify, FailsWithoutGapsOrRoomButStillFlips) {
  static const struct {
    const char* name;
    const char* text;
    int width;
  } kCases[] = {
      {"only gap at index 1", "a bc", 10},
      {"single word", "word", 10},
      {"too long", "ab cd ef", 5},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const bool right = NextJustifyLeansRight();
    TextString s(c.text);
    EXPECT_EQ(0, s.Justify(c.width));
    // The probe after the failed call leans like the one before it: the failure flipped.
    EXPECT_EQ(right, NextJustifyLeansRight());
  }
}

TEST(TextStringTokens, FindsTheNthToken) {
  static const struct {
    const char* name;
    const char* text;
    int start, n;
    char delim;
    int result;
    const char* token;
    int offset;
  } kCases[] = {
      {"first of a comma list", "a,b,c", 0, 1, ',', 1, "a", 0},
      {"third", "a,b,c", 0, 3, ',', 1, "c", 4},
      {"empty between delimiters", "a,,c", 0, 2, ',', 1, "", 2},
      {"leading delimiter gives an empty first token", ",a", 0, 1, ',', 1, "", 0},
      {"trailing delimiter opens no token", "a,", 0, 2, ',', 0, "", 0},
      {"beyond the last token", "a,b", 0, 3, ',', 0, "", 0},
      {"from a start index", "x:a,b", 2, 2, ',', 1, "b", 2},
      {"start at the end", "abc", 3, 1, ',', 0, "", 0},
      {"n of zero", "abc", 0, 0, ',', 0, "", 0},
      {"blank mode skips runs of blanks", " \t a  \tb ", 0, 2, ' ', 1, "b", 7},
      {"blank mode first word", "  word rest", 0, 1, ' ', 1, "word", 2},
      {"blank mode trailing blanks", "a b  ", 0, 3, ' ', 0, "", 0},
      {"word mode stops at punctuation", "name;rest", 0, 1, '\xBF', 1, "name", 0},
      {"word mode stops at an escaped bracket", "a&lt;b", 0, 1, '\xBF', 1, "a", 0},
      {"word mode stops at a tag", "word<b>", 0, 1, '\xBF', 1, "word", 0},
      {"word mode knows only the first token", "a b", 0, 2, '\xBF', 0, "", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString out("stale");
    int offset = 99;
    EXPECT_EQ(c.result, TextString(c.text).GetTokenAt(c.start, c.n, c.delim, out, offset));
    EXPECT_EQ(c.token, out.View());
    if (c.result) {
      EXPECT_EQ(c.offset, offset);
    }
  }
}

TEST(TextStringTokens, SplitsLinesWithGetNextToken) {
  TextString text("a\n\nb\n");
  std::vector<std::string> lines;
  TextString line;
  int pos = 0;
  while (text.GetNextToken(pos, '\n', line)) lines.emplace_back(line.View());
  EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), lines);
  EXPECT_EQ(text.Length(), pos);
  EXPECT_EQ("", line.View());

  TextString self("one two");
  EXPECT_EQ(1, self.GetToken(2, ' ', self));  // the output may be the source itself
  EXPECT_EQ("two", self.View());
}

}  // namespace
}  // namespace quorlex
