#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control/Driver.h"
#include "control/RunSettings.h"
#include "foundation/RunLog.h"
#include "foundation/TextString.h"

namespace quorlex {

class ConversionContext;

// What a run through the window is to do.
struct RunRequest {
  RunSettings run;
  // The file patterns to queue, each as the files box names it.
  std::vector<TextString> specs;
  // The window's policies and the policy file they were read from (empty: none). They are
  // copied before Start returns.
  const ConversionContext* policies = nullptr;
  TextString policyFileName;
  RunTexts texts;
};

// How a run through the window ended.
struct RunOutcome {
  RunResult result;
  int requestsFailed = 0;
  // What the run could not read or convert (RunSettings::failedFiles).
  std::vector<TextString> failedFiles;
  OutputFormat outputFormat = OutputFormat::kText;

  // Every queued file converted and nothing else failed.
  bool Succeeded() const;
  // "270 converted, 2 failed", with ", 5 not converted" when files of the queue were not
  // begun, and " (cancelled)" when the user stopped the run.
  std::string Summary() const;
};

// A conversion on a thread of its own, so that the window goes on answering while it runs.
// The run queues the files, converts them one after the other and ends with the completion
// line, as the console program does. What it reports reaches the window's thread in
// batches, at most every 50 ms: the lines for the status window, how far it has got, the
// text for the clipboard; then its end. Cancel stops it after the file in progress, which
// is written whole; nothing of the files after it is begun.
class BackgroundRun : public QObject {
  Q_OBJECT

 public:
  // How often the lines and the progress reach the window.
  static constexpr int kBatchMilliseconds = 50;

  explicit BackgroundRun(QObject* parent = nullptr);
  // Cancels a run that is still going and waits for the file in progress.
  ~BackgroundRun() override;

  // Starts a run: the policies are taken from the request at once, the rest happens on the
  // run's thread. Only one run at a time: does nothing while one is running.
  void Start(RunRequest request);
  // Asks the run to stop after the file in progress.
  void Cancel();
  bool Running() const { return running_; }
  // How the last run ended (valid after Finished).
  const RunOutcome& Outcome() const { return outcome_; }

 signals:
  // Messages and status lines, in order, as the run's channel gives them.
  void Lines(const std::vector<std::string>& lines);
  // `done` files of `total` are converted; `current` is being converted now.
  void Progress(int done, int total, const QString& current);
  // A file's text went to the console sink (clipboard output): the last one.
  void ClipboardText(const std::string& text);
  // The run ended; Outcome() says how.
  void Finished();

 private:
  // What the run's thread hands over; guarded by mutex_.
  struct Shared {
    std::vector<std::string> lines;
    int done = 0;
    int total = 0;
    TextString current;
    bool progressChanged = false;
    std::string clipboard;
    bool clipboardChanged = false;
    bool finished = false;
  };

  void Post(const char* line);
  // The run's thread: queue, start, convert (when the policies were loaded).
  void Convert(bool loaded, const std::vector<TextString>& specs);
  // On the window's thread: hands over what the run has reported; at the end, joins the
  // run's thread and emits Finished.
  void Deliver();

  std::unique_ptr<RunSettings> run_;
  std::unique_ptr<RunLog> log_;
  std::unique_ptr<ConversionDriver> driver_;
  std::atomic<bool> stop_{false};
  bool running_ = false;
  std::mutex mutex_;
  Shared shared_;
  RunOutcome outcome_;
  QTimer batch_;
  std::thread thread_;
};

}  // namespace quorlex
