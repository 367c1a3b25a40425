// quorlexrun ended by a signal at any moment of its run: it leaves no temporary file behind,
// and an output that exists is complete. Each run converts a page with a log, in a folder of
// its own, and is sent an ending signal after a random delay spread over the life of a run.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;
using Clock = std::chrono::steady_clock;

// Hundreds of runs, but never more than about 20 seconds; the sanitizer build, several times
// slower, stops after fewer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kMaxRuns = 120;
#else
constexpr int kMaxRuns = 600;
#endif
constexpr auto kTimeLimit = std::chrono::seconds(20);

// A page that takes the program a few milliseconds to convert.
std::string Page() {
  std::string page = "<html><head><title>Interrupted</title></head><body>\n";
  for (int i = 0; i < 200; ++i) {
    const std::string n = std::to_string(i);
    page += "<h2>Part " + n + "</h2><p>Paragraph " + n +
            " with <b>bold</b> words and a <a href=\"" + "https://example.org/p" + n +
            "\">link</a>, long enough to be wrapped.</p>\n";
  }
  return page + "</body></html>\n";
}

// The output without its header box's date, which changes when a run crosses midnight.
std::string WithoutDate(const std::string& output) {
  const size_t at = output.find("Create date");
  if (at == std::string::npos) return output;
  const size_t end = output.find('\n', at);
  return output.substr(0, at) + (end == std::string::npos ? "" : output.substr(end));
}

// Mostly SIGTERM, as a service manager or `timeout` sends it; every other run one of the
// other signals a user or a terminal sends.
int SignalForRun(int run) {
  static const int kOthers[] = {SIGINT, SIGHUP, SIGQUIT};
  return run % 2 == 0 ? SIGTERM : kOthers[(run / 2) % 3];
}

// The names in `folder` that have the form of a writer's temporary file: hidden names that
// hold ".qxtmp-", or ".tmp-" as earlier versions wrote them.
std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.' &&
        (name.find(".qxtmp-") != std::string::npos || name.find(".tmp-") != std::string::npos)) {
      names.push_back(name);
    }
  }
  return names;
}

// Starts the program on page.htm in `folder`, with a log.
pid_t StartRun(const TempFolder& folder) {
  return testing::StartProgram(QUORLEX_RUN, {"page.htm", "/LOG=run.log"}, folder.Path(),
                               "/dev/null", "/dev/null", "/dev/null");
}

TEST(Interrupt, LeavesNoTemporaryFileAndNoPartialOutput) {
  // SIGQUIT would leave a core file in the run's folder.
  rlimit core{};
  getrlimit(RLIMIT_CORE, &core);
  core.rlim_cur = 0;
  setrlimit(RLIMIT_CORE, &core);
  const std::string page = Page();

  // Runs left alone give the expected output and the length of a run's life (the median of
  // a few, as the machine may be busy).
  TempFolder reference;
  reference.Write("page.htm", page);
  std::vector<Clock::duration> lives;
  int status = 0;
  for (int i = 0; i < 5; ++i) {
    const auto started = Clock::now();
    ASSERT_EQ(0, waitpid(StartRun(reference), &status, 0) > 0 ? WEXITSTATUS(status) : -1);
    lives.push_back(Clock::now() - started);
  }
  std::sort(lives.begin(), lives.end());
  const auto life = std::chrono::duration_cast<std::chrono::microseconds>(lives[lives.size() / 2]);
  const std::string expected = WithoutDate(reference.Read("page.txt"));
  ASSERT_FALSE(expected.empty());

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> delays(0, static_cast<long>(life.count()));
  int runs = 0;
  int endedBySignal = 0;
  int temporaryFiles = 0;
  int partialOutputs = 0;
  std::string firstLeftOver;
  const auto start = Clock::now();
  while (runs < kMaxRuns && Clock::now() - start < kTimeLimit) {
    TempFolder folder;
    folder.Write("page.htm", page);
    const int signal = SignalForRun(runs++);
    const pid_t child = StartRun(folder);
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(delays(random)));
    kill(child, signal);
    ASSERT_EQ(child, waitpid(child, &status, 0));

    // The run ends by the signal, or finished before the signal came.
    if (WIFSIGNALED(status)) {
      EXPECT_EQ(signal, WTERMSIG(status));
      ++endedBySignal;
    } else {
      EXPECT_EQ(0, WEXITSTATUS(status));
      EXPECT_TRUE(std::filesystem::exists(folder / "run.log"));
    }
    const std::vector<std::string> left = TemporaryFiles(folder.Path());
    temporaryFiles += static_cast<int>(left.size());
    if (!left.empty() && firstLeftOver.empty()) firstLeftOver = left.front();
    if (std::filesystem::exists(folder / "page.txt") &&
        WithoutDate(folder.Read("page.txt")) != expected) {
      ++partialOutputs;
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf(
      "%d runs in %.1f s (a run lives %.1f ms, seed %u), %d ended by the signal: %d "
      "temporary files left, %d partial outputs\n",
      runs, seconds, static_cast<double>(life.count()) / 1000, seed, endedBySignal, temporaryFiles,
      partialOutputs);
  EXPECT_EQ(0, temporaryFiles) << "first left over: " << firstLeftOver;
  EXPECT_EQ(0, partialOutputs);
  EXPECT_GT(endedBySignal, 0);
}

}  // namespace
}  // namespace quorlex
