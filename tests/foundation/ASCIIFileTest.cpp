#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ASCIIFile.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::TempFolder;
using Lines = std::vector<std::string>;

// Every line ReadLine delivers until the end; `cuts` receives LastLineCut() of each.
Lines ReadAll(ASCIIFile& file, std::vector<int>* cuts = nullptr) {
  Lines lines;
  while (file.ReadLine()) {
    lines.emplace_back(file.NewestLine()->View());
    if (cuts != nullptr) cuts->push_back(file.LastLineCut());
  }
  return lines;
}

// A string holding exactly these bytes, NULs included.
TextString Bytes(std::string_view bytes) {
  TextString text;
  text.AssignBytes(bytes.data(), static_cast<int>(bytes.size()));
  return text;
}

// The names in `folder`, to show that no temporary file was left behind.
Lines Entries(const std::string& folder) {
  Lines names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// `count` letters a to z over and over, so that a piece out of place shows.
std::string Letters(size_t count) {
  std::string text(count, ' ');
  for (size_t i = 0; i < count; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

// `text` as UTF-16 bytes in the given order (a byte-order mark only if `text` has one).
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(ASCIIFileRead, SplitsLinesAtLineFeeds) {
  static const struct {
    const char* name;
    std::string_view bytes;
    int byteMode;
    Lines lines;
  } kCases[] = {
      {"LF", "a\nb\n", 0, {"a", "b"}},
      {"CRLF", "a\r\nb\r\n", 0, {"a", "b"}},
      {"lone CR stays", "a\rb\n", 0, {"a\rb"}},
      {"only the CR before LF goes", "a\r\r\n", 0, {"a\r"}},
      {"CR at the end of the file stays", "a\r", 0, {"a\r"}},
      {"last line without LF", "a\nb", 0, {"a", "b"}},
      {"empty lines", "\n\r\n\n", 0, {"", "", ""}},
      {"empty file", "", 0, {}},
      {"8-bit bytes pass", "\xE9\xFF\xFE\n", 0, {"\xE9\xFF\xFE"}},
      {"NUL bytes kept", "a\0b\n"sv, 0, {"a\0b"s}},
      {"byteMode NULs become spaces", "a\0b\0\n\0"sv, 1, {"a b ", " "}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASCIIFile file;
    file.byteMode = c.byteMode;
    ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", c.bytes).c_str()));
    EXPECT_EQ(c.lines, ReadAll(file));
    EXPECT_EQ(0, file.utf16Le + file.utf16Be);
  }
}

TEST(ASCIIFileRead, LongLinesArriveInPiecesOf4095Bytes) {
  static const struct {
    const char* name;
    std::string content;  // followed by `end` and a line "next"
    const char* end;
    std::vector<int> lengths;
    std::vector<int> cuts;
  } kCases[] = {
      {"10,000 bytes", Letters(10000), "\n", {4095, 4095, 1810}, {1, 1, 0}},
      {"exactly 4095", Letters(4095), "\n", {4095}, {0}},
      {"exactly 4095 before CRLF", Letters(4095), "\r\n", {4095}, {0}},
      {"4094 before CRLF", Letters(4094), "\r\n", {4094}, {0}},
      {"4096", Letters(4096), "\n", {4095, 1}, {1, 0}},
      {"lone CR after 4095", Letters(4095) + "\rx", "\n", {4095, 2}, {1, 0}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    for (const bool last : {false, true}) {
      SCOPED_TRACE(last ? "last line of the file" : "followed by another line");
      TempFolder folder;
      ASCIIFile file;
      const std::string bytes = c.content + c.end + (last ? "" : "next\n");
      ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", bytes).c_str()));
      std::vector<int> cuts;
      Lines lines = ReadAll(file, &cuts);
      if (!last) {
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ("next", lines.back());
        lines.pop_back();
        cuts.pop_back();
      }
      std::vector<int> lengths;
      std::string joined;
      for (const auto& line : lines) {
        lengths.push_back(static_cast<int>(line.size()));
        joined += line;
      }
      EXPECT_EQ(c.lengths, lengths);
      EXPECT_EQ(c.cuts, cuts);
      EXPECT_EQ(c.content, joined);
    }
  }
}

// Lines of every length, CRLF and LF mixed, over many refills of the read buffer: a line end
// split between two reads must be found like any other.
TEST(ASCIIFileRead, ReadsBigFilesLikeASimpleSplitter) {
  std::string bytes;
  Lines expected;
  uint32_t seed = 12345;
  for (int n = 0; n < 200; ++n) {
    seed = seed * 1103515245u + 12345u;
    const size_t length = (seed >> 8) % 9000;
    const std::string content = Letters(length);
    bytes += content + ((seed & 1) != 0 ? "\r\n" : "\n");
    for (size_t at = 0; at < length || at == 0; at += 4095) {
      expected.push_back(content.substr(at, 4095));
    }
  }
  TempFolder folder;
  ASCIIFile file;
  ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", bytes).c_str()));
  EXPECT_EQ(expected, ReadAll(file));
}

TEST(ASCIIFileRead, ConvertsUtf16ToUtf8Lines) {
  static const struct {
    const char* name;
    std::u16string text;
    bool bigEndian;
    std::string_view tail;  // raw bytes after the text
    Lines lines;
    int asciiOnly;
  } kCases[] = {
      {"LE CRLF", u"\uFEFFAb\r\nc", false, "", {"Ab", "c"}, 1},
      {"LE LF", u"\uFEFFA\nB\n", false, "", {"A", "B"}, 1},
      {"BE CRLF", u"\uFEFFA\r\nB\r\n", true, "", {"A", "B"}, 1},
      {"BE LF", u"\uFEFFA\nB", true, "", {"A", "B"}, 1},
      {"e acute", u"\uFEFFcaf\u00E9\n", true, "", {"caf\xC3\xA9"}, 0},
      {"surrogate pair", u"\uFEFF\U0001F600!\r\n", false, "", {"\xF0\x9F\x98\x80!"}, 0},
      {"lone CR stays", u"\uFEFFA\rB", false, "", {"A\rB"}, 1},
      {"mark only on the first line", u"\uFEFFA\n\uFEFFB", false, "", {"A", "\357\273\277B"}, 0},
      // 05 0A 00 4E holds the bytes 0A 00 across two units, 0A 4E a 0A byte: no line end.
      {"0A bytes inside units",
       u"\uFEFF\u0A05\u4E00\u4E0A\n",
       false,
       "",
       {"\xE0\xA8\x85\xE4\xB8\x80\xE4\xB8\x8A"},
       0},
      {"0A byte inside a BE unit", u"\uFEFF\u0A05\n", true, "", {"\xE0\xA8\x85"}, 0},
      {"odd trailing byte dropped", u"\uFEFFA\n", false, "B", {"A"}, 1},
      {"mark only", u"\uFEFF", true, "", {}, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASCIIFile file;
    const std::string bytes = Utf16(c.text, c.bigEndian) + std::string(c.tail);
    ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", bytes).c_str()));
    EXPECT_EQ(c.lines, ReadAll(file));
    EXPECT_EQ(c.asciiOnly, file.asciiOnly);
    EXPECT_EQ(c.bigEndian ? 0 : 1, file.utf16Le);
    EXPECT_EQ(c.bigEndian ? 1 : 0, file.utf16Be);
  }
}

TEST(ASCIIFileRead, Utf16PiecesEndOnWholeCharacters) {
  static const struct {
    const char* name;
    std::u16string text;
    Lines lines;
  } kCases[] = {
      {"2047 units fill a piece",
       u"\uFEFF" + std::u16string(3000, u'a') + u"\r\n",
       {std::string(2047, 'a'), std::string(953, 'a')}},
      {"exactly 2047 units",
       u"\uFEFF" + std::u16string(2047, u'a') + u"\r\nz",
       {std::string(2047, 'a'), "z"}},
      {"surrogate pair kept together",
       u"\uFEFF" + std::u16string(2046, u'a') + u"\U0001F600!",
       {std::string(2046, 'a'), "\xF0\x9F\x98\x80!"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASCIIFile file;
    ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", Utf16(c.text, false)).c_str()));
    EXPECT_EQ(c.lines, ReadAll(file));
  }
}

TEST(ASCIIFileRead, KeepsAWindowOfRecentLines) {
  TempFolder folder;
  std::string bytes;
  for (int n = 1; n <= 101; ++n) bytes += "line " + std::to_string(n) + "\n";
  ASCIIFile file;
  ASSERT_EQ(1, file.OpenRead(folder.Write("in.txt", bytes).c_str()));
  EXPECT_EQ(nullptr, file.NewestLine());
  for (int n = 1; n <= 100; ++n) ASSERT_EQ(1, file.ReadLine());
  EXPECT_EQ(100, file.RetainedCount());
  EXPECT_EQ("line 1", file.GetLine(1)->View());
  EXPECT_EQ("line 100", file.GetLine(100)->View());

  ASSERT_EQ(1, file.ReadLine());  // passing 100 drops the oldest 90
  EXPECT_EQ(11, file.RetainedCount());
  EXPECT_EQ("line 91", file.GetLine(1)->View());
  EXPECT_EQ(file.GetLine(11), file.NewestLine());
  EXPECT_EQ("line 101", file.NewestLine()->View());
  EXPECT_EQ(nullptr, file.GetLine(0));
  EXPECT_EQ(nullptr, file.GetLine(12));
  EXPECT_EQ(0, file.ReadLine());
  EXPECT_EQ(101, file.linesRead);
}

TEST(ASCIIFileRead, StackedFileIsReadBeforeTheRestOfTheOneBelow) {
  TempFolder folder;
  const std::string bottom = folder.Write("a.txt", "a1\na2\n");
  const std::string top = folder.Write("b.txt", "b1\nb2");
  ASCIIFile file;
  ASSERT_EQ(1, file.OpenRead(bottom.c_str()));
  ASSERT_EQ(1, file.ReadLine());
  ASSERT_EQ(1, file.OpenRead(top.c_str()));
  EXPECT_EQ(2, file.depth);
  EXPECT_EQ(top, file.Name().View());
  EXPECT_EQ((Lines{"b1", "b2", "a2"}), ReadAll(file));
  EXPECT_EQ(1, file.depth);
  EXPECT_EQ(bottom, file.Name().View());
  EXPECT_EQ(1, file.CloseAll());
  EXPECT_EQ(0, file.depth);
  EXPECT_EQ("", file.Name().View());
}

TEST(ASCIIFileRead, SourceListReplacesTheFile) {
  const std::vector<TextString> source = {"one", "", "three"};
  ASCIIFile file;
  file.SetSourceList(&source);
  EXPECT_EQ((Lines{"one", "", "three"}), ReadAll(file));
  EXPECT_EQ(3, file.linesRead);
}

TEST(ASCIIFileWrite, WritesEachLineWithALineFeed) {
  static const struct {
    const char* name;
    bool whole;
    ASCIIFile::Mode mode;
  } kCases[] = {{"text", false, ASCIIFile::Mode::kText},
                {"binary", false, ASCIIFile::Mode::kBinary},
                {"whole", true, ASCIIFile::Mode::kText}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.Write("out.txt", "old text that is longer\n");
    ASCIIFile file;
    ASSERT_EQ(1, c.whole ? file.OpenWriteWhole(path.c_str(), c.mode)
                         : file.OpenWrite(path.c_str(), ASCIIFile::Target::kFile, c.mode));
    EXPECT_EQ(path, file.Name().View());
    EXPECT_EQ(1, file.WriteLine("first"));
    EXPECT_EQ(1, file.WriteLine(""));
    EXPECT_EQ(1, file.WriteLine(Bytes("with\0nul"sv)));
    EXPECT_EQ(1, file.Commit());
    EXPECT_EQ(1, file.CloseAll());
    EXPECT_EQ("first\n\nwith\0nul\n"sv, folder.Read("out.txt"));
    EXPECT_EQ(Lines{"out.txt"}, Entries(folder.Path()));
  }
}

TEST(ASCIIFileWrite, WholeWriteWithoutCommitLeavesTheOldFile) {
  TempFolder folder;
  const std::string path = folder.Write("out.txt", "old\n");
  {
    ASCIIFile file;
    ASSERT_EQ(1, file.OpenWriteWhole(path.c_str(), ASCIIFile::Mode::kText));
    EXPECT_EQ(1, file.WriteLine("new"));
    EXPECT_EQ("old\n", folder.Read("out.txt"));
  }
  EXPECT_EQ("old\n", folder.Read("out.txt"));
  EXPECT_EQ(Lines{"out.txt"}, Entries(folder.Path()));
}

TEST(ASCIIFileWrite, SinkListAndConsoleTakeTheLines) {
  TempFolder folder;
  std::vector<TextString> sink;
  ASCIIFile file;
  file.SetSinkList(&sink);
  ASSERT_EQ(1, file.OpenWrite((folder / "never.txt").c_str(), ASCIIFile::Target::kFile,
                              ASCIIFile::Mode::kText));
  EXPECT_EQ(1, file.WriteLine("one"));
  EXPECT_EQ(1, file.WriteLine(Bytes("t\0o"sv)));
  ASSERT_EQ(2u, sink.size());
  EXPECT_EQ("one", sink[0].View());
  EXPECT_EQ("t\0o"sv, sink[1].View());
  EXPECT_FALSE(std::filesystem::exists(folder / "never.txt"));

  std::FILE* console = std::tmpfile();
  ASSERT_NE(nullptr, console);
  ASCIIFile out;
  out.SetConsoleStream(console);
  ASSERT_EQ(1, out.OpenWrite(nullptr, ASCIIFile::Target::kConsole, ASCIIFile::Mode::kText));
  EXPECT_EQ(1, out.WriteLine("to the console"));
  EXPECT_EQ(1, out.CloseAll());
  std::rewind(console);
  char text[32] = {};
  EXPECT_EQ(15u, std::fread(text, 1, sizeof text, console));
  EXPECT_EQ("to the console\n"sv, text);
  std::fclose(console);
}

TEST(ASCIIFile, OpenFailuresSayWhy) {
  TempFolder folder;
  folder.Write("file.txt", "x");
  enum Open { kRead, kWrite, kWhole };
  static const struct {
    const char* name;
    Open open;
    const char* path;  // inside the folder; null for a null name
    const char* error;
  } kCases[] = {
      {"read, null name", kRead, nullptr, "No such file or directory"},
      {"read, missing file", kRead, "missing.txt", "No such file or directory"},
      {"read, folder", kRead, ".", "Is a directory"},
      {"read, folder part is a file", kRead, "file.txt/x", "Not a directory"},
      {"write, missing folder", kWrite, "missing/out.txt", "No such file or directory"},
      {"write, folder part is a file", kWrite, "file.txt/out.txt", "Not a directory"},
      {"write, folder", kWrite, ".", "Is a directory"},
      {"whole, missing folder", kWhole, "missing/out.txt", "No such file or directory"},
      {"whole, folder", kWhole, ".", "Is a directory"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.path == nullptr ? "" : folder / c.path;
    const char* name = c.path == nullptr ? nullptr : path.c_str();
    ASCIIFile file;
    const int opened = c.open == kRead ? file.OpenRead(name)
                       : c.open == kWrite
                           ? file.OpenWrite(name, ASCIIFile::Target::kFile, ASCIIFile::Mode::kText)
                           : file.OpenWriteWhole(name, ASCIIFile::Mode::kText);
    EXPECT_EQ(0, opened);
    EXPECT_EQ(0, file.IsOpen());
    EXPECT_EQ(c.error, file.ErrorText().View());
    EXPECT_EQ(0, file.ReadLine());
    EXPECT_EQ(0, file.WriteLine("lost"));
  }
  EXPECT_EQ((Lines{"file.txt"}), Entries(folder.Path()));
}

// Text still in the stream's buffer is written when the file is closed; a failure then is a
// failed write too.
TEST(ASCIIFileWrite, CloseReportsAFailedFlush) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  ASCIIFile file;
  ASSERT_EQ(1, file.OpenWrite("/dev/full", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText));
  file.WriteLine("buffered");
  EXPECT_EQ(0, file.CloseAll());
  EXPECT_EQ("No space left on device", file.ErrorText().View());
}

}  // namespace
}  // namespace quorlex
