#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

namespace quorlex::testing {

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// quorlexrun (QUORLEX_RUN) run as a user runs it, in a folder of the test's own.
class ProgramTest : public ::testing::Test {
 protected:
  // Runs the program in the test's folder, `input` as its standard input.
  ProgramResult Run(const std::vector<std::string>& arguments, const std::string& input = "") {
    return RunProgram(QUORLEX_RUN, arguments, work_.Path(), input);
  }
  // Runs the program in `folder` below the test's folder (made when missing).
  ProgramResult RunIn(const std::string& folder, const std::vector<std::string>& arguments) {
    std::filesystem::create_directories(work_ / folder);
    return RunProgram(QUORLEX_RUN, arguments, work_ / folder);
  }
  // Writes a page whose one paragraph holds `text`.
  void Page(const std::string& name, const std::string& text = "Text") {
    work_.Write(name, "<html><body><p>" + text + "</p></body></html>\n");
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(work_ / name); }

  TempFolder work_;
};

}  // namespace quorlex::testing
