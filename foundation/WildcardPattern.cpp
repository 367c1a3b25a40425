#include "foundation/WildcardPattern.h"

#include <bit>
#include <cstring>

namespace quorlex {
namespace {

using Kind = PatternElement::Kind;

int ClassIdOf(char letter) {
  const char* at = std::strchr(kPatternClassLetters, letter);
  return (letter != 0 && at != nullptr) ? static_cast<int>(at - kPatternClassLetters) : -1;
}

bool IsEscapable(char c) { return c != 0 && std::strchr("%*?nt|", c) != nullptr; }

// The metacharacters, each of which begins a two-character element.
bool IsMeta(char c) { return c == '%' || c == '*' || c == '?' || c == '|'; }

// The character a text byte is compared as against a literal of the pattern.
unsigned char FoldForPattern(unsigned char c, int caseSensitive) {
  return (!caseSensitive && c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// The text bytes that a fixed element takes.
void AddBytesTakenBy(const PatternElement& e, int caseSensitive, ByteSet& bytes) {
  if (e.kind == Kind::kEscape) {
    bytes.Add(e.value);
    return;
  }
  if (e.kind == Kind::kLiteral) {
    // Without case, text is compared upper-cased: an upper-case letter takes both cases,
    // and a lower-case one (kept after a backslash) takes nothing.
    const bool lower = e.value >= 'a' && e.value <= 'z';
    const bool upper = e.value >= 'A' && e.value <= 'Z';
    if (caseSensitive || !lower) bytes.Add(e.value);
    if (!caseSensitive && upper) bytes.Add(static_cast<unsigned char>(e.value + 32));
    return;
  }
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    const bool taken = (e.kind == Kind::kLiteral && FoldForPattern(c, caseSensitive) == e.value) ||
                       (e.kind == Kind::kClass && IsInPatternClass(e.classId, c)) ||
                       (e.kind == Kind::kEscape && c == e.value);
    if (taken) bytes.Add(c);
  }
}

void AddClassBytes(unsigned char classId, ByteSet& bytes) {
  for (int b = 0; b < 256; ++b) {
    if (IsInPatternClass(classId, static_cast<unsigned char>(b)))
      bytes.Add(static_cast<unsigned char>(b));
  }
}

// A case-insensitive pattern is matched against upper-cased text, so its literals are
// upper-cased once here. Class letters and escaped characters keep their meaning, and a
// character after a backslash is left as written.
std::string StoredText(const char* text, int caseSensitive) {
  std::string stored(text);
  if (caseSensitive) return stored;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (IsMeta(stored[i]) && i + 1 < stored.size()) {
      ++i;  // the class letter or escaped character stays as it is
      continue;
    }
    if (i > 0 && stored[i - 1] == '\\') continue;
    stored[i] = static_cast<char>(FoldForPattern(static_cast<unsigned char>(stored[i]), 0));
  }
  return stored;
}

PatternElement ElementAt(const std::string& text, int offset) {
  PatternElement e;
  const char c = text[static_cast<size_t>(offset)];
  const char arg =
      text[static_cast<size_t>(offset) + 1];  // the terminator for a literal at the end
  e.next = offset + 1;
  switch (c) {
    case '%':
    case '*':
    case '?':
      e.kind = c == '%' ? Kind::kClass : (c == '*' ? Kind::kStar : Kind::kPlus);
      e.classId = static_cast<unsigned char>(ClassIdOf(arg));
      e.next = offset + 2;
      break;
    case '|':
      e.kind = Kind::kEscape;
      e.value = static_cast<unsigned char>(arg == 'n' ? '\n' : (arg == 't' ? '\t' : arg));
      e.next = offset + 2;
      break;
    default:
      e.kind = Kind::kLiteral;
      e.value = static_cast<unsigned char>(c);
      break;
  }
  e.last = e.next == static_cast<int>(text.size());
  return e;
}

// The leading literals of a program as a word for a one-load check: each literal takes one
// byte, or a letter in both cases (which differ only in bit 0x20).
void SetPrefix(PatternProgram& program) {
  if constexpr (std::endian::native != std::endian::little) return;
  int k = 0;
  const size_t end = program.at.size() - 1;  // the end entry
  for (size_t offset = 0; k < 8 && offset < end;
       offset = static_cast<size_t>(program.at[offset].next), ++k) {
    const PatternElement& e = program.at[offset];
    if (e.kind != Kind::kLiteral) break;
    int members = 0;
    int low = -1;
    int high = -1;
    for (int b = 0; b < 256; ++b) {
      if (!e.taken.Contains(static_cast<unsigned char>(b))) continue;
      ++members;
      (low < 0 ? low : high) = b;
    }
    uint64_t value = 0;
    uint64_t orBits = 0;
    if (members == 1) {
      value = static_cast<uint64_t>(low);
    } else if (members == 2 && (low | 0x20) == high) {
      value = static_cast<uint64_t>(high);
      orBits = 0x20;
    } else {
      break;
    }
    program.prefix |= value << (8 * k);
    program.prefixOr |= orBits << (8 * k);
    program.prefixMask |= uint64_t{0xFF} << (8 * k);
  }
  program.prefixLength = k;
}

}  // namespace

int CheckPatternSyntax(const char* text) {
  if (text == nullptr || *text == 0) return -1;
  const int n = static_cast<int>(std::strlen(text));
  for (int i = 0; i < n; ++i) {
    const char c = text[i];
    if (!IsMeta(c)) continue;
    const char arg = text[i + 1];  // NUL at the end: never valid
    const bool valid = c == '|' ? IsEscapable(arg) : ClassIdOf(arg) >= 0;
    if (!valid) return i + 2;
    ++i;
  }
  return 0;
}

void CompilePattern(const char* text, int caseSensitive, WildcardPattern& pattern) {
  pattern.text = StoredText(text, caseSensitive);
  const std::string& stored = pattern.text;
  const int n = static_cast<int>(stored.size());
  PatternProgram& program = pattern.program;
  program = PatternProgram();
  program.at.assign(static_cast<size_t>(n) + 1, PatternElement());

  std::vector<int> offsets;
  for (int offset = 0; offset < n; offset = program.at[static_cast<size_t>(offset)].next) {
    program.at[static_cast<size_t>(offset)] = ElementAt(stored, offset);
    offsets.push_back(offset);
  }
  program.at[static_cast<size_t>(n)].next = n;  // the end entry

  // Runs are counted from the back, so each element sees the one after it finished.
  for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
    PatternElement& e = program.at[static_cast<size_t>(*it)];
    if (e.IsFixed()) AddBytesTakenBy(e, caseSensitive, e.taken);
    const PatternElement& after = program.at[static_cast<size_t>(e.next)];
    if (e.kind == Kind::kLiteral) e.literalRun = 1 + after.literalRun;
    if (e.IsFixed()) e.fixedRun = 1 + after.fixedRun;
    if ((e.kind == Kind::kStar || e.kind == Kind::kPlus) && e.classId == 0 && after.IsFixed()) {
      AddBytesTakenBy(after, caseSensitive, e.follower);
    }
  }

  SetPrefix(program);
  const PatternElement& first = program.at[0];
  if (first.IsFixed()) {
    AddBytesTakenBy(first, caseSensitive, program.startBytes);
  } else {
    // A leading repetition starts on a byte of its class; a '*' one can also give way at
    // once to the element after it.
    AddClassBytes(first.classId, program.startBytes);
    const PatternElement& after = program.at[static_cast<size_t>(first.next)];
    if (first.kind == Kind::kStar && after.IsFixed()) {
      AddBytesTakenBy(after, caseSensitive, program.startBytes);
    }
  }
}

}  // namespace quorlex
