#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/Arguments.h"
#include "control/Driver.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

TEST(ComputeOutputName, TakesEachPartFromTheMostSpecificSpecification) {
  static const struct {
    const char* name;
    const char* input;
    const char* runOutput;    // the /OUTPUT value
    const char* entryOutput;  // a steering line's /OUTPUT value
    OutputFormat format;
    const char* expected;
  } kCases[] = {
      {"text beside the input", "docs/page.htm", "", "", OutputFormat::kText, "docs/page.txt"},
      {"HTML keeps the extension", "docs/page.htm", "", "", OutputFormat::kHtml, "docs/page.htm"},
      {"HTML without extension", "docs/page", "", "", OutputFormat::kHtml, "docs/page.html"},
      {"output folder", "docs/page.htm", "out/", "", OutputFormat::kHtml, "out/page.htm"},
      {"star keeps names", "docs/page.htm", "out/*.asc", "", OutputFormat::kText, "out/page.asc"},
      {"star extension", "docs/page.htm", "out/x.*", "", OutputFormat::kText, "out/x.txt"},
      {"file name", "docs/page.htm", "all.text", "", OutputFormat::kText, "docs/all.text"},
      {"in.asc gives out", "IN.ASC", "", "", OutputFormat::kText, "out.txt"},
      {"entry folder wins", "a.htm", "out/", "mine/", OutputFormat::kText, "mine/a.txt"},
      {"entry star parts keep", "a.htm", "out/b.c", "*/*.*", OutputFormat::kText, "out/b.c"},
      {"entry name", "a.htm", "", "z.md", OutputFormat::kText, "z.md"},
      {"standard input", "-", "", "", OutputFormat::kText, "stdin.txt"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RunSettings run;
    run.output.Assign(c.runOutput);
    run.outputFormat = c.format;
    TextString folder;
    TextString name;
    TextString extension;
    ComputeOutputName(c.input, c.entryOutput, run, folder, name, extension);
    EXPECT_EQ(c.expected, (folder + name + extension).View());
  }
}

TEST(ClassifyArguments, SortsWordsIntoQualifiersFilesAndTheRest) {
  TempFolder folder;
  folder.Write("sub/a.htm", "a");
  const std::string existing = folder / "sub";
  const Arguments arguments = ClassifyArguments(
      {"/lo", "--output=out/x.txt", "/home/ann/a.htm", "-h", "-r", "-", "@list.txt", "My.POL",
       "my page.htm", ("/O=" + existing).c_str(), "-5.htm", "/CONS=a b"});
  EXPECT_EQ("/lo /output=\"out/x.txt\" /? /O=\"" + existing + "/\" /CONS=\"a b\"",
            arguments.qualifierLine.View());
  ASSERT_EQ(4u, arguments.fileSpecs.size());
  EXPECT_EQ("/home/ann/a.htm", arguments.fileSpecs[0].View());
  EXPECT_EQ("-", arguments.fileSpecs[1].View());
  EXPECT_EQ("my page.htm", arguments.fileSpecs[2].View());
  EXPECT_EQ("-5.htm", arguments.fileSpecs[3].View());
  ASSERT_EQ(1u, arguments.steeringFiles.size());
  EXPECT_EQ("list.txt", arguments.steeringFiles[0].View());
  EXPECT_EQ("My.POL", arguments.policyFile.View());
  EXPECT_EQ(1, arguments.standardInput);
  EXPECT_EQ(1, arguments.includeSubFolders);
  EXPECT_EQ(0, arguments.version);
}

TEST(ClassifyArguments, TakesTheNumberOfThreadsAsMakeDoes) {
  const struct {
    std::vector<TextString> words;
    const char* qualifiers;
    size_t files;
  } kCases[] = {
      {{"-j4", "a.htm"}, "/JOBS=4", 1},
      {{"-j", "3", "a.htm"}, "/JOBS=3", 1},
      {{"--jobs", "2", "a.htm"}, "/JOBS=2", 1},
      {{"--jobs=2", "a.htm"}, "/jobs=2", 1},
      {{"-j", "a.htm"}, "/JOBS", 1},  // no number follows: one thread per core
      {{"a.htm", "-j"}, "/JOBS", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.qualifiers);
    const Arguments arguments = ClassifyArguments(c.words);
    EXPECT_EQ(c.qualifiers, arguments.qualifierLine.View());
    EXPECT_EQ(c.files, arguments.fileSpecs.size());
  }
}

// Dash words name files in the current folder; "/qx=1-.../page.htm" needs a folder at the
// root, which only root may make. The fixed option words keep their meaning.
TEST(ClassifyArguments, AnExistingPathIsNeverAQualifier) {
  TempFolder folder;
  const std::string file = folder.Write("LOG", "x");
  for (const char* name : {"-o.htm", "-r"}) folder.Write(name, "x");
  char rootFolder[] = "/qx=1-XXXXXX";
  const bool atRoot = mkdtemp(rootFolder) != nullptr;
  const std::string page = std::string(rootFolder) + "/page.htm";
  if (atRoot) std::ofstream(page) << "x";
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  const Arguments arguments = ClassifyArguments({file.c_str(), "/LOG", "-o.htm", "-r", "-o"});
  const Arguments rootArguments = ClassifyArguments({page.c_str()});
  std::filesystem::current_path(previous);
  if (atRoot) std::filesystem::remove_all(rootFolder);
  ASSERT_EQ(2u, arguments.fileSpecs.size());
  EXPECT_EQ(file, arguments.fileSpecs[0].View());
  EXPECT_EQ("-o.htm", arguments.fileSpecs[1].View());
  EXPECT_EQ("/LOG /o", arguments.qualifierLine.View());
  EXPECT_EQ(1, arguments.includeSubFolders);
  EXPECT_EQ(atRoot ? 1u : 0u, rootArguments.fileSpecs.size());
}

TEST(ClassifyArguments, DashesAloneAreFileSpecifications) {
  const Arguments arguments = ClassifyArguments({"--", "---", "---log=x.log", "-"});
  EXPECT_EQ("/log=x.log", arguments.qualifierLine.View());
  ASSERT_EQ(3u, arguments.fileSpecs.size());
  EXPECT_EQ("--", arguments.fileSpecs[0].View());
  EXPECT_EQ("---", arguments.fileSpecs[1].View());
}

TEST(SplitLineIntoWords, GroupsQuotedWords) {
  static const struct {
    const char* line;
    std::vector<std::string> words;
  } kCases[] = {
      {"a.htm  b.htm\tc.pol", {"a.htm", "b.htm", "c.pol"}},
      {"\"my page.htm\" /O=\"out dir/\"", {"my page.htm", "/O=out dir/"}},
      {"\"\" x", {"", "x"}},
      {"\"unclosed quote a", {"unclosed quote a"}},
      {"   ", {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> words;
    for (const TextString& word : SplitLineIntoWords(c.line)) words.emplace_back(word.View());
    EXPECT_EQ(c.words, words);
  }
}

TEST(ProcessFileSpecs, QueuesQuotedNamesAndWordsInOrder) {
  TempFolder folder;
  folder.Write("a b.htm", "x");
  folder.Write("c.htm", "x");
  folder.Write("d.htm", "x");
  RunLog log;
  RunSettings run;
  const std::string base = folder.Path() + "/";
  ASSERT_EQ(1, ProcessFileSpecs(SpecSource::kCommandLine, (base + "\"a b.htm\" \"c.htm\"").c_str(),
                                "p.pol", run, log, Split::kNever));
  ASSERT_EQ(
      1, ProcessFileSpecs(SpecSource::kCommandLine, (base + "d.htm " + base + "c.htm").c_str(), "",
                          run, log, Split::kAtBlanks));
  std::vector<std::string> queued;
  for (const QueueEntry& entry : run.queue) queued.emplace_back(entry.input.View());
  EXPECT_EQ(
      (std::vector<std::string>{base + "a b.htm", base + "c.htm", base + "d.htm", base + "c.htm"}),
      queued);
  EXPECT_EQ("p.pol", run.queue[0].policyFile.View());
  EXPECT_EQ(0, ProcessFileSpecs(SpecSource::kSteeringFile, (base + "none.txt").c_str(), "", run,
                                log, Split::kNever));
}

}  // namespace
}  // namespace quorlex
