// Runs every case folder of tests/e2e and samples/web through quorlexrun: input.htm (and
// policies.pol when there is one) in, the output file compared with expected.txt. The date in the
// header is the day of the run, so the "Create date" line is compared without it.
//
// QUORLEX_E2E_UPDATE=1 writes the outputs as the new expected files instead: read every
// difference before committing one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf8Check.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// The case folders of tests/e2e and samples/web, by path.
std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const char* folder : {QUORLEX_E2E_DIR, QUORLEX_WEB_DIR}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (fs::exists(entry.path() / "input.htm")) names.push_back(entry.path().string());
    }
  }
  std::sort(names.begin(), names.end());
  // A folder added since the last configure would not be listed as a test of its own.
  if (names.size() != QUORLEX_E2E_CASE_COUNT) {
    std::fprintf(stderr, "tests/e2e holds %zu cases, the build knows %d: run cmake again\n",
                 names.size(), QUORLEX_E2E_CASE_COUNT);
  }
  return names;
}

// The text with the date of the header's "Create date" line taken out.
std::string WithoutDate(const std::string& text) {
  static const std::regex kDate(R"((\| Create date  : )\d{1,2}-[A-Z][a-z]{2}-\d{4} *)");
  return std::regex_replace(text, kDate, "$1");
}

// Whether the case in `folder` asks for 8-bit output.
bool EightBitOutput(const fs::path& folder) {
  const fs::path policies = folder / "policies.pol";
  if (!fs::exists(policies)) return false;
  static const std::regex kEightBit(R"(Output character set\s*:\s*8-bit)", std::regex::icase);
  return std::regex_search(TempFolder::ReadFile(policies.string()), kEightBit);
}

// Converts the case in `folder` with quorlexrun and returns the output file's text. Text
// output in UTF-8 must be valid UTF-8 without C1 controls, whatever the input.
std::string Convert(const fs::path& folder) {
  TempFolder work;
  work.Write("input.htm", TempFolder::ReadFile((folder / "input.htm").string()));
  std::vector<std::string> arguments = {"input.htm", "/OUTPUT=output"};
  if (fs::exists(folder / "policies.pol")) {
    work.Write("policies.pol", TempFolder::ReadFile((folder / "policies.pol").string()));
    arguments.emplace_back("policies.pol");
  }
  const testing::ProgramResult run = testing::RunProgram(QUORLEX_RUN, arguments, work.Path());
  EXPECT_EQ(0, run.status) << run.err;
  // Text goes to output.txt, HTML keeps the input's extension.
  const bool text = fs::exists(work / "output.txt");
  const std::string output = TempFolder::ReadFile(text ? work / "output.txt" : work / "output.htm");
  long fault = -1;
  if (text && !EightBitOutput(folder)) {
    EXPECT_TRUE(testing::IsUtf8WithoutC1(output, &fault)) << "not UTF-8 at byte " << fault;
  }
  return output;
}

class E2eTest : public ::testing::TestWithParam<std::string> {
 protected:
  fs::path Folder() const { return fs::path(GetParam()); }
  std::string Expected() const {
    return WithoutDate(TempFolder::ReadFile((Folder() / "expected.txt").string()));
  }
};

TEST_P(E2eTest, ConvertsAsExpected) {
  const std::string actual = Convert(Folder());
  const char* update = std::getenv("QUORLEX_E2E_UPDATE");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream((Folder() / "expected.txt").string(), std::ios::binary) << actual;
    GTEST_SKIP() << "expected output written";
  }
  EXPECT_EQ(Expected(), WithoutDate(actual));
}

// The same conversion with every pattern engine on its plain scan and the tag remover on
// its pattern list: the fast paths must not change a byte.
TEST_P(E2eTest, PlainScanConvertsAlike) {
  ASSERT_EQ(0, setenv("QUORLEX_PLAIN_SCAN", "1", 1));
  const std::string actual = Convert(Folder());
  unsetenv("QUORLEX_PLAIN_SCAN");
  EXPECT_EQ(Expected(), WithoutDate(actual));
}

INSTANTIATE_TEST_SUITE_P(Cases, E2eTest, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           const fs::path folder(info.param);
                           std::string name = folder.filename().string();
                           if (folder.parent_path() == fs::path(QUORLEX_WEB_DIR)) {
                             name = "web_" + name;
                           }
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace quorlex
