#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "policies/ConversionContext.h"
#include "policies/PolicyCatalogue.h"
#include "textformat/TextFragments.h"

namespace quorlex {
namespace {

using Lines = std::vector<std::string>;

// A framed row of a box `width` wide around a text that fits.
std::string Row(const std::string& text, int width = 40) {
  return "| " + text + std::string(static_cast<size_t>(width - 4) - text.size(), ' ') + " |";
}

std::string Dashes(int count) { return std::string(static_cast<size_t>(count), '-'); }

// Settings with fixed facts, date and version that collect their messages.
struct Header {
  explicit Header(int width = 40) {
    settings.pageWidth = width;
    settings.date = {2026, 12, 7};
    settings.programVersion = "2.0";
    settings.info = &info;
    settings.report = [this](const char* message, int level) {
      messages.push_back(message + std::string(level == 10 ? "" : " (wrong level)"));
    };
    info.title = "Quorlex   sample\npage";
    info.author = "Ann Lee";
    info.byLine = "By Bob";
    info.authorEmail = "ann@example.org";
    info.linkEmail = "web@example.org";
    info.inputFileName = "page.htm";
    info.outputFileName = "page.txt";
    info.outputSizeText = "742 bytes (approx)";
  }
  Header(const Header&) = delete;  // the settings point into this
  Header& operator=(const Header&) = delete;

  std::string Expand(const char* line) {
    TextString text = line;
    ExpandFragmentTags(text, settings);
    return std::string(text.View());
  }

  DocumentInfo info;
  FragmentSettings settings;
  Lines messages;
};

// Stores the definitions in `lines` as the output pass captures them.
void Define(TextFragmentStore& store, const std::vector<TextString>& lines) {
  bool capturing = false;
  for (const TextString& line : lines) {
    TextString name;
    if (line.StartsWith("$_$_DEFINE_TEXT_FRAGMENT", LetterCase::kIgnored)) {
      (void)line.GetToken(2, ' ', name);
      store.Begin(name);
      capturing = true;
    } else if (line.StartsWith("$_$_END_BLOCK", LetterCase::kIgnored)) {
      capturing = false;
    } else if (capturing) {
      store.AddLine(line);
    }
  }
}

Lines Strings(const std::vector<TextString>& lines) {
  Lines out;
  for (const TextString& line : lines) out.emplace_back(line.View());
  return out;
}

TEST(TextFragmentHeader, BuiltInBoxAtWidth72) {
  Header h(72);
  h.info.outputFileName = "sample.txt";
  h.info.outputSizeText = "12,345 bytes (approx)";
  TextFragmentStore store;
  Define(store, BuiltInFragmentDefinitions());
  std::vector<TextString> out;
  ASSERT_EQ(1, store.Emit("TEXT_HEADER", out, h.settings));
  const Lines expected = {
      "/" + Dashes(70) + "\\",
      Row("Title        : Quorlex sample page", 72),
      "|" + std::string(70, ' ') + "|",
      Row("File name    : sample.txt", 72),
      Row("File size    : 12,345 bytes (approx)", 72),
      "| Create date  : 7-Dec-2026" + std::string(43, ' ') + " |",
      "\\" + Dashes(70) + "/",
      "",
  };
  EXPECT_EQ(expected, Strings(out));
  EXPECT_EQ(1, store.Emit("TEXT_FOOTER", out, h.settings));
  EXPECT_EQ(expected.size(), out.size());
  EXPECT_TRUE(h.messages.empty());
}

TEST(TextFragmentHeader, ItemsPrintTheirLabelAndFact) {
  static const struct {
    const char* name;
    const char* line;
    std::string expanded;
  } kCases[] = {
      {"box top", "[[TEXT_HEADER BOX_TOP]]", "/" + Dashes(38) + "\\"},
      {"box bottom", "[[TEXT_HEADER BOX_BOTTOM]]", "\\" + Dashes(38) + "/"},
      {"box middle breaks off its blanks", "[[TEXT_HEADER BOX_MIDDLE]]", Row("")},
      {"author e-mail", "[[TEXT_HEADER TOP_EMAIL]]", Row("Email        : ann@example.org")},
      {"link e-mail", "[[TEXT_HEADER LAST_EMAIL]]", Row("Email        : web@example.org")},
      {"first url unknown", "[[TEXT_HEADER TOP_URL]]", Row("URL          : ")},
      {"last url unknown", "[[TEXT_HEADER LAST_URL]]", Row("URL          : ")},
      {"url label", "[[TEXT_HEADER URL]]", Row("URL          : ")},
      {"input name", "[[TEXT_HEADER IN_FILENAME]]", Row("File name    : page.htm")},
      {"output name", "[[TEXT_HEADER OUT_FILENAME]]", Row("File name    : page.txt")},
      {"input size unknown", "[[TEXT_HEADER IN_FILESIZE]]", Row("File size    : ")},
      {"output size", "[[TEXT_HEADER OUT_FILESIZE]]", Row("File size    : 742 bytes (approx)")},
      {"input date shows size", "[[TEXT_HEADER IN_FILEDATE]]",
       Row("Create date  : 742 bytes (approx)")},
      {"date", "[[TEXT_HEADER TIMESTAMP]]", Row("Create date  : 7-Dec-2026")},
      {"version", "[[TEXT_HEADER VERSION]]", Row("Converted by : Quorlex 2.0")},
      {"comment trimmed", "[[TEXT_HEADER COMMENT   Made  by hand  ]]", Row("Made  by hand")},
      {"empty comment", "[[TEXT_HEADER COMMENT]]", Row("")},
      {"words ignore case", "[[text_header Url]]", Row("URL          : ")},
  };
  Header h;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expanded, h.Expand(c.line));
  }
  EXPECT_TRUE(h.messages.empty());
}

TEST(TextFragmentHeader, AuthorFallsBackToTheByLine) {
  static const struct {
    const char* name;
    const char* author;
    const char* expanded;
  } kCases[] = {
      {"author known", "Ann Lee", "Author       : Ann Lee"},
      {"author empty", "", "Author       : By Bob"},
      {"author unknown", "** UNKNOWN **", "Author       : By Bob"},
      {"unknown in other case is a name", "** unknown **", "Author       : ** unknown **"},
  };
  Header h;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    h.info.author = c.author;
    EXPECT_EQ(Row(c.expanded), h.Expand("[[TEXT_HEADER AUTHOR]]"));
  }
}

TEST(TextFragmentHeader, LongLinesContinueInsideTheFrame) {
  const std::string accents = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";  // four characters, eight bytes
  static const struct {
    const char* name;
    int width;
    std::string title;
    Lines rows;
  } kCases[] = {
      {"broken at blanks",
       40,
       "The quick brown fox jumps over the lazy dog",
       {Row("Title        : The quick brown fox"), Row("             : jumps over the lazy"),
        Row("             : dog")}},
      {"exactly W - 4 fits",
       40,
       "abcdefghij klmnopqrst",
       {Row("Title        : abcdefghij klmnopqrst")}},
      {"unbreakable word sticks out once",
       40,
       std::string(30, 'x'),
       {Row("Title        :"), "|              : " + std::string(30, 'x') + " |"}},
      {"narrow box", 10, "Ab cd", {"| Title  |", "|              : : Ab cd |"}},
      {"title holding a tag is data",
       40,
       "[[TEXT_HEADER TITLE]]",
       {Row("Title        : [[TEXT_HEADER TITLE]]")}},
      {"wide box keeps its right edge", 100, "Ab cd", {Row("Title        : Ab cd", 100)}},
      {"UTF-8 characters count once",
       40,
       "Caf\xC3\xA9 \xE2\x80\x93 Z\xC3\xBCrich",
       {"| Title        : Caf\xC3\xA9 \xE2\x80\x93 Z\xC3\xBCrich" + std::string(8, ' ') + " |"}},
      {"UTF-8 text breaks by characters",
       40,
       accents + " " + accents + " " + accents + " " + accents + " " + accents,
       {"| Title        : " + accents + " " + accents + " " + accents + " " + accents + "   |",
        "|              : " + accents + std::string(17, ' ') + " |"}},
      // 中文 标题 中文 标题 ...: two columns an ideograph
      {"wide characters take two columns",
       40,
       "\xE4\xB8\xAD\xE6\x96\x87 \xE6\xA0\x87\xE9\xA2\x98 \xE4\xB8\xAD\xE6\x96\x87 "
       "\xE6\xA0\x87\xE9\xA2\x98 \xE4\xB8\xAD\xE6\x96\x87",
       {"| Title        : \xE4\xB8\xAD\xE6\x96\x87 \xE6\xA0\x87\xE9\xA2\x98 \xE4\xB8\xAD"
        "\xE6\x96\x87 \xE6\xA0\x87\xE9\xA2\x98   |",
        "|              : \xE4\xB8\xAD\xE6\x96\x87" + std::string(17, ' ') + " |"}},
      {"zero width", 0, "Ab cd", {"| Title        : Ab cd |"}},
      {"negative width", INT_MIN, "Ab cd", {"| Title        : Ab cd |"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h(c.width);
    h.info.title = c.title.c_str();
    TextFragmentStore store;
    store.Begin("F");
    store.AddLine("[[TEXT_HEADER TITLE]]");
    std::vector<TextString> out;
    ASSERT_EQ(1, store.Emit("F", out, h.settings));
    EXPECT_EQ(c.rows, Strings(out));
  }
}

TEST(TextFragmentHeader, BoxEdgesNeverHaveNegativeLength) {
  static const struct {
    const char* name;
    int width;
    std::string top;
  } kCases[] = {
      {"width 40", 40, "/" + Dashes(38) + "\\"},
      {"width 2", 2, "/\\"},
      {"width 0", 0, "/\\"},
      {"most negative", INT_MIN, "/\\"},
      {"largest held to the widest box", INT_MAX, "/" + Dashes(32765) + "\\"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.top, Header(c.width).Expand("[[TEXT_HEADER BOX_TOP]]"));
  }
}

TEST(TextFragmentTags, ScanExpandsEveryTag) {
  static const struct {
    const char* name;
    const char* line;
    std::string expanded;
    const char* message;  // "" for none
  } kCases[] = {
      {"several on one line", "a[[TEXT_HEADER BOX_TOP]]b[[TIMESTAMP]]c",
       "a/" + Dashes(38) + "\\b7-Dec-2026c", ""},
      {"comment scanned again", "[[TEXT_HEADER COMMENT see [[TEXT_HEADER URL]]]]",
       "| see " + Row("URL          : "), ""},
      {"end before start stops", "]] [[TEXT_HEADER URL]]", "]] [[TEXT_HEADER URL]]", ""},
      {"start without end", "[[TEXT_HEADER URL", "[[TEXT_HEADER URL", ""},
      {"unknown item", "a [[TEXT_HEADER NOPE x]] b", "a  b",
       "TAG ERROR: Unknown TEXT_HEADER tag type \"[[TEXT_HEADER NOPE x]]\""},
      {"missing item", "[[TEXT_HEADER]]", "",
       "TAG ERROR: Unknown TEXT_HEADER tag type \"[[TEXT_HEADER]]\""},
      {"unknown kind", "a[[NOPE x]]b", "ab", "TAG ERROR: Unknown fragment tag \"[[NOPE x]]\""},
      {"empty tag", "[[]]", "", "TAG ERROR: Unknown fragment tag \"[[]]\""},
      {"html output tag", "a[[NEXT_PAGE]]b", "ab", ""},
      {"general tags", "[[VERSION]] [[SOURCE_FILE]][[VARIABLE x]]", "Quorlex 2.0 page.htm", ""},
      {"line rule", "[[LINERULE]]", Dashes(40), ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h;
    EXPECT_EQ(c.expanded, h.Expand(c.line));
    EXPECT_EQ(*c.message ? Lines{c.message} : Lines{}, h.messages);
  }
}

TEST(TextFragmentTags, DelimitersComeFromTheSettings) {
  static const struct {
    const char* name;
    const char* start;
    const char* end;
    const char* line;
    std::string expanded;
  } kCases[] = {
      {"custom", "{{", "}}", "{{TEXT_HEADER URL}} [[TEXT_HEADER URL]]",
       Row("URL          : ") + " [[TEXT_HEADER URL]]"},
      {"empty start", "", "]]", "[[TEXT_HEADER URL]]", "[[TEXT_HEADER URL]]"},
      {"empty end", "[[", "", "[[TEXT_HEADER URL]]", "[[TEXT_HEADER URL]]"},
      {"identical", "%", "%", "%TEXT_HEADER URL%", "%TEXT_HEADER URL%"},
      {"overlapping enclose nothing", "ab", "bc", "xabcx", "xx"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h;
    h.settings.startDelimiter = c.start;
    h.settings.endDelimiter = c.end;
    EXPECT_EQ(c.expanded, h.Expand(c.line));
  }
}

TEST(TextFragmentTags, TimestampPrintsDayMonthYear) {
  static const struct {
    const char* name;
    FragmentDate date;
    const char* expanded;
  } kCases[] = {
      {"one-digit day", {2026, 12, 7}, "7-Dec-2026"},
      {"two-digit day", {2027, 1, 31}, "31-Jan-2027"},
      {"month out of range", {2028, 13, 2}, "2-13-2028"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h;
    h.settings.date = c.date;
    EXPECT_EQ(c.expanded, h.Expand("[[TIMESTAMP]]"));
  }
}

TEST(TextFragmentTags, RunawayLinesStopAtTheLimits) {
  const std::string limitMessage =
      "TAG ERROR: Too many tags in one text fragment line; the rest is left as it stands";
  Header h;
  std::string manyTags;
  for (int i = 0; i <= kMaximumTagsPerLine; ++i) manyTags += "[[VARIABLE]]";
  EXPECT_EQ("[[VARIABLE]]", h.Expand(manyTags.c_str()));
  EXPECT_EQ(Lines{limitMessage}, h.messages);

  // Each title of 100,000 characters adds about 100,039; the eleventh passes the growth limit.
  h.messages.clear();
  h.info.title = std::string(100000, 'x').c_str();
  std::string titles;
  for (int i = 0; i < 20; ++i) titles += "[[TEXT_HEADER TITLE]]";
  const std::string expanded = h.Expand(titles.c_str());
  size_t left = 0;
  for (size_t at = expanded.find("[[TEXT_HEADER"); at != std::string::npos;
       at = expanded.find("[[TEXT_HEADER", at + 1)) {
    ++left;
  }
  EXPECT_EQ(9u, left);
  EXPECT_EQ(Lines{limitMessage}, h.messages);
}

TEST(TextFragmentStore, EmitsTheFragmentDefinedLast) {
  static const struct {
    const char* name;
    std::vector<TextString> definitions;
    const char* emitted;
    int result;
    Lines lines;
  } kCases[] = {
      {"no such fragment", {}, "TEXT_HEADER", 0, {"kept"}},
      {"empty footer", BuiltInFragmentDefinitions(), "TEXT_FOOTER", 1, {"kept"}},
      {"document header replaces the built-in",
       [] {
         std::vector<TextString> lines = BuiltInFragmentDefinitions();
         lines.insert(lines.end(), {"$_$_define_text_fragment text_header", "Own",
                                    "[[TEXT_HEADER URL]]", "$_$_END_BLOCK"});
         return lines;
       }(),
       "Text_Header",
       1,
       {"kept", "Own", Row("URL          : ")}},
      {"empty lines kept, rows split",
       {"$_$_DEFINE_TEXT_FRAGMENT F", "a", "",
        "[[TEXT_HEADER COMMENT one two three four five six "
        "seven eight]]",
        "$_$_END_BLOCK"},
       "F",
       1,
       {"kept", "a", "", Row("one two three four five six seven"), Row("             : eight")}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Header h;
    TextFragmentStore store;
    store.AddLine("before any fragment");
    Define(store, c.definitions);
    std::vector<TextString> out = {"kept"};
    EXPECT_EQ(c.result, store.Emit(c.emitted, out, h.settings));
    EXPECT_EQ(c.lines, Strings(out));
    store.Clear();
    EXPECT_EQ(0, store.Emit(c.emitted, out, h.settings));
  }
}

TEST(TextFragmentSettings, ComeFromTheContextPolicies) {
  PolicySet detagging = MakeDetaggingPolicies();
  ConversionContext context(detagging);
  detagging.Find(kPageWidth)->number = 40;
  context.General().Find(kStartTagDelimiter)->text = "{{";
  context.General().Find(kEndTagDelimiter)->text = "";
  const DocumentInfo info;
  const FragmentSettings settings = MakeFragmentSettings(context, info);
  EXPECT_EQ(40, settings.pageWidth);
  EXPECT_EQ("{{", settings.startDelimiter.View());
  EXPECT_EQ("]]", settings.endDelimiter.View());
  EXPECT_EQ(&info, settings.info);
  const Lines custom = Strings(BuiltInFragmentDefinitions("{{", "}}"));
  ASSERT_EQ(12u, custom.size());
  EXPECT_EQ("{{TEXT_HEADER BOX_TOP}}", custom[1]);
}

}  // namespace
}  // namespace quorlex
