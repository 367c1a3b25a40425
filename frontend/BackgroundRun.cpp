#include "frontend/BackgroundRun.h"

#include <utility>

#include "frontend/ApplyTexts.h"
#include "frontend/CodePages.h"
#include "policies/ConversionContext.h"

namespace quorlex {

bool RunOutcome::Succeeded() const {
  // Whatever could not be read counts among the requests that failed.
  return result.queued > 0 && result.converted == result.queued && requestsFailed == 0;
}

std::string RunOutcome::Summary() const {
  std::string summary = std::to_string(result.converted) + " converted, " +
                        std::to_string(failedFiles.size()) + " failed";
  const int notBegun = result.queued - result.converted - result.failed;
  if (notBegun > 0) summary += ", " + std::to_string(notBegun) + " not converted";
  if (result.stopped) summary += " (cancelled)";
  return summary;
}

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent) {
  batch_.setInterval(kBatchMilliseconds);
  connect(&batch_, &QTimer::timeout, this, &BackgroundRun::Deliver);
}

BackgroundRun::~BackgroundRun() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

void BackgroundRun::Start(RunRequest request) {
  if (running_) return;
  running_ = true;
  stop_ = false;
  shared_ = Shared();
  outcome_ = RunOutcome();
  run_ = std::make_unique<RunSettings>(std::move(request.run));
  log_ = std::make_unique<RunLog>(std::move(request.texts));
  const MessageCallback post = [this](const char* line) { Post(line); };
  log_->Channel().SetMessageCallback(post);
  log_->Channel().SetStatusCallback(post);
  log_->SetRunMessageCallback(post);
  driver_ = std::make_unique<ConversionDriver>(*run_, *log_);
  driver_->SetConsoleSink([this](std::string_view text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.clipboard.assign(text);
    shared_.clipboardChanged = true;
  });
  driver_->SetWatch({[this](size_t position, size_t total, const TextString& input) {
                       const std::lock_guard<std::mutex> lock(mutex_);
                       shared_.done = static_cast<int>(position);
                       shared_.total = static_cast<int>(total);
                       shared_.current = input;
                       shared_.progressChanged = true;
                     },
                     &stop_});
  // The window's policies are read here, on its own thread, before it can change them.
  const bool loaded = driver_->LoadPolicies() != 0;
  if (loaded) driver_->UsePolicies(*request.policies, request.policyFileName);
  batch_.start();
  thread_ =
      std::thread([this, loaded, specs = std::move(request.specs)] { Convert(loaded, specs); });
}

void BackgroundRun::Cancel() { stop_ = true; }

void BackgroundRun::Post(const char* line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  shared_.lines.emplace_back(line);
}

void BackgroundRun::Convert(bool loaded, const std::vector<TextString>& specs) {
  RunResult result;
  if (loaded) {
    for (const TextString& spec : specs)
      QueueFiles(*run_, *log_, spec, TextString(), TextString(), run_->includeSubFolders);
    result.queued = static_cast<int>(run_->queue.size());
    if (driver_->StartRun()) result = driver_->ConvertQueue();
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  outcome_.result = result;
  outcome_.requestsFailed = run_->requestsFailed;
  outcome_.failedFiles = run_->failedFiles;
  outcome_.outputFormat = run_->outputFormat;
  shared_.finished = true;
  QMetaObject::invokeMethod(this, &BackgroundRun::Deliver, Qt::QueuedConnection);
}

void BackgroundRun::Deliver() {
  Shared taken;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::swap(taken, shared_);
  }
  if (!taken.lines.empty()) emit Lines(taken.lines);
  if (taken.progressChanged)
    emit Progress(taken.done, taken.total, ToQString(MessageToUtf8(taken.current.View())));
  if (taken.clipboardChanged) emit ClipboardText(taken.clipboard);
  if (!taken.finished || !running_) return;
  batch_.stop();
  thread_.join();
  driver_.reset();
  log_.reset();
  run_.reset();
  running_ = false;
  emit Finished();
}

}  // namespace quorlex
