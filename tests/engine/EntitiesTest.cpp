#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <string_view>

#include "engine/Entities.h"

namespace quorlex {
namespace {

// How characters beyond ASCII may be written, combined with |.
enum Mode : unsigned { kPlain = 0, k8Bit = 1, kAlt = 2, kUtf8Doc = 4, kKeepMarkup = 8 };

struct Converted {
  std::string text;
  int count;
  int unicode;
};

Converted Convert(std::string_view in, unsigned mode) {
  TextString text;
  text.AssignBytes(in.data(), static_cast<int>(in.size()));
  TextString out("left over");
  int unicode = 0;
  const EntityWriting writing{(mode & k8Bit) != 0, (mode & kAlt) != 0, (mode & kUtf8Doc) != 0,
                              (mode & kKeepMarkup) != 0};
  const int count = ConvertEntities(text, out, writing, unicode);
  return {std::string(out.View()), count, unicode};
}

struct Case {
  const char* name;
  std::string_view in;
  unsigned mode;
  std::string_view out;
  int count;
  int unicode;
};

void ExpectConversions(const Case* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const Converted got = Convert(c.in, c.mode);
    EXPECT_EQ(c.out, got.text);
    EXPECT_EQ(c.count, got.count);
    EXPECT_EQ(c.unicode, got.unicode);
  }
}

TEST(EntityTable, HoldsTheHtml401SetsAndFourCapitalSpellingsSortedByText) {
  const auto table = EntityTable();
  ASSERT_EQ(256u, table.size());
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].text, table[i].text) << i;
  static const struct {
    std::string_view text;
    int codePoint;
  } kSamples[] = {
      {"&amp;", 38},       {"&AMP;", 38},     {"&LT;", 60},        {"&GT;", 62},
      {"&NBSP;", 160},     {"&nbsp;", 160},   {"&yuml;", 255},     {"&Eacute;", 201},
      {"&eacute;", 233},   {"&fnof;", 402},   {"&Alpha;", 913},    {"&sigmaf;", 962},
      {"&thetasym;", 977}, {"&image;", 8465}, {"&alefsym;", 8501}, {"&hArr;", 8660},
      {"&sdot;", 8901},    {"&loz;", 9674},   {"&hearts;", 9829},  {"&quot;", 34},
      {"&OElig;", 338},    {"&circ;", 710},   {"&lrm;", 8206},     {"&euro;", 8364},
  };
  for (const auto& s : kSamples) {
    SCOPED_TRACE(s.text);
    int codePoint = 0;
    EXPECT_EQ(1, EntityValue(s.text, codePoint));
    EXPECT_EQ(s.codePoint, codePoint);
  }
  // The search finds every row, whatever its place.
  for (const EntityRow& row : table) {
    int codePoint = 0;
    EXPECT_EQ(1, EntityValue(row.text, codePoint)) << row.text;
    EXPECT_EQ(row.codePoint, codePoint) << row.text;
  }
}

TEST(EntityValue, ReadsDecimalNumbersAndExactNames) {
  static const struct {
    const char* name;
    std::string_view text;
    int codePoint;  // -1: fails
  } kCases[] = {
      {"decimal", "&#233;", 233},
      {"leading zeros", "&#0065;", 65},
      {"largest", "&#65535;", 65535},
      {"blank before the digits", "&# 65;", 65},
      {"blank after the digits", "&#65 ;", 65},
      {"above 65535", "&#65536;", -1},
      {"far above", "&#4294967361;", -1},
      {"hexadecimal", "&#x41;", -1},
      {"no digits", "&#;", -1},
      {"letter after the digits", "&#65a;", -1},
      {"fraction", "&#6.5;", -1},
      {"zero would be a NUL byte", "&#0;", -1},
      {"negative would be a stray byte", "&#-65;", -1},
      {"first surrogate", "&#55296;", -1},
      {"last surrogate", "&#57343;", -1},
      {"after the surrogates", "&#57344;", 57344},
      {"name in capitals", "&EACUTE;", -1},
      {"name in mixed case", "&Amp;", -1},
      {"not in HTML 4.01", "&apos;", -1},
      {"no semicolon", "&amp", -1},
      {"no ampersand", "amp;", -1},
      {"empty", "", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    int codePoint = 99;
    EXPECT_EQ(c.codePoint == -1 ? 0 : 1, EntityValue(c.text, codePoint));
    EXPECT_EQ(c.codePoint, codePoint);
  }
}

TEST(ConvertEntities, WritesEachCharacterAsTheModeAllows) {
  static const Case kCases[] = {
      {"eacute 8-bit", "&eacute;", k8Bit, "\xE9", 1, 0},
      {"eacute UTF-8", "&eacute;", kPlain, "\xC3\xA9", 1, 1},
      {"Eacute is its own row", "&Eacute;", k8Bit, "\xC9", 1, 0},
      {"capitals are no entity", "&EACUTE;", k8Bit, "&EACUTE;", 0, 0},
      {"ascii", "&lt;&gt;&amp;&quot;&#65;", kPlain, "<>&\"A", 5, 0},
      {"markup characters kept for HTML output", "&lt;b&gt;&amp;&quot;&#60;&#65;",
       kKeepMarkup, "&lt;b&gt;&amp;&quot;&#60;A", 1, 0},
      {"nbsp alternative", "a&nbsp;&NBSP;b", kAlt | k8Bit, "a  b", 2, 0},
      {"nbsp 8-bit", "&nbsp;", k8Bit, "\xA0", 1, 0},
      {"nbsp UTF-8", "&nbsp;", kPlain, "\xC2\xA0", 1, 1},
      {"151 alternative", "&#151;", kAlt, "--", 1, 0},
      {"8212 alternative", "&#8212;", kAlt, "--", 1, 0},
      {"151 8-bit", "&#151;", k8Bit, "\x97", 1, 0},
      {"8212 UTF-8", "&mdash;", k8Bit, "\xE2\x80\x94", 1, 1},
      {"other alternatives", "&#149;&#150;&shy;&brvbar;&acute;&ndash;&lsquo;&rsquo;&ldquo;&rdquo;",
       kAlt, "o--:'-`'''", 10, 0},
      {"no alternative", "&bdquo;", kAlt | k8Bit, "\xE2\x80\x9E", 1, 1},
      {"yuml alternative", "&yuml;", kAlt, "\xFD", 1, 0},
      {"largest two-byte", "&#2047;", kPlain, "\xDF\xBF", 1, 1},
      {"smallest three-byte", "&#2048;", kPlain, "\xE0\xA0\x80", 1, 1},
      {"largest three-byte", "&#65535;", kPlain, "\xEF\xBF\xBF", 1, 1},
      {"above 65535 stays", "&#65536;", kPlain, "&#65536;", 0, 0},
      {"hexadecimal stays", "&#x41;", kPlain, "&#x41;", 0, 0},
      {"NUL stays", "&#0;", kPlain, "&#0;", 0, 0},
      {"surrogate stays", "&#55357;&#56832;", kPlain, "&#55357;&#56832;", 0, 0},
      {"UTF-8 document agrave", "&agrave;", kUtf8Doc | k8Bit, "\xC3\xA0", 1, 1},
      {"UTF-8 document yuml", "&yuml;", kUtf8Doc | kAlt | k8Bit, "\xC3\xBF", 1, 1},
      {"UTF-8 document keeps alternatives", "&nbsp;&#151;", kUtf8Doc | kAlt, " --", 2, 0},
      {"UTF-8 document ascii", "&amp;", kUtf8Doc, "&", 1, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

TEST(ConvertEntities, FindsCandidatesOfAtMostNineCharacters) {
  static const Case kCases[] = {
      {"ampersand without semicolon", "AT&T", kPlain, "AT&T", 0, 0},
      {"semicolon without ampersand", "a; b", kPlain, "a; b", 0, 0},
      {"nine characters", "&#000065;&alefsym;", k8Bit, "A\xE2\x84\xB5", 2, 1},
      {"ten characters", "&#0000065;&thetasym;", k8Bit, "&#0000065;&thetasym;", 0, 0},
      {"semicolon before the ampersand", "a;b&lt;c;", kPlain, "a;b<c;", 1, 0},
      {"too far, then a nearer ampersand", "&abcdefgh&lt;", kPlain, "&abcdefgh<", 1, 0},
      {"unknown, then a nearer ampersand", "&lt&gt;", kPlain, "&lt>", 1, 0},
      {"ampersand before an entity", "&&amp;", kPlain, "&&", 1, 0},
      {"number with a junk prefix", "&#&#65;", kPlain, "A", 1, 0},
      {"every occurrence counts", "&amp;&amp;&lt;x&amp;", kPlain, "&&<x&", 4, 0},
      {"nbsp blanks before the scan", "&#&nbsp;65;", kAlt, "A", 2, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

// An entity that decoding forms from decoded characters and what follows is text of the
// document, not an entity in it ("&amp;lt;" shows "&lt;"), however often it occurs.
TEST(ConvertEntities, NeverDecodesDecodedText) {
  static const Case kCases[] = {
      {"amp once", "&amp;lt;", kPlain, "&lt;", 1, 0},
      {"amp twice", "&amp;lt; &amp;lt;", kPlain, "&lt; &lt;", 2, 0},
      {"amp before amp", "&amp;amp; &amp;amp;", kPlain, "&amp; &amp;", 2, 0},
      {"decoded semicolon", "&amp&#59; &amp;", kPlain, "&amp; &", 2, 0},
      {"decoded letter", "&e&#97;cute; &eacute;", k8Bit, "&eacute; \xE9", 2, 0},
      {"decoded digit", "&#6&#53;; &#65;", kPlain, "&#65; A", 2, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

TEST(ConvertEntities, WritesIntoItsOwnInputAndNeverClearsTheUnicodeFlag) {
  TextString text("x &lt; y");
  int unicode = 1;
  EXPECT_EQ(1, ConvertEntities(text, text, {true, true, false, false}, unicode));
  EXPECT_EQ("x < y", text.View());
  EXPECT_EQ(1, unicode);
}

TEST(ConvertEntities, HandlesLargeDocuments) {
  std::string in;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    in += "&amp;&#8364;&#";
    in += std::to_string(32 + i % 90);
    in += ";x";
    expected += "&\xE2\x82\xAC";
    expected += static_cast<char>(32 + i % 90);
    expected += "x";
  }
  const Converted got = Convert(in, k8Bit | kAlt);
  EXPECT_TRUE(got.text == expected);
  EXPECT_EQ(300000, got.count);
}

// The steps of the conversion written plainly: the text is edited in place, each entity where
// the scan finds it, and the scan goes on after what it wrote.
Converted Reference(std::string text, unsigned mode) {
  Converted r{"", 0, 0};
  if (text.find('&') != std::string::npos && text.find(';') != std::string::npos) {
    for (size_t at = 0; (mode & kAlt) && (at = text.find("&nbsp;", at)) != std::string::npos;) {
      text.replace(at, 6, " ");
      ++r.count;
    }
    for (size_t from = 0;;) {
      const size_t amp = text.find('&', from);
      const size_t semicolon = text.find(';', from);
      if (amp == std::string::npos || semicolon == std::string::npos) break;
      if (semicolon < amp) {
        from = semicolon + 1;
        continue;
      }
      int c = 0;
      if (semicolon - amp > 8 || !EntityValue(text.substr(amp, semicolon - amp + 1), c)) {
        from = amp + 1;
        continue;
      }
      static const std::map<int, std::string> kAlternatives = {
          {0x95, "o"},   {0x96, "-"},   {0xAD, "-"},   {0x97, "--"},   {0x2014, "--"},
          {0xA0, " "},   {0xA6, ":"},   {0xB4, "'"},   {0xFF, "\xFD"}, {0x2013, "-"},
          {0x2018, "`"}, {0x2019, "'"}, {0x201C, "'"}, {0x201D, "'"}};
      const auto alternative = kAlternatives.find(c);
      const bool utf8Document = mode & kUtf8Doc;
      std::string with;
      if (c < 128) {
        with = std::string(1, static_cast<char>(c));
      } else if ((mode & kAlt) && alternative != kAlternatives.end() &&
                 !(c == 0xFF && utf8Document)) {
        with = alternative->second;
      } else if (c < 256 && (mode & k8Bit) && !utf8Document) {
        with = std::string(1, static_cast<char>(c));
      } else {
        with = c < 0x800 ? std::string{char(0xC0 | c >> 6), char(0x80 | (c & 63))}
                         : std::string{char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 63)),
                                       char(0x80 | (c & 63))};
        r.unicode = 1;
      }
      text.replace(amp, semicolon - amp + 1, with);
      ++r.count;
      from = amp + with.size();
    }
  }
  r.text = text;
  return r;
}

TEST(ConvertEntities, AgreesWithThePlainStepsOnRandomTexts) {
  static const char* const kFragments[] = {"&",   "&#",   ";", "#", "amp", "nbsp", "eacute", "yuml",
                                           "x41", "lt",   "0", "1", "2",   "5",    "6",      "9",
                                           "151", "euro", "a", "e", "Z",   " ",    "  "};
  std::mt19937 random(20240607);
  std::uniform_int_distribution<size_t> pick(0, std::size(kFragments) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 10000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += kFragments[pick(random)];
    const unsigned mode = round % 8;
    SCOPED_TRACE(testing::Message() << "mode " << mode << ": " << text);
    const Converted expected = Reference(text, mode);
    const Converted got = Convert(text, mode);
    ASSERT_EQ(expected.text, got.text);
    ASSERT_EQ(expected.count, got.count);
    ASSERT_EQ(expected.unicode, got.unicode);
  }
}

}  // namespace
}  // namespace quorlex
