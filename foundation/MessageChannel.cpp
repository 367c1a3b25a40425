#include "foundation/MessageChannel.h"

#include "foundation/ASCIIFile.h"
#include "foundation/Ascii.h"

namespace quorlex {
namespace {

// The categories that can be suppressed, in the order they are tested.
enum Category { kUrl, kInfo, kWarning, kProgramError, kTagError, kCategoryCount };
constexpr const char* kCategoryTexts[kCategoryCount] = {
    "URL:", "INFO:", "WARNING:", "PROGRAM ERROR:", "TAG ERROR:"};

// Whether `text` holds `upperNeedle` (written in upper case) anywhere, ignoring case.
bool ContainsNoCase(const char* text, const char* upperNeedle) {
  for (const char* start = text; *start != 0; ++start) {
    const char* t = start;
    const char* n = upperNeedle;
    while (*n != 0 && ToAsciiUpper(*t) == *n) {
      ++t;
      ++n;
    }
    if (*n == 0) return true;
  }
  return false;
}

void WriteLine(std::FILE* stream, const char* text) {
  // A failed write only leaves the stream's error state set: messages never stop a run.
  std::fputs(text, stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

MessageChannel::MessageChannel() { Reset(); }

MessageChannel::~MessageChannel() = default;

void MessageChannel::CopySettings(const MessageChannel& other) {
  Reset();
  messageCallback = other.messageCallback;
  statusCallback = other.statusCallback;
  verbosity = other.verbosity;
  SetFilters(other.display, other.suppressUrl, other.suppressInfo, other.suppressWarning,
             other.suppressProgramError, other.suppressTagError);
}

void MessageChannel::Reset() {
  messageCallback = nullptr;
  statusCallback = nullptr;
  verbosity = 0;
  SetFilters(1, 1, 1, 1, 1, 1);
}

void MessageChannel::Message(const char* message, int level) {
  text.Assign(message);
  if (!IsLevelSuppressed(level) && !IsCategorySuppressed(text.Data())) Show(text.Data());
}

void MessageChannel::Status(const char* message) {
  if (verbosity <= 0) return;
  text.Assign(message);
  if (!IsCategorySuppressed(text.Data())) ShowStatus(text.Data());
}

int MessageChannel::IsCategorySuppressed(const char* message) const {
  if (message == nullptr) return 0;
  const int suppressed[kCategoryCount] = {suppressUrl, suppressInfo, suppressWarning,
                                          suppressProgramError, suppressTagError};
  for (int c = 0; c < kCategoryCount; ++c) {
    if (suppressed[c] && ContainsNoCase(message, kCategoryTexts[c])) return 1;
  }
  return 0;
}

int MessageChannel::IsLevelSuppressed(int level) const {
  return (level < 10 - verbosity || !display) ? 1 : 0;
}

void MessageChannel::SetFilters(int displayOn, int url, int info, int warning, int programError,
                                int tagError) {
  display = displayOn;
  suppressUrl = url;
  suppressInfo = info;
  suppressWarning = warning;
  suppressProgramError = programError;
  suppressTagError = tagError;
}

void MessageChannel::SetStreams(std::FILE* out, std::FILE* err) {
  out_ = out;
  err_ = err;
}

void MessageChannel::Show(const char* message) const {
  if (messageCallback) {
    messageCallback(message);
  } else {
    WriteLine(err_, message);
  }
}

void MessageChannel::ShowStatus(const char* message) const {
  if (statusCallback) {
    statusCallback(message);
  } else if (display) {
    WriteLine(out_, message);
  }
}

// --- LogChannel -------------------------------------------------------------------------

void LogChannel::Reset() {
  MessageChannel::Reset();
  logName.Clear();
  logFile = nullptr;
  StopHolding();
}

void LogChannel::Message(const char* message, int level) {
  text.Assign(message);
  const bool hidden = IsLevelSuppressed(level);
  const bool blocked = IsCategorySuppressed(text.Data());
  if (blocked) return;
  WriteToLog(text);
  if (!hidden) Show(text.Data());
}

void LogChannel::Status(const char* message) {
  if (verbosity <= 0) return;
  text.Assign(message);
  if (IsCategorySuppressed(text.Data())) return;
  WriteToLog(text);
  ShowStatus(text.Data());
}

int LogChannel::IsLogOpen() const { return (logFile != nullptr && logFile->IsOpen()) ? 1 : 0; }

int LogChannel::WriteToLog(const TextString& line) {
  if (IsLogOpen()) return logFile->WriteLine(line);
  if (!holding_) return 0;
  held_.push_back(line);
  return 1;
}

void LogChannel::StopHolding() {
  holding_ = false;
  held_.clear();
}

void LogChannel::WriteHeldLines() {
  holding_ = false;
  for (const TextString& line : held_) WriteToLog(line);
  held_.clear();
}

}  // namespace quorlex
