#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

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

std::string HostName() {
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

// The number of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

// A temporary name of the form writers give them, for `host` and `pid`.
std::string TemporaryNameOf(const std::string& host, pid_t pid) {
  return ".out.txt.qxtmp-" + host + "-" + std::to_string(pid) + "-0123456789abcdef";
}

// Runs `body` in a child process, which ends with its result as exit status, and returns how
// the child ended (waitpid's status). A core file is never written.
template <typename Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
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
  const std::string& temporary = *during.begin();
  EXPECT_TRUE(IsTemporaryName(temporary)) << temporary;
  // ".<name>.qxtmp-<host>-<pid>-<random>", the random part in 16 hex digits.
  const std::string prefix = ".new.txt.qxtmp-" + HostName() + "-" + std::to_string(getpid()) + "-";
  EXPECT_EQ(prefix, temporary.substr(0, prefix.size()));
  EXPECT_EQ(16u, temporary.size() - prefix.size());
  EXPECT_EQ(std::string::npos, temporary.find_first_not_of("0123456789abcdef", prefix.size()));
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

// A child process writes one file whole, starts on others and is interrupted: it ends by
// the signal, the first file stays, and the others neither change nor leave their temporary
// files behind, however many are open (more than the 16 that were once all a process could
// list).
TEST(WholeFileWriter, InterruptRemovesTheTemporaryFiles) {
  static const struct {
    const char* name;
    int signal;
    int writers;
  } kCases[] = {
      {"SIGINT", SIGINT, 1},
      {"SIGTERM", SIGTERM, 1},
      {"SIGHUP", SIGHUP, 1},
      {"SIGQUIT", SIGQUIT, 1},
      {"SIGPIPE", SIGPIPE, 1},
      {"SIGABRT, as abort sends it", SIGABRT, 1},
      {"SIGTERM, 40 writers open", SIGTERM, 40},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.Write("out.txt", "old text\n");
    const int status = InChild([&] {
      // The test may run with the signal ignored (SIGHUP under nohup), which the writer
      // rightly keeps; here the signal must arrive.
      std::signal(c.signal, SIG_DFL);
      RemoveTemporaryFilesOnInterrupt();
      TextString error;
      if (!WriteWholeFile((folder / "done.txt").c_str(), "done\n", error)) return 2;
      std::vector<WholeFileWriter> writers(static_cast<size_t>(c.writers));
      for (WholeFileWriter& writer : writers) {
        if (!writer.Open(path.c_str()) || !writer.Write("new", 3)) return 2;
      }
      if (c.signal == SIGABRT) std::abort();
      raise(c.signal);
      return 3;
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(c.signal, WTERMSIG(status));
    EXPECT_EQ("old text\n", folder.Read("out.txt"));
    EXPECT_EQ((std::set<std::string>{"done.txt", "out.txt"}), Entries(folder.Path()));
  }
}

// A program started with a signal ignored (SIGHUP under nohup) goes on ignoring it.
TEST(WholeFileWriter, IgnoredSignalStaysIgnored) {
  TempFolder folder;
  const std::string path = folder / "out.txt";
  const int status = InChild([&] {
    std::signal(SIGHUP, SIG_IGN);
    RemoveTemporaryFilesOnInterrupt();
    WholeFileWriter writer;
    if (!writer.Open(path.c_str()) || !writer.Write("new", 3)) return 2;
    raise(SIGHUP);
    return writer.Commit() ? 0 : 2;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_EQ("new", folder.Read("out.txt"));
}

// A writer that cannot list its temporary file for the interrupt handler does not write it.
TEST(WholeFileWriter, WriterBeyondTheListFails) {
  TempFolder folder;
  std::vector<WholeFileWriter> writers(64);
  for (size_t i = 0; i < writers.size(); ++i) {
    ASSERT_EQ(1, writers[i].Open((folder / ("out" + std::to_string(i))).c_str())) << i;
  }
  WholeFileWriter beyond;
  EXPECT_EQ(0, beyond.Open((folder / "beyond").c_str()));
  EXPECT_EQ("Too many open files", beyond.ErrorText().View());
  EXPECT_EQ(64u, Entries(folder.Path()).size());
  writers.pop_back();
  EXPECT_EQ(1, beyond.Open((folder / "beyond").c_str()));
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

// A link written to gives way to the new file, and the file it pointed to stays byte for
// byte; asked to follow links (the desktop's settings file), the writer replaces that file
// and keeps the link. Either way the new file has the permission bits of the replaced one.
TEST(WholeFileWriter, LinkIsReplacedOrFollowedAsAsked) {
  static const struct {
    const char* name;
    SymbolicLinks links;
    const char* pointsTo;  // inside the folder
    const char* error;     // nullptr: the write succeeds
    bool linkStays;
    const char* targetText;  // what real/target.txt holds afterwards
  } kCases[] = {
      {"link to a file", SymbolicLinks::kReplace, "real/target.txt", nullptr, false, "old text\n"},
      {"dangling link", SymbolicLinks::kReplace, "real/missing.txt", nullptr, false, "old text\n"},
      {"link to a folder", SymbolicLinks::kReplace, "real", "Is a directory", true, "old text\n"},
      {"followed link to a file", SymbolicLinks::kFollow, "real/target.txt", nullptr, true, "new"},
      {"followed dangling link", SymbolicLinks::kFollow, "real/missing.txt",
       "No such file or directory", true, "old text\n"},
      {"followed link to a folder", SymbolicLinks::kFollow, "real", "Is a directory", true,
       "old text\n"},
  };
  const mode_t oldMask = umask(022);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string target = folder.Write("real/target.txt", "old text\n");
    ASSERT_EQ(0, chmod(target.c_str(), 0604));
    const std::string link = folder / "link.txt";
    std::filesystem::create_symlink(c.pointsTo, link);

    TextString error;
    EXPECT_EQ(c.error == nullptr, WriteWholeFile(link.c_str(), "new", error, c.links) != 0);
    EXPECT_EQ(c.error == nullptr ? "" : c.error, error.View());
    EXPECT_EQ(c.linkStays, std::filesystem::is_symlink(link));
    EXPECT_EQ(c.targetText, folder.Read("real/target.txt"));
    EXPECT_EQ(0604u, ModeOf(target));
    if (c.error == nullptr) {
      EXPECT_EQ("new", folder.Read("link.txt"));
      // A dangling link leaves no permission bits to keep: the new file has the usual ones.
      const bool replacedFile = std::string_view(c.pointsTo) == "real/target.txt";
      EXPECT_EQ(replacedFile ? 0604u : 0644u, ModeOf(link));
    }
    EXPECT_EQ((std::set<std::string>{"link.txt", "real"}), Entries(folder.Path()));
    EXPECT_EQ(std::set<std::string>{"target.txt"}, Entries(folder / "real"));
  }
  umask(oldMask);
}

// A device stores no text: a link to one is written through and stays, whether links are
// replaced or followed.
TEST(WholeFileWriter, LinkToADeviceIsWrittenThrough) {
  for (const SymbolicLinks links : {SymbolicLinks::kReplace, SymbolicLinks::kFollow}) {
    SCOPED_TRACE(links == SymbolicLinks::kReplace ? "replaced" : "followed");
    TempFolder folder;
    const std::string link = folder / "null.txt";
    std::filesystem::create_symlink("/dev/null", link);
    TextString error;
    EXPECT_EQ(1, WriteWholeFile(link.c_str(), "gone", error, links)) << error.View();
    EXPECT_EQ("/dev/null", std::filesystem::read_symlink(link).string());
    EXPECT_EQ(std::set<std::string>{"null.txt"}, Entries(folder.Path()));
  }
}

// /dev/stderr, /dev/fd/2 and /proc/self/fd/2 are links that lead through /proc to the
// stream, here a regular file: the text is added to that file, and the link stays. (Tested on
// /dev/fd/2, whose folder no file can be created in, so that a fault cannot replace
// /dev/stderr on the machine that runs the tests.)
TEST(WholeFileWriter, StandardErrorRedirectedToAFileIsWrittenThrough) {
  TempFolder folder;
  const std::string errors = folder.Write("errors.txt", "earlier\n");
  const int status = InChild([&] {
    const int fd = open(errors.c_str(), O_WRONLY);
    if (fd < 0 || dup2(fd, 2) < 0) return 2;
    TextString error;
    return WriteWholeFile("/dev/fd/2", "the log\n", error) ? 0 : 3;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_EQ("earlier\nthe log\n", folder.Read("errors.txt"));
  EXPECT_EQ(std::set<std::string>{"errors.txt"}, Entries(folder.Path()));
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
      {".out.txt.qxtmp-vm-123-0a1b2c3d4e5f6789", true},
      {".a.qxtmp-build-host.example.org-7-ff", true},
      {"a.qxtmp-h-1-ab", false},
      {".a.qxtmp--1-ab", false},
      {".a.qxtmp-h-0-ab", false},
      {".a.qxtmp-h-1x-ab", false},
      {".a.qxtmp-h-1-xyz", false},
      {".a.qxtmp-h-1-ab.htm", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.temporary, IsTemporaryName(c.name)) << c.name;
}

// The first write into a folder removes the temporary files of this host's runs that were
// killed outright, and nothing else (a file of this very process is in use); a folder is
// swept once per process.
TEST(WholeFileWriter, FirstWriteIntoAFolderRemovesWhatKilledRunsLeft) {
  TempFolder folder;
  const pid_t ended = EndedProcess();
  const std::string host = HostName();
  const std::string deadRun = TemporaryNameOf(host, ended);
  const std::string liveRun = TemporaryNameOf(host, getppid());
  const std::string thisRun = TemporaryNameOf(host, getpid());
  const std::string otherHost = TemporaryNameOf(host + "-other", ended);
  const std::string folderOfThatName = ".folder" + deadRun;
  const std::string linkOfThatName = ".link" + deadRun;
  const std::string earlierForm = ".out.txt.tmp-" + std::to_string(ended) + "-0";
  for (const std::string& name : {deadRun, liveRun, thisRun, otherHost, earlierForm}) {
    folder.Write(name, "left");
  }
  std::filesystem::create_directory(folder / folderOfThatName);
  std::filesystem::create_symlink(deadRun, folder / linkOfThatName);
  std::set<std::string> kept{"out.txt",        liveRun,        thisRun,    otherHost,
                             folderOfThatName, linkOfThatName, earlierForm};
  // Only root can give a file to another owner.
  const std::string otherOwner = ".other" + deadRun;
  if (geteuid() == 0) {
    ASSERT_EQ(0, chown(folder.Write(otherOwner, "left").c_str(), 65534, 65534));
    kept.insert(otherOwner);
  }

  TextString error;
  ASSERT_EQ(1, WriteWholeFile((folder / "out.txt").c_str(), "text", error)) << error.View();
  EXPECT_EQ(kept, Entries(folder.Path()));

  // Left after the folder was swept: this process does not look again.
  folder.Write(deadRun, "left later");
  ASSERT_EQ(1, WriteWholeFile((folder / "out.txt").c_str(), "text", error)) << error.View();
  EXPECT_EQ("left later", folder.Read(deadRun));
}

}  // namespace
}  // namespace quorlex
