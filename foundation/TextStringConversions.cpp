// Number formatting and parsing, and the character-set repairs of TextString.
//
// Every repair is one left-to-right pass. Those that never lengthen the text (the byte maps,
// the decoders, the filters) rewrite the buffer in place with a write index that trails the
// read index; those that can lengthen it (the punctuation fold, UTF-16 to UTF-8) build the
// result in a second string of the same capacity and swap buffers. No repair shifts the tail
// of the text once per change.

#include <array>
#include <charconv>
#include <climits>
#include <initializer_list>
#include <string>
#include <system_error>

#include "foundation/Ascii.h"
#include "foundation/TextString.h"
#include "foundation/Utf8.h"

namespace quorlex {

// ---------------------------------------------------------------------------------------
// Character classes. The C library's are locale-dependent; ours are the ASCII ones, so
// bytes above 127 are never letters or digits whatever the user's locale.

// The value of a hexadecimal digit in either case, or -1.
static int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte given by the two hexadecimal digits at text[0] and text[1], or -1 when either is
// not one. The caller guarantees both characters are there.
static int HexByte(const char* text) {
  const int high = HexValue(static_cast<unsigned char>(text[0]));
  const int low = HexValue(static_cast<unsigned char>(text[1]));
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// ---------------------------------------------------------------------------------------
// AppendNumber

// Bijective base 26: 1 = a, 26 = z, 27 = aa, 702 = zz, 18278 = zzz. Appends nothing for
// values outside 1 to 18278.
static void AppendLetters(TextString& text, int value, bool upper) {
  constexpr int kLargest = 26 + 26 * 26 + 26 * 26 * 26;  // zzz
  if (value < 1 || value > kLargest) return;
  char letters[3];
  int count = 0;
  // Each letter is a digit 1 to 26, so one is taken off before the division.
  for (int rest = value; rest > 0; rest = (rest - 1) / 26) {
    letters[count++] = static_cast<char>((upper ? 'A' : 'a') + (rest - 1) % 26);
  }
  while (count > 0) text.AppendChar(letters[--count]);
}

// Thousands as m, mm, mmm (values of 4000 and more lose their thousands), then hundreds,
// tens and units. Appends nothing for values below 1.
static void AppendRoman(TextString& text, int value, bool upper) {
  static const char* const kThousands[] = {"", "m", "mm", "mmm"};
  static const char* const kHundreds[] = {"",  "c",  "cc",  "ccc",  "cd",
                                          "d", "dc", "dcc", "dccc", "cm"};
  static const char* const kTens[] = {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"};
  static const char* const kUnits[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
  if (value < 1) return;
  const int thousands = value / 1000;
  const char* const parts[] = {thousands <= 3 ? kThousands[thousands] : "",
                               kHundreds[value / 100 % 10], kTens[value / 10 % 10],
                               kUnits[value % 10]};
  for (const char* part : parts) {
    for (; *part != '\0'; ++part) text.AppendChar(upper ? ToAsciiUpper(*part) : *part);
  }
}

int TextString::AppendNumber(char style, int value, int trailingBlank) {
  switch (style) {
    case 'a':
    case 'A':
      AppendLetters(*this, value, style == 'A');
      break;
    case 'i':
    case 'I':
      AppendRoman(*this, value, style == 'I');
      break;
    default: {
      char digits[16];  // "-2147483648" needs 11
      const char* stop = std::to_chars(digits, digits + sizeof digits, value).ptr;
      AppendBytes(digits, static_cast<int>(stop - digits));
      break;
    }
  }
  if (trailingBlank != 0) AppendChar(' ');
  return 1;
}

// ---------------------------------------------------------------------------------------
// ParseReal and ParseNumber

// Finds the number inside `text`: leading characters other than digits, '+', '-' and '.' are
// skipped and trailing characters after the last digit or '.' are dropped. Returns false when
// there is no such middle or a letter stands in either stretch; otherwise sets the middle to
// [start, end) and checks that it is digits, at most `maxDots` dots and a sign only in first
// place.
static bool FindNumberText(const char* text, int length, int maxDots, int& start, int& end) {
  const auto at = [text](int i) { return static_cast<unsigned char>(text[i]); };
  start = 0;
  while (start < length && !IsAsciiDigit(at(start)) && at(start) != '+' && at(start) != '-' &&
         at(start) != '.') {
    if (IsAsciiLetter(at(start))) return false;
    ++start;
  }
  end = length;
  while (end > start && !IsAsciiDigit(at(end - 1)) && at(end - 1) != '.') {
    if (IsAsciiLetter(at(end - 1))) return false;
    --end;
  }
  if (start == end) return false;
  int dots = 0;
  for (int i = start; i < end; ++i) {
    const unsigned char c = at(i);
    if (c == '.') {
      if (++dots > maxDots) return false;
      continue;
    }
    // A sign may stand only in first place; anything else must be a digit.
    const bool sign = c == '+' || c == '-';
    if (sign ? i != start : !IsAsciiDigit(c)) return false;
  }
  return true;
}

// Reads the optionally signed run of digits in `base` (8 or 10) that FindNumberText found in
// [start, end). Returns false for a digit that is not one in `base`, for no digit at all, and
// for a value outside the int range (a scan would have given an undefined result there).
static bool ReadInteger(const char* text, int start, int end, int base, int& value) {
  const bool negative = text[start] == '-';
  if (text[start] == '+' || text[start] == '-') ++start;
  if (start == end) return false;
  // The magnitude is gathered as a negative number so that INT_MIN fits.
  int magnitude = 0;
  for (int i = start; i < end; ++i) {
    const int digit = text[i] - '0';
    if (digit >= base) return false;
    // Division truncates towards zero, so this is magnitude * base - digit < INT_MIN.
    if (magnitude < (INT_MIN + digit) / base) return false;
    magnitude = magnitude * base - digit;
  }
  if (!negative && magnitude == INT_MIN) return false;
  value = negative ? magnitude : -magnitude;
  return true;
}

// Roman numerals below 90, read the forgiving way: each of these forms that occurs adds its
// value once, and its first occurrence is taken out before the next form is looked for, so
// "xiv" is iv (4) then x (10). Characters that belong to no form are ignored.
static int ReadRoman(const char* text, int length) {
  static const struct {
    const char* form;
    int value;
  } kForms[] = {{"xl", 40}, {"ix", 9},   {"iv", 4},  {"iii", 3}, {"ii", 2}, {"i", 1},
                {"v", 5},   {"xxx", 30}, {"xx", 20}, {"x", 10},  {"l", 50}};
  std::string rest;
  rest.reserve(static_cast<size_t>(length));
  for (int i = 0; i < length; ++i) {
    rest.push_back(ToAsciiLower(static_cast<unsigned char>(text[i])));
  }
  int value = 0;
  for (const auto& f : kForms) {
    const size_t found = rest.find(f.form);
    if (found == std::string::npos) continue;
    value += f.value;
    rest.erase(found, std::char_traits<char>::length(f.form));
  }
  return value;
}

int TextString::ParseReal(double& value) const {
  value = -1.0;
  int start = 0;
  int end = 0;
  if (!FindNumberText(data, length, 1, start, end)) return 0;
  // The middle is digits, one dot and a sign at most, which from_chars reads as a "%lf"
  // scan would, but whatever the locale's decimal point. It takes no '+'.
  if (data[start] == '+') ++start;
  double read = 0.0;
  const auto [stop, error] = std::from_chars(data + start, data + end, read);
  // "-", "." and "-." hold no digit; a number beyond the range of a double does not read
  // either, so no infinity reaches a caller.
  if (error != std::errc() || stop != data + end) return 0;
  value = read;
  return 1;
}

int TextString::ParseNumber(char style, int& value) const {
  value = -1;
  int start = 0;
  int end = 0;
  switch (style) {
    case '1':
    case 'O': {
      if (!FindNumberText(data, length, 0, start, end)) return 0;
      int read = 0;
      if (!ReadInteger(data, start, end, style == 'O' ? 8 : 10, read)) return 0;
      value = read;
      return 1;
    }
    case 'a':
    case 'A':
      for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (IsAsciiLetter(c)) {
          value = ToAsciiLower(c) - 'a' + 1;
          return 1;
        }
      }
      return 0;
    case 'i':
    case 'I':
      value = ReadRoman(data, length);
      return 1;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------
// Punctuation

// What the Windows-1252 punctuation fold writes for byte c, or null when c stays.
static const char* SmartPunctuationReplacement(unsigned char c) {
  switch (c) {
    case 0x91:
      return "`";
    case 0x92:
      return "'";
    case 0x93:
    case 0x94:
      return "\"";
    case 0x95:
    case 0x96:
      return "-";
    case 0x97:
      return "--";
    case 0xA0:
      return " ";
    default:
      return nullptr;
  }
}

// The punctuation fold of both variants. With keepUtf8 every valid UTF-8 multi-byte sequence
// is copied whole before its bytes could be taken for Windows-1252 punctuation: sequences
// cannot overlap and their inner bytes are never lead bytes, so stepping over each sequence
// from its lead byte leaves alone exactly the bytes of valid sequences.
static void FoldSmartPunctuation(TextString& text, bool keepUtf8) {
  const char* in = text.Data();
  const int length = text.Length();
  // Only bytes above 127 fold; most text has few of them. The text is rebuilt only from
  // the first byte that folds.
  TextString out;
  int copied = 0;  // in[copied, i) is still to be copied unchanged
  for (int i = NextNonAscii(in, length, 0); i < length; i = NextNonAscii(in, length, i)) {
    if (keepUtf8) {
      const int sequence = Utf8SequenceLength(in, length, i);
      if (sequence > 0) {
        i += sequence;
        continue;
      }
    }
    const char* replacement = SmartPunctuationReplacement(static_cast<unsigned char>(in[i]));
    if (replacement == nullptr) {
      ++i;
      continue;
    }
    if (copied == 0) out.Reserve(text.Capacity());
    out.AppendBytes(in + copied, i - copied);
    out.Append(replacement);
    copied = ++i;
  }
  if (copied == 0) return;  // nothing folded: keep the buffer
  out.AppendBytes(in + copied, length - copied);
  text.Swap(out);
}

int TextString::SmartPunctuationToAscii() {
  FoldSmartPunctuation(*this, false);
  return 1;
}

int TextString::SmartPunctuationToAsciiKeepingUtf8() {
  FoldSmartPunctuation(*this, true);
  return 1;
}

int TextString::QuotePunctuationToAscii() {
  for (int i = 0; i < length; ++i) {
    switch (static_cast<unsigned char>(data[i])) {
      case 0x92:
      case 0xD5:
        data[i] = '\'';
        break;
      case 0x96:
      case 0xA5:
        data[i] = '-';
        break;
      case 0xAE:
        data[i] = '>';
        break;
      case 0xB4:
        data[i] = '*';
        break;
      case 0xD2:
      case 0xD3:
        data[i] = '"';
        break;
      case 0xD4:
        data[i] = '`';
        break;
      default:
        break;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------------------
// Code page 437 to Windows-1252

// Entries of the code page 437 table that are not plain Windows-1252 bytes.
constexpr short kUnmappable = -1;    // '?' when marking unmappable bytes, else unchanged
constexpr short kVerticalLine = -2;  // '|' when mapping line drawing
constexpr short kSingleLine = -3;    // '-' when mapping line drawing
constexpr short kDoubleLine = -4;    // '=' when mapping line drawing
constexpr short kLineJoint = -5;     // '+' when mapping line drawing

// What each byte from 128 up becomes, indexed by byte - 128. Zero marks an entry left unset,
// which the check below rules out.
static constexpr std::array<short, 128> BuildDosTable() {
  std::array<short, 128> table{};
  const auto put = [&table](int first, std::initializer_list<short> values) {
    for (short v : values) table[first++ - 128] = v;
  };
  const auto fill = [&table](int first, int last, short v) {
    for (int b = first; b <= last; ++b) table[b - 128] = v;
  };
  put(128, {199, 252, 233, 226, 228, 224, 229, 231, 234, 235, 232, 239, 238, 236,
            196, 197, 201, 230, 198, 244, 246, 242, 251, 249, 253, 214, 220});
  put(155, {162, 163, 165});
  put(158, {'.'});
  put(250, {'.'});
  put(159, {131});
  put(160, {225, 237, 243, 250, 241, 209, 170, 176, 191});
  put(170, {202, 189, 188, 161, 171, 187});
  put(241, {177});
  put(246, {247});
  put(248, {176, 149});
  put(252, {110, 178});
  put(169, {kUnmappable});
  fill(176, 178, kUnmappable);
  fill(219, 240, kUnmappable);
  fill(242, 245, kUnmappable);
  put(247, {kUnmappable});
  put(251, {kUnmappable});
  put(254, {kUnmappable, kUnmappable});
  fill(179, 218, kLineJoint);  // the pieces below then take out their own entries
  put(179, {kVerticalLine});
  put(186, {kVerticalLine});
  put(196, {kSingleLine});
  put(205, {kDoubleLine});
  return table;
}

static constexpr std::array<short, 128> kDosTable = BuildDosTable();

static constexpr bool EveryDosEntrySet() {
  for (short entry : kDosTable) {
    if (entry == 0) return false;
  }
  return true;
}
static_assert(EveryDosEntrySet(), "every byte from 128 up needs an entry");

// Horizontal pieces of single-line boxes, which continue with byte 196.
static bool IsSingleLinePiece(unsigned char c) {
  return (c >= 192 && c <= 197) || c == 199 || c == 208 || c == 210 || c == 211 || c == 214 ||
         c == 215 || c == 218;
}

// Horizontal pieces of double-line boxes, which continue with byte 205.
static bool IsDoubleLinePiece(unsigned char c) {
  return c == 198 || (c >= 200 && c <= 207) || c == 209 || c == 212 || c == 213 || c == 216;
}

// Whether byte c, with `next` after it, begins a run of a box's horizontal line.
static bool BeginsBoxLineRun(unsigned char c, unsigned char next) {
  return (next == 196 && IsSingleLinePiece(c)) || (next == 205 && IsDoubleLinePiece(c));
}

// What DOS byte `byte` with table entry `entry` becomes: the ANSI byte of the entry; for an
// unmappable byte or a piece of line drawing, its mark when that is asked for and the byte
// itself otherwise.
static char WindowsByte(char byte, short entry, int mapLineDrawing, int markUnmappable) {
  switch (entry) {
    case kUnmappable:
      return markUnmappable != 0 ? '?' : byte;
    case kVerticalLine:
      return mapLineDrawing != 0 ? '|' : byte;
    case kSingleLine:
      return mapLineDrawing != 0 ? '-' : byte;
    case kDoubleLine:
      return mapLineDrawing != 0 ? '=' : byte;
    case kLineJoint:
      return mapLineDrawing != 0 ? '+' : byte;
    default:
      return static_cast<char>(entry);
  }
}

int TextString::DosToWindows(int mapLineDrawing, int markUnmappable, int& runCount) {
  for (int i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c < 128) continue;
    // The run is judged on the bytes as they came in: data[i + 1] is not mapped yet.
    if (i + 1 < length && BeginsBoxLineRun(c, static_cast<unsigned char>(data[i + 1]))) {
      ++runCount;
    }
    data[i] = WindowsByte(data[i], kDosTable[c - 128], mapLineDrawing, markUnmappable);
  }
  return 1;
}

// ---------------------------------------------------------------------------------------
// Decoders

int TextString::DecodeQuotedPrintable(int printableOnly) {
  int write = 0;
  int read = 0;
  while (read < length) {
    if (data[read] == '=' && read + 2 < length) {
      const int value = HexByte(data + read + 1);
      if (value >= 0 && (printableOnly == 0 || (value >= 32 && value <= 127))) {
        data[write++] = static_cast<char>(value);
        read += 3;  // a decoded byte is not looked at again
        continue;
      }
    }
    data[write++] = data[read++];
  }
  SetLength(write);
  return 1;
}

int TextString::DecodeUrlEscapes() {
  int write = 0;
  int read = 0;
  while (read < length) {
    // Only a '%' with two characters after it can start an escape, which keeps the last two
    // characters of the text from being taken as one.
    if (data[read] == '%' && read + 2 < length) {
      const int value = HexByte(data + read + 1);
      if (value >= 32) {
        data[write++] = static_cast<char>(value);
        read += 3;
        continue;
      }
    }
    data[write++] = data[read++];
  }
  SetLength(write);
  return 1;
}

static bool IsHighSurrogate(unsigned int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLowSurrogate(unsigned int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

int TextString::Utf16ToUtf8(int bigEndian) {
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  // A lone trailing byte is half a code unit and is dropped.
  const int units = length / 2;
  const auto unitAt = [in, bigEndian](int u) -> unsigned int {
    const size_t at = static_cast<size_t>(u) * 2;
    const unsigned int first = in[at];
    const unsigned int second = in[at + 1];
    return bigEndian != 0 ? (first << 8) | second : (second << 8) | first;
  };
  TextString out;
  out.Reserve(capacity);
  int allAscii = 1;
  for (int u = 0; u < units; ++u) {
    unsigned int cp = unitAt(u);
    if (cp >= 0x80) allAscii = 0;
    // A surrogate pair is one character and becomes one four-byte sequence; a surrogate
    // without its partner cannot be written as valid UTF-8 and becomes U+FFFD.
    if (IsHighSurrogate(cp) && u + 1 < units && IsLowSurrogate(unitAt(u + 1))) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unitAt(u + 1) - 0xDC00);
      ++u;
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  Swap(out);
  return allAscii;
}

// ---------------------------------------------------------------------------------------
// Filters

// Whether FilterChars of `kind` (1 to 4) deletes c.
static bool FilterDeletes(int kind, unsigned char c) {
  switch (kind) {
    case 1:
      return IsAsciiLetter(c);
    case 2:
      return IsAsciiDigit(c);
    case 3:
      return !IsAsciiLetter(c) && !IsAsciiDigit(c) && c != ' ' && c != '\t';
    default:
      return c == ' ' || c == '\t' || c == '\r' || c == '\n';
  }
}

int TextString::FilterChars(int kind) {
  if (kind < 1 || kind > 4) return 0;
  int write = 0;
  for (int read = 0; read < length; ++read) {
    if (!FilterDeletes(kind, static_cast<unsigned char>(data[read]))) data[write++] = data[read];
  }
  SetLength(write);
  return 1;
}

// ---------------------------------------------------------------------------------------
// Terminal escape sequences

constexpr char kEscape = 27;

enum class EscapeKind { LineDrawingOn, LineDrawingOff, Unknown };

// Whether text[pos, length) begins with ESC '[' digits ';' digits ' ' 'G', the sequence that
// ends line drawing along with ESC "(B".
static bool IsCursorColumnSequence(const char* text, int length, int pos, int& size) {
  int i = pos + 1;
  if (i >= length || text[i] != '[') return false;
  ++i;
  for (int group = 0; group < 2; ++group) {
    const int digitsStart = i;
    while (i < length && IsAsciiDigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == digitsStart) return false;
    if (group == 0) {
      if (i >= length || text[i] != ';') return false;
      ++i;
    }
  }
  if (length - i < 2 || text[i] != ' ' || text[i + 1] != 'G') return false;
  size = i + 2 - pos;
  return true;
}

// Classifies the escape sequence at text[pos] (an ESC) and sets `size` to the number of its
// characters, ESC included. A sequence is ESC, an optional '[', parameter characters ('&' to
// '?'), intermediate characters (space to '/') and one final character; a sequence that the
// text ends before its final character is Unknown and spans the rest of the text. The three
// sequences that switch line drawing are matched whole first, since ESC "(0" would read as
// parameters waiting for a final character.
static EscapeKind ClassifyEscape(const char* text, int length, int pos, int& size) {
  if (length - pos >= 3 && text[pos + 1] == '(' && (text[pos + 2] == '0' || text[pos + 2] == 'B')) {
    size = 3;
    return text[pos + 2] == '0' ? EscapeKind::LineDrawingOn : EscapeKind::LineDrawingOff;
  }
  if (IsCursorColumnSequence(text, length, pos, size)) return EscapeKind::LineDrawingOff;
  int i = pos + 1;
  if (i < length && text[i] == '[') ++i;
  while (i < length && text[i] >= '&' && text[i] <= '?') ++i;
  while (i < length && text[i] >= ' ' && text[i] <= '/') ++i;
  size = (i < length ? i + 1 : length) - pos;
  return EscapeKind::Unknown;
}

// The ASCII drawing of DEC line-drawing character c, or c itself when it is not one.
static char DrawLineCharacter(char c) {
  if (c < 'j' || c > 'x' || c == 'n') return c;
  if (c >= 'o' && c <= 's') return '-';
  if (c == 'x') return '|';
  return '+';
}

int TextString::TranslateEscapeSequences(int& inLineDrawing, int& sawEscape, TextString& message) {
  message.Clear();
  // One pass does the work of drawing and then removing: sequences are measured before
  // anything is drawn, so the characters of a sequence are never taken for line drawing and
  // every sequence is removed whole.
  int write = 0;
  int read = 0;
  while (read < length) {
    if (data[read] != kEscape) {
      data[write++] = inLineDrawing != 0 ? DrawLineCharacter(data[read]) : data[read];
      ++read;
      continue;
    }
    sawEscape = 1;
    int size = 0;
    switch (ClassifyEscape(data, length, read, size)) {
      case EscapeKind::LineDrawingOn:
        inLineDrawing = 1;
        break;
      case EscapeKind::LineDrawingOff:
        inLineDrawing = 0;
        break;
      case EscapeKind::Unknown:
        message.Assign("Unknown Escape sequence : ESC ");
        message.AppendBytes(data + read + 1, size - 1);
        break;
    }
    read += size;
  }
  SetLength(write);
  return 1;
}

}  // namespace quorlex
