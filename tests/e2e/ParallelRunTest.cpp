// Runs on several threads show and write exactly what runs on one thread do: the same
// files byte for byte (outputs and log), the same console text, the same exit status, and
// a failed file ends both runs at the same place.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ProgramTest.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;
using testing::ProgramResult;

// Every file below `folder` with its bytes, by path relative to it.
std::map<std::string, std::string> FilesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), folder).string()] =
        testing::TempFolder::ReadFile(entry.path().string());
  }
  return files;
}

// The e2e cases' inputs, with their policy files where they have one.
struct Case {
  std::string name;
  std::string input;
  std::string policies;  // empty: none
};

std::vector<Case> E2eCases() {
  std::vector<Case> cases;
  for (const auto& entry : fs::directory_iterator(QUORLEX_E2E_DIR)) {
    const fs::path input = entry.path() / "input.htm";
    if (!fs::exists(input)) continue;
    const fs::path policies = entry.path() / "policies.pol";
    cases.push_back(
        {entry.path().filename().string(), testing::TempFolder::ReadFile(input.string()),
         fs::exists(policies) ? testing::TempFolder::ReadFile(policies.string()) : std::string()});
  }
  return cases;
}

class ParallelRunTest : public testing::ProgramTest {
 protected:
  // Writes the same files into "one/" and "many/", runs `arguments` in each, with one
  // thread and with four, and expects the same from both.
  void ExpectSameRuns(const std::map<std::string, std::string>& files,
                      const std::vector<std::string>& arguments, int status) {
    for (const char* folder : {"one", "many"}) {
      for (const auto& [name, bytes] : files) work_.Write(std::string(folder) + "/" + name, bytes);
    }
    std::vector<std::string> one = arguments;
    one.push_back("-j1");
    std::vector<std::string> many = arguments;
    many.push_back("--jobs=4");
    const ProgramResult serial = RunIn("one", one);
    const ProgramResult parallel = RunIn("many", many);
    EXPECT_EQ(status, serial.status) << serial.err;
    EXPECT_EQ(serial.status, parallel.status);
    EXPECT_EQ(serial.out, parallel.out);
    EXPECT_EQ(serial.err, parallel.err);
    const auto written = FilesBelow(work_ / "one");
    EXPECT_GT(written.size(), files.size());
    EXPECT_TRUE(written == FilesBelow(work_ / "many"));
  }
};

TEST_F(ParallelRunTest, TheE2eCasesWithTheirPoliciesConvertAsOnOneThread) {
  std::map<std::string, std::string> files;
  std::string steering;
  for (const Case& c : E2eCases()) {
    files[c.name + "/input.htm"] = c.input;
    if (!c.policies.empty()) files[c.name + "/policies.pol"] = c.policies;
    // Every case twice: a file converts the same wherever it stands in the queue (justified
    // lines lean as in a run of their own). Markup outputs keep the input's extension, so
    // each conversion names its output.
    for (const char* output : {"output", "again"}) {
      steering += c.name + "/input.htm /OUTPUT=" + c.name + "/" + output;
      if (!c.policies.empty()) steering += " " + c.name + "/policies.pol";
      steering += "\n";
    }
  }
  files["cases.lst"] = steering;
  ExpectSameRuns(files, {"@cases.lst", "/LOG=run.log"}, 0);
}

// Pages of every size and kind: the e2e inputs again and again, each made distinct.
std::map<std::string, std::string> GeneratedPages(int count) {
  const std::vector<Case> cases = E2eCases();
  std::map<std::string, std::string> pages;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pages/%02d/%04d.htm", i % 20, i);
    pages[name] = "<p>Page " + std::to_string(i) + "</p>\n" +
                  cases[static_cast<size_t>(i) % cases.size()].input;
  }
  return pages;
}

TEST_F(ParallelRunTest, TwoThousandPagesConvertAsOnOneThread) {
  ExpectSameRuns(GeneratedPages(2000), {"-r", "pages", "/LOG=run.log"}, 0);
}

TEST_F(ParallelRunTest, AFailedFileEndsTheRunWhereOneThreadEndsIt) {
  // 0150.htm would write 0150.txt, an input of the run: the run ends there, and no file
  // after it is written, whatever the threads had converted ahead.
  std::map<std::string, std::string> files;
  for (const auto& [name, bytes] : GeneratedPages(300)) {
    files["flat/" + fs::path(name).filename().string()] = bytes;
  }
  files["flat/0150.txt"] = "an input of the run\n";
  ExpectSameRuns(files, {"flat/*", "/LOG=run.log"}, 1);
  EXPECT_TRUE(Exists("many/flat/0149.txt"));
  EXPECT_FALSE(Exists("many/flat/0151.txt"));
}

}  // namespace
}  // namespace quorlex
