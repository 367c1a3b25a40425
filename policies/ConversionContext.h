#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/MessageChannel.h"
#include "foundation/RunLog.h"
#include "policies/PolicyCatalogue.h"
#include "policies/TextCommands.h"

namespace quorlex {

// A message or status line a conversion reported, kept to be given out later.
struct RecordedMessage {
  enum class Kind { kMessage, kStatus };
  Kind kind = Kind::kMessage;
  int level = 10;  // of a message; status lines have none
  std::string text;
};
using MessageRecord = std::vector<RecordedMessage>;

// The settings one conversion works with: the program's de-tagging policy set (shared by
// every context, so loading a policy file through any context changes it for all), this
// context's own general policies, its text commands and rule set, and where its messages go.
class ConversionContext {
 public:
  // `detagging` is the program's one de-tagging policy set; it must outlive the context.
  explicit ConversionContext(PolicySet& detagging);

  PolicySet& Detagging() { return *detagging_; }
  const PolicySet& Detagging() const { return *detagging_; }
  PolicySet& General() { return general_; }
  const PolicySet& General() const { return general_; }
  TextCommandList& TextCommands() { return textCommands_; }
  const TextCommandList& TextCommands() const { return textCommands_; }

  // General policies by id (GeneralPolicyId), with the section fallbacks.
  [[nodiscard]] int GeneralYesNo(int id) const;
  [[nodiscard]] int GeneralInteger(int id) const;
  [[nodiscard]] TextString GeneralText(int id) const;

  // The run whose channel and log the messages go to (null: none; not owned).
  void SetRun(RunLog* run) { run_ = run; }
  RunLog* Run() { return run_; }
  // The filter settings of the general policies ("Error reporting level", "Display
  // messages" and the five suppress policies).
  MessageSettings Settings() const;
  // A report. With a run, the run's channel is first configured from this context's
  // policies; without one the message goes to the error stream when "Display messages"
  // is set.
  void Message(const char* message, int level);
  // A status line, configured the same way; without a run it goes to the output stream
  // when "Display messages" is set.
  void Status(const char* message);
  // While a record is set, messages and status lines are appended to it as they come,
  // unfiltered, and go nowhere else (null: stop recording; not owned). A conversion on
  // another thread records what it reports, to be given out in the run's order later.
  void RecordInto(MessageRecord* record) { record_ = record; }
  // Reports the recorded messages and status lines in their order, as Message and Status
  // would have when they came.
  void Replay(const MessageRecord& record);
  // Message, as a function to hand to code that reports.
  MessageFunction Reporter();
  // Where messages go without a run (standard output and error unless set; not owned).
  void SetStreams(std::FILE* out, std::FILE* err);

  // The general policies back to their defaults, no rule set, no text commands.
  void Reset();
  // Whether TakeOver takes the flags of the policies (set, locked) with their values.
  enum class Flags { kLeft, kTakenToo };
  // Takes over every general policy that is set in `source` (with Flags::kTakenToo also its
  // flags), its rule set when it has one, and its text commands when they were set.
  void TakeOver(const ConversionContext& source, Flags flags);
  // Finds the policy (de-tagging first, then general) whose name the policy line gives, and
  // sets `value` to its value as a policy file writes it and `category` to its category.
  // Returns 0 when no policy has that name.
  int ValueTextByName(const TextString& line, TextString& value, int& category);

  // The rule set of the general policies: 0 none, 1 Merrill, 2 SEC; `ruleSetRead` says a
  // rule set line was read (a "[Rule Set]" section is then written).
  int ruleSet = 0;
  int ruleSetRead = 0;
  // Auxiliary files a policy file named.
  TextString linkDictionaryFile;
  TextString textSubstitutionFile;
  // The number of the policy-file read in progress; repeats count within one read.
  int readNumber = 0;

 private:
  PolicySet* detagging_;
  PolicySet general_;
  TextCommandList textCommands_;
  RunLog* run_ = nullptr;
  MessageRecord* record_ = nullptr;
  std::FILE* out_ = stdout;
  std::FILE* err_ = stderr;
};

}  // namespace quorlex
