// A console run converting on several threads, in this process: under ThreadSanitizer it
// shows that the workers converting ahead share nothing unguarded with the run, and the
// run still shows and writes what a run on one thread does.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "control/ConsoleProgram.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;

std::string ReadStream(std::FILE* stream) {
  std::rewind(stream);
  std::string text;
  char buffer[4096];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
    text.append(buffer, got);
  }
  return text;
}

// Every file below `folder` with its bytes, by path relative to it.
std::map<std::string, std::string> FilesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] =
          testing::TempFolder::ReadFile(entry.path().string());
    }
  }
  return files;
}

struct RunOutcome {
  int status = 0;
  std::string out;
  std::string err;
};

// Runs quorlexrun's console program in `folder` with `words`.
RunOutcome RunIn(const fs::path& folder, const std::vector<TextString>& words) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  RunOutcome run;
  run.status = RunConsoleProgram(words, stdin, out, err);
  run.out = ReadStream(out);
  run.err = ReadStream(err);
  std::fclose(out);
  std::fclose(err);
  fs::current_path(previous);
  return run;
}

TEST(ParallelRunThreads, ConvertsAheadAsOneThreadConverts) {
  testing::TempFolder work;
  std::vector<std::string> inputs;
  for (const auto& entry : fs::directory_iterator(QUORLEX_E2E_DIR)) {
    const fs::path input = entry.path() / "input.htm";
    if (fs::exists(input)) inputs.push_back(testing::TempFolder::ReadFile(input.string()));
  }
  ASSERT_FALSE(inputs.empty());
  for (const char* folder : {"one", "many"}) {
    for (size_t i = 0; i < 3 * inputs.size(); ++i) {
      work.Write(std::string(folder) + "/pages/" + std::to_string(i) + ".htm",
                 "<p>" + std::to_string(i) + "</p>" + inputs[i % inputs.size()]);
    }
    // Policies that change from one file to the next, as a steering file gives them.
    work.Write(std::string(folder) + "/narrow.pol", "Target Page width : 40\n");
    work.Write(std::string(folder) + "/list.txt",
               "pages/1.htm narrow.pol /O=narrow/\npages/2.htm /O=again/\n");
  }
  const RunOutcome one = RunIn(work / "one", {"-j1", "pages", "@list.txt", "/LOG=run.log"});
  const RunOutcome many = RunIn(work / "many", {"-j4", "pages", "@list.txt", "/LOG=run.log"});
  EXPECT_EQ(0, one.status) << one.err;
  EXPECT_EQ(one.status, many.status);
  EXPECT_EQ(one.out, many.out);
  EXPECT_EQ(one.err, many.err);
  EXPECT_TRUE(FilesBelow(work / "one") == FilesBelow(work / "many"));
}

}  // namespace
}  // namespace quorlex
