#pragma once

#include <cstdio>
#include <string>

#include "foundation/ASCIIFile.h"
#include "foundation/MessageChannel.h"
#include "foundation/RunFiles.h"
#include "foundation/TextString.h"

namespace quorlex {

// The filter settings of a run's channel, which the conversion context takes from its
// policies before every message: "Error reporting level", "Display messages" and the five
// suppress policies (defaults as in a new policy set).
struct MessageSettings {
  int verbosity = 5;
  int display = 1;
  int suppressUrl = 1;
  int suppressInfo = 0;
  int suppressWarning = 0;
  int suppressProgramError = 0;
  int suppressTagError = 0;
};

// The run's own lines that a user reads in their language. These are the English texts;
// the front end fills them from its string tables. "ffffff" stands for a file name.
struct RunTexts {
  std::string failedToOpenLog = "*** Failed to open log file : ffffff ***";
  std::string openingInstead = "    Opening ffffff instead";
  std::string generatingLog = "Generating log file ";
  std::string conversionComplete = "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%";
};

// A source line that messages can be attached to: its number (-1: none) and the
// annotations written for it.
struct TrackedLine {
  int number = -1;
  TextString annotation;
};

// Knows which source line a pass is working on. While it is enabled and has a current
// line, the run's messages go to that line instead of the channel.
struct LineTracker {
  int enabled = 0;
  TrackedLine* current = nullptr;  // not owned
  int currentIndex = 0;            // 0-based; used when the line has no number
};

// The messages of one conversion run: its LogChannel, the log file, the messages about the
// run itself that wait for the log to open, the banner lines, and the line trackers.
class RunLog {
 public:
  static constexpr int kPassKinds = 3;

  explicit RunLog(RunTexts texts = RunTexts());
  ~RunLog();  // closes the log file
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  LogChannel& Channel() { return channel_; }
  // Sets the channel's verbosity and filters.
  void Configure(const MessageSettings& settings);

  // A report: to the tracked line while the current pass's tracker is enabled and has a
  // line, else to the channel.
  void Message(const char* message, int level);
  // A status line (banners, progress) to the channel.
  void Status(const char* message);
  // A message about the run itself: echoed on the error stream with consoleEcho, shown
  // through the run-message callback when there is one, then kept in runText as
  // "SESSION: " and the message until the log file takes it.
  void RunMessage(const char* message);
  // Where run messages are shown besides the log (the desktop's status window).
  void SetRunMessageCallback(MessageCallback callback) {
    runMessageCallback_ = std::move(callback);
  }

  // Opens the log file `logName` (in `outputFolder` when it has no folder of its own),
  // falling back to "Pellomar.log" in the output folder, with the run messages that say
  // so. Lines held for the log and waiting run messages go to the log first; then
  // "Generating log file " and the name is issued. A name the run files refuse (an input
  // of the run, a file it wrote) is reported and has no fallback. Returns 1 when a log
  // file is open, 0 when the run goes on without one (held lines are dropped then).
  int OpenLogFile(const TextString& logName, const TextString& outputFolder);
  // Closes the log file when the run ends. The log is written whole: only now does it
  // replace an earlier log of the same name, so a run that fails to write it (a full disk)
  // or is interrupted leaves the earlier log as it was. The run files are asked again
  // right before, and the log is recorded there once written. A failure is reported as an
  // output file's is, "ERROR: Error writing to file " with the name and the system's
  // reason, on the screen; returns 0 then, else 1 (also when no log was open).
  int CloseLogFile();
  // The files of the run (not owned; null: none), which say where the log may be written.
  void SetRunFiles(RunFiles* files) { runFiles_ = files; }

  // The two status lines before a file is converted: a row of 50 percent signs, and
  // "Processing : " with the file's name and extension in double quotes, followed by
  // " using policy file " and the policy file's name and extension in double quotes when
  // there is one (empty: none).
  void AnnounceFile(const TextString& file, const TextString& policyFile);
  // The status line at the end of a run.
  void AnnounceCompletion();

  // Where consoleEcho writes (standard error unless set; not owned).
  void SetEchoStream(std::FILE* stream) { echoStream_ = stream; }

  int consoleEcho = 0;
  TextString runText;
  LineTracker trackers[kPassKinds];
  int passKind = 0;  // the tracker of the pass now running
  int annotateLines = 0;
  int quietLines[2] = {0, 0};

 private:
  // The text with "ffffff" replaced by `name`.
  static TextString WithName(const std::string& text, const TextString& name);
  int TryOpenLog(const TextString& name);
  // Whether the run files refuse `name` for the log; the refusal is reported.
  int Refused(const TextString& name);
  void MessageToLine(LineTracker& tracker, const char* message, int level);

  LogChannel channel_;
  ASCIIFile logFile_;
  RunTexts texts_;
  std::FILE* echoStream_ = stderr;
  RunFiles* runFiles_ = nullptr;
  MessageCallback runMessageCallback_;
};

}  // namespace quorlex
