#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Entities.h"

namespace quorlex {
namespace {

// How characters are written, combined with |. kPlain is 8-bit output with neither 8-bit
// bytes nor alternatives allowed.
enum Mode : unsigned {
  kPlain = 0,
  k8Bit = 1,
  kAlt = 2,
  kUtf8Doc = 4,
  kKeepMarkup = 8,
  kUtf8Out = 16,
};

struct Converted {
  std::string text;
  int count;
  int unicode;
};

Converted Convert(std::string_view in, unsigned mode, std::string_view charset = {}) {
  TextString text;
  text.AssignBytes(in.data(), static_cast<int>(in.size()));
  TextString out("left over");
  int unicode = 0;
  EntityWriting writing;
  writing.utf8Output = (mode & kUtf8Out) != 0;
  writing.allow8Bit = (mode & k8Bit) != 0;
  writing.alternatives = (mode & kAlt) != 0;
  writing.utf8Document = (mode & kUtf8Doc) != 0;
  writing.keepMarkup = (mode & kKeepMarkup) != 0;
  writing.documentCharset = charset;
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

// UTF-8 of one code point, written out plainly.
std::string Utf8Of(int c) {
  const auto byte = [](int b) { return static_cast<char>(b); };
  if (c < 0x80) return std::string(1, byte(c));
  if (c < 0x800) return {byte(0xC0 | c >> 6), byte(0x80 | (c & 63))};
  if (c < 0x10000) return {byte(0xE0 | c >> 12), byte(0x80 | (c >> 6 & 63)), byte(0x80 | (c & 63))};
  return {byte(0xF0 | c >> 18), byte(0x80 | (c >> 12 & 63)), byte(0x80 | (c >> 6 & 63)),
          byte(0x80 | (c & 63))};
}

TEST(EntityTable, HoldsTheHtml5NamesSortedByText) {
  const auto table = EntityTable();
  ASSERT_EQ(2125u, table.size());
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].text, table[i].text) << i;
  // Values from the standard's table, checked by hand.
  static const struct {
    std::string_view text;
    int first;
    int second;
  } kSamples[] = {
      {"&amp;", 38, 0},
      {"&AMP;", 38, 0},
      {"&QUOT;", 34, 0},
      {"&apos;", 39, 0},
      {"&nbsp;", 160, 0},
      {"&yuml;", 255, 0},
      {"&Eacute;", 201, 0},
      {"&eacute;", 233, 0},
      {"&check;", 0x2713, 0},
      {"&lbrace;", '{', 0},
      {"&NewLine;", '\n', 0},
      {"&Tab;", '\t', 0},
      {"&excl;", '!', 0},
      {"&ldquo;", 0x201C, 0},
      {"&mdash;", 0x2014, 0},
      {"&hellip;", 0x2026, 0},
      {"&euro;", 0x20AC, 0},
      {"&starf;", 0x2605, 0},
      {"&bigstar;", 0x2605, 0},
      {"&Afr;", 0x1D504, 0},
      {"&CounterClockwiseContourIntegral;", 0x2233, 0},
      {"&NotEqualTilde;", 0x2242, 0x0338},
      {"&nvlt;", '<', 0x20D2},
      {"&fjlig;", 'f', 'j'},
      {"&ThickSpace;", 0x205F, 0x200A},
      {"&zwnj;", 0x200C, 0},
      {"&shy;", 0xAD, 0},
  };
  for (const auto& s : kSamples) {
    SCOPED_TRACE(s.text);
    EntityCharacters characters;
    EXPECT_EQ(1, EntityValue(s.text, characters));
    EXPECT_EQ(s.first, characters.first);
    EXPECT_EQ(s.second, characters.second);
  }
}

// Every name is found by the search and, in UTF-8 text, becomes its own characters.
TEST(EntityTable, EveryNameDecodesToItsCharacters) {
  for (const EntityRow& row : EntityTable()) {
    SCOPED_TRACE(row.text);
    EntityCharacters characters;
    ASSERT_EQ(1, EntityValue(row.text, characters));
    EXPECT_EQ(row.codePoint, characters.first);
    EXPECT_EQ(row.secondCodePoint, characters.second);
    std::string expected = row.codePoint == 0xAD ? "" : Utf8Of(row.codePoint);
    if (row.secondCodePoint != 0) expected += Utf8Of(row.secondCodePoint);
    const std::string text = "<" + std::string(row.text) + ">";
    EXPECT_EQ("<" + expected + ">", Convert(text, kUtf8Out).text);
  }
}

// Numbers to any code point; names only whole, with their semicolon.
TEST(EntityValue, ReadsReferencesAsABrowserDoes) {
  static const struct {
    const char* name;
    std::string_view text;
    int codePoint;  // -1: fails
  } kCases[] = {
      {"zero", "&#0;", 0xFFFD},
      {"one", "&#1;", 1},
      {"127", "&#127;", 127},
      {"128 is the euro of windows-1252", "&#128;", 0x20AC},
      {"147 a left double quote", "&#147;", 0x201C},
      {"159", "&#159;", 0x0178},
      {"hole 0x81", "&#129;", 0xFFFD},
      {"hole 0x8D", "&#x8D;", 0xFFFD},
      {"hole 0x8F", "&#143;", 0xFFFD},
      {"hole 0x90", "&#144;", 0xFFFD},
      {"hole 0x9D", "&#157;", 0xFFFD},
      {"160", "&#160;", 160},
      {"decimal", "&#233;", 233},
      {"leading zeros", "&#0065;", 65},
      {"last before the surrogates", "&#xD7FF;", 0xD7FF},
      {"first surrogate", "&#xD800;", 0xFFFD},
      {"last surrogate", "&#57343;", 0xFFFD},
      {"above the basic plane", "&#x1F600;", 0x1F600},
      {"largest", "&#x10FFFF;", 0x10FFFF},
      {"one beyond", "&#x110000;", 0xFFFD},
      {"huge", "&#99999999999999999999999999999;", 0xFFFD},
      {"huge hexadecimal", "&#xFFFFFFFFFFFFFFFFFFFF;", 0xFFFD},
      {"hexadecimal", "&#x2014;", 0x2014},
      {"capital X, mixed digits", "&#X2a;", '*'},
      {"no digits", "&#;", -1},
      {"no hexadecimal digits", "&#x;", -1},
      {"not a hexadecimal digit", "&#xG;", -1},
      {"hexadecimal digit in a decimal", "&#6A;", -1},
      {"blank before the digits", "&# 65;", -1},
      {"blank after the digits", "&#65 ;", -1},
      {"sign", "&#-65;", -1},
      {"fraction", "&#6.5;", -1},
      {"name without its semicolon", "&copy", -1},
      {"no ampersand", "amp;", -1},
      {"name in capitals", "&EACUTE;", -1},
      {"name in mixed case", "&Amp;", -1},
      {"upper case nbsp", "&NBSP;", -1},
      {"unknown name", "&unknown;", -1},
      {"empty name", "&;", -1},
      {"empty", "", -1},
      {"a prefix of a name", "&cop;", -1},
      {"longer than every name", "&CounterClockwiseContourIntegrals;", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EntityCharacters characters;
    characters.first = 99;
    EXPECT_EQ(c.codePoint == -1 ? 0 : 1, EntityValue(c.text, characters));
    EXPECT_EQ(c.codePoint, characters.first);
    EXPECT_EQ(0, characters.second);
  }
}

TEST(ConvertEntities, WritesEveryCharacterItselfInUtf8Output) {
  static const Case kCases[] = {
      {"quotes and dashes", "&ldquo;a&rdquo; &mdash; &ndash;", kUtf8Out,
       "\xE2\x80\x9C"
       "a\xE2\x80\x9D \xE2\x80\x94 \xE2\x80\x93",
       4, 1},
      {"no ANSI alternatives", "&ldquo;&#151;&yuml;", kUtf8Out | kAlt | k8Bit,
       "\xE2\x80\x9C\xE2\x80\x94\xC3\xBF", 3, 1},
      {"nbsp is U+00A0 even with alternatives", "a&nbsp;b", kUtf8Out | kAlt,
       "a\xC2\xA0"
       "b",
       1, 1},
      {"no 8-bit bytes", "&eacute;", kUtf8Out | k8Bit, "\xC3\xA9", 1, 1},
      {"soft hyphen gives nothing", "hy&shy;phen&#173;ation", kUtf8Out | kAlt, "hyphenation", 2, 0},
      {"numbers in windows-1252", "&#147;x&#148;", kUtf8Out, "\xE2\x80\x9Cx\xE2\x80\x9D", 2, 1},
      {"four bytes", "&#x1F600;", kUtf8Out, "\xF0\x9F\x98\x80", 1, 1},
      {"replacement character", "&#0;&#xD800;", kUtf8Out, "\xEF\xBF\xBD\xEF\xBF\xBD", 2, 1},
      {"two code points", "&fjlig;&NotEqualTilde;", kUtf8Out, "fj\xE2\x89\x82\xCC\xB8", 2, 1},
      {"ascii only", "&lt;&gt;&amp;&quot;&apos;&#65;&NewLine;", kUtf8Out, "<>&\"'A\n", 7, 0},
      {"markup characters kept for HTML output", "&lt;&#60;&#x3C;&GT;&amp;&quot;&apos;&#39;&nvlt;",
       kUtf8Out | kKeepMarkup, "&lt;&#60;&#x3C;&GT;&amp;&quot;&apos;&#39;&nvlt;", 0, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

// 8-bit output keeps the documented writing: alternatives, single bytes, UTF-8 for the rest.
TEST(ConvertEntities, WritesEachCharacterAsThe8BitModeAllows) {
  static const Case kCases[] = {
      {"eacute 8-bit", "&eacute;", k8Bit, "\xE9", 1, 0},
      {"eacute UTF-8", "&eacute;", kPlain, "\xC3\xA9", 1, 1},
      {"Eacute is its own row", "&Eacute;", k8Bit, "\xC9", 1, 0},
      {"capitals are no entity", "&EACUTE;", k8Bit, "&EACUTE;", 0, 0},
      {"ascii", "&lt;&gt;&amp;&quot;&#65;", kPlain, "<>&\"A", 5, 0},
      {"markup characters kept for HTML output", "&lt;b&gt;&amp;&quot;&apos;&#60;&#65;",
       kKeepMarkup, "&lt;b&gt;&amp;&quot;&apos;&#60;A", 1, 0},
      {"nbsp alternative", "a&nbsp;&nbsp;b", kAlt | k8Bit, "a  b", 2, 0},
      {"nbsp 8-bit", "&nbsp;", k8Bit, "\xA0", 1, 0},
      {"nbsp UTF-8", "&nbsp;", kPlain, "\xC2\xA0", 1, 1},
      {"151 alternative", "&#151;", kAlt, "--", 1, 0},
      {"8212 alternative", "&#8212;", kAlt, "--", 1, 0},
      {"151 is an em dash", "&#151;", k8Bit, "\xE2\x80\x94", 1, 1},
      {"8212 UTF-8", "&mdash;", k8Bit, "\xE2\x80\x94", 1, 1},
      {"other alternatives",
       "&#149;&bull;&#150;&shy;&brvbar;&acute;&ndash;&lsquo;&rsquo;&ldquo;&rdquo;", kAlt,
       "oo--:'-`'''", 11, 0},
      {"no alternative", "&bdquo;", kAlt | k8Bit, "\xE2\x80\x9E", 1, 1},
      {"yuml alternative", "&yuml;", kAlt, "\xFD", 1, 0},
      {"largest two-byte", "&#2047;", kPlain, "\xDF\xBF", 1, 1},
      {"smallest three-byte", "&#2048;", kPlain, "\xE0\xA0\x80", 1, 1},
      {"four bytes", "&#65536;", kPlain, "\xF0\x90\x80\x80", 1, 1},
      {"hexadecimal", "&#x41;", kPlain, "A", 1, 0},
      {"NUL is the replacement character", "&#0;", kPlain, "\xEF\xBF\xBD", 1, 1},
      {"two code points, each as the mode allows", "&ThickSpace;&fjlig;", kAlt | k8Bit,
       "\xE2\x81\x9F\xE2\x80\x8A"
       "fj",
       2, 1},
      {"UTF-8 document agrave", "&agrave;", kUtf8Doc | k8Bit, "\xC3\xA0", 1, 1},
      {"UTF-8 document yuml", "&yuml;", kUtf8Doc | kAlt | k8Bit, "\xC3\xBF", 1, 1},
      {"UTF-8 document keeps alternatives", "&nbsp;&#151;", kUtf8Doc | kAlt, " --", 2, 0},
      {"UTF-8 document ascii", "&amp;", kUtf8Doc, "&", 1, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

// When the markup is kept, a decoded entity is written in the document's charset, or stays
// as written when the charset cannot hold it.
TEST(ConvertEntities, WritesInTheDocumentCharsetWhenTheMarkupIsKept) {
  static const struct {
    const char* name;
    std::string_view charset;
    std::string_view in;
    std::string_view out;
    int count;
  } kCases[] = {
      {"windows-1252 letter", "windows-1252", "caf&eacute;", "caf\xE9", 1},
      {"windows-1252 quotes", "windows-1252", "&#147;&rdquo;&euro;", "\x93\x94\x80", 3},
      {"windows-1252 cannot hold", "windows-1252", "&#x4E2D;&check;x", "&#x4E2D;&check;x", 0},
      {"windows-1252 has no replacement character", "windows-1252", "&#129;", "&#129;", 0},
      {"markup stays", "windows-1252", "&lt;&eacute;&gt;", "&lt;\xE9&gt;", 1},
      {"ascii as itself", "windows-1252", "&excl;&#65;", "!A", 2},
      {"name compared ignoring case", "WINDOWS-1252", "&eacute;", "\xE9", 1},
      {"UTF-8", "UTF-8", "&eacute;&#x4E2D;", "\xC3\xA9\xE4\xB8\xAD", 2},
      {"unknown means UTF-8", "", "&eacute;", "\xC3\xA9", 1},
      {"UTF-16 is read into UTF-8", "UTF-16LE", "&eacute;", "\xC3\xA9", 1},
      {"EUC-KR", "EUC-KR", "&#xD55C;&eacute;", "\xC7\xD1&eacute;", 1},
      {"Shift_JIS", "Shift_JIS", "&#x4E2D;", "\x92\x86", 1},
      {"ISO-2022-JP ends each shift", "ISO-2022-JP", "&#x4E2D;a",
       "\x1B$BCf\x1B(B"
       "a",
       1},
      {"ISO-8859-8-I", "ISO-8859-8-I", "&#x5D0;", "\xE0", 1},
      {"charset iconv does not know", "x-user-defined", "&eacute;&amp;&#65;", "&eacute;&amp;A", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Converted got = Convert(c.in, kUtf8Out | kKeepMarkup, c.charset);
    EXPECT_EQ(c.out, got.text);
    EXPECT_EQ(c.count, got.count);
  }
}

TEST(ConvertEntities, FindsNamesOfAtMost33CharactersAndNumbersToTheirSemicolon) {
  static const Case kCases[] = {
      {"ampersand without semicolon", "AT&T", kUtf8Out, "AT&T", 0, 0},
      {"name without semicolon", "&copy 2024; &amp", kUtf8Out, "&copy 2024; &amp", 0, 0},
      {"semicolon without ampersand", "a; b", kUtf8Out, "a; b", 0, 0},
      {"33 characters", "&CounterClockwiseContourIntegral;", kUtf8Out, "\xE2\x88\xB3", 1, 1},
      {"34 characters", "&xCounterClockwiseContourIntegral;", kUtf8Out,
       "&xCounterClockwiseContourIntegral;", 0, 0},
      {"long number", "&#000000000000000000000000000000000000065;", kUtf8Out, "A", 1, 0},
      {"semicolon before the ampersand", "a;b&lt;c;", kUtf8Out, "a;b<c;", 1, 0},
      {"unknown, then a nearer ampersand", "&lt&gt;", kUtf8Out, "&lt>", 1, 0},
      {"ampersand before an entity", "&&amp;", kUtf8Out, "&&", 1, 0},
      {"number with a junk prefix", "&#&#65;", kUtf8Out, "&#A", 1, 0},
      {"every occurrence counts", "&amp;&amp;&lt;x&amp;", kUtf8Out, "&&<x&", 4, 0},
      {"8-bit nbsp blanks before the scan", "&#&nbsp;65;", kAlt, "&# 65;", 1, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

// An entity that decoding forms from decoded characters and what follows is text of the
// document, not an entity in it ("&amp;lt;" shows "&lt;"), however often it occurs.
TEST(ConvertEntities, NeverDecodesDecodedText) {
  static const Case kCases[] = {
      {"amp once", "&amp;lt;", kUtf8Out, "&lt;", 1, 0},
      {"amp twice", "&amp;lt; &amp;lt;", kUtf8Out, "&lt; &lt;", 2, 0},
      {"amp before amp", "&amp;amp; &amp;amp;", kUtf8Out, "&amp; &amp;", 2, 0},
      {"decoded semicolon", "&amp&#59; &amp;", kUtf8Out, "&amp; &", 2, 0},
      {"decoded letter", "&e&#97;cute; &eacute;", k8Bit, "&eacute; \xE9", 2, 0},
      {"decoded digit", "&#6&#53;; &#65;", kUtf8Out, "&#65; A", 2, 0},
  };
  ExpectConversions(kCases, std::size(kCases));
}

TEST(ConvertEntities, WritesIntoItsOwnInputAndNeverClearsTheUnicodeFlag) {
  TextString text("x &lt; y");
  int unicode = 1;
  EXPECT_EQ(1, ConvertEntities(text, text, EntityWriting(), unicode));
  EXPECT_EQ("x < y", text.View());
  EXPECT_EQ(1, unicode);
}

// Repeated entities come from the cache; numbers and runs of "&" that never end an entity
// must not make the scan read the same text again and again.
TEST(ConvertEntities, HandlesLargeDocuments) {
  std::string in;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    in += "&amp;&#8364;&#";
    in += std::to_string(32 + i % 90);
    in += ";x&check;";
    expected += "&\xE2\x82\xAC";
    expected += static_cast<char>(32 + i % 90);
    expected += "x\xE2\x9C\x93";
  }
  const Converted got = Convert(in, kUtf8Out);
  EXPECT_TRUE(got.text == expected);
  EXPECT_EQ(400000, got.count);
  for (const std::string_view piece : {"&#", "&#1", "&", "&a"}) {
    SCOPED_TRACE(piece);
    std::string runs;
    for (int i = 0; i < 200000; ++i) runs += piece;
    runs += " ;";
    EXPECT_TRUE(Convert(runs, kUtf8Out).text == runs);
  }
}

// The steps of the conversion written plainly: the text is edited in place, each entity where
// the scan finds it, and the scan goes on after what it wrote.
Converted Reference(std::string text, unsigned mode) {
  Converted r{"", 0, 0};
  const bool utf8Output = mode & kUtf8Out;
  if (text.find('&') != std::string::npos && text.find(';') != std::string::npos) {
    for (size_t at = 0;
         !utf8Output && (mode & kAlt) && (at = text.find("&nbsp;", at)) != std::string::npos;) {
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
      EntityCharacters characters;
      const bool numeric = text.compare(amp, 2, "&#") == 0;
      if ((semicolon - amp > 32 && !numeric) ||
          !EntityValue(text.substr(amp, semicolon - amp + 1), characters)) {
        from = amp + 1;
        continue;
      }
      static const std::map<int, std::string> kAlternatives = {
          {0x2022, "o"}, {0xAD, "-"},   {0x2014, "--"}, {0xA0, " "},
          {0xA6, ":"},   {0xB4, "'"},   {0xFF, "\xFD"}, {0x2013, "-"},
          {0x2018, "`"}, {0x2019, "'"}, {0x201C, "'"},  {0x201D, "'"}};
      const bool utf8Document = mode & kUtf8Doc;
      std::vector<int> codePoints = {characters.first};
      if (characters.second != 0) codePoints.push_back(characters.second);
      std::string with;
      for (const int c : codePoints) {
        const auto alternative = kAlternatives.find(c);
        if (utf8Output && c == 0xAD) continue;
        if (c < 128) {
          with += std::string(1, static_cast<char>(c));
        } else if (!utf8Output && (mode & kAlt) && alternative != kAlternatives.end() &&
                   !(c == 0xFF && utf8Document)) {
          with += alternative->second;
        } else if (!utf8Output && c < 256 && (mode & k8Bit) && !utf8Document) {
          with += std::string(1, static_cast<char>(c));
        } else {
          with += Utf8Of(c);
          r.unicode = 1;
        }
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
  static const char* const kFragments[] = {"&",
                                           "&#",
                                           ";",
                                           "#",
                                           "amp",
                                           "nbsp",
                                           "eacute",
                                           "yuml",
                                           "x41",
                                           "lt",
                                           "0",
                                           "1",
                                           "2",
                                           "5",
                                           "6",
                                           "9",
                                           "151",
                                           "euro",
                                           "a",
                                           "e",
                                           "Z",
                                           " ",
                                           "  ",
                                           "fjlig",
                                           "shy",
                                           "NotEqualTilde",
                                           "CounterClockwiseContourIntegral",
                                           "x",
                                           "D800"};
  std::mt19937 random(20240607);
  std::uniform_int_distribution<size_t> pick(0, std::size(kFragments) - 1);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 10000; ++round) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += kFragments[pick(random)];
    const unsigned mode = round % 16 < 8 ? round % 8u : unsigned{kUtf8Out};
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
