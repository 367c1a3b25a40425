#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

#include "foundation/Charset.h"

namespace quorlex {
namespace {

TEST(Charset, FindsTheFirstDeclarationAndResolvesItsLabel) {
  const std::string pad(1020, ' ');
  static const struct {
    const char* name;
    std::string head;
    const char* label;
    const char* charset;
  } kCases[] = {
      {"meta charset", "<html><META CHARSET=\"Latin1\">", "Latin1", "windows-1252"},
      {"unquoted, self-closed", "<meta charset=koi8-r/>", "koi8-r/", ""},
      {"unquoted", "<meta charset=koi8-r >", "koi8-r", "KOI8-R"},
      {"http-equiv", "<meta http-equiv='Content-Type' content='text/html; charset=euc-kr'>",
       "euc-kr", "EUC-KR"},
      {"content first",
       "<meta content=\"text/html;charset=iso-8859-2\" http-equiv=\"content-type\">", "iso-8859-2",
       "ISO-8859-2"},
      {"content without http-equiv", "<meta content=\"text/html; charset=big5\">", "", ""},
      {"xml declaration", "<?xml version=\"1.0\" encoding='Shift_JIS'?><html>", "Shift_JIS",
       "Shift_JIS"},
      {"first of two", "<meta charset=\"x-sjis\"><meta charset=\"utf-8\">", "x-sjis", "Shift_JIS"},
      {"inside a comment", "<!-- <meta charset=\"koi8-r\"> --><meta charset=gbk>", "gbk", "GBK"},
      {"not a meta tag", "<metadata charset=\"koi8-r\">", "", ""},
      {"us-ascii means windows-1252", "<meta charset=us-ascii>", "us-ascii", "windows-1252"},
      {"UTF-16 declared means UTF-8", "<meta charset=utf-16le>", "utf-16le", "UTF-8"},
      {"after byte 1,024", pad + "<meta charset=\"koi8-r\">", "", ""},
      {"none", "<html><body>plain", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string label = DeclaredCharset(c.head);
    EXPECT_EQ(c.label, label);
    EXPECT_EQ(c.charset, CharsetName(label));
  }
}

// The table of charsets, row by row: every label the program accepts names its charset, and
// a sample of that charset (a byte, or a sequence where the charset has no single-byte
// characters above ASCII) decodes to the character the charset gives it.
TEST(Charset, EachLabelNamesItsCharsetWhichDecodesAsThatCharset) {
  static const struct {
    const char* charset;
    const char* labels;  // separated by blanks
    const char* sample;
    const char* text;
  } kRows[] = {
      {"UTF-8",
       "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8 csunicode "
       "iso-10646-ucs-2 ucs-2 unicode unicodefeff unicodefffe utf-16 utf-16be utf-16le utf-32 "
       "utf-32be utf-32le",
       "\xC3\xA9", "é"},
      {"windows-1252",
       "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
       "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252 "
       "x-user-defined",
       "\x80", "€"},
      {"IBM866", "866 cp866 csibm866 ibm866", "\x80", "А"},
      {"ISO-8859-2",
       "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2",
       "\xA1", "Ą"},
      {"ISO-8859-3",
       "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3",
       "\xA1", "Ħ"},
      {"ISO-8859-4",
       "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4",
       "\xA2", "ĸ"},
      {"ISO-8859-5",
       "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
       "iso_8859-5:1988",
       "\xB0", "А"},
      {"ISO-8859-6",
       "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
       "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987",
       "\xC7", "ا"},
      {"ISO-8859-7",
       "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
       "iso_8859-7 iso_8859-7:1987 sun_eu_greek",
       "\xC1", "Α"},
      {"ISO-8859-8",
       "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
       "iso_8859-8 iso_8859-8:1988 visual",
       "\xE0", "א"},
      {"ISO-8859-8-I", "csiso88598i iso-8859-8-i logical", "\xE0", "א"},
      {"ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6", "\xBD",
       "―"},
      {"ISO-8859-13", "iso-8859-13 iso8859-13 iso885913", "\xA1", "”"},
      {"ISO-8859-14", "iso-8859-14 iso8859-14 iso885914", "\xA1", "Ḃ"},
      {"ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9", "\xA4", "€"},
      {"ISO-8859-16", "iso-8859-16", "\xAA", "Ș"},
      {"KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r", "\xC1", "а"},
      {"KOI8-U", "koi8-ru koi8-u", "\xA4", "є"},
      {"macintosh", "csmacintosh mac macintosh x-mac-roman", "\x80", "Ä"},
      {"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874", "\xA1", "ก"},
      {"windows-1250", "cp1250 windows-1250 x-cp1250", "\xA5", "Ą"},
      {"windows-1251", "cp1251 windows-1251 x-cp1251", "\xC0", "А"},
      {"windows-1253", "cp1253 windows-1253 x-cp1253", "\xC1", "Α"},
      {"windows-1254",
       "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
       "latin5 windows-1254 x-cp1254",
       "\xD0", "Ğ"},
      // A letter of these two would wait in the C library for a combining mark to follow.
      {"windows-1255", "cp1255 windows-1255 x-cp1255", "\xA4", "₪"},
      {"windows-1256", "cp1256 windows-1256 x-cp1256", "\xC7", "ا"},
      {"windows-1257", "cp1257 windows-1257 x-cp1257", "\xC0", "Ą"},
      {"windows-1258", "cp1258 windows-1258 x-cp1258", "\xFE", "₫"},
      {"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian", "\x80", "А"},
      {"GBK", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk",
       "\xD6\xD0", "中"},
      {"gb18030", "gb18030", "\x95\x32\x82\x36", "𠀀"},
      {"Big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5", "\x88\x40", "㇀"},
      {"EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp", "\xC6\xFC", "日"},
      {"ISO-2022-JP", "csiso2022jp iso-2022-jp", "\x1B$BF|\x1B(B", "日"},
      {"Shift_JIS", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis",
       "\x87\x40", "①"},
      {"EUC-KR",
       "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
       "ksc_5601 windows-949",
       "\x81\x41", "갂"},
      {"ISO-2022-KR", "csiso2022kr iso-2022-kr", "\x1B$)C\x0EGQ\x0F", "한"},
      {"ISO-2022-CN", "iso-2022-cn", "\x1B$)A\x0EVP\x0F", "中"},
      {"ISO-2022-CN-EXT", "iso-2022-cn-ext", "\x1B$)A\x0EVP\x0F", "中"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.charset);
    std::istringstream labels(row.labels);
    for (std::string label; labels >> label;) {
      EXPECT_EQ(std::string_view(row.charset), CharsetName(label)) << label;
    }
    Utf8Decoder decoder(row.charset);
    ASSERT_TRUE(decoder.Usable());
    TextString line(row.sample);
    decoder.Decode(line);
    EXPECT_EQ(row.text, line.View());
  }
}

TEST(Charset, DecodesEachCharsetIntoUtf8) {
  static const struct {
    const char* charset;
    const char* bytes;
    const char* text;
  } kCases[] = {
      {"windows-1252", "\x93Smart\x94 quotes \x96 \x80 5 \x85 \x9Cuvre \x81",
       "“Smart” quotes – € 5 … œuvre \xEF\xBF\xBD"},
      {"ISO-8859-2", "\xAElu\xBBou\xE8k\xFD k\xF9\xF2 \xFAp\xECl", "Žluťoučký kůň úpěl"},
      {"KOI8-R", "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xC5\xDD\xA3", "Съешь же ещё"},
      // These two hold a letter back to see whether a combining mark follows: the line's
      // last letter must come out all the same.
      {"windows-1255", "\xF9\xEC\xE5\xED", "שלום"},
      {"windows-1258", "Vie\xD2t ca", "Viẻt ca"},
      {"EUC-KR", "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4 \xBC\xBC\xB0\xE8", "안녕하세요 세계"},
      {"Shift_JIS",
       "\x93\xFA\x96{\x8C\xEA\x82\xCC\x83"
       "e\x83L\x83X\x83g",
       "日本語のテキスト"},
      {"gb18030",
       "\xD6\xD0\xCE\xC4\xCE\xC4\xB1\xBE\x95"
       "2\x82"
       "6",
       "中文文本𠀀"},
      {"Big5",
       "\xC1"
       "c\xC5\xE9\xA4\xA4\xA4\xE5",
       "繁體中文"},
      {"EUC-KR", "broken \xBE end", "broken \xEF\xBF\xBD end"},
      {"UTF-8", "caf\xC3\xA9 caf\xE9 \xC2\x93q\xC2\x94", "café café “q”"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.charset);
    Utf8Decoder decoder(c.charset);
    ASSERT_TRUE(decoder.Usable());
    TextString line(c.bytes);
    decoder.Decode(line);
    EXPECT_EQ(c.text, line.View());
  }
  EXPECT_FALSE(Utf8Decoder("x-unknown").Usable());
}

// A shifting charset keeps its state from one line to the next.
TEST(Charset, KeepsTheShiftStateAcrossLines) {
  Utf8Decoder decoder("ISO-2022-JP");
  TextString first("\x1B$B");  // shift to JIS X 0208
  TextString second("F|K\\");  // 日本
  decoder.Decode(first);
  decoder.Decode(second);
  EXPECT_EQ("", first.View());
  EXPECT_EQ("日本", second.View());
}

// The C library converts a line in parts when it is long: none of it is lost.
TEST(Charset, DecodesALongLineWhole) {
  Utf8Decoder decoder("KOI8-R");
  TextString line(std::string(100000, '\xC1').c_str());  // "а" (U+0430) in KOI8-R
  decoder.Decode(line);
  std::string expected;
  for (int i = 0; i < 100000; ++i) expected += "а";
  EXPECT_EQ(expected, line.View());
}

TEST(Charset, RepairsTextIntoUtf8WithoutControls) {
  static const struct {
    const char* name;
    const char* bytes;
    const char* text;
  } kCases[] = {
      {"valid text stays", "Ünïcode ✓ 😀", "Ünïcode ✓ 😀"},
      {"stray byte", "caf\xE9!", "café!"},
      {"cut sequence at the end", "ab\xE2\x82", "abâ‚"},
      {"overlong form", "\xC0\xAF", "À¯"},
      {"C1 controls", "\xC2\x80 \xC2\x9F \xC2\x8D", "€ Ÿ \xEF\xBF\xBD"},
      {"surrogate", "\xED\xA0\x80", "í\xC2\xA0€"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString text(c.bytes);
    RepairUtf8(text);
    EXPECT_EQ(c.text, text.View());
  }
}

}  // namespace
}  // namespace quorlex
