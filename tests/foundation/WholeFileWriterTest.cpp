#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "foundation/WholeFileWriter.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

// The names in `folder`: after any write, finished or failed, no temporary file may remain.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(0, stat(path.c_str(), &info));
  return info.st_mode & 07777;
}

TEST(WholeFileWriter, NewFileAppearsOnlyAtCommitWithTheUsualPermissions) {
  TempFolder folder;
  const mode_t oldMask = umask(027);
  WholeFileWriter writer;
  ASSERT_EQ(1, writer.Open((folder / "new.txt").c_str()));
  umask(oldMask);
  EXPECT_EQ(1, writer.Write("one\n", 4));
  EXPECT_EQ(1, writer.Write("two\n", 4));
  EXPECT_FALSE(std::filesystem::exists(folder / "new.txt"));
  // The file in the making is known as a temporary file, so no listing takes it.
  const std::set<std::string> during = Entries(folder.Path());
  ASSERT_EQ(1u, during.size());
  EXPECT_TRUE(IsTemporaryName(*during.begin())) << *during.begin();
  EXPECT_EQ(1, writer.Commit());
  EXPECT_EQ("one\ntwo\n", folder.Read("new.txt"));
  EXPECT_EQ(0640u, ModeOf(folder / "new.txt"));
  EXPECT_EQ(std::set<std::string>{"new.txt"}, Entries(folder.Path()));
}

TEST(WholeFileWriter, ReplacedFileKeepsItsPermissions) {
  TempFolder folder;
  const std::string path = folder.Write("out.txt", "old text\n");
  ASSERT_EQ(0, chmod(path.c_str(), 0604));
  TextString error("x");
  EXPECT_EQ(1, WriteWholeFile(path.c_str(), "new", error));
  EXPECT_EQ("new", folder.Read("out.txt"));
  EXPECT_EQ(0604u, ModeOf(path));
  EXPECT_EQ("", error.View());
}

TEST(WholeFileWriter, FailedOpenLeavesTheFolderAsItWas) {
  TempFolder folder;
  folder.Write("old.txt", "old text\n");
  std::filesystem::create_directory(folder / "sub");
  static const struct {
    const char* name;
    const char* path;  // inside the folder
    const char* error;
  } kCases[] = {
      {"missing folder", "missing/out.txt", "No such file or directory"},
      {"folder part is a file", "old.txt/out.txt", "Not a directory"},
      {"target is a folder", "sub", "Is a directory"},
      {"empty name", nullptr, "No such file or directory"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.path == nullptr ? "" : folder / c.path;
    TextString error;
    EXPECT_EQ(0, WriteWholeFile(path.c_str(), "new", error));
    EXPECT_EQ(c.error, error.View());
    EXPECT_EQ((std::set<std::string>{"old.txt", "sub"}), Entries(folder.Path()));
    EXPECT_TRUE(Entries(folder / "sub").empty());
  }
  EXPECT_EQ("old text\n", folder.Read("old.txt"));
}

TEST(WholeFileWriter, UnwritableFolderLeavesTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  TempFolder folder;
  const std::string path = folder.Write("old.txt", "old text\n");
  ASSERT_EQ(0, chmod(folder.Path().c_str(), 0555));
  TextString error;
  EXPECT_EQ(0, WriteWholeFile(path.c_str(), "new", error));
  EXPECT_EQ("Permission denied", error.View());
  EXPECT_EQ("old text\n", folder.Read("old.txt"));
  EXPECT_EQ(std::set<std::string>{"old.txt"}, Entries(folder.Path()));
}

// A full disk shows either at a write or, for text still in the stream's buffer, only when
// Commit flushes it; both must count as failures and leave the earlier file. A file-size
// limit stands in for the full disk.
TEST(WholeFileWriter, FailedWriteOrFlushLeavesTheOldFile) {
  static const struct {
    const char* name;
    size_t size;
  } kCases[] = {{"write fails", 100000}, {"flush at commit fails", 2000}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.Write("out.txt", "old text\n");
    const std::string text(c.size, 'x');
    WholeFileWriter writer;
    ASSERT_EQ(1, writer.Open(path.c_str()));

    int committed = 0;
    {
      const testing::FileSizeLimit limit(1000);
      ASSERT_TRUE(limit.Active());
      // Whether Write already fails depends on the size of the stream's buffer.
      writer.Write(text.data(), static_cast<int>(text.size()));
      committed = writer.Commit();
    }

    EXPECT_EQ(0, committed);
    EXPECT_EQ("File too large", writer.ErrorText().View());
    EXPECT_EQ("old text\n", folder.Read("out.txt"));
    EXPECT_EQ(std::set<std::string>{"out.txt"}, Entries(folder.Path()));
  }
}

// A child process writes one file whole, starts on a second and is interrupted: it ends by
// the signal, the first file stays, and the second neither changes nor leaves its temporary
// file behind.
TEST(WholeFileWriter, InterruptRemovesTheTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    TempFolder folder;
    const std::string path = folder.Write("out.txt", "old text\n");
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      RemoveTemporaryFilesOnInterrupt();
      TextString error;
      if (!WriteWholeFile((folder / "done.txt").c_str(), "done\n", error)) _exit(2);
      WholeFileWriter writer;
      if (!writer.Open(path.c_str()) || !writer.Write("new", 3)) _exit(2);
      raise(signal);
      _exit(3);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(signal, WTERMSIG(status));
    EXPECT_EQ("old text\n", folder.Read("out.txt"));
    EXPECT_EQ((std::set<std::string>{"done.txt", "out.txt"}), Entries(folder.Path()));
  }
}

TEST(WholeFileWriter, AbandonedWriteLeavesTheOldFile) {
  static const struct {
    const char* name;
    bool abandon;  // else the writer is destroyed without a Commit
  } kCases[] = {{"abandoned", true}, {"destroyed", false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.Write("out.txt", "old text\n");
    {
      WholeFileWriter writer;
      ASSERT_EQ(1, writer.Open(path.c_str()));
      EXPECT_EQ(1, writer.Write("new", 3));
      if (c.abandon) writer.Abandon();
    }
    EXPECT_EQ("old text\n", folder.Read("out.txt"));
    EXPECT_EQ(std::set<std::string>{"out.txt"}, Entries(folder.Path()));
  }
}

TEST(WholeFileWriter, LinkStaysAndTheFileItPointsToIsReplaced) {
  TempFolder folder;
  folder.Write("real/target.txt", "old text\n");
  const std::string link = folder / "link.txt";
  std::filesystem::create_symlink("real/target.txt", link);
  TextString error;
  EXPECT_EQ(1, WriteWholeFile(link.c_str(), "new", error));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ("new", folder.Read("real/target.txt"));
  EXPECT_EQ(std::set<std::string>{"target.txt"}, Entries(folder / "real"));
}

// Renaming a file over a device or a pipe would put a plain file in its place (as root, over
// /dev/null); such a target is written directly instead.
TEST(WholeFileWriter, PipeIsWrittenNotReplaced) {
  TempFolder folder;
  const std::string pipe = folder / "pipe";
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  TextString error;
  EXPECT_EQ(1, WriteWholeFile(pipe.c_str(), "through the pipe", error)) << error.View();
  char text[32] = {};
  EXPECT_EQ(16, read(reader, text, sizeof text));
  EXPECT_STREQ("through the pipe", text);
  close(reader);
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
  EXPECT_EQ(std::set<std::string>{"pipe"}, Entries(folder.Path()));
}

TEST(WholeFileWriter, NameNearTheLengthLimitCanBeWritten) {
  TempFolder folder;
  const std::string path = folder / std::string(250, 'n');
  TextString error;
  EXPECT_EQ(1, WriteWholeFile(path.c_str(), "text", error)) << error.View();
  EXPECT_EQ("text", TempFolder::ReadFile(path));
}

TEST(WholeFileWriter, KnowsTheFormOfItsTemporaryNames) {
  static const struct {
    const char* name;
    bool temporary;
  } kCases[] = {
      {".out.txt.tmp-123-0", true},
      {".a.tmp-1-99", true},
      {".a.tmp-1-2.tmp-3-4", true},
      {"out.txt.tmp-123-0", false},
      {".tmp-123-0", false},
      {".a.tmp-123-", false},
      {".a.tmp--0", false},
      {".a.tmp-12x-0", false},
      {".a.tmp-1-0.htm", false},
      {".a.tmp-1", false},
      {"", false},
      {".", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.temporary, IsTemporaryName(c.name)) << c.name;
}

TEST(WholeFileWriter, TemporaryNameInUseIsLeftAlone) {
  TempFolder folder;
  const std::string squatter = ".out.txt.tmp-" + std::to_string(getpid()) + "-0";
  folder.Write(squatter, "someone else's");
  TextString error;
  EXPECT_EQ(1, WriteWholeFile((folder / "out.txt").c_str(), "text", error));
  EXPECT_EQ("text", folder.Read("out.txt"));
  EXPECT_EQ("someone else's", folder.Read(squatter));
}

}  // namespace
}  // namespace quorlex
