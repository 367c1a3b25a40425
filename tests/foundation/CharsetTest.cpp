#include <gtest/gtest.h>

#include <string>

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
