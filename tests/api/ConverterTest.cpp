// The library through its public header only: documents and policies from memory, from
// files and as pairs, the charset paths, bad policies, the header box, and output equal to
// what quorlexrun writes for the same document and policies.

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "quorlex/quorlex.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

std::string CaseFile(const std::string& name, const char* file) {
  return TempFolder::ReadFile(std::string(QUORLEX_E2E_DIR) + "/" + name + "/" + file);
}

std::string WithoutDate(const std::string& text) {
  static const std::regex kDate(R"((\| Create date  : )\d{1,2}-[A-Z][a-z]{2}-\d{4})");
  return std::regex_replace(text, kDate, "$1");
}

// What quorlexrun writes for the document read from standard input, with the case's policy
// file when it has one.
std::string ConsoleOutput(const std::string& name, bool hasPolicies) {
  TempFolder work;
  std::vector<std::string> arguments = {"-"};
  if (hasPolicies) arguments.push_back(work.Write("case.pol", CaseFile(name, "policies.pol")));
  const testing::ProgramResult run =
      testing::RunProgram(QUORLEX_RUN, arguments, work.Path(), CaseFile(name, "input.htm"));
  EXPECT_EQ(0, run.status) << run.err;
  return run.out;
}

TEST(Converter, WritesWhatTheConsoleProgramWrites) {
  static const struct {
    const char* name;
    bool hasPolicies;
    bool markup;
  } kCases[] = {
      {"links", false, false},          {"right-justify", true, false},
      {"widths-russian", false, false}, {"utf16-input", false, false},
      {"table-bordered", true, false},  {"eight-bit-output", true, false},
      {"markup-mode", true, true},      {"single-line-paragraphs", true, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string expected = WithoutDate(ConsoleOutput(c.name, c.hasPolicies));
    const std::string policies = c.hasPolicies ? CaseFile(c.name, "policies.pol") : "";
    const Converter converter = Converter::FromPolicyText(policies, {.headerBox = true});
    ASSERT_TRUE(converter.ok());
    const std::string html = CaseFile(c.name, "input.htm");
    const Result result = c.markup ? converter.RemoveMarkup(html) : converter.ToText(html);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(expected, WithoutDate(result.text));
    // Without the header box the text is the same, less the box.
    const Result bare = Converter::FromPolicyText(policies).ToText(html);
    if (!c.markup) {
      EXPECT_TRUE(expected.starts_with("/---")) << expected;
      EXPECT_TRUE(expected.ends_with(bare.text));
      EXPECT_FALSE(bare.text.starts_with("/---")) << bare.text;
    }
  }
}

// The header box names the files it is given as the file quorlexrun writes names them; the
// folders of the paths are left out.
TEST(Converter, NamesTheDocumentInTheHeaderBoxAsQuorlexrunDoes) {
  static const struct {
    const char* name;
    const char* file;
    const char* policies;
  } kCases[] = {
      {"links", "page.htm", ""},
      {"right-justify", "Report 2024.html", "policies.pol"},
      {"widths-russian", "страница.htm", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder work;
    const std::string html = CaseFile(c.name, "input.htm");
    std::vector<std::string> arguments = {work.Write(c.file, html), "/OUTPUT=" + work / "out/"};
    std::string policies;
    if (*c.policies != '\0') {
      policies = CaseFile(c.name, c.policies);
      arguments.push_back(work.Write("case.pol", policies));
    }
    const testing::ProgramResult run = testing::RunProgram(QUORLEX_RUN, arguments, work.Path(), "");
    ASSERT_EQ(0, run.status) << run.err;
    const std::string stem(c.file, std::string_view(c.file).rfind('.'));
    const std::string written = work.Read("out/" + stem + ".txt");
    const Converter converter = Converter::FromPolicyText(policies, {.headerBox = true});
    const Result result =
        converter.ToText(html, Input::kBytes, {"/elsewhere/" + std::string(c.file), stem + ".txt"});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(WithoutDate(written), WithoutDate(result.text));
    EXPECT_NE(std::string::npos, result.text.find(": " + stem + ".txt ")) << result.text;
  }
}

TEST(Converter, ReadsBytesAsAFileAndUtf8AsUtf8) {
  const std::string cp1251 = "<meta charset=\"windows-1251\"><p>\xCF\xF0\xE8\xE2\xE5\xF2</p>";
  const std::string utf16 = std::string("\xFF\xFE<\0p\0>\0C\0a\0f\0\xE9\0", 16);
  const std::string declaresCp1251 = "<meta charset=\"windows-1251\"><p>Привет</p>";
  const std::string declaresLatin1 = "<meta charset=\"iso-8859-1\"><p>Café</p>";
  const struct {
    const char* name;
    std::string html;
    Input input;
    bool markup;
    const char* expected;  // the whole output
  } kCases[] = {
      {"windows-1251 page", cp1251, Input::kBytes, false, "Привет\n\n"},
      {"UTF-16 page with its mark", utf16, Input::kBytes, false, "Café\n\n"},
      {"UTF-8 page declaring windows-1251", declaresCp1251, Input::kUtf8, false, "Привет\n\n"},
      {"the same as it declares", declaresCp1251, Input::kBytes, false, "РџСЂРёРІРµС‚\n\n"},
      {"UTF-8 page declaring iso-8859-1", declaresLatin1, Input::kUtf8, false, "Café\n\n"},
      {"UTF-8 with its own mark", "\xEF\xBB\xBF<p>Café</p>", Input::kUtf8, false, "Café\n\n"},
      {"markup keeps the bytes", "<p>Caf\xE9</p>", Input::kUtf8, true, "<p>Caf\xE9</p>\n"},
      {"empty, text", "", Input::kBytes, false, ""},
      {"empty, markup", "", Input::kUtf8, true, "\n"},
  };
  const Converter converter;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Result result =
        c.markup ? converter.RemoveMarkup(c.html, c.input) : converter.ToText(c.html, c.input);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(c.expected, result.text);
  }
}

TEST(Converter, TakesPoliciesFromTextFileAndPairs) {
  TempFolder folder;
  const std::string path =
      folder.Write("narrow.pol", "[Text Formatting]\nTarget Page width : 30\n");
  const std::string html =
      "<p>Twenty words or so make a paragraph that a page thirty columns wide must wrap onto "
      "several lines, while seventy-two columns take it in two.</p>";
  const std::string wrapped = Converter().ToText(html).text;
  const struct {
    const char* name;
    std::function<Converter()> make;
  } kCases[] = {
      {"text", [] { return Converter::FromPolicyText("Target Page width : 30"); }},
      {"file", [&path] { return Converter::FromPolicyFile(path); }},
      {"pairs",
       [] {
         return Converter::FromPolicies({{"Target Page width", "30"}});
       }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Converter converter = c.make();
    ASSERT_TRUE(converter.ok()) << converter.errors().front().text;
    const Result result = converter.ToText(html);
    EXPECT_NE(wrapped, result.text);
    EXPECT_EQ(Converter::FromPolicies({{"Target Page width", "30"}}).ToText(html).text,
              result.text);
    for (size_t start = 0, end; (end = result.text.find('\n', start)) != std::string::npos;
         start = end + 1) {
      EXPECT_LE(end - start, 30U) << result.text;
    }
  }
}

TEST(Converter, RefusesBadPoliciesAndConvertsNothing) {
  static const struct {
    const char* name;
    std::function<Converter()> make;
    const char* message;
  } kCases[] = {
      {"unknown name in text", [] { return Converter::FromPolicyText("Target Pgae width : 60"); },
       "POLICY: Ignored - \\Target Pgae width : 60\\"},
      {"bad yes/no value",
       [] {
         return Converter::FromPolicies({{"Right justify the output text", "Perhaps"}});
       },
       "ERROR: Don't understand policy value : Perhaps"},
      {"value out of range",
       [] {
         return Converter::FromPolicies({{"Target Page width", "5000"}});
       },
       "POLICY: Value 5000 is outside allowed range (-1:1000) - 1000 used"},
      {"unknown pair",
       [] {
         return Converter::FromPolicies({{"Colour", "blue"}});
       },
       "POLICY: Ignored - \\Colour : blue\\"},
      {"pair of two lines",
       [] {
         return Converter::FromPolicies({{"Target Page width", "60\nRemove all tags : No"}});
       },
       "POLICY: Ignored - \\Target Page width : 60\nRemove all tags : No\\"},
      {"missing file", [] { return Converter::FromPolicyFile("/nonexistent/a.pol"); },
       "ERROR: Can't find policy file \"/nonexistent/a.pol\""},
      {"missing include file", [] { return Converter::FromPolicyText("include file : x.pol"); },
       "** Failed to open policy include file x.pol ***"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Converter converter = c.make();
    EXPECT_FALSE(converter.ok());
    ASSERT_FALSE(converter.errors().empty());
    EXPECT_EQ(c.message, converter.errors().front().text);
    const Result result = converter.ToText("<p>Text</p>");
    EXPECT_FALSE(result);
    EXPECT_EQ("", result.text);
    ASSERT_EQ(converter.errors().size(), result.messages.size());
    for (size_t i = 0; i < result.messages.size(); ++i) {
      EXPECT_EQ(converter.errors()[i].text, result.messages[i].text);
    }
  }
}

TEST(Converter, ReturnsMessagesTheSuppressPoliciesKeep) {
  const std::string html = "<meta charset=\"x-unheard-of\"><p>Text</p>";
  const std::string warning = R"(WARNING: Unknown character set "x-unheard-of" - read as UTF-8)";
  static const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> policies;
    bool returned;
  } kCases[] = {
      {"by default", {}, true},
      {"whatever the level and display say",
       {{"Display messages", "No"}, {"Error reporting level", "0"}},
       true},
      {"warnings suppressed", {{"Suppress WARNING messages", "Yes"}}, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Result result = Converter::FromPolicies(c.policies).ToText(html);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ("Text\n\n", result.text);
    const bool returned = !result.messages.empty() && result.messages.front().text == warning;
    EXPECT_EQ(c.returned, returned);
  }
}

TEST(Converter, ChoosesTheModeWhateverRemoveAllTagsSaysAndTellsWhichItIs) {
  const std::string html = "<p>One <b>two</b></p>";
  for (const char* removeAll : {"Yes", "No"}) {
    SCOPED_TRACE(removeAll);
    const Converter converter = Converter::FromPolicies({{"Remove all tags", removeAll}});
    EXPECT_EQ("One *two*\n\n", converter.ToText(html).text);
    EXPECT_EQ("<p>One <b>two</b></p>\n", converter.RemoveMarkup(html).text);
    // What quorlexrun would write under them is what the policies say.
    EXPECT_EQ(std::string(removeAll) == "Yes", converter.WritesText());
  }
}

}  // namespace
}  // namespace quorlex
