#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/RunFiles.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

constexpr const char* kInput = "is an input of this run - not overwritten";
constexpr const char* kWritten = "was already written in this run - not overwritten";

// A run that reads in.htm and other.htm and has written done.txt, in a folder that also
// holds links and hard links to them.
class RunFilesTest : public ::testing::Test {
 protected:
  RunFilesTest() {
    input_ = folder_.Write("in.htm", "<p>in</p>");
    folder_.Write("other.htm", "<p>other</p>");
    fs::create_directory(folder_ / "sub");
    fs::create_hard_link(input_, folder_ / "hard.htm");
    fs::create_symlink(input_, folder_ / "to-input.htm");
    fs::create_symlink(folder_ / "nowhere", folder_ / "dangling.txt");
    files_.AddInput(TextString(input_.c_str()));
    files_.AddInput(TextString((folder_ / "other.htm").c_str()));
    folder_.Write("done.txt", "written");
    files_.RecordWritten(TextString((folder_ / "done.txt").c_str()), nullptr);
    fs::create_hard_link(folder_ / "done.txt", folder_ / "done-again.txt");
  }

  // The refusal for `name` in the folder ("" when the write may go ahead).
  std::string Refusal(const std::string& name, const TextString* ownInput = nullptr) {
    TextString refusal;
    const std::string path = name[0] == '/' ? name : folder_ / name;
    if (files_.MayWrite(TextString(path.c_str()), ownInput, refusal)) return "";
    EXPECT_EQ(0u, refusal.View().find("ERROR: " + path + " ")) << refusal.View();
    return std::string(refusal.View().substr(7 + path.size() + 1));
  }

  TempFolder folder_;
  std::string input_;
  RunFiles files_;
};

TEST_F(RunFilesTest, RefusesWhatTheRunReadsOrWroteWhateverItsSpelling) {
  const struct {
    const char* name;
    std::string path;
    const char* refusal;
  } kCases[] = {
      {"a new name", "new.txt", ""},
      {"an input", "in.htm", kInput},
      {"an input by another path", "sub/../in.htm", kInput},
      {"a hard link to an input", "hard.htm", kInput},
      // The link itself is replaced, never the input it points to.
      {"a link to an input", "to-input.htm", ""},
      {"a link to nothing", "dangling.txt", ""},
      {"a file the run wrote", "done.txt", kWritten},
      {"a hard link to a file the run wrote", "done-again.txt", kWritten},
      {"a device, written through", "/dev/null", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.refusal, Refusal(c.path));
  }
}

TEST_F(RunFilesTest, AnInputMayBeReplacedOnlyByItsOwnPassWhenNoOtherInputIsThatFile) {
  const TextString own(input_.c_str());
  EXPECT_EQ("", Refusal("in.htm", &own));
  EXPECT_EQ(kInput, Refusal("other.htm", &own));
  // Read a second time as the hard link, the file is another input's too.
  files_.AddInput(TextString((folder_ / "hard.htm").c_str()));
  EXPECT_EQ(kInput, Refusal("in.htm", &own));
}

TEST_F(RunFilesTest, AReplacedInputIsForgottenAndItsNewFileCountsAsWritten) {
  const TextString own(input_.c_str());
  fs::remove(input_);
  folder_.Write("in.htm", "converted");
  files_.RecordWritten(own, &own);
  EXPECT_EQ(kWritten, Refusal("in.htm"));
  EXPECT_EQ("", Refusal("hard.htm")) << "the hard link now holds a file nobody reads";
}

}  // namespace
}  // namespace quorlex
