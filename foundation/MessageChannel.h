#pragma once

#include <cstdio>
#include <functional>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

class ASCIIFile;

// Receives a message or status text (the desktop's status window, say).
using MessageCallback = std::function<void(const char* text)>;

// Receives a message and its level: how code that reports something is handed the place
// its messages go (a conversion context, or a run's channel).
using MessageFunction = std::function<void(const char* message, int level)>;

// The sink for the one-line messages of a conversion. A message's category is the text it
// carries ("INFO:", "WARNING:", "ERROR:", "TAG ERROR:", ...): five categories can be
// suppressed, found anywhere in the message ignoring case, in this order: "URL:", "INFO:",
// "WARNING:", "PROGRAM ERROR:", "TAG ERROR:". Every message has a level from 1 to 10 (10 is
// the usual one); lower levels are chattier and hidden on screen when the level is below 10
// minus `verbosity` (the "Error reporting level").
//
// The plain channel shows a message through the message callback, or on the error stream
// when there is none, unless it is hidden by level or "Display messages" or suppressed by
// category; status lines (banners, progress) go to the status callback, or to the output
// stream when "Display messages" is set. A new channel has no callbacks, verbosity 0 and all
// six flags set.
class MessageChannel {
 public:
  MessageChannel();
  virtual ~MessageChannel();

  // Resets, then takes over the other channel's callbacks, verbosity and flags.
  virtual void CopySettings(const MessageChannel& other);
  // No callbacks, verbosity 0, all six flags set.
  virtual void Reset();
  // Shows `message` unless it is hidden by level or suppressed by category.
  virtual void Message(const char* message, int level);
  // Shows a status line unless verbosity is 0 or less or the category is suppressed.
  // Status lines are not filtered by level.
  virtual void Status(const char* message);
  // 1 if the message holds a category text whose suppress flag is set, else 0.
  virtual int IsCategorySuppressed(const char* message) const;
  // 1 if level < 10 - verbosity, or if display is 0; else 0.
  virtual int IsLevelSuppressed(int level) const;

  void SetMessageCallback(MessageCallback callback) { messageCallback = std::move(callback); }
  void SetStatusCallback(MessageCallback callback) { statusCallback = std::move(callback); }
  void SetVerbosity(int level) { verbosity = level; }
  void SetFilters(int displayOn, int url, int info, int warning, int programError, int tagError);
  // Where messages without a callback go: `out` for status lines, `err` for messages.
  // Standard output and standard error unless set; not owned.
  void SetStreams(std::FILE* out, std::FILE* err);

  MessageCallback messageCallback;
  MessageCallback statusCallback;
  TextString text;  // the last message or status line offered
  int verbosity = 0;
  int display = 1;
  int suppressUrl = 1;
  int suppressInfo = 1;
  int suppressWarning = 1;
  int suppressProgramError = 1;
  int suppressTagError = 1;

 protected:
  // Shows a message that passed the filters: the callback, or a line on the error stream.
  void Show(const char* message) const;
  // Shows a status line that passed the filters: the callback, or, with display set, a
  // line on the output stream.
  void ShowStatus(const char* message) const;

 private:
  std::FILE* out_ = stdout;
  std::FILE* err_ = stderr;
};

// The channel of one conversion run, which also writes to the run's log file. The log
// receives every message that is not suppressed by category, whatever its level and
// whatever "Display messages" says; the screen receives only what passes both filters.
class LogChannel : public MessageChannel {
 public:
  // Also forgets the log name and file.
  void Reset() override;
  void Message(const char* message, int level) override;
  void Status(const char* message) override;
  // 1 if a log file is set and open.
  virtual int IsLogOpen() const;
  // Writes `line` to the log; returns the write's result, or 0 without a log. While lines
  // are held for a log that is not open yet, the line is kept and 1 returned.
  virtual int WriteToLog(const TextString& line);

  // Keeps what the log would receive until a log file is set (the run's files are listed
  // before its log opens), or StopHolding drops it.
  void HoldForLog() { holding_ = true; }
  void StopHolding();
  // Writes the lines held to the log file, which must be open, and stops holding.
  void WriteHeldLines();

  void SetLogName(const TextString& name) { logName = name; }
  // The log file is the run's; the channel only points to it (null: none).
  void SetLogFile(ASCIIFile* file) { logFile = file; }

  TextString logName;
  ASCIIFile* logFile = nullptr;

 private:
  bool holding_ = false;
  std::vector<TextString> held_;
};

}  // namespace quorlex
