#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "policies/PolicyCatalogue.h"
#include "policies/PolicySection.h"

namespace quorlex {
namespace {

Policy YesNo(int id, const char* name, int value = 0) {
  return Policy(id, PolicyType::kYesNo, 1, 4, name, value);
}

TEST(PolicySection, KeepsPoliciesInIdOrderAndRefusesDuplicates) {
  PolicySection section(1);
  EXPECT_EQ("[Unknown]", section.heading.View());
  EXPECT_EQ(1, section.AddPolicy(YesNo(30, "c")));
  EXPECT_EQ(1, section.AddPolicy(YesNo(10, "a")));
  EXPECT_EQ(1, section.AddPolicy(YesNo(20, "b")));
  EXPECT_EQ(0, section.AddPolicy(YesNo(20, "b again", 1)));
  EXPECT_EQ(0, section.AddPolicy(Policy(40, static_cast<PolicyType>(8), 1, 4, "bad type", 0)));
  std::vector<int> ids;
  for (const Policy& p : section.Policies()) ids.push_back(p.id);
  EXPECT_EQ((std::vector<int>{10, 20, 30}), ids);
  EXPECT_EQ("b", section.Find(20)->name.View());
}

TEST(PolicySection, LooksUpByIdAndExactTypeWithFallbacks) {
  const PolicySet set = MakeDetaggingPolicies();
  const PolicySection& formatting = *set.Section(kTextFormattingSection);
  const PolicySection& hyperlinks = *set.Section(kTextHyperlinksSection);
  EXPECT_EQ(72, formatting.GetInteger(kPageWidth));
  EXPECT_EQ(-1, hyperlinks.GetInteger(kPageWidth));     // another section's policy
  EXPECT_EQ(-1, formatting.GetInteger(kRightJustify));  // a yes/no policy
  EXPECT_EQ(0, formatting.GetYesNo(kPageWidth));
  EXPECT_EQ(1, formatting.GetYesNo(kImposePageWidth));
  EXPECT_EQ("[removed link]", hyperlinks.GetText(kRemovedLinkText).View());
  EXPECT_EQ("**void**", formatting.GetText(kRemovedLinkText).View());
}

TEST(PolicySection, SetsByIdAndKeepsTheSetFlag) {
  PolicySet set = MakeDetaggingPolicies();
  PolicySection& formatting = *set.Section(kTextFormattingSection);
  EXPECT_EQ(1, formatting.SetInteger(kPageWidth, 60, 0));
  EXPECT_EQ(0, formatting.Find(kPageWidth)->valueSet);
  EXPECT_EQ(1, formatting.SetInteger(kPageWidth, 61, 1));
  EXPECT_EQ(1, formatting.SetInteger(kPageWidth, 62, 0));  // once set, stays set
  EXPECT_EQ(1, formatting.Find(kPageWidth)->valueSet);
  EXPECT_EQ(62, formatting.GetInteger(kPageWidth));
  EXPECT_EQ(0, formatting.SetYesNo(kPageWidth, 1, 1));  // wrong type
  EXPECT_EQ(0, formatting.SetText(999, "x", 1));        // no such id
  set.ResetAll();
  EXPECT_EQ(72, formatting.GetInteger(kPageWidth));
  EXPECT_EQ(0, formatting.Find(kPageWidth)->valueSet);
}

TEST(DetaggingPolicies, HoldTheSevenSectionsInOrder) {
  const PolicySet set = MakeDetaggingPolicies();
  std::vector<std::string> headings;
  std::vector<int> sizes;
  for (const PolicySection& section : set.Sections()) {
    headings.emplace_back(section.heading.View());
    sizes.push_back(static_cast<int>(section.Policies().size()));
    for (const Policy& policy : section.Policies()) {
      EXPECT_EQ(4, policy.category) << policy.name.View();
      EXPECT_EQ(section.number, policy.section) << policy.name.View();
    }
  }
  EXPECT_EQ(
      (std::vector<std::string>{"[Quorl]", "[Tag Manipulation]", "[Mail Tidy]", "[Text formatting]",
                                "[Text headers/footers]", "[Text hyperlinks]", "[Text tables]"}),
      headings);
  EXPECT_EQ((std::vector<int>{19, 6, 6, 15, 1, 7, 5}), sizes);
  // Ids 40 and 41 stand after 30 to 32 in their section.
  const auto& quorl = set.Section(kQuorlSection)->Policies();
  EXPECT_EQ(kRemoveStyleSheet, quorl[17].id);
  EXPECT_EQ(kRemoveImg, quorl.back().id);
  EXPECT_EQ("Insert separator betweeen email messages", set.Find(kMailSeparator)->name.View());
}

// Parses `value` into a policy of the given type through a line "Name : value".
struct Parsed {
  int taken;
  int accepted;
  std::string written;
  std::vector<std::string> messages;
};

Parsed ParseInto(Policy policy, const char* value) {
  Parsed parsed{};
  ParseRequest request;
  request.report = [&parsed](const char* message, int level) {
    parsed.messages.push_back(std::to_string(level) + ": " + message);
  };
  request.name = policy.name;
  request.value = value;
  request.line = policy.name + " : " + value;
  const TextString v(value);
  request.none = v.Equals("(none)", LetterCase::kIgnored, Blanks::kCount) ||
                 v.Equals("none", LetterCase::kIgnored, Blanks::kCount);
  request.yes = v.Equals("Yes", LetterCase::kIgnored, Blanks::kCount) ||
                v.Equals("true", LetterCase::kIgnored, Blanks::kCount);
  request.no = v.Equals("no", LetterCase::kIgnored, Blanks::kCount) ||
               v.Equals("false", LetterCase::kIgnored, Blanks::kCount);
  parsed.taken = policy.TakeLine(request);
  parsed.accepted = request.accepted;
  parsed.written = std::string(policy.WrittenValue().View());
  return parsed;
}

TEST(PolicyValues, ParseAndWriteEachType) {
  Policy ranged(1, PolicyType::kInteger, 9, 1, "Ranged", 5);
  ranged.SetRange(1, 10);
  Policy choice(2, PolicyType::kChoice, 9, 1, "Choice", -1);
  choice.SetChoices("first, Second ,third");
  const Policy integer(3, PolicyType::kInteger, 9, 1, "Number", 7);
  const Policy yesNo(4, PolicyType::kYesNo, 9, 1, "Flag", 0);
  const Policy text(5, PolicyType::kText, 9, 1, "Words", "old");
  const Policy alignment(6, PolicyType::kAlignment, 9, 1, "Align", 0);
  const Policy colour(7, PolicyType::kColour, 9, 1, "Colour", "black");
  const Policy font(8, PolicyType::kFont, 9, 1, "Font", "Arial, Regular, 10");
  const struct {
    const char* name;
    const Policy& policy;
    const char* value;
    int accepted;
    const char* written;
    const char* message;
  } kCases[] = {
      {"integer", integer, "(60)", 1, "60", ""},
      {"integer with sign", integer, "-3", 1, "-3", ""},
      {"integer none", integer, "none", 1, "-1", ""},
      {"integer with a letter", integer, "6a", 0, "7", ""},
      {"integer in range", ranged, "10", 1, "10", ""},
      {"integer out of range", ranged, "11", 0, "5",
       "10: POLICY: Ignored - Value 11 is outside allowed range (1:10)"},
      {"yes", yesNo, "TRUE", 1, "Yes", ""},
      {"no", yesNo, "No", 1, "No", ""},
      {"yes/no not understood", yesNo, "1", 0, "No",
       "10: ERROR: Don't understand policy value : 1"},
      {"text", text, "a: b", 1, "a: b", ""},
      {"text none", text, "(NONE)", 1, "(none)", ""},
      {"alignment by its first letter", alignment, "justify", 1, "justified", ""},
      {"alignment lower case", alignment, "c", 1, "center", ""},
      {"alignment unknown", alignment, "middle", 0, "(none)", ""},
      {"colour", colour, "Navy", 1, "Navy", ""},
      {"colour in hex", colour, "#00ff7F", 1, "#00ff7F", ""},
      {"colour not standard", colour, "bluish", 0, "bluish",
       "7: WARNING: \"bluish\" is not a standard HTML colour"},
      {"font", font, "Times New Roman, Bold Italic, 12", 1, "Times New Roman, Bold Italic, 12", ""},
      {"font not valid", font, "Times, Heavy, 12", 0, "Arial, Regular, 10",
       "10: WARNING: \"Times, Heavy, 12\" is not a valid font specification"},
      {"choice", choice, "second", 1, "Second", ""},
      {"choice none", choice, "(none)", 1, "(none)", ""},
      {"choice unknown", choice, "fourth", 0, "(none)", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Parsed parsed = ParseInto(c.policy, c.value);
    EXPECT_EQ(1, parsed.taken);
    EXPECT_EQ(c.accepted, parsed.accepted);
    EXPECT_EQ(c.written, parsed.written);
    EXPECT_EQ(*c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{},
              parsed.messages);
  }
}

TEST(PolicyValues, WrittenLinesPadTheNameToColumn42) {
  static const struct {
    int nameLength;
    int blanks;
  } kCases[] = {{17, 25}, {41, 1}, {42, 2}, {50, 2}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.nameLength);
    const std::string name(static_cast<size_t>(c.nameLength), 'n');
    const Policy policy(1, PolicyType::kInteger, 1, 4, name.c_str(), 72);
    EXPECT_EQ(name + std::string(static_cast<size_t>(c.blanks), ' ') + ": 72",
              policy.WrittenLine().View());
  }
}

TEST(PolicyValues, EmptyNamesReportAProgramError) {
  static const struct {
    PolicyType type;
    const char* message;
  } kCases[] = {{PolicyType::kInteger, "10: PROGRAM ERROR: Missing Int policy text"},
                {PolicyType::kYesNo, "10: PROGRAM ERROR: Missing Bool policy text"},
                {PolicyType::kChoice, "10: PROGRAM ERROR: Missing text policy text"}};
  for (const auto& c : kCases) {
    const Parsed parsed = ParseInto(Policy(1, c.type, 1, 4, "", 0), "5");
    EXPECT_EQ(0, parsed.taken);
    EXPECT_EQ(std::vector<std::string>{c.message}, parsed.messages);
  }
}

TEST(PolicyProgramSet, ImposesUnsetValuesAndLocks) {
  std::vector<std::string> messages;
  const MessageFunction report = [&messages](const char* m, int) { messages.emplace_back(m); };
  Policy width(kPageWidth, PolicyType::kInteger, 5, 4, "Target Page width", 72);

  width.ProgramSetNumber(60, 0, 1, report);  // not set yet: stored
  EXPECT_EQ(60, width.number);
  EXPECT_EQ(1, width.valueSet);
  EXPECT_EQ(1, width.locked);
  width.ProgramSetNumber(50, 0, 1, report);  // locked: nothing happens
  EXPECT_EQ(60, width.number);
  width.ProgramSetNumber(50, 1, 1, report);  // forced
  EXPECT_EQ(50, width.number);
  EXPECT_TRUE(messages.empty());

  Policy flag(kRemoveAllTags, PolicyType::kYesNo, 1, 4, "Remove all tags", 1);
  Policy text(kRemovedLinkText, PolicyType::kText, 7, 4, "Text to replace removed links by", "");
  flag.valueSet = 1;  // the user's value
  text.valueSet = 1;
  text.text = "[gone]";
  flag.ProgramSetNumber(0, 0, 1, report);
  text.ProgramSetText("x", 0, 1, report);
  text.ProgramSetText("y", 0, 1, report);  // locked now: no second report
  EXPECT_EQ(1, flag.number);
  EXPECT_EQ("[gone]", text.text.View());
  EXPECT_EQ((std::vector<std::string>{
                "INFO: Ruleset overrided - Remove all tags : Yes",
                "INFO: Ruleset overrided - Text to replace removed links by : \"[gone]\""}),
            messages);
}

TEST(PolicyMerge, TakesOverOnlySetValues) {
  Policy target(1, PolicyType::kText, 3, 3, "Output log filename", "Pellomar.log");
  Policy source = target;
  target.Merge(source, 1);  // not set: nothing taken
  EXPECT_EQ(0, target.valueSet);
  source.text = "run.log";
  source.valueSet = 1;
  source.locked = 1;
  target.Merge(source, 0);
  EXPECT_EQ("run.log", target.text.View());
  EXPECT_EQ(0, target.valueSet);
  target.Merge(source, 1);
  EXPECT_EQ(1, target.valueSet);
  EXPECT_EQ(1, target.locked);
}

}  // namespace
}  // namespace quorlex
