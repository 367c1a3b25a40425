#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/LineSource.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;
using Lines = std::vector<std::string>;

// Puts every line in brackets, to show which lines went through the filter.
class BracketFilter : public LineFilter {
 public:
  void Apply(TextString& line) override { line = "[" + line + "]"; }
};

// Every line the source delivers until the end.
Lines Drain(LineSource& source) {
  Lines lines;
  TextString line;
  while (source.NextLine(line)) lines.emplace_back(line.View());
  return lines;
}

TEST(LineSource, DeliversLinesByTheRules) {
  static const struct {
    const char* name;
    std::vector<TextString> input;
    bool preformattedOpen;
    bool filter;
    Lines delivered;
  } kCases[] = {
      {"lines and tabs unchanged", {"a\tb", ""}, false, false, {"a\tb", ""}},
      {"form feed goes first", {"\fnext\fpage", "x"}, false, false, {"\f", "next page", "x"}},
      {"lone form feed", {"\f"}, false, false, {"\f"}},
      {"form feed inside", {"a\fb"}, false, false, {"a\fb"}},
      {"open block is ended", {"a"}, true, false, {"a", "$_$_END_PRE"}},
      {"open block, empty input", {}, true, false, {"$_$_END_PRE"}},
      {"filter on every line",
       {"\fx\fy", "z"},
       true,
       true,
       {"[\f]", "[x y]", "[z]", "$_$_END_PRE"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ASCIIFile file;
    file.SetSourceList(&c.input);
    BracketFilter filter;
    LineSource source(file, c.filter ? &filter : nullptr, [&c] { return c.preformattedOpen; });
    EXPECT_EQ(c.delivered, Drain(source));
  }
}

TEST(LineSource, AsksOnceWhetherABlockIsOpen) {
  const std::vector<TextString> input = {"a"};
  ASCIIFile file;
  file.SetSourceList(&input);
  int asked = 0;
  LineSource source(file, nullptr, [&asked] { return ++asked > 0; });
  EXPECT_EQ((Lines{"a", "$_$_END_PRE"}), Drain(source));
  TextString line("stale");
  EXPECT_EQ(0, source.NextLine(line));
  EXPECT_EQ("", line.View());
  EXPECT_EQ(1, asked);
}

// Queued lines are the program's own: the filter (the text commands) leaves them alone.
TEST(LineSource, QueuedLinesComeAfterTheHeldBackRest) {
  const std::vector<TextString> input = {"\fa", "b"};
  ASCIIFile file;
  file.SetSourceList(&input);
  BracketFilter filter;
  LineSource source(file, &filter, {});
  TextString line;
  ASSERT_EQ(1, source.NextLine(line));
  EXPECT_EQ("[\f]", line.View());
  source.Queue("q1");
  source.Queue("\fq2");
  EXPECT_EQ((Lines{"[a]", "q1", "\f", "q2", "[b]"}), Drain(source));
}

// ASCIIFile cuts long lines into pieces; a minified page must still arrive as one line.
TEST(LineSource, LongLinesArriveWhole) {
  std::string letters(100000, ' ');
  for (size_t i = 0; i < letters.size(); ++i) letters[i] = static_cast<char>('a' + i % 26);
  const std::string tenThousand = letters.substr(0, 10000);
  // UTF-16: 2046 units, then a surrogate pair the reader must not split.
  std::u16string wide = u"\uFEFF" + std::u16string(2046, u'w') + u"\U0001F600" + u"\r\nend";
  std::string wideBytes;
  for (const char16_t unit : wide) {
    wideBytes += static_cast<char>(unit & 0xFF);
    wideBytes += static_cast<char>(unit >> 8);
  }
  const struct {
    const char* name;
    std::string bytes;
    Lines delivered;
  } kCases[] = {
      {"10,000 bytes", "x\n" + tenThousand + "\r\ny", {"x", tenThousand, "y"}},
      {"100,000 bytes", letters + "\nz\n", {letters, "z"}},
      {"UTF-16", wideBytes, {std::string(2046, 'w') + "\xF0\x9F\x98\x80", "end"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASCIIFile file;
    ASSERT_EQ(1, file.OpenRead(folder.Write("in.htm", c.bytes).c_str()));
    LineSource source(file, nullptr, {});
    EXPECT_EQ(c.delivered, Drain(source));
  }
}

TEST(LineSource, DecodesTheDocumentFromTheCharsetItDeclares) {
  static const struct {
    const char* name;
    std::vector<TextString> input;
    LineSource::Decoding decoding;
    Lines delivered;
    const char* charset;
    const char* message;
  } kCases[] = {
      {"declared on a later line",
       {"<html>", "<meta charset=koi8-r>", "\xF0\xD2\xC9\xD7\xC5\xD4"},
       LineSource::Decoding::kToUtf8,
       {"<html>", "<meta charset=koi8-r>", "Привет"},
       "KOI8-R",
       ""},
      {"byte-order mark decides and goes",
       {"\xEF\xBB\xBF<meta charset=koi8-r>caf\xC3\xA9"},
       LineSource::Decoding::kToUtf8,
       {"<meta charset=koi8-r>café"},
       "UTF-8",
       ""},
      {"unknown label",
       {"<meta charset=x-klingon>caf\xE9"},
       LineSource::Decoding::kToUtf8,
       {"<meta charset=x-klingon>café"},
       "UTF-8",
       "WARNING: Unknown character set \"x-klingon\" - read as UTF-8"},
      {"bytes kept",
       {"\xEF\xBB\xBF<meta charset=latin1>caf\xE9"},
       LineSource::Decoding::kKeepBytes,
       {"\xEF\xBB\xBF<meta charset=latin1>caf\xE9"},
       "UTF-8",
       ""},
      {"bytes kept, charset found",
       {"<meta charset=latin1>caf\xE9"},
       LineSource::Decoding::kKeepBytes,
       {"<meta charset=latin1>caf\xE9"},
       "windows-1252",
       ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ASCIIFile file;
    file.SetSourceList(&c.input);
    LineSource source(file, nullptr, {});
    std::string messages;
    source.SetDecoding(c.decoding, [&messages](const char* message, int) { messages += message; });
    EXPECT_EQ(c.delivered, Drain(source));
    EXPECT_EQ(c.charset, source.Charset());
    EXPECT_EQ(c.message, messages);
  }
}

}  // namespace
}  // namespace quorlex
