#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ASCIIFile.h"
#include "foundation/MessageChannel.h"
#include "tests/support/CapturedStream.h"

namespace quorlex {
namespace {

using testing::CapturedStream;

// A LogChannel wired to captured streams, a callback that records, and a log that keeps its
// lines in memory.
struct Bench {
  LogChannel channel;
  CapturedStream out;
  CapturedStream err;
  std::vector<std::string> shown;
  std::vector<TextString> logLines;
  ASCIIFile log;

  Bench(int display, bool withCallback, bool withLog) {
    channel.SetStreams(out.Stream(), err.Stream());
    channel.SetVerbosity(5);
    channel.SetFilters(display, 1, 0, 0, 0, 0);
    if (withCallback) {
      const auto record = [this](const char* text) { shown.emplace_back(text); };
      channel.SetMessageCallback(record);
      channel.SetStatusCallback(record);
    }
    if (withLog) {
      log.SetSinkList(&logLines);
      EXPECT_EQ(1, log.OpenWrite("log", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText));
      channel.SetLogFile(&log);
    }
  }

  std::string Logged() const {
    std::string all;
    for (const TextString& line : logLines) all += std::string(line.View()) + "\n";
    return all;
  }
};

// What the filters let through: category suppression blocks everywhere, the level and
// "Display messages" only on screen.
TEST(LogChannelMessage, ReachesLogAndScreenAsTheFiltersSay) {
  static const struct {
    const char* message;
    bool suppressedByDefault;  // URL messages are suppressed unless asked for
  } kMessages[] = {
      {"INFO: Processing <META> tags", false}, {"WARNING: File is empty x.htm", false},
      {"ERROR: Error writing to file", false}, {"TAG ERROR: unclosed <b>", false},
      {"PROGRAM ERROR: bad state", false},     {"UNSUPPORTED CASE: frames", false},
      {"POLICY: unknown policy", false},       {"URL: http://example.org", true},
      {"INFO: see the page at url: x", true},  // mentioning url: makes it a URL message
  };
  for (const auto& m : kMessages) {
    for (int level : {4, 5, 10}) {
      for (int display : {0, 1}) {
        for (bool withCallback : {false, true}) {
          for (bool withLog : {false, true}) {
            SCOPED_TRACE(std::string(m.message) + " level " + std::to_string(level) + " display " +
                         std::to_string(display) + (withCallback ? " callback" : "") +
                         (withLog ? " log" : ""));
            Bench bench(display, withCallback, withLog);
            bench.channel.Message(m.message, level);
            const std::string line = std::string(m.message) + "\n";
            const bool onScreen = !m.suppressedByDefault && level >= 5 && display;
            EXPECT_EQ(withLog && !m.suppressedByDefault ? line : "", bench.Logged());
            EXPECT_EQ(onScreen && withCallback ? 1u : 0u, bench.shown.size());
            EXPECT_EQ(onScreen && !withCallback ? line : "", bench.err.Text());
            EXPECT_EQ("", bench.out.Text());
          }
        }
      }
    }
  }
}

TEST(LogChannelMessage, SuppressFlagsBlockTheirCategoryOnly) {
  static const struct {
    const char* name;
    int url, info, warning, programError, tagError;
    const char* message;
    bool blocked;
  } kCases[] = {
      {"tag errors", 0, 0, 0, 0, 1, "TAG ERROR: unclosed <b>", true},
      {"errors are never suppressed", 1, 1, 1, 1, 1, "ERROR: Error writing to file", false},
      {"program errors", 0, 0, 0, 1, 0, "PROGRAM ERROR: x", true},
      {"a tag error is not a program error", 0, 0, 0, 1, 0, "TAG ERROR: x", false},
      {"info, any case", 0, 1, 0, 0, 0, "Info: reading", true},
      {"warnings", 0, 0, 1, 0, 0, "WARNING: x", true},
      {"URL messages allowed", 0, 0, 0, 0, 0, "URL: http://x", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Bench bench(1, false, true);
    bench.channel.SetFilters(1, c.url, c.info, c.warning, c.programError, c.tagError);
    EXPECT_EQ(c.blocked ? 1 : 0, bench.channel.IsCategorySuppressed(c.message));
    bench.channel.Message(c.message, 10);
    EXPECT_EQ(c.blocked ? "" : std::string(c.message) + "\n", bench.Logged());
    EXPECT_EQ(c.blocked ? "" : std::string(c.message) + "\n", bench.err.Text());
  }
}

TEST(LogChannelStatus, NeedsAVerbosityAndIgnoresTheLevel) {
  static const struct {
    const char* name;
    int verbosity, display;
    bool withCallback;
    const char* message;
    bool logged, shown, printed;
  } kCases[] = {
      {"banner", 5, 1, false, "Processing : \"a.htm\"", true, false, true},
      {"display off keeps it off the console", 5, 0, false, "Processing", true, false, false},
      {"the status callback ignores display", 5, 0, true, "Processing", true, true, false},
      {"verbosity 0 drops it everywhere", 0, 1, true, "Processing", false, false, false},
      {"suppressed category", 5, 1, false, "URL: x", false, false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Bench bench(c.display, c.withCallback, true);
    bench.channel.SetVerbosity(c.verbosity);
    bench.channel.Status(c.message);
    const std::string line = std::string(c.message) + "\n";
    EXPECT_EQ(c.logged ? line : "", bench.Logged());
    EXPECT_EQ(c.shown ? 1u : 0u, bench.shown.size());
    EXPECT_EQ(c.printed ? line : "", bench.out.Text());
    EXPECT_EQ("", bench.err.Text());
  }
}

TEST(MessageChannel, WritesToItsStreamsAndCopiesSettings) {
  MessageChannel channel;
  EXPECT_EQ(0, channel.verbosity);
  EXPECT_EQ(1, channel.display);
  EXPECT_EQ(1, channel.IsLevelSuppressed(9));  // a new channel shows only level 10
  EXPECT_EQ(0, channel.IsLevelSuppressed(10));

  CapturedStream out;
  CapturedStream err;
  channel.SetStreams(out.Stream(), err.Stream());
  channel.SetVerbosity(5);
  channel.SetFilters(1, 0, 0, 0, 0, 0);
  channel.Message("INFO: Processing <META> tags", 10);
  channel.Status("INFO: Processing <META> tags");
  EXPECT_EQ("INFO: Processing <META> tags\n", err.Text());
  EXPECT_EQ("INFO: Processing <META> tags\n", out.Text());

  std::vector<std::string> seen;
  channel.SetMessageCallback([&seen](const char* text) { seen.emplace_back(text); });
  MessageChannel copy;
  copy.CopySettings(channel);
  EXPECT_EQ(5, copy.verbosity);
  EXPECT_EQ(0, copy.suppressUrl);
  copy.Message("URL: copied", 5);
  EXPECT_EQ(std::vector<std::string>{"URL: copied"}, seen);
  copy.Reset();
  EXPECT_EQ(0, copy.verbosity);
  EXPECT_EQ(1, copy.suppressTagError);
}

}  // namespace
}  // namespace quorlex
