#pragma once

#include <cstdint>

// Wildcard patterns: the small language in which the de-tagging lists name stretches of
// markup ("<head**/head>", "<style%W**/style>", ">*W<br />").
//
//   any other character   itself (a case-insensitive pattern compares upper-cased text)
//   %X                    exactly one character of class X
//   *X                    a run of class-X characters, possibly empty
//   ?X                    a run of one or more class-X characters
//   |n |t                 a line feed, a tab
//   |% |* |? ||           the character itself, compared exactly
//
// Classes: * any character; W tab, line feed or space; S space; 1 digit; Z ASCII letter;
// A upper-case letter; a lower-case letter; ( one of ( < [ {; ) one of ) > ] }; . one of
// ! " & ' ( ) , . : ; < > [ ] { }. Class tests look at the text character as it stands.
//
// Matching is streaming and lazy: a repetition ends at the first character where what
// follows it can begin ("<!--**-->" ends at the first "-->"), except that a repetition at
// the end of a pattern is greedy (">*W" takes all the white space that follows). A
// character that breaks a partial match is not tried again as the first character of a new
// match of the same pattern. The matcher itself lives in PatternEngine.cpp.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Ascii.h"
#include "foundation/ByteSet.h"

namespace quorlex {

class PatternEngine;
struct WildcardPattern;

// What a match does. The codes are those that pattern lists are written with.
enum class PatternType : int {
  kReplace = 1,       // the matched text becomes the replacement
  kInsertAfter = 2,   // the replacement is inserted after the matched text
  kInsertBefore = 3,  // the replacement is inserted before the matched text
  kDelete = 4,        // the matched text is removed
  kHandler = 5,       // the handler decides (in-place engine)
  kCopyHandler = 6,   // the handler decides (copying engine)
};

// A handler's answer, and what the engine's own operations report.
enum class HandlerResult : int {
  kChanged = 1001,    // the working text was changed
  kUnchanged = 1002,  // it was not (also when a handler emitted output through the copying
                      // engine)
  kStop = 1003,       // end the run after this match
};

// 0 for a valid pattern; -1 for a null or empty one; otherwise the 1-based position of the
// first bad character: a character after '%', '*' or '?' that is not a class letter, or
// one after '|' that is not '%', '*', '?', 'n', 't' or '|'. A metacharacter at the very end
// gives the position one past the end.
int CheckPatternSyntax(const char* text);

// Where one pattern stands in the text. `start` and `end` are inclusive indexes of the
// match in the working text (-1 while unset); `element` is the offset in the pattern text
// of the element to match next (0: not inside a match); `repeats` counts the characters
// the current repetition has taken.
struct MatchState {
  int matched = 0;
  int start = -1;
  int end = -1;
  int element = 0;
  int repeats = 0;

  void Reset() { *this = MatchState(); }
  bool IsReset() const { return matched == 0 && start < 0 && element == 0 && repeats == 0; }
  // A completed match that lies inside a working text of the given length; handlers check
  // this before they use start and end.
  bool IsUsable(int workingLength) const {
    return matched != 0 && start >= 0 && start <= end && end < workingLength;
  }
};

// Called for a completed match of a type-5 or type-6 pattern. `working` holds the working
// text at least up to `index` (the match ends there), so the match is
// working[state.start .. state.end]; it is valid until the handler edits the text through
// the engine. A handler that consumes more sets `index` to the last character it consumed.
using PatternHandler = HandlerResult (*)(PatternEngine& engine, WildcardPattern& pattern,
                                         MatchState& state, const char* working, int& index,
                                         void* userData);

// A pattern compiled for matching: one entry per offset of the pattern text at which an
// element begins, and an end entry at the text's length.
struct PatternElement {
  enum class Kind : unsigned char { kLiteral, kClass, kEscape, kStar, kPlus, kEnd };

  // Literals, classes and escapes take exactly one character each.
  bool IsFixed() const {
    return kind == Kind::kLiteral || kind == Kind::kClass || kind == Kind::kEscape;
  }

  Kind kind = Kind::kEnd;
  unsigned char value = 0;    // kLiteral: the pattern character; kEscape: the byte meant
  unsigned char classId = 0;  // kClass, kStar, kPlus
  int next = 0;               // offset of the element that follows
  int literalRun = 0;         // kLiteral: literal elements in a row from this one
  int fixedRun = 0;           // literal, class and escape elements in a row from this one
  bool last = false;          // nothing but the end follows
  // kLiteral, kClass, kEscape: the text bytes the element takes (a literal of a
  // case-insensitive pattern takes both cases of a letter).
  ByteSet taken;
  // kStar or kPlus of class '*': the bytes at which the element that follows could take
  // over (empty when another repetition follows, which never lets go).
  ByteSet follower;
};

struct PatternProgram {
  std::vector<PatternElement> at;
  // Bytes that can move a state away from its start: the scan skips all others while
  // every pattern stands at its start.
  ByteSet startBytes;
  // The leading literals (at most 8) as one little-endian word, so that a start is checked
  // with one load: byte k of the text matches when (byte | prefixOr[k]) == prefix[k].
  // prefixLength 0: no such literals (or not a little-endian machine).
  uint64_t prefix = 0;
  uint64_t prefixOr = 0;
  uint64_t prefixMask = 0;
  int prefixLength = 0;
};

// One pattern of an engine. The engine owns it; `text` is stored upper-cased for a
// case-insensitive pattern (all but class letters, escaped characters and the character
// after a backslash).
struct WildcardPattern {
  PatternType type = PatternType::kReplace;
  int id = 0;  // 1, 2, ... in the order the patterns were added
  std::string text;
  std::optional<std::string> replacement;
  int caseSensitive = 0;
  PatternHandler handler = nullptr;
  void* userData = nullptr;
  int matchesTotal = 0;
  int appliedTotal = 0;
  int matchesInRun = 0;
  int appliedInRun = 0;
  PatternProgram program;
};

// Fills `pattern.text` and `pattern.program` from a pattern that CheckPatternSyntax
// accepts, upper-casing it unless caseSensitive is set.
void CompilePattern(const char* text, int caseSensitive, WildcardPattern& pattern);

// The class letters; a class's id is its index in this text.
inline constexpr char kPatternClassLetters[] = "*WS1ZAa().";

// Whether byte c is one of `chars`.
constexpr bool IsOneOfBytes(char c, const char* chars) {
  for (const char* p = chars; *p != 0; ++p) {
    if (c == *p) return true;
  }
  return false;
}

// The classes byte c belongs to: bit classId (an index in kPatternClassLetters) is set for
// each.
constexpr unsigned PatternClassesOf(char c) {
  unsigned bits = 1u << 0;  // any character
  if (IsOneOfBytes(c, "\t\n ")) bits |= 1u << 1;
  if (c == ' ') bits |= 1u << 2;
  if (IsAsciiDigit(c)) bits |= 1u << 3;
  if (IsAsciiLetter(c)) bits |= 1u << 4;
  if (IsAsciiUpper(c)) bits |= 1u << 5;
  if (IsAsciiLower(c)) bits |= 1u << 6;
  if (IsOneOfBytes(c, "(<[{")) bits |= 1u << 7;
  if (IsOneOfBytes(c, ")>]}")) bits |= 1u << 8;
  if (IsOneOfBytes(c, "!\"&'(),.:;<>[]{}")) bits |= 1u << 9;
  return bits;
}

// Bit classId of the entry of a byte is set when the byte belongs to that class.
constexpr std::array<unsigned short, 256> BuildPatternClassBits() {
  std::array<unsigned short, 256> bits{};
  for (int c = 0; c < 256; ++c) {
    bits[static_cast<size_t>(c)] =
        static_cast<unsigned short>(PatternClassesOf(static_cast<char>(c)));
  }
  return bits;
}
inline constexpr std::array<unsigned short, 256> kPatternClassBits = BuildPatternClassBits();

inline bool IsInPatternClass(unsigned char classId, unsigned char c) {
  return ((kPatternClassBits[c] >> classId) & 1u) != 0;
}
}  // namespace quorlex
