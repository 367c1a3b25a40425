#include "foundation/RunLog.h"

#include <string>

#include "foundation/FileNames.h"

namespace quorlex {

namespace {
// The level of a failure to write a file (as the output pass reports one).
constexpr int kErrorLevel = 10;
}  // namespace

RunLog::RunLog(RunTexts texts) : texts_(std::move(texts)) {}

RunLog::~RunLog() { CloseLogFile(); }

void RunLog::Configure(const MessageSettings& settings) {
  channel_.SetVerbosity(settings.verbosity);
  channel_.SetFilters(settings.display, settings.suppressUrl, settings.suppressInfo,
                      settings.suppressWarning, settings.suppressProgramError,
                      settings.suppressTagError);
}

void RunLog::Message(const char* message, int level) {
  LineTracker& tracker = trackers[passKind];
  if (tracker.enabled && tracker.current != nullptr) {
    MessageToLine(tracker, message, level);
  } else {
    channel_.Message(message, level);
  }
}

void RunLog::MessageToLine(LineTracker& tracker, const char* message, int level) {
  if (channel_.IsCategorySuppressed(message)) return;
  TrackedLine& line = *tracker.current;
  if (annotateLines) {
    if (!line.annotation.IsEmpty()) line.annotation.AppendChar('\n');
    line.annotation += "*** ";
    line.annotation += message;
  }
  if (quietLines[0] || quietLines[1]) return;
  TextString text("Line ");
  text += line.number >= 0 ? line.number : tracker.currentIndex + 1;
  text += " - ";
  text += message;
  channel_.Message(text.Data(), level);
}

void RunLog::Status(const char* message) { channel_.Status(message); }

void RunLog::RunMessage(const char* message) {
  if (consoleEcho) {
    std::fputs(message, echoStream_);
    std::fputc('\n', echoStream_);
  }
  if (runMessageCallback_) runMessageCallback_(message);
  if (!runText.IsEmpty()) runText.AppendChar('\n');
  runText += "SESSION: ";
  runText += message;
  if (channel_.WriteToLog(runText)) runText.Clear();
}

TextString RunLog::WithName(const std::string& text, const TextString& name) {
  TextString result(text.c_str());
  result.ReplaceAll("ffffff", name.Data(), 0, LetterCase::kMatters);
  return result;
}

int RunLog::Refused(const TextString& name) {
  TextString refusal;
  if (runFiles_ == nullptr || runFiles_->MayWrite(name, nullptr, refusal)) return 0;
  channel_.Message(refusal.Data(), kErrorLevel);
  return 1;
}

int RunLog::TryOpenLog(const TextString& name) {
  if (!logFile_.OpenWriteWhole(name.Data(), ASCIIFile::Mode::kText)) return 0;
  channel_.SetLogFile(&logFile_);
  channel_.SetLogName(name);
  channel_.WriteHeldLines();
  if (!runText.IsEmpty() && channel_.WriteToLog(runText)) runText.Clear();
  TextString generating(texts_.generatingLog.c_str());
  generating += name;
  channel_.Status(generating.Data());
  return 1;
}

int RunLog::OpenLogFile(const TextString& logName, const TextString& outputFolder) {
  CloseLogFile();
  // A name without a folder of its own goes to the output folder.
  TextString name;
  ResolvePath(NameAndExtension(logName).Length() == logName.Length() ? outputFolder : "", logName,
              name);
  // A name the run may not write is refused, not replaced by another.
  if (!Refused(name)) {
    if (TryOpenLog(name)) return 1;
    RunMessage(WithName(texts_.failedToOpenLog, name).Data());
    ResolvePath(outputFolder, "Pellomar.log", name);
    RunMessage(WithName(texts_.openingInstead, name).Data());
    if (!Refused(name) && TryOpenLog(name)) return 1;
    RunMessage(WithName(texts_.failedToOpenLog, name).Data());
  }
  channel_.StopHolding();
  return 0;
}

int RunLog::CloseLogFile() {
  if (!channel_.IsLogOpen()) return 1;
  channel_.SetLogFile(nullptr);
  const TextString name = channel_.logName;
  if (Refused(name)) {
    logFile_.CloseAll();
    return 0;
  }
  if (logFile_.Commit()) {
    if (runFiles_ != nullptr) runFiles_->RecordWritten(name, nullptr);
    return 1;
  }
  TextString message("ERROR: Error writing to file ");
  message += name;
  message += " (";
  message += logFile_.ErrorText();
  message += ")";
  channel_.Message(message.Data(), kErrorLevel);
  return 0;
}

void RunLog::AnnounceFile(const TextString& file, const TextString& policyFile) {
  channel_.Status(std::string(50, '%').c_str());
  TextString line("Processing : \"");
  line += NameAndExtension(file);
  line += "\"";
  if (!policyFile.IsEmpty()) {
    line += " using policy file \"";
    line += NameAndExtension(policyFile);
    line += "\"";
  }
  channel_.Status(line.Data());
}

void RunLog::AnnounceCompletion() { channel_.Status(texts_.conversionComplete.c_str()); }

}  // namespace quorlex
