#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/FileList.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

struct Listing {
  std::vector<std::string> files;
  std::vector<std::string> messages;  // "level: message"
  int foldersVisited = 0;
};

Listing List(const std::string& spec, int recurse) {
  Listing listing;
  const MessageFunction owner = [&listing](const char* message, int level) {
    listing.messages.push_back(std::to_string(level) + ": " + message);
  };
  FileSpecState state;
  TextString file;
  for (int index = 0;; ++index) {
    ExpandFileSpec(owner, spec.c_str(), recurse, index, state, file);
    if (file.IsEmpty()) break;
    listing.files.emplace_back(file.View());
  }
  listing.foldersVisited = state.foldersVisited;
  return listing;
}

// A tree with mixed-case names, an empty file, a dot folder and a link back up.
class FileListTree : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("top/b.htm", "b");
    folder_.Write("top/A.htm", "a");
    folder_.Write("top/c.htm", "");
    folder_.Write("top/notes.txt", "n");
    folder_.Write("top/sub/d.HTM", "d");
    folder_.Write("top/Sub2/f.htm", "f");
    folder_.Write("top/.cache/e.htm", "e");
    std::filesystem::create_directory_symlink(folder_ / "top", folder_ / "top/sub/loop");
  }
  std::string Top() const { return folder_ / "top/"; }

  TempFolder folder_;
};

TEST_F(FileListTree, ListsMatchingFilesSortedIgnoringCase) {
  const Listing listing = List(Top() + "*.htm", 0);
  EXPECT_EQ((std::vector<std::string>{Top() + "A.htm", Top() + "b.htm"}), listing.files);
  EXPECT_EQ(std::vector<std::string>{"7: WARNING: File is empty " + Top() + "c.htm"},
            listing.messages);
  EXPECT_EQ(0, listing.foldersVisited);
}

TEST_F(FileListTree, SearchesSubFoldersButNotDotFoldersOrLinks) {
  const Listing listing = List(Top() + "*.htm", 1);
  EXPECT_EQ((std::vector<std::string>{Top() + "A.htm", Top() + "b.htm", Top() + "sub/d.HTM",
                                      Top() + "Sub2/f.htm"}),
            listing.files);
  EXPECT_EQ(2, listing.foldersVisited);
}

TEST_F(FileListTree, NamesOneFileOrNone) {
  EXPECT_EQ(std::vector<std::string>{Top() + "notes.txt"}, List(Top() + "notes.txt", 0).files);
  EXPECT_TRUE(List(Top() + "none.htm", 1).files.empty());
  const Listing missing = List(folder_ / "missing/*.htm", 0);
  EXPECT_TRUE(missing.files.empty());
  EXPECT_EQ(std::vector<std::string>{"7: WARNING: Cannot read folder " + folder_ / "missing/"},
            missing.messages);
}

TEST_F(FileListTree, AnExactNameWinsOverItsCaseVariants) {
  folder_.Write("top/a.htm", "a");
  EXPECT_EQ(std::vector<std::string>{Top() + "a.htm"}, List(Top() + "a.htm", 0).files);
  EXPECT_EQ(std::vector<std::string>{Top() + "A.htm"}, List(Top() + "A.htm", 0).files);
  EXPECT_EQ((std::vector<std::string>{Top() + "A.htm", Top() + "a.htm"}),
            List(Top() + "a.HTM", 0).files);
  EXPECT_EQ(std::vector<std::string>{"7: WARNING: File is empty " + Top() + "c.htm"},
            List(Top() + "c.htm", 0).messages);
}

// "star*.htm" names that file alone; "star%.htm", which names none, is a pattern.
TEST_F(FileListTree, ANameThatExistsIsTakenAsItStands) {
  for (const char* name : {"top/star*.htm", "top/starX.htm", "top/sub/star*.htm"})
    folder_.Write(name, "x");
  EXPECT_EQ(std::vector<std::string>{Top() + "star*.htm"}, List(Top() + "star*.htm", 0).files);
  EXPECT_EQ((std::vector<std::string>{Top() + "star*.htm", Top() + "sub/star*.htm"}),
            List(Top() + "star*.htm", 1).files);
  EXPECT_EQ((std::vector<std::string>{Top() + "star*.htm", Top() + "starX.htm"}),
            List(Top() + "star%.htm", 0).files);
}

// The log of a run is written to a hidden temporary file beside its final name; a listing
// taken during the run, or later beside what a killed run left, must not convert it.
TEST_F(FileListTree, LeavesTemporaryFilesOfWholeFileWritesOut) {
  folder_.Write("top/.Pellomar.log.tmp-4242-0", "INFO: a run in progress\n");
  folder_.Write("top/.kept.tmp-notes", "k");
  EXPECT_EQ((std::vector<std::string>{Top() + ".kept.tmp-notes", Top() + "A.htm", Top() + "b.htm",
                                      Top() + "notes.txt"}),
            List(Top() + "*", 0).files);
}

TEST_F(FileListTree, ReportsFoldersItCannotRead) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  std::filesystem::permissions(folder_ / "top/Sub2", std::filesystem::perms::none);
  const Listing listing = List(Top() + "*.htm", 1);
  std::filesystem::permissions(folder_ / "top/Sub2", std::filesystem::perms::owner_all);
  EXPECT_EQ(3u, listing.files.size());
  EXPECT_EQ((std::vector<std::string>{"7: WARNING: Cannot read folder " + Top() + "Sub2/",
                                      "7: WARNING: File is empty " + Top() + "c.htm"}),
            listing.messages);
}

TEST(FileList, ListsTheCurrentFolderForASpecWithoutFolder) {
  TempFolder folder;
  folder.Write("x.htm", "x");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  const Listing listing = List("*.HTM", 0);
  std::filesystem::current_path(previous);
  EXPECT_EQ(std::vector<std::string>{"x.htm"}, listing.files);
}

}  // namespace
}  // namespace quorlex
