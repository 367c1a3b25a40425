// quorlexrun run as a user runs it, in a folder of its own: what it writes, what it prints
// and how it exits.

#include <gtest/gtest.h>

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

using CliTest = testing::ProgramTest;

TEST_F(CliTest, PrintsTheHelpTextForEverySpellingOfHelp) {
  const std::string kHelp =
      "Usage : quorlexrun filespec1 filespec2 [policy_file.pol] [/qualifiers]\n"
      "\n"
      "Recognised qualifiers include\n"
      "   /CONSOLE             Write output direct to console\n"
      "   /HELP                Display this useful list of commands (\"/?\" also works)\n"
      "   /JOBS=n              Convert on n threads (default: one per core)\n"
      "   /LOG[=filename]      Generate a .log file\n"
      "   /OUTPUT[=filespec]   Filespec for output file(s)\n"
      "   /POLICY[=filename]   Document policies used in a .pol file\n"
      "   /SILENT              Suppress all output messages (except these :-)\n"
      "Qualifiers are case insensitive and may be reduced to shortest unique\n"
      "name (e.g \"/lo\" for \"/log\")\n";
  for (const char* help : {"/?", "/HELP", "/he", "-h", "--help"}) {
    SCOPED_TRACE(help);
    const ProgramResult run = Run({help});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(kHelp, run.out);
  }
}

TEST_F(CliTest, ExitStatusSaysWhetherEverythingConverted) {
  Page("a.htm");
  work_.Write("empty.htm", "");
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* says;
  } kCases[] = {
      {"converted", {"a.htm"}, 0, ""},
      {"version", {"--version"}, 0, ""},
      {"nothing named", {}, 2, "nothing to convert"},
      {"policy file missing",
       {"a.htm", "nope.pol"},
       2,
       "ERROR: Can't find master policy file nope.pol"},
      {"no file matches", {"none.htm"}, 1, "WARNING: No file matches none.htm"},
      {"empty file skipped", {"empty.htm"}, 1, "WARNING: File is empty empty.htm"},
      {"steering file missing", {"@none.txt"}, 2, "ERROR: Can't open \"none.txt\""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const ProgramResult run = Run(c.arguments);
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_TRUE(Contains(run.err, c.says)) << run.err;
  }
  EXPECT_EQ("quorlexrun (Quorlex) " QUORLEX_VERSION "\n", Run({"--version"}).out);
}

TEST_F(CliTest, WritesEachOutputBesideItsInputAndAnnouncesIt) {
  Page("b.htm", "Bee");
  Page("A.htm", "Ay");
  Page("notes.txt");
  const ProgramResult run = Run({"*.htm"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Exists("A.txt"));
  EXPECT_TRUE(Exists("b.txt"));
  EXPECT_FALSE(Exists("notes.txt.txt"));
  EXPECT_TRUE(Contains(work_.Read("b.txt"), "\nBee\n"));
  // A.htm before b.htm: names are sorted ignoring case.
  const std::string banner = std::string(50, '%') + "\nProcessing : \"";
  EXPECT_LT(run.out.find(banner + "A.htm\""), run.out.find(banner + "b.htm\""));
  EXPECT_TRUE(Contains(run.out, "---- Starting Output pass ----"));
  EXPECT_TRUE(Contains(run.out, "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%\n"));
}

TEST_F(CliTest, SearchesSubFoldersButNotDotFolders) {
  Page("site/a.htm");
  Page("site/sub/b.htm");
  Page("site/.cache/c.htm");
  EXPECT_EQ(0, Run({"site/*.htm"}).status);
  EXPECT_TRUE(Exists("site/a.txt"));
  EXPECT_FALSE(Exists("site/sub/b.txt"));
  EXPECT_EQ(0, Run({"-r", "site"}).status);
  EXPECT_TRUE(Exists("site/sub/b.txt"));
  EXPECT_FALSE(Exists("site/.cache/c.txt"));
}

TEST_F(CliTest, OutputSpecificationsChooseFolderNameAndExtension) {
  Page("a.htm");
  Page("b.htm");
  fs::create_directory(work_ / "existing");
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<const char*> written;
  } kCases[] = {
      {"folder and star", {"*.htm", "/O=out/*.asc"}, {"out/a.asc", "out/b.asc"}},
      {"existing folder without a slash", {"a.htm", "--output=existing"}, {"existing/a.txt"}},
      {"file name", {"a.htm", "/OUTPUT=single.text"}, {"single.text"}},
      {"missing folders are made", {"a.htm", "/O=new/deeper/"}, {"new/deeper/a.txt"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const ProgramResult run = Run(c.arguments);
    EXPECT_EQ(0, run.status) << run.err;
    for (const char* name : c.written) EXPECT_TRUE(Exists(name)) << name;
  }
}

TEST_F(CliTest, NeverWritesTwoInputsIntoOneOutput) {
  Page("a.htm", "First");
  Page("b.htm", "Second");
  const ProgramResult run = Run({"a.htm", "b.htm", "/O=both.txt"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "ERROR: both.txt was already written in this run"));
  EXPECT_TRUE(Contains(work_.Read("both.txt"), "First"));
}

TEST_F(CliTest, AFailedFileEndsTheRun) {
  Page("a.htm");
  Page("b.htm");
  Page("c.htm");
  fs::create_directory(work_ / "b.txt");  // b's output cannot be written
  const ProgramResult run = Run({"*.htm"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "ERROR: Failed to complete output pass"));
  EXPECT_TRUE(Exists("a.txt"));
  EXPECT_FALSE(Exists("c.txt"));
}

TEST_F(CliTest, SteeringFileQueuesEveryCommandLine) {
  Page("a.htm");
  Page("sub/b c.htm");
  work_.Write("list.txt",
              "# old settings\n"
              "a.htm /O=x/\n"
              "\"sub/b c.htm\"\n");
  fs::create_directory(work_ / "x");
  const ProgramResult run = Run({"@list.txt"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Contains(run.err, "INFO: Steering file: Ignoring comment line \"# old settings\""));
  EXPECT_TRUE(Exists("x/a.txt"));
  EXPECT_TRUE(Exists("sub/b c.txt"));
}

TEST_F(CliTest, WritesALogFileOrItsFallback) {
  Page("a.htm");
  ProgramResult run = Run({"a.htm", "/LOG=run.txt"});
  EXPECT_EQ(0, run.status);
  EXPECT_TRUE(Contains(run.err, "Can't use \".txt\" for a log file.  Changing to \".log\""));
  EXPECT_TRUE(Contains(work_.Read("run.log"), "Processing : \"a.htm\""));

  fs::create_directory(work_ / "out");
  run = Run({"a.htm", "/LOG=missing/x.log", "/O=out/"});
  EXPECT_EQ(0, run.status);
  EXPECT_TRUE(Contains(run.err, "*** Failed to open log file : missing/x.log ***"));
  EXPECT_TRUE(Contains(run.err, "    Opening out/Pellomar.log instead"));
  EXPECT_TRUE(Contains(work_.Read("out/Pellomar.log"), "Processing : \"a.htm\""));
}

TEST_F(CliTest, WritesThePoliciesInForce) {
  Page("a.htm");
  work_.Write("narrow.pol", "Target Page width : 40\n");
  const ProgramResult run = Run({"a.htm", "narrow.pol", "/POLICY"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Contains(run.out, "Generating policy file a.pol\n"));
  const std::string written = work_.Read("a.pol");
  EXPECT_TRUE(Contains(written, "[Quorl]"));
  EXPECT_TRUE(Contains(written, "\nTarget Page width" + std::string(25, ' ') + ": 40\n"));
}

TEST_F(CliTest, WritesTextToStandardOutputWithoutStatusLines) {
  Page("a.htm", "From a file");
  const ProgramResult console = Run({"a.htm", "/CONSOLE"});
  EXPECT_EQ(0, console.status) << console.err;
  EXPECT_TRUE(Contains(console.out, "| File name    : a.txt"));
  EXPECT_TRUE(Contains(console.out, "\nFrom a file\n"));
  EXPECT_FALSE(Contains(console.out, "Processing"));
  EXPECT_FALSE(Exists("a.txt"));

  const ProgramResult piped = Run({"-"}, "<h1>Piped</h1><p>From standard input</p>\n");
  EXPECT_EQ(0, piped.status) << piped.err;
  EXPECT_TRUE(Contains(piped.out, "Piped\n=====\n\nFrom standard input\n"));
  EXPECT_FALSE(Contains(piped.out, "INFO:"));

  EXPECT_EQ(0, Run({"-", "/O=piped.txt"}, "<p>Kept</p>").status);
  EXPECT_TRUE(Contains(work_.Read("piped.txt"), "Kept"));
}

TEST_F(CliTest, TakesPathsWithSlashesAndBlanks) {
  Page("my pages/first page.htm");
  const std::string absolute = work_ / "my pages/first page.htm";
  EXPECT_EQ(0, Run({absolute}).status);
  EXPECT_TRUE(Exists("my pages/first page.txt"));
  fs::remove(work_ / "my pages/first page.txt");
  EXPECT_EQ(0, Run({"my pages/first page.htm", "/O=my pages/"}).status);
  EXPECT_TRUE(Exists("my pages/first page.txt"));
}

TEST_F(CliTest, ReportsBadQualifiersAndGoesOn) {
  Page("a.htm");
  const struct {
    const char* name;
    const char* qualifier;
    std::vector<const char*> messages;
  } kCases[] = {
      {"ambiguous", "/CO", {"*** Unrecognised, ambiguous or repeated qualifiers : /CO "}},
      {"too long",
       "/LOGGING",
       {"Illegal Qualifier : /LOGGING",
        "*** Unrecognised, ambiguous or repeated qualifiers : /LOGGING "}},
      {"unknown dash form", "--colour", {"*** Unrecognised, ambiguous or repeated qualifiers"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove(work_ / "a.txt");
    // The file is converted all the same, but the status tells a script that something it
    // asked for was not understood.
    const ProgramResult run = Run({"a.htm", c.qualifier});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Exists("a.txt"));
    for (const char* message : c.messages) EXPECT_TRUE(Contains(run.err, message)) << run.err;
  }
}

TEST_F(CliTest, KeepsMarkupWhenThePoliciesSaySoButNeverOverTheInput) {
  work_.Write("a.htm", "<p>Kept<!-- dropped --></p>\n");
  work_.Write("markup.pol", "Remove all tags : No\nRemove HTML-style comments : Yes\n");
  ProgramResult run = Run({"a.htm", "markup.pol"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "ERROR: Output file is overwriting input file - a.htm"));
  EXPECT_EQ("<p>Kept<!-- dropped --></p>\n", work_.Read("a.htm"));

  fs::create_directory(work_ / "clean");
  run = Run({"a.htm", "markup.pol", "/O=clean/"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("<p>Kept</p>\n", work_.Read("clean/a.htm"));
}

TEST_F(CliTest, ReportsNestedTables) {
  work_.Write("nested.htm",
              "<table><tr><td><table><tr><td><table><tr><td>in</td></tr></table></td></tr>"
              "</table></td></tr></table>\n");
  const ProgramResult run = Run({"nested.htm"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Contains(run.out, "INFO: Parsed Table markup\n"));
  EXPECT_TRUE(Contains(run.out, "INFO: nested tables detected (3 levels)\n"));
}

}  // namespace
}  // namespace quorlex
