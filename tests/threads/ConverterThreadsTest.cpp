// Many threads converting at once through the library: every e2e input and sample page,
// under converters of different policies, in text and markup mode, taken by 8 threads in
// turn. Each result must be byte for byte the one the same conversion gives alone. Run
// under ThreadSanitizer (QUORLEX_TSAN), this also shows that no state is shared unguarded.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "quorlex/quorlex.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Documents() {
  std::vector<std::string> documents;
  for (const char* folder : {QUORLEX_E2E_DIR, QUORLEX_WEB_DIR}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const fs::path input = entry.path() / "input.htm";
      if (fs::exists(input)) documents.push_back(testing::TempFolder::ReadFile(input.string()));
    }
  }
  return documents;
}

// One conversion to make: which converter, which document, which mode.
struct Job {
  const Converter* converter;
  const std::string* document;
  bool markup;
};

// The text and the messages, so that both are compared.
std::string Outcome(const Job& job) {
  const Result result = job.markup ? job.converter->RemoveMarkup(*job.document)
                                   : job.converter->ToText(*job.document);
  std::string all = result.ok ? "ok\n" : "failed\n";
  for (const Message& message : result.messages) all += message.text + "\n";
  return all + result.text;
}

TEST(ConverterThreads, ConvertEveryDocumentAsTheyDoAlone) {
  constexpr int kThreads = 8;
  const std::vector<std::string> documents = Documents();
  ASSERT_GT(documents.size(), 40U);
  const Converter converters[] = {
      Converter(),
      Converter::FromPolicies({{"Target Page width", "40"},
                               {"Right justify the output text", "Yes"},
                               {"Attempt to parse tables", "No"}}),
      Converter::FromPolicyText("Output character set : 8-bit\nRemove HTML-style comments : No\n",
                                {.headerBox = true}),
  };
  std::vector<Job> jobs;
  for (const Converter& converter : converters) {
    ASSERT_TRUE(converter.ok());
    for (const std::string& document : documents) {
      jobs.push_back({&converter, &document, false});
      jobs.push_back({&converter, &document, true});
    }
  }
  std::vector<std::string> alone;
  for (const Job& job : jobs) alone.push_back(Outcome(job));

  // Every thread makes every conversion, each starting at its own place in the list, so
  // that different documents, converters and modes run side by side.
  std::vector<std::vector<std::string>> together(kThreads, std::vector<std::string>(jobs.size()));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const size_t start = jobs.size() * t / kThreads;
      for (size_t k = 0; k < jobs.size(); ++k) {
        const size_t index = (start + k) % jobs.size();
        together[t][index] = Outcome(jobs[index]);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t) {
    for (size_t index = 0; index < jobs.size(); ++index) {
      ASSERT_EQ(alone[index], together[t][index]) << "thread " << t << ", job " << index;
    }
  }
}

}  // namespace
}  // namespace quorlex
