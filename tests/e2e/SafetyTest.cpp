// quorlexrun run by an unlucky user or against one: what it may write, what it may read, and
// an exit status that tells a script the truth.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ProgramTest.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::ProgramResult;
using testing::TempFolder;

// One run of the program and how it must end.
struct RunCase {
  const char* name;
  std::vector<std::string> arguments;
  int status;
  const char* message;  // on standard error
};

class SafetyTest : public testing::ProgramTest {
 protected:
  ProgramResult Expect(const RunCase& c) {
    const ProgramResult run = Run(c.arguments);
    EXPECT_EQ(c.status, run.status);
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    return run;
  }
};

TEST_F(SafetyTest, APolicyFileNamesSideOutputsOnlyBelowWhereTheyAreWritten) {
  TempFolder elsewhere;
  fs::create_directory(work_ / "victim");
  fs::create_directory_symlink(elsewhere.Path(), work_ / "linked");
  const std::string absolute = elsewhere / "abs.log";
  const struct {
    const char* name;
    std::string policies;
    int status;
    std::string message;
    const char* written;     // a file the run must write ("" for none)
    const char* notWritten;  // a file it must not
  } kCases[] = {
      {"a log from the root", "Create a log file : Yes\nOutput log filename : " + absolute + "\n",
       1,
       "ERROR: Policy file \"shared.pol\" may not name \"" + absolute +
           "\" for Output log filename - ignored",
       "", "Pellomar.log"},
      {"a log above the folder", "Create a log file : Yes\nOutput log filename : ../up.log\n", 1,
       "may not name \"../up.log\" for Output log filename", "", "../up.log"},
      {"a log through a link", "Create a log file : Yes\nOutput log filename : linked/x.log\n", 1,
       "may not name \"linked/x.log\" for Output log filename", "", "linked/x.log"},
      {"a policy file through a link",
       "Output policy file : Yes\nOutput policy filename : linked/x.pol\n", 1,
       "may not name \"linked/x.pol\" for Output policy filename", "", "linked/x.pol"},
      {"a log of another kind", "Create a log file : Yes\nOutput log filename : run.txt\n", 0,
       "Can't use \".txt\" for a log file.  Changing to \".log\"", "run.log", "run.txt"},
      {"a policy file without its extension",
       "Output policy file : Yes\nOutput policy filename : victim/authorized_keys\n", 0, "",
       "victim/authorized_keys.pol", "victim/authorized_keys"},
  };
  Page("doc.htm");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    work_.Write("shared.pol", c.policies);
    const ProgramResult run = Run({"doc.htm", "shared.pol"});
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_TRUE(Contains(run.out + run.err, c.message)) << run.out << run.err;
    if (*c.written != 0) {
      EXPECT_TRUE(Exists(c.written));
    }
    EXPECT_FALSE(Exists(c.notWritten));
    EXPECT_TRUE(Exists("doc.txt")) << "the conversion goes on";
  }
  EXPECT_FALSE(fs::exists(absolute));
  // Names typed by the user are the user's own choice.
  EXPECT_EQ(0, Run({"doc.htm", "/LOG=" + absolute}).status);
  EXPECT_TRUE(fs::exists(absolute));
}

TEST_F(SafetyTest, NothingTheRunReadsIsReplacedByWhatItWrites) {
  const std::string markup = "Remove all tags : No\n";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    const char* kept;  // an input that must stay byte for byte
    const char* message;
  } kCases[] = {
      {"the policy file over the page",
       {"p.htm", "/POLICY=p.htm"},
       "p.htm",
       "ERROR: p.htm is an input of this run - not overwritten"},
      {"the log over the page",
       {"p.htm", "/LOG=p.htm"},
       "p.htm",
       "ERROR: p.htm is an input of this run - not overwritten"},
      {"an output over a later input",
       {"b.htm", "b.txt"},
       "b.txt",
       "ERROR: b.txt is an input of this run - not overwritten"},
      {"markup over a later input",
       {"b.htm", "b.html", "markup.pol", "/O=*.html"},
       "b.html",
       "ERROR: b.html is an input of this run - not overwritten"},
      {"an output over the steering file",
       {"@b.txt"},
       "b.txt",
       "ERROR: b.txt is an input of this run - not overwritten"},
      {"the policy file over its own include",
       {"p.htm", "outer.pol", "/POLICY=markup.pol"},
       "markup.pol",
       "ERROR: markup.pol is an input of this run - not overwritten"},
      {"the policy file over itself",
       {"p.htm", "self.pol"},
       "self.pol",
       "ERROR: self.pol is an input of this run - not overwritten"},
      {"two outputs of one name",
       {"p.htm", "b.htm", "/O=same.txt"},
       "same.txt",
       "ERROR: same.txt was already written in this run - not overwritten"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Page("p.htm", "Pea");
    Page("b.htm", "Bee");
    work_.Write("b.txt", "b.htm\n");  // a page of text, and a steering file naming b.htm
    work_.Write("b.html", "<p>Kept</p>\n");
    work_.Write("markup.pol", markup);
    work_.Write("outer.pol", "include file : markup.pol\n");
    work_.Write("self.pol", "Output policy file : Yes\nOutput policy filename : self.pol\n");
    fs::remove(work_ / "same.txt");
    const std::string before = c.kept == std::string("same.txt") ? "" : work_.Read(c.kept);
    const ProgramResult run = Run(c.arguments);
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    if (!before.empty()) {
      EXPECT_EQ(before, work_.Read(c.kept));
    }
  }
  EXPECT_TRUE(Contains(work_.Read("same.txt"), "Pea")) << "the first output stays";
}

TEST_F(SafetyTest, LinksAtTheNamesWrittenAreReplacedNotWrittenThrough) {
  TempFolder victim;
  const std::string secret = victim.Write("secret.txt", "secret\n");
  Page("page.htm");
  Page("tree/sub/a.htm");
  for (const char* name : {"page.txt", "run.log", "page.pol", "tree/sub/a.txt"}) {
    fs::create_symlink(secret, work_ / name);
  }
  EXPECT_EQ(0, Run({"page.htm", "/LOG=run.log", "/POLICY"}).status);
  EXPECT_EQ(0, Run({"-r", "tree"}).status) << "a tree converted in place";
  EXPECT_EQ("secret\n", victim.Read("secret.txt"));
  for (const char* name : {"page.txt", "run.log", "page.pol", "tree/sub/a.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(fs::is_symlink(work_ / name));
    EXPECT_NE("secret\n", work_.Read(name));
  }
}

TEST_F(SafetyTest, OversizedOrSpecialFilesStopTheRunWithAClearMessage) {
  Page("a.htm");
  work_.Write("include-zero.pol", "include file : /dev/zero\n");
  work_.Write("big.pol", "Target Page width : 60\n");
  fs::resize_file(work_ / "big.pol", 64 * 1024 * 1024 + 1);
  work_.Write("wide.pol", "Target Page width : 5000\n");
  const RunCase kCases[] = {
      {"a device as include file",
       {"a.htm", "include-zero.pol"},
       1,
       "ERROR: /dev/zero is not a regular file - not read"},
      {"a policy file too large",
       {"a.htm", "big.pol"},
       1,
       "ERROR: big.pol is larger than 67108864 bytes - not read"},
      {"a device as steering file",
       {"a.htm", "@/dev/zero"},
       1,
       "ERROR: /dev/zero is not a regular file - not read"},
      {"a page width out of range",
       {"a.htm", "wide.pol"},
       0,
       "POLICY: Value 5000 is outside allowed range (-1:1000) - 1000 used"},
  };
  for (const RunCase& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove(work_ / "a.txt");
    Expect(c);
    EXPECT_EQ(c.status == 0, Exists("a.txt")) << "a refused file stops the run before it converts";
  }
}

// More than 1.5 GiB of text is refused while it is read, without the memory of the whole;
// the sanitizer build, some twenty times slower and with memory of its own, leaves this out.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(SafetyTest, InputsLargerThanTheLimitAreRefusedWhileRead) {
  const std::string sparse = work_.Write("big.htm", "<p>");
  fs::resize_file(sparse, 2100LL * 1024 * 1024);
  struct stat info {};
  ASSERT_EQ(0, stat(sparse.c_str(), &info));
  const bool isSparse = info.st_blocks * 512 < 1024 * 1024;
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    const char* input;
    const char* message;
  } kCases[] = {
      {"standard input from a generator",
       {"-"},
       "/dev/zero",
       "ERROR: standard input is larger than 1610612736 bytes - not converted"},
      {"a sparse file",
       {"big.htm"},
       "/dev/null",
       "ERROR: big.htm is larger than 1610612736 bytes - not converted"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    if (!isSparse && c.arguments[0] == "big.htm") continue;  // would fill the disk
    const ProgramResult run =
        testing::RunProgramReading(QUORLEX_RUN, c.arguments, work_.Path(), c.input);
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    EXPECT_FALSE(Contains(run.out, "<p>")) << "no text of it written";
    EXPECT_FALSE(Exists("big.txt"));
    std::printf("%s: peak memory %ld MB\n", c.name, run.peakKilobytes / 1024);
    EXPECT_LT(run.peakKilobytes, 3L * 1024 * 1024) << "about twice the limit at most";
  }
  if (!isSparse) GTEST_SKIP() << "this file system stores no sparse files";
}

TEST_F(SafetyTest, RunningOutOfMemoryIsSaidAndLeavesNoTemporaryFile) {
  std::string page;
  for (int i = 0; i < 500000; ++i) page += "<table><tr><td>a</td><td>b</td></tr></table>\n";
  work_.Write("big.htm", page);
  // The program in 150 MB of address space, which a table of 500,000 rows needs more than.
  const ProgramResult run = testing::RunProgram(
      "/bin/sh", {"-c", "ulimit -v 150000; exec \"$0\" big.htm /LOG=run.log", QUORLEX_RUN},
      work_.Path());
  EXPECT_TRUE(Contains(run.err, "ERROR: Out of memory - conversion stopped")) << run.err;
  EXPECT_NE(0, run.status);
  for (const auto& entry : fs::directory_iterator(work_.Path())) {
    EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".qxtmp-"));
  }
}
#endif

TEST_F(SafetyTest, ExitStatusTellsWhetherEverythingAskedForWasDone) {
  Page("a.htm");
  work_.Write("empty.htm", "");
  work_.Write("ignored.pol", "Not a policy at all\n");
  const RunCase kCases[] = {
      {"a named file missing", {"a.htm", "none.htm"}, 1, "WARNING: No file matches none.htm"},
      {"a named file empty", {"a.htm", "empty.htm"}, 1, "WARNING: File is empty empty.htm"},
      {"a log that cannot be written",
       {"a.htm", "/LOG=/dev/full"},
       1,
       "ERROR: Error writing to file /dev/full (No space left on device)"},
      {"a steering file missing", {"a.htm", "@none.txt"}, 2, "ERROR: Can't open \"none.txt\""},
      {"a policy line ignored", {"a.htm", "ignored.pol"}, 0, "POLICY: Ignored"},
      {"a log folder missing, Pellomar.log instead",
       {"a.htm", "/LOG=nowhere/run.log"},
       0,
       "Opening Pellomar.log instead"},
  };
  for (const RunCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Expect(c);
  }
}

TEST_F(SafetyTest, UnreadableInputsAndFoldersFailTheRun) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  Page("a.htm");
  Page("b.htm");
  Page("site/locked/c.htm");
  chmod((work_ / "b.htm").c_str(), 0);
  chmod((work_ / "site/locked").c_str(), 0);
  ProgramResult run = Run({"b.htm", "a.htm"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "ERROR: Can't find or open b.htm")) << run.err;
  EXPECT_TRUE(Exists("a.txt"));
  run = Run({"-r", "site"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "WARNING: Cannot read folder site/locked/")) << run.err;
}

// Folders nested below `top` until their path is longer than the system takes, made and
// removed through descriptors, with a page at the bottom.
class DeepTree {
 public:
  explicit DeepTree(const std::string& top) : names_(kLevels, std::string(200, 'd')) {
    folders_.push_back(open(top.c_str(), O_DIRECTORY | O_RDONLY));
    for (const std::string& name : names_) {
      mkdirat(folders_.back(), name.c_str(), 0700);
      folders_.push_back(openat(folders_.back(), name.c_str(), O_DIRECTORY | O_RDONLY));
    }
    const int page = openat(folders_.back(), "a.htm", O_CREAT | O_WRONLY, 0600);
    EXPECT_EQ(9, write(page, "<p>x</p>\n", 9));
    close(page);
  }
  ~DeepTree() {
    unlinkat(folders_.back(), "a.htm", 0);
    for (size_t level = names_.size(); level > 0; --level) {
      close(folders_[level]);
      unlinkat(folders_[level - 1], names_[level - 1].c_str(), AT_REMOVEDIR);
    }
    close(folders_[0]);
  }

 private:
  static constexpr size_t kLevels = 22;  // 22 levels of 201 bytes pass 4096
  std::vector<std::string> names_;
  std::vector<int> folders_;
};

TEST_F(SafetyTest, PathsTooLongFailTheRun) {
  Page("deep/top.htm");
  const DeepTree tree(work_ / "deep");
  const ProgramResult run = Run({"-r", "deep"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Exists("deep/top.txt")) << "what can be converted is";
  EXPECT_TRUE(Contains(run.err, "WARNING: Cannot read folder deep/ddd")) << run.err;
}

TEST_F(SafetyTest, IncludesBesideTheInputAndFilesThatCannotBeMadeAreReported) {
  Page("docs/a.htm");
  work_.Write("docs/local.pol", "Target Page width : 40\n");
  work_.Write("settings/p.pol", "include file : local.pol\n");
  work_.Write("blocker", "a file where a folder should be\n");
  work_.Write("steer.txt",
              "\xEF\xBB\xBF"
              "docs/a.htm\n");

  ProgramResult run = Run({"docs/a.htm", "settings/p.pol"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Contains(work_.Read("docs/a.txt"), "/" + std::string(38, '-') + "\\\n"))
      << "40 columns";

  run = Run({"docs/a.htm", "/OUTPUT=blocker/out.txt"});
  EXPECT_EQ(1, run.status);
  const std::string cannot = "ERROR: Can't create folder blocker/";
  const size_t first = run.err.find(cannot);
  EXPECT_NE(std::string::npos, first) << run.err;
  EXPECT_EQ(std::string::npos, run.err.find(cannot, first + cannot.size())) << "said once";

  fs::remove(work_ / "docs/a.txt");
  fs::create_directory(work_ / "docs/a.txt");
  run = Run({"docs/a.htm"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "ERROR: Error opening docs/a.txt (Is a directory)")) << run.err;
  fs::remove(work_ / "docs/a.txt");

  run = Run({"@steer.txt"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Exists("docs/a.txt")) << "a byte-order mark before the first name";
}

}  // namespace
}  // namespace quorlex
