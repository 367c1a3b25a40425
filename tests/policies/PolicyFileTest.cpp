#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "policies/PolicyFile.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::CapturedStream;
using testing::TempFolder;

// A context over its own de-tagging set, whose messages are captured.
class PolicyFileTest : public ::testing::Test {
 protected:
  PolicyFileTest() : context_(policies_) { context_.SetStreams(out_.Stream(), err_.Stream()); }

  // Reads a policy file with the given text; returns what Read returned.
  int Read(const std::string& text, const std::string& name = "test.pol") {
    const std::string path = folder_.Write(name, text);
    PolicyFileReader reader(context_);
    reader.SetInputFolder(inputFolder_.c_str());
    return reader.Read(path.c_str(), &error_);
  }

  std::vector<std::string> Messages() {
    std::vector<std::string> lines;
    std::istringstream in(err_.Text());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string WrittenText(Written written) {
    std::vector<TextString> lines;
    ASCIIFile out;
    out.SetSinkList(&lines);
    EXPECT_EQ(1, out.OpenWrite("sink", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText));
    EXPECT_EQ(1, WritePolicies(context_, out, written));
    std::string text;
    for (const TextString& line : lines) text += std::string(line.View()) + "\n";
    return text;
  }

  const Policy& Find(int id) { return *policies_.Find(id); }

  TempFolder folder_;
  std::string inputFolder_;
  PolicySet policies_ = MakeDetaggingPolicies();
  ConversionContext context_;
  CapturedStream out_;
  CapturedStream err_;
  TextString error_;
};

TEST_F(PolicyFileTest, FindsPoliciesByNameWhateverTheSpacingCaseOrHeading) {
  EXPECT_EQ(1, Read("[Text tables]\n"
                    "  target   page WIDTH   :    60  \n"
                    "Remove all tags: TRUE\n"
                    "\tText to replace removed links by\t:\tnone\n"
                    "Display link URLs : yes\n"));
  EXPECT_EQ(60, Find(kPageWidth).number);
  EXPECT_EQ(1, Find(kPageWidth).valueSet);
  EXPECT_EQ(1, Find(kRemoveAllTags).number);
  EXPECT_EQ("", Find(kRemovedLinkText).text.View());
  EXPECT_EQ(1, Find(kDisplayLinkUrls).number);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PolicyFileTest, SkipsCommentsHeadingsAndRuleLines) {
  EXPECT_EQ(1, Read("! a comment\n"
                    "# another\n"
                    "\n"
                    "   \n"
                    "[Quorl]\n"
                    "[General Analysis]\n"
                    "------------------------\n"
                    "Preserve short lines : No\n"));
  EXPECT_EQ(0, Find(kPreserveShortLines).number);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PolicyFileTest, ReportsLinesItCannotTake) {
  static const struct {
    const char* name;
    const char* line;
    std::vector<std::string> messages;
  } kCases[] = {
      {"missing colon",
       "Target Page width",
       {"POLICY: Ignored - Missing colon in \"Target Page width\"",
        "POLICY: Ignored - \\Target Page width\\"}},
      {"unknown bracketed line", "[Not a heading]", {"POLICY: Ignored - \\[Not a heading]\\"}},
      {"unknown policy",
       "Make everything pretty : Yes",
       {"POLICY: Ignored - \\Make everything pretty : Yes\\"}},
      {"yes/no value not understood",
       "Remove all tags : 1",
       {"ERROR: Don't understand policy value : 1", "POLICY: Ignored - \\Remove all tags : 1\\"}},
      {"number with a letter",
       "Target Page width : 6a",
       {"POLICY: Ignored - \\Target Page width : 6a\\"}},
      {"rule set line naming no rule set",
       "Rule set to be used : other",
       {"POLICY: Ignored - \\Rule set to be used : other\\"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PolicySet policies = MakeDetaggingPolicies();
    ConversionContext context(policies);
    CapturedStream err;
    context.SetStreams(err.Stream(), err.Stream());
    const std::string path = folder_.Write("bad.pol", std::string(c.line) + "\n");
    TextString error;
    EXPECT_EQ(0, PolicyFileReader(context).Read(path.c_str(), &error));
    std::string expected;
    for (const std::string& m : c.messages) expected += m + "\n";
    EXPECT_EQ(expected, err.Text());
    EXPECT_EQ(c.messages.back(), error.View());
    EXPECT_EQ(72, policies.Find(kPageWidth)->number);
    EXPECT_EQ(1, policies.Find(kRemoveAllTags)->number);
  }
}

TEST_F(PolicyFileTest, KeepsTheFirstOfARepeatedPolicy) {
  EXPECT_EQ(0, Read("Target Page width : 60\nTarget Page width : 80\n"));
  EXPECT_EQ(60, Find(kPageWidth).number);
  EXPECT_EQ((std::vector<std::string>{"POLICY: Ignoring repeated policy \\Target Page width\\",
                                      "POLICY: Ignored - \\Target Page width : 80\\"}),
            Messages());
  // A new read is a new read: the value may change again without a report.
  EXPECT_EQ(1, Read("Target Page width : 70\n", "second.pol"));
  EXPECT_EQ(70, Find(kPageWidth).number);
}

TEST_F(PolicyFileTest, IncludesFilesBesideThePolicyFileOrInTheInputFolder) {
  folder_.Write("inc/beside.pol", "Target Page width : 50\n");
  folder_.Write("input/fallback.pol", "Right justify the output text : Yes\n");
  inputFolder_ = folder_ / "input/";
  EXPECT_EQ(1, Read("include file : beside.pol\n"
                    "Include File: fallback.pol\n"
                    "First line indent for paragraphs : 3\n",
                    "inc/main.pol"));
  EXPECT_EQ(50, Find(kPageWidth).number);
  EXPECT_EQ(1, Find(kRightJustify).number);
  EXPECT_EQ(3, Find(kFirstLineIndent).number);

  EXPECT_EQ(0, Read("include file : missing.pol\nOutput table format : 2\n", "inc/other.pol"));
  EXPECT_EQ(2, Find(kTableFormat).number);  // the outer file goes on
  EXPECT_EQ("** Failed to open policy include file missing.pol ***", error_.View());
}

TEST_F(PolicyFileTest, StopsIncludingItselfAndSwitchesFiles) {
  // A file that is being read is not read again: the include fails once and the rest of
  // the file is read.
  EXPECT_EQ(0, Read("include file : self.pol\nAdd border to all tables : Yes\n", "self.pol"));
  const std::vector<std::string> messages = Messages();
  EXPECT_EQ(1, std::count(messages.begin(), messages.end(),
                          "** Failed to open policy include file self.pol ***"));
  EXPECT_EQ(1, Find(kBorderOnAllTables).number);

  folder_.Write("next.pol", "Look for dialogue lines : Yes\n");
  EXPECT_EQ(1, Read("Switch to file : next.pol\nApply extra dialogue checks : Yes\n", "s.pol"));
  EXPECT_EQ(1, Find(kLookForDialogue).number);
  EXPECT_EQ(0, Find(kExtraDialogueChecks).number);  // the rest of the first file is dropped
}

// Editors may start a file with a UTF-8 byte-order mark; its first line still counts.
TEST_F(PolicyFileTest, TakesAByteOrderMarkOffTheFirstLineOfEachFile) {
  const std::string mark = "\xEF\xBB\xBF";
  folder_.Write("first.pol", mark + "Target Page width : 50\n");
  folder_.Write("next.pol", mark + "Look for dialogue lines : Yes\n");
  EXPECT_EQ(1, Read(mark + "First line indent for paragraphs : 3\ninclude file : first.pol\n"
                           "Switch to file : next.pol\n"));
  EXPECT_EQ(3, Find(kFirstLineIndent).number);
  EXPECT_EQ(50, Find(kPageWidth).number);
  EXPECT_EQ(1, Find(kLookForDialogue).number);
}

TEST_F(PolicyFileTest, NeverSwitchesBackToAFileBeingRead) {
  folder_.Write("b.pol", "Output table format : 3\nSwitch to file : a.pol\n");
  folder_.Write("e.pol", "Output table format : 4\nSwitch to file : d.pol\n");
  const struct {
    const char* name;
    const char* file;
    const char* text;
    const char* failure;
    int tableFormat;
  } kCases[] = {
      {"to itself", "self.pol", "Output table format : 2\nSwitch to file : self.pol\n", "self.pol",
       2},
      {"round two files", "a.pol", "Switch to file : b.pol\nOutput table format : 9\n", "a.pol", 3},
      {"from an included file to its includer", "d.pol", "include file : e.pol\n", "d.pol", 4},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(0, Read(c.text, c.file));
    EXPECT_EQ("** Failed to open policy include file " + std::string(c.failure) + " ***",
              error_.View());
    EXPECT_EQ(c.tableFormat, Find(kTableFormat).number);
  }
}

TEST_F(PolicyFileTest, NamesAuxiliaryFiles) {
  folder_.Write("links.dic", "x");
  EXPECT_EQ(0, Read("Link Dictionary File : links.dic\n"
                    "Text Substitution File : missing.txt\n"
                    "Link Dictionary File : (none)\n"));
  EXPECT_EQ(folder_ / "links.dic", context_.linkDictionaryFile.View());
  EXPECT_EQ(std::vector<std::string>{"** Failed to open text substuitution file missing.txt ***"},
            Messages());
}

TEST_F(PolicyFileTest, SelectsARuleSet) {
  EXPECT_EQ(1, Read("Rule set to be used : Merrill\nRule set to be used : SEC\n"));
  EXPECT_EQ(2, context_.ruleSet);
  EXPECT_EQ(std::vector<std::string>{"WARNING: Changing rule set - Rule set to be used : SEC"},
            Messages());
  EXPECT_NE(std::string::npos,
            WrittenText(Written::kSetOnly)
                .find("\n\n[Rule Set]\n\nRule set to be used              : SEC\n"));
}

TEST_F(PolicyFileTest, ParsesSingleLinesWithTheirOutcome) {
  static const struct {
    const char* line;
    int result;
    int category;
  } kCases[] = {
      {"Target Page width : 66", 0, 4},
      {"Target Page width : x", 2, 4},
      {"[Text tables]", 0, 2},
      {"[Frames]", 0, 0},
      {"! comment", 0, 0},
      {"Output log filename : run.log", 0, 3},
      {"Start tag delimiter : <<", 0, 2},
      {"Nothing here : 1", 1, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    int category = -1;
    EXPECT_EQ(c.result, ParsePolicyLine(context_, c.line, 0, category));
    EXPECT_EQ(c.category, category);
  }
  EXPECT_EQ(66, Find(kPageWidth).number);
  EXPECT_EQ("run.log", context_.GeneralText(kOutputLogFilename).View());
}

TEST_F(PolicyFileTest, WritesOnlySetPoliciesUnlessAskedForAll) {
  EXPECT_EQ("", WrittenText(Written::kSetOnly));
  const std::string all = WrittenText(Written::kAll);
  EXPECT_EQ(std::string::npos, all.find("[Mail Tidy]"));
  EXPECT_EQ(0u, all.find("\n\n[Quorl]\n\nRemove all tags                           : Yes\n"
                         "Remove all HTML tags                      : No\n"));
  EXPECT_NE(std::string::npos,
            all.find("\n\n[Text tables]\n\nAttempt to parse tables                   : Yes\n"
                     "Output table format                       : 1\n"));
  EXPECT_NE(std::string::npos,
            all.find("Text to replace removed links by          : [removed link]\n"));

  EXPECT_EQ(1, Read("Insert separator betweeen email messages : Yes\n"
                    "Error reporting level : 7\n"
                    "Output log filename : run.log\n"
                    "Text to replace removed links by : none\n"));
  EXPECT_EQ(
      "\n\n[Text hyperlinks]\n\n"
      "Text to replace removed links by          : (none)\n"
      "\n\n[Mail Tidy]\n\n"
      "Insert separator betweeen email messages  : Yes\n"
      "\n\n[Messages]\n\n"
      "Error reporting level                     : 7\n"
      "Suppress URL messages                     : Yes\n"
      "Suppress INFO messages                    : No\n"
      "Suppress WARNING messages                 : No\n"
      "Suppress program ERROR messages           : No\n"
      "Suppress TAG ERROR messages               : No\n"
      "\n\n[File generation]\n\n"
      "Output log filename                       : run.log\n",
      WrittenText(Written::kSetOnly));
}

TEST_F(PolicyFileTest, RoundTripsEveryDetaggingPolicy) {
  // Every de-tagging policy away from its default.
  std::string text;
  for (const PolicySection& section : policies_.Sections()) {
    for (const Policy& policy : section.Policies()) {
      std::string value = policy.type == PolicyType::kYesNo     ? (policy.number ? "No" : "Yes")
                          : policy.type == PolicyType::kInteger ? std::to_string(policy.number + 7)
                          : policy.id == kOutputCharacterSet    ? "8-bit"
                                                                : "[cut]";
      text += std::string(policy.name.View()) + " : " + value + "\n";
    }
  }
  EXPECT_EQ(1, Read(text));
  for (Written written : {Written::kSetOnly, Written::kAll}) {
    SCOPED_TRACE(written == Written::kAll ? "all" : "set only");
    PolicySet again = MakeDetaggingPolicies();
    ConversionContext context(again);
    const std::string path = folder_.Write("again.pol", WrittenText(written));
    EXPECT_EQ(1, PolicyFileReader(context).Read(path.c_str(), nullptr));
    for (const PolicySection& section : policies_.Sections()) {
      for (const Policy& policy : section.Policies()) {
        SCOPED_TRACE(policy.name.Data());
        EXPECT_EQ(policy.number, again.Find(policy.id)->number);
        EXPECT_EQ(policy.text.View(), again.Find(policy.id)->text.View());
      }
    }
  }
}

TEST_F(PolicyFileTest, WritesAPolicyFileWholeOrNotAtAll) {
  const std::string path = folder_.Write("out.pol", "old");
  EXPECT_EQ(1, Read("Target Page width : 61\n"));
  TextString error;
  EXPECT_EQ(1, WritePolicyFile(context_, path.c_str(), Written::kSetOnly, error));
  EXPECT_EQ("\n\n[Text formatting]\n\nTarget Page width                         : 61\n",
            folder_.Read("out.pol"));
  EXPECT_EQ(0, WritePolicyFile(context_, (folder_ / "missing/out.pol").c_str(), Written::kSetOnly,
                               error));
  EXPECT_FALSE(error.IsEmpty());
}

TEST_F(PolicyFileTest, NamesTheGeneratedPolicyFile) {
  static const struct {
    const char* name;
    const char* outputFilename;
    const char* outputDirectory;
    const char* named;
    const char* result;
  } kCases[] = {
      {"input's folder and name", "", "", "", "/in/page.pol"},
      {"output directory", "", "/out/", "", "/out/page.pol"},
      {"named policy file parts", "", "/out/", "/pol/mine.txt", "/pol/mine.txt"},
      {"named file without folder", "", "/out/", "mine", "/out/mine.pol"},
      {"output policy filename wins", "/x/given.pol", "/out/", "/pol/mine", "/x/given.pol"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PolicySet policies = MakeDetaggingPolicies();
    ConversionContext context(policies);
    context.General().Find(kOutputPolicyFilename)->text = c.outputFilename;
    context.General().Find(kOutputDirectory)->text = c.outputDirectory;
    EXPECT_EQ(c.result, GeneratedPolicyFileName(context, "/in/page.htm", c.named).View());
  }
}

}  // namespace
}  // namespace quorlex
