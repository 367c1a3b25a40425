#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policies/ConversionContext.h"
#include "policies/PolicyFile.h"
#include "tests/support/CapturedStream.h"

namespace quorlex {
namespace {

using testing::CapturedStream;

TEST(ConversionContext, SharesTheDetaggingPoliciesButNotTheGeneralOnes) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext first(policies);
  ConversionContext second(policies);
  int category = 0;
  EXPECT_EQ(0, ParsePolicyLine(first, "Target Page width : 40", 1, category));
  EXPECT_EQ(0, ParsePolicyLine(first, "Output log filename : a.log", 1, category));
  EXPECT_EQ(40, second.Detagging().Find(kPageWidth)->number);
  EXPECT_EQ("Pellomar.log", second.GeneralText(kOutputLogFilename).View());
}

TEST(ConversionContext, ShowsMessagesWithoutARunWhenDisplayIsOn) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  CapturedStream out;
  CapturedStream err;
  context.SetStreams(out.Stream(), err.Stream());
  context.Message("WARNING: shown", 10);
  context.Status("Processing : \"a.htm\"");
  context.General().Find(kDisplayMessages)->number = 0;
  context.Message("WARNING: hidden", 10);
  context.Status("hidden");
  EXPECT_EQ("WARNING: shown\n", err.Text());
  EXPECT_EQ("Processing : \"a.htm\"\n", out.Text());
}

TEST(ConversionContext, ConfiguresTheRunFromItsPolicies) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  RunLog run;
  CapturedStream out;
  CapturedStream err;
  run.Channel().SetStreams(out.Stream(), err.Stream());
  context.SetRun(&run);
  int category = 0;
  context.Message("INFO: first", 10);
  EXPECT_EQ(0, ParsePolicyLine(context, "Suppress INFO messages : Yes", 1, category));
  context.Message("INFO: second", 10);
  EXPECT_EQ(0, ParsePolicyLine(context, "Error reporting level : 8", 1, category));
  context.Message("WARNING: level 2", 2);
  context.Message("WARNING: level 1", 1);
  EXPECT_EQ("INFO: first\nWARNING: level 2\n", err.Text());
}

TEST(ConversionContext, RecordsWhatItReportsAndReplaysItAsIfReportedThen) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  RunLog run;
  CapturedStream out;
  CapturedStream err;
  run.Channel().SetStreams(out.Stream(), err.Stream());
  run.Channel().display = 1;
  context.SetRun(&run);
  MessageRecord record;
  context.RecordInto(&record);
  context.Status("INFO: Reading input file a.htm");
  context.Message("WARNING: first", 10);
  context.Message("WARNING: hidden by level", 1);
  context.RecordInto(nullptr);
  EXPECT_EQ("", err.Text() + out.Text());
  ASSERT_EQ(3U, record.size());
  context.Replay(record);
  EXPECT_EQ("WARNING: first\n", err.Text());
}

TEST(ConversionContext, TakesOverWhatTheOtherContextSet) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext base(policies);
  ConversionContext command(policies);
  int category = 0;
  EXPECT_EQ(0, ParsePolicyLine(command, "Create a log file : Yes", 1, category));
  EXPECT_EQ(0, ParsePolicyLine(command, "Rule set to be used : SEC", 1, category));
  EXPECT_EQ(0, ParsePolicyLine(command, "Text command : remove_text string \"x\"", 1, category));
  base.General().Find(kOutputLogFilename)->text = "kept.log";
  base.TakeOver(command, ConversionContext::Flags::kTakenToo);
  EXPECT_EQ(1, base.GeneralYesNo(kCreateLogFile));
  EXPECT_EQ(1, base.General().Find(kCreateLogFile)->valueSet);
  EXPECT_EQ("kept.log", base.GeneralText(kOutputLogFilename).View());  // not set there
  EXPECT_EQ(2, base.ruleSet);
  EXPECT_EQ(1u, base.TextCommands().Commands().size());
  base.Reset();
  EXPECT_EQ(0, base.GeneralYesNo(kCreateLogFile));
  EXPECT_EQ(0u, base.TextCommands().Commands().size());
}

TEST(ConversionContext, GivesAPolicyValueByName) {
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  static const struct {
    const char* line;
    int found;
    const char* value;
    int category;
  } kCases[] = {
      {"Target Page width : 10", 1, "72", 4},
      {"target  page width", 1, "72", 4},
      {"Text to replace removed links by :", 1, "[removed link]", 4},
      {"Output log filename", 1, "Pellomar.log", 3},
      {"End tag delimiter : x", 1, "]]", 2},
      {"Nothing : 1", 0, "", -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    TextString value;
    int category = -1;
    EXPECT_EQ(c.found, context.ValueTextByName(c.line, value, category));
    EXPECT_EQ(c.value, value.View());
    EXPECT_EQ(c.category, category);
  }
}

}  // namespace
}  // namespace quorlex
