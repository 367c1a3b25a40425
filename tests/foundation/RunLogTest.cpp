#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/RunLog.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::CapturedStream;
using testing::TempFolder;

// A run whose console output is captured.
struct CapturedRun {
  RunLog log;
  CapturedStream out;
  CapturedStream err;

  CapturedRun() {
    log.Channel().SetStreams(out.Stream(), err.Stream());
    log.SetEchoStream(err.Stream());
    log.Configure(MessageSettings());
  }
};

TEST(RunLogFile, TakesTheWaitingRunMessagesWhenItOpens) {
  TempFolder folder;
  CapturedRun run;
  run.log.RunMessage("first");
  run.log.RunMessage("second");
  EXPECT_EQ("SESSION: first\nSESSION: second", run.log.runText.View());

  const std::string outputFolder = folder.Path() + "/";
  EXPECT_EQ(1, run.log.OpenLogFile("run.log", outputFolder.c_str()));
  EXPECT_EQ("", run.log.runText.View());
  run.log.Message("INFO: converting", 10);
  run.log.RunMessage("third");
  run.log.CloseLogFile();
  EXPECT_EQ("SESSION: first\nSESSION: second\nGenerating log file " + outputFolder +
                "run.log\nINFO: converting\nSESSION: third\n",
            folder.Read("run.log"));
  EXPECT_EQ("Generating log file " + outputFolder + "run.log\n", run.out.Text());
}

TEST(RunLogFile, FallsBackToTheDefaultNameInTheOutputFolder) {
  TempFolder folder;
  CapturedRun run;
  run.log.consoleEcho = 1;
  const std::string outputFolder = folder.Path() + "/";
  const std::string unusable = folder.Path() + "/missing/run.log";
  EXPECT_EQ(1, run.log.OpenLogFile(unusable.c_str(), outputFolder.c_str()));
  run.log.CloseLogFile();
  const std::string failed = "*** Failed to open log file : " + unusable + " ***";
  const std::string instead = "    Opening " + outputFolder + "Pellomar.log instead";
  EXPECT_EQ("SESSION: " + failed + "\nSESSION: " + instead + "\nGenerating log file " +
                outputFolder + "Pellomar.log\n",
            folder.Read("Pellomar.log"));
  EXPECT_EQ(failed + "\n" + instead + "\n", run.err.Text());
}

TEST(RunLogFile, GoesOnWithoutALogWhenNeitherNameWorks) {
  TempFolder folder;
  CapturedRun run;
  const std::string outputFolder = folder.Path() + "/missing/";
  EXPECT_EQ(0, run.log.OpenLogFile("run.log", outputFolder.c_str()));
  EXPECT_EQ("SESSION: *** Failed to open log file : " + outputFolder +
                "run.log ***\nSESSION:     Opening " + outputFolder +
                "Pellomar.log instead\nSESSION: *** Failed to open log file : " + outputFolder +
                "Pellomar.log ***",
            run.log.runText.View());
  EXPECT_EQ(0, run.log.Channel().IsLogOpen());
  run.log.Message("ERROR: still reported", 10);
  EXPECT_EQ("ERROR: still reported\n", run.err.Text());
}

// The log replaces an earlier one only when the run ends, and only when it was written
// whole: a run that cannot write it (a file-size limit stands in for a full disk) says so
// and leaves the earlier log as it was.
TEST(RunLogFile, ReplacesTheEarlierLogOnlyWhenWrittenWhole) {
  static const struct {
    const char* name;
    size_t messageSize;
    int written;
  } kCases[] = {{"written", 100, 1}, {"disk full", 100000, 0}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.Write("run.log", "earlier run\n");
    CapturedRun run;
    const std::string outputFolder = folder.Path() + "/";
    ASSERT_EQ(1, run.log.OpenLogFile("run.log", outputFolder.c_str()));

    int closed = 0;
    {
      const testing::FileSizeLimit limit(1000);
      ASSERT_TRUE(limit.Active());
      run.log.Message(("INFO: " + std::string(c.messageSize, 'x')).c_str(), 10);
      EXPECT_EQ("earlier run\n", folder.Read("run.log"));
      closed = run.log.CloseLogFile();
    }

    EXPECT_EQ(c.written, closed);
    EXPECT_EQ(1u, std::distance(std::filesystem::directory_iterator(folder.Path()),
                                std::filesystem::directory_iterator()));
    if (c.written) {
      EXPECT_EQ(0u, folder.Read("run.log").find("Generating log file "));
      continue;
    }
    EXPECT_EQ("earlier run\n", folder.Read("run.log"));
    const std::string error =
        "ERROR: Error writing to file " + outputFolder + "run.log (File too large)\n";
    const std::string shown = run.err.Text();
    ASSERT_GE(shown.size(), error.size());
    EXPECT_EQ(error, shown.substr(shown.size() - error.size()));
  }
}

TEST(RunLogFile, UsesTheTextsOfTheUsersLanguage) {
  TempFolder folder;
  RunTexts texts;
  texts.failedToOpenLog = "*** Impossible d'ouvrir : ffffff ***";
  texts.openingInstead = "    Ouverture de ffffff";
  RunLog log(texts);
  const std::string outputFolder = folder.Path() + "/missing/";
  EXPECT_EQ(0, log.OpenLogFile("a.log", outputFolder.c_str()));
  EXPECT_EQ("SESSION: *** Impossible d'ouvrir : " + outputFolder +
                "a.log ***\nSESSION:     Ouverture de " + outputFolder +
                "Pellomar.log\nSESSION: *** Impossible d'ouvrir : " + outputFolder +
                "Pellomar.log ***",
            log.runText.View());
}

TEST(RunLogBanners, NameTheFileAndThePolicyFile) {
  CapturedRun run;
  run.log.AnnounceFile("/home/ann/docs/page.v2.htm", "");
  run.log.AnnounceFile("page.htm", "/etc/quorlex/plain.pol");
  run.log.AnnounceCompletion();
  const std::string row(50, '%');
  EXPECT_EQ(row + "\nProcessing : \"page.v2.htm\"\n" + row +
                "\nProcessing : \"page.htm\" using policy file \"plain.pol\"\n"
                "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%\n",
            run.out.Text());
}

TEST(RunLogLineTracking, SendsMessagesToTheLineWhileEnabled) {
  static const struct {
    const char* name;
    int number;
    int annotate, quiet;
    const char* message;
    const char* annotation;
    const char* shown;
  } kCases[] = {
      {"numbered line", 12, 0, 0, "WARNING: odd", "", "Line 12 - WARNING: odd\n"},
      {"line without a number", -1, 0, 0, "WARNING: odd", "", "Line 8 - WARNING: odd\n"},
      {"annotated", 3, 1, 0, "WARNING: odd", "*** earlier\n*** WARNING: odd",
       "Line 3 - WARNING: odd\n"},
      {"quiet", 3, 1, 1, "WARNING: odd", "*** earlier\n*** WARNING: odd", ""},
      {"suppressed category", 3, 1, 0, "URL: http://x", "*** earlier", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    CapturedRun run;
    TrackedLine line;
    line.number = c.number;
    if (c.annotate) line.annotation = "*** earlier";
    run.log.passKind = 2;
    run.log.trackers[2] = LineTracker{1, &line, 7};
    run.log.annotateLines = c.annotate;
    run.log.quietLines[1] = c.quiet;
    run.log.Message(c.message, 10);
    EXPECT_EQ(c.annotate ? c.annotation : "", line.annotation.View());
    EXPECT_EQ(c.shown, run.err.Text());
  }
}

TEST(RunLogLineTracking, OtherPassKindsAndDisabledTrackersUseTheChannel) {
  CapturedRun run;
  TrackedLine line;
  run.log.trackers[0] = LineTracker{0, &line, 0};  // disabled
  run.log.trackers[1] = LineTracker{1, &line, 0};  // another pass kind
  run.log.Message("WARNING: plain", 10);
  EXPECT_EQ("WARNING: plain\n", run.err.Text());
}

}  // namespace
}  // namespace quorlex
