#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>

#include "foundation/TextString.h"
#include "tests/support/Utf8Sequence.h"

namespace quorlex {
namespace {

using namespace std::string_view_literals;

// A string holding exactly these bytes, NULs included.
TextString Bytes(std::string_view bytes) {
  TextString text;
  EXPECT_EQ(1, text.AssignBytes(bytes.data(), static_cast<int>(bytes.size())));
  return text;
}

TEST(TextStringAppendNumber, AppendsValueInStyle) {
  static const struct {
    const char* name;
    char style;
    int value;
    int trailingBlank;
    const char* appended;
  } kCases[] = {
      {"decimal", '1', 42, 0, "42"},
      {"decimal negative", '1', -2147483647 - 1, 0, "-2147483648"},
      {"unlisted style is decimal", 'q', 7, 1, "7 "},
      {"letter one", 'a', 1, 0, "a"},
      {"letter first double", 'a', 27, 0, "aa"},
      {"letter upper", 'A', 53, 0, "BA"},
      {"letter last double", 'a', 702, 0, "zz"},
      {"letter first triple", 'a', 703, 0, "aaa"},
      {"letter largest", 'a', 18278, 0, "zzz"},
      {"letter beyond three", 'a', 18279, 0, ""},
      {"letter zero", 'a', 0, 0, ""},
      {"letter zero keeps the blank", 'a', 0, 1, " "},
      {"letter negative", 'A', -3, 0, ""},
      {"roman upper with blank", 'I', 1994, 1, "MCMXCIV "},
      {"roman largest", 'i', 3999, 0, "mmmcmxcix"},
      {"roman loses thousands from 4000", 'i', 4001, 0, "i"},
      {"roman 4000 is nothing", 'i', 4000, 0, ""},
      {"roman zero", 'i', 0, 0, ""},
      {"roman negative", 'I', -5, 0, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text("x");
    EXPECT_EQ(1, text.AppendNumber(c.style, c.value, c.trailingBlank));
    EXPECT_EQ("x" + std::string(c.appended), text.View());
  }
}

TEST(TextStringParseReal, ReadsTheNumberInsideTheText) {
  static const struct {
    const char* name;
    const char* text;
    int result;
    double value;
  } kCases[] = {
      {"in parentheses", "(12.5)", 1, 12.5},
      {"signed with blanks", "  +3.25 ", 1, 3.25},
      {"negative", "-0.5", 1, -0.5},
      {"leading dot", ".5", 1, 0.5},
      {"trailing dot", "5.", 1, 5.0},
      {"symbols around", "= $7.5%;", 1, 7.5},
      // Failures leave -1.0.
      {"letter after", "-12.5 kg", 0, -1.0},
      {"letter before", "kg 12", 0, -1.0},
      {"exponent is a letter", "1e5", 0, -1.0},
      {"two dots", "1.2.3", 0, -1.0},
      {"sign inside", "1-2", 0, -1.0},
      {"no digit", "-.", 0, -1.0},
      {"empty", "", 0, -1.0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    double value = 99.0;
    EXPECT_EQ(c.result, TextString(c.text).ParseReal(value));
    EXPECT_DOUBLE_EQ(c.value, value);
  }
  SCOPED_TRACE("beyond the range of a double");
  double value = 99.0;
  EXPECT_EQ(0, TextString(("1" + std::string(400, '0')).c_str()).ParseReal(value));
  EXPECT_DOUBLE_EQ(-1.0, value);
}

TEST(TextStringParseNumber, ReadsNumberInStyle) {
  static const struct {
    const char* name;
    char style;
    const char* text;
    int result;
    int value;
  } kCases[] = {
      {"decimal", '1', "42", 1, 42},
      {"decimal in brackets", '1', "[-17]", 1, -17},
      {"decimal takes no dot", '1', "3.5", 0, -1},
      {"decimal trailing dot", '1', "12.", 0, -1},
      {"hexadecimal entity text", '1', "x41", 0, -1},
      {"decimal largest", '1', "2147483647", 1, 2147483647},
      {"decimal smallest", '1', "-2147483648", 1, -2147483647 - 1},
      {"decimal beyond int", '1', "2147483648", 0, -1},
      {"decimal far beyond int", '1', "-99999999999999999999", 0, -1},
      {"octal", 'O', "10", 1, 8},
      {"octal negative", 'O', "-777", 1, -511},
      {"octal rejects 8", 'O', "18", 0, -1},
      {"octal largest", 'O', "17777777777", 1, 2147483647},
      {"octal beyond int", 'O', "20000000000", 0, -1},
      {"letter in brackets", 'a', "(c)", 1, 3},
      {"letter upper", 'A', "12Z", 1, 26},
      {"letter none", 'a', "12 \xE9", 0, -1},
      {"roman subtractive", 'i', "xiv", 1, 14},
      {"roman upper", 'I', "XIX", 1, 19},
      {"roman largest", 'i', "lxxxix", 1, 89},
      {"roman forms in their order", 'i', "ixl", 1, 41},  // xl is found before ix
      {"roman ninety is beyond", 'i', "xc", 1, 10},
      {"roman nothing", 'i', "mcd", 1, 0},
      {"unknown style", 'z', "5", 0, -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    int value = 99;
    EXPECT_EQ(c.result, TextString(c.text).ParseNumber(c.style, value));
    EXPECT_EQ(c.value, value);
  }
}

// Both folds on the same input: the plain one maps bytes, the other spares UTF-8.
TEST(TextStringSmartPunctuation, FoldsWindowsPunctuationAndKeepsUtf8) {
  static const struct {
    const char* name;
    std::string_view text;
    std::string_view plain;
    std::string_view keeping;
  } kCases[] = {
      {"every mapped byte", "\x91\x92\x93\x94\x95\x96\x97\xA0", "`'\"\"---- ", "`'\"\"---- "},
      {"em dash grows by one", "a\x97z", "a--z", "a--z"},
      {"utf-8 e acute", "caf\xC3\xA9", "caf\xC3\xA9", "caf\xC3\xA9"},
      {"utf-8 em dash", "\xE2\x80\x94", "\xE2\x80\"", "\xE2\x80\x94"},
      {"utf-8 no-break space", "\xC2\xA0", "\xC2 ", "\xC2\xA0"},
      {"utf-8 four bytes", "\xF0\x9F\x98\x97", "\xF0\x9F\x98--", "\xF0\x9F\x98\x97"},
      {"mixed", "\x93\xC3\x97\x94\x97", "\"\xC3--\"--", "\"\xC3\x97\"--"},
      {"byte after a sequence", "\xC3\xA9\x97", "\xC3\xA9--", "\xC3\xA9--"},
      {"cut-off sequence", "\xE2\x94", "\xE2\"", "\xE2\""},
      {"overlong form", "\xC0\xA0", "\xC0 ", "\xC0 "},
      {"surrogate", "\xED\xA0\x80", "\xED \x80", "\xED \x80"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString plain = Bytes(c.text);
    EXPECT_EQ(1, plain.SmartPunctuationToAscii());
    EXPECT_EQ(c.plain, plain.View());
    TextString keeping = Bytes(c.text);
    EXPECT_EQ(1, keeping.SmartPunctuationToAsciiKeepingUtf8());
    EXPECT_EQ(c.keeping, keeping.View());
  }
}

// On texts of valid, cut-off and stray sequences: the keeping fold copies every byte of a
// valid sequence and folds every other byte as the plain fold does.
TEST(TextStringSmartPunctuation, KeepsExactlyTheBytesOfValidSequences) {
  const std::string_view kPieces[] = {"a",
                                      "\x97",
                                      "\x93",
                                      "\xA0",
                                      "\xC3\xA9",
                                      "\xC3",
                                      "\xE2\x80\x94",
                                      "\xE2\x80",
                                      "\xF0\x9F\x98\x97",
                                      "\xC0\xA0",
                                      "\xED\xA0\x80",
                                      "\x80"};
  unsigned seed = 11;
  const auto next = [&seed]() { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (unsigned n = next() % 8; n > 0; --n) text += kPieces[next() % std::size(kPieces)];
    const int length = static_cast<int>(text.size());
    std::string expected;
    for (int i = 0; i < length; ++i) {
      TextString byte = Bytes(text.substr(static_cast<size_t>(i), 1));
      if (!testing::IsInUtf8Sequence(text.data(), length, i)) byte.SmartPunctuationToAscii();
      expected += byte.View();
    }
    TextString keeping = Bytes(text);
    keeping.SmartPunctuationToAsciiKeepingUtf8();
    ASSERT_EQ(expected, keeping.View()) << ::testing::PrintToString(text);
  }
}

TEST(TextStringSmartPunctuation, GrowsPastTheBuffer) {
  TextString text(std::string(300, '\x97').c_str());
  text.SmartPunctuationToAscii();
  EXPECT_EQ(std::string(600, '-'), text.View());
}

TEST(TextStringQuotePunctuation, MapsMacQuotesOnly) {
  TextString text("\x92\xD5\x96\xA5\xAE\xB4\xD2\xD3\xD4|\x91\x93\xE9z");
  EXPECT_EQ(1, text.QuotePunctuationToAscii());
  EXPECT_EQ("''-->*\"\"`|\x91\x93\xE9z", text.View());
}

// Each byte under neither flag, with line drawing mapped, and with unmappable bytes marked.
TEST(TextStringDosToWindows, MapsEachRowOfTheTable) {
  static const struct {
    const char* name;
    int byte, plain, lineDrawing, marking;
  } kCases[] = {
      {"ascii", 'A', 'A', 'A', 'A'},
      {"C cedilla", 128, 199, 199, 199},
      {"A ring", 143, 197, 197, 197},
      {"y diaeresis", 152, 253, 253, 253},
      {"U diaeresis", 154, 220, 220, 220},
      {"yen", 157, 165, 165, 165},
      {"peseta", 158, '.', '.', '.'},
      {"middle dot", 250, '.', '.', '.'},
      {"florin", 159, 131, 131, 131},
      {"a acute", 160, 225, 225, 225},
      {"inverted question", 168, 191, 191, 191},
      {"not sign", 170, 202, 202, 202},
      {"right guillemet", 175, 187, 187, 187},
      {"division", 246, 247, 247, 247},
      {"bullet", 249, 149, 149, 149},
      {"superscript n", 252, 110, 110, 110},
      {"reversed not", 169, 169, 169, '?'},
      {"light shade", 176, 176, 176, '?'},
      {"full block", 219, 219, 219, '?'},
      {"identical to", 240, 240, 240, '?'},
      {"almost equal", 247, 247, 247, '?'},
      {"square root", 251, 251, 251, '?'},
      {"no-break space", 255, 255, 255, '?'},
      {"single vertical", 179, 179, '|', 179},
      {"double vertical", 186, 186, '|', 186},
      {"single horizontal", 196, 196, '-', 196},
      {"double horizontal", 205, 205, '=', 205},
      {"first joint", 180, 180, '+', 180},
      {"cross", 197, 197, '+', 197},
      {"last corner", 218, 218, '+', 218},
  };
  const auto map = [](int byte, int mapLineDrawing, int markUnmappable) {
    TextString text;
    text.AppendChar(static_cast<char>(byte));
    int runs = 0;
    EXPECT_EQ(1, text.DosToWindows(mapLineDrawing, markUnmappable, runs));
    return static_cast<unsigned char>(text.Data()[0]);
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.plain, map(c.byte, 0, 0));
    EXPECT_EQ(c.lineDrawing, map(c.byte, 1, 0));
    EXPECT_EQ(c.marking, map(c.byte, 0, 1));
  }
}

TEST(TextStringDosToWindows, CountsHorizontalRunsWhateverTheFlags) {
  static const struct {
    const char* name;
    const char* text;
    int runs;
    const char* drawn;  // with line drawing mapped
  } kCases[] = {
      {"single box top", "\xDA\xC4\xC4\xBF", 2, "+--+"},
      {"double box top", "\xC9\xCD\xCD\xBB", 2, "+==+"},
      {"single tee and mixed pieces", "\xC3\xC4\xC7\xC4\xD7\xC4", 3, "+-+-+-"},
      {"double pieces", "\xC6\xCD\xD8\xCD", 2, "+=+="},
      {"single piece before double line", "\xC4\xCD", 0, "-="},
      {"double piece before single line", "\xCD\xC4", 0, "=-"},
      {"corner that closes a line", "\xD9\xC4", 0, "+-"},
      {"line at the very end", "a\xC4", 0, "a-"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString plain(c.text);
    int runs = 10;  // the count is added to, never reset
    plain.DosToWindows(0, 0, runs);
    EXPECT_EQ(10 + c.runs, runs);
    EXPECT_EQ(c.text, plain.View());
    TextString drawn(c.text);
    runs = 0;
    drawn.DosToWindows(1, 1, runs);
    EXPECT_EQ(c.runs, runs);
    EXPECT_EQ(c.drawn, drawn.View());
  }
}

TEST(TextStringDecodeQuotedPrintable, DecodesEqualsHexPairs) {
  static const struct {
    const char* name;
    const char* text;
    int printableOnly;
    std::string_view decoded;
  } kCases[] = {
      {"byte above 127", "caf=E9", 0, "caf\xE9"},
      {"lower-case digits", "=e9", 0, "\xE9"},
      {"control byte", "a=0Ab", 0, "a\nb"},
      {"nul byte", "=00", 0, "\0"sv},
      {"at the very end", "x=41", 0, "xA"},
      {"one digit at the end", "x=4", 0, "x=4"},
      {"not hex", "=G1=4", 0, "=G1=4"},
      {"decoded equals is not read again", "=3D41", 0, "=41"},
      {"equals before an escape", "==41", 0, "=A"},
      {"printable only keeps high bytes", "=E9=41", 1, "=E9A"},
      {"printable only bounds", "=1F=20=7F=80", 1, "=1F \x7F=80"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text(c.text);
    EXPECT_EQ(1, text.DecodeQuotedPrintable(c.printableOnly));
    EXPECT_EQ(c.decoded, text.View());
  }
}

TEST(TextStringDecodeUrlEscapes, DecodesPercentHexPairsFrom32) {
  static const struct {
    const char* name;
    const char* text;
    const char* decoded;
  } kCases[] = {
      {"blank", "a%20b", "a b"},
      {"whole text", "%41", "A"},
      {"at the very end", "a%7e", "a~"},
      {"one digit at the end", "a%4", "a%4"},
      {"utf-8 bytes", "%C3%A9", "\xC3\xA9"},
      {"below 32 stays", "%0A%1F", "%0A%1F"},
      {"not hex", "%zz", "%zz"},
      {"percent before an escape", "%%41", "%A"},
      {"decoded percent is not read again", "%2541", "%41"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text(c.text);
    EXPECT_EQ(1, text.DecodeUrlEscapes());
    EXPECT_EQ(c.decoded, text.View());
  }
}

TEST(TextStringUtf16ToUtf8, ReencodesCodeUnits) {
  static const struct {
    const char* name;
    std::string_view bytes;
    int bigEndian;
    std::string_view utf8;
    int allAscii;
  } kCases[] = {
      {"little-endian latin", "\x41\0\xE9\0"sv, 0, "A\xC3\xA9", 0},
      {"big-endian latin", "\0\x41\0\xE9"sv, 1, "A\xC3\xA9", 0},
      {"ascii only", "H\0i\0"sv, 0, "Hi", 1},
      {"nul unit", "\0\0"sv, 0, "\0"sv, 1},
      {"two-byte largest", "\x07\xFF", 1, "\xDF\xBF", 0},
      {"three-byte smallest", "\x00\x08"sv, 0, "\xE0\xA0\x80", 0},
      {"euro sign", "\x20\xAC", 1, "\xE2\x82\xAC", 0},
      {"byte-order mark", "\xFF\xFE", 0, "\xEF\xBB\xBF", 0},
      {"surrogate pair", "\x3D\xD8\x00\xDE"sv, 0, "\xF0\x9F\x98\x80", 0},
      {"surrogate pair big-endian", "\xDB\xFF\xDF\xFF", 1, "\xF4\x8F\xBF\xBF", 0},
      {"high surrogate alone", "\xD8\x3D\0Z"sv, 1, "\xEF\xBF\xBDZ", 0},
      {"high surrogate at the end", "\xD8\x3D", 1, "\xEF\xBF\xBD", 0},
      {"low surrogate alone", "\xDE\x00"sv, 1, "\xEF\xBF\xBD", 0},
      {"odd trailing byte dropped", "A\0B"sv, 0, "A", 1},
      {"empty", "", 0, "", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text = Bytes(c.bytes);
    EXPECT_EQ(c.allAscii, text.Utf16ToUtf8(c.bigEndian));
    EXPECT_EQ(c.utf8, text.View());
  }
}

TEST(TextStringFilterChars, DeletesCharactersOfKind) {
  static const struct {
    const char* name;
    int kind;
    const char* filtered;
    int result;
  } kCases[] = {
      {"letters", 1, "1 2\t,\xC3\xA9\r\n", 1},
      {"digits", 2, "aZ b\t,\xC3\xA9\r\n", 1},
      {"all but letters digits and blanks", 3, "aZ1 b2\t", 1},
      {"blanks and line ends", 4, "aZ1b2,\xC3\xA9", 1},
      {"kind 0", 0, "aZ1 b2\t,\xC3\xA9\r\n", 0},
      {"kind 5", 5, "aZ1 b2\t,\xC3\xA9\r\n", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text("aZ1 b2\t,\xC3\xA9\r\n");
    EXPECT_EQ(c.result, text.FilterChars(c.kind));
    EXPECT_EQ(c.filtered, text.View());
  }
}

TEST(TextStringTranslateEscapeSequences, DrawsLinesAndRemovesSequences) {
  static const struct {
    const char* name;
    const char* text;
    int drawingBefore;
    const char* translated;
    int drawingAfter;
    int sawEscape;
    const char* message;
  } kCases[] = {
      {"no sequence", "lqqk", 0, "lqqk", 0, 0, ""},
      {"drawing on and off", "\x1b(0lqqk\x1b(B lqk", 0, "+--+ lqk", 0, 1, ""},
      {"drawing stays on", "a\x1b(0mqj", 0, "a+-+", 1, 1, ""},
      {"drawing from the line before", "jklmnopqrstuvwx iy", 1, "++++n-----++++| iy", 1, 0, ""},
      {"column sequence ends drawing", "qq\x1b[12;40 Gqq", 1, "--qq", 0, 1, ""},
      {"column sequence needs its blank", "q\x1b[1;5Gq", 1, "--", 1, 1,
       "Unknown Escape sequence : ESC [1;5G"},
      {"unknown sequence", "a\x1b[2Jb", 0, "ab", 0, 1, "Unknown Escape sequence : ESC [2J"},
      {"unknown sequence is not drawn", "q\x1b[?25lq", 1, "--", 1, 1,
       "Unknown Escape sequence : ESC [?25l"},
      {"sequence without bracket", "\x1bM!", 0, "!", 0, 1, "Unknown Escape sequence : ESC M"},
      {"intermediate characters", "\x1b(Ax", 0, "x", 0, 1, "Unknown Escape sequence : ESC (A"},
      {"last unknown is reported", "\x1b[2J\x1b[0m", 0, "", 0, 1,
       "Unknown Escape sequence : ESC [0m"},
      {"cut off at the end", "ab\x1b[1;", 0, "ab", 0, 1, "Unknown Escape sequence : ESC [1;"},
      {"lone escape at the end", "ab\x1b", 0, "ab", 0, 1, "Unknown Escape sequence : ESC "},
      {"drawing switch cut off", "ab\x1b(", 1, "ab", 1, 1, "Unknown Escape sequence : ESC ("},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text(c.text);
    TextString message("left from the line before");
    int drawing = c.drawingBefore;
    int sawEscape = 0;
    EXPECT_EQ(1, text.TranslateEscapeSequences(drawing, sawEscape, message));
    EXPECT_EQ(c.translated, text.View());
    EXPECT_EQ(c.drawingAfter, drawing);
    EXPECT_EQ(c.sawEscape, sawEscape);
    EXPECT_EQ(c.message, message.View());
  }
}

}  // namespace
}  // namespace quorlex
