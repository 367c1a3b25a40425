// Runs every case folder of tests/e2e through a whole conversion: input.htm (and
// policies.pol when there is one) in, the output file compared with expected.txt. The
// header's date is fixed; everything else is as a user gets it.
//
// QUORLEX_E2E_UPDATE=1 writes the outputs as the new expected files instead: read every
// difference before committing one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/OutputPass.h"
#include "policies/PolicyFile.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(QUORLEX_E2E_DIR)) {
    if (fs::exists(entry.path() / "input.htm")) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class E2eTest : public ::testing::TestWithParam<std::string> {};

TEST_P(E2eTest, ConvertsAsExpected) {
  const fs::path folder = fs::path(QUORLEX_E2E_DIR) / GetParam();
  testing::TempFolder work;
  const std::string input =
      work.Write("input.htm", testing::TempFolder::ReadFile((folder / "input.htm").string()));
  const std::string output = work / "output.txt";

  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  context.General().Find(kDisplayMessages)->number = 0;
  if (fs::exists(folder / "policies.pol")) {
    TextString error;
    ASSERT_EQ(1, PolicyFileReader(context).Read((folder / "policies.pol").c_str(), &error))
        << error.Data();
  }
  OutputPass pass(context);
  pass.SetDate(FragmentDate{2026, 12, 7});
  ASSERT_EQ(1, pass.RunOutputPass(input.c_str(), output.c_str(), nullptr, nullptr));

  const std::string actual = testing::TempFolder::ReadFile(output);
  const fs::path expectedPath = folder / "expected.txt";
  const char* update = std::getenv("QUORLEX_E2E_UPDATE");
  if (update != nullptr && std::string(update) == "1") {
    fs::copy_file(output, expectedPath, fs::copy_options::overwrite_existing);
    GTEST_SKIP() << "expected output written";
  }
  EXPECT_EQ(testing::TempFolder::ReadFile(expectedPath.string()), actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, E2eTest, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace quorlex
