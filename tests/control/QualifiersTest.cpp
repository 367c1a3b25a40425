#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "control/Qualifiers.h"
#include "tests/support/CapturedStream.h"

namespace quorlex {
namespace {

using testing::CapturedStream;

const char kUnrecognised[] = "*** Unrecognised, ambiguous or repeated qualifiers : ";

const char kHelp[] =
    "Usage : quorlexrun filespec1 filespec2 [policy_file.pol] [/qualifiers]\n"
    "\n"
    "Recognised qualifiers include\n"
    "   /CONSOLE             Write output direct to console\n"
    "   /HELP                Display this useful list of commands (\"/?\" also works)\n"
    "   /JOBS=n              Convert on n threads (default: one per core)\n"
    "   /LOG[=filename]      Generate a .log file\n"
    "   /OUTPUT[=filespec]   Filespec for output file(s)\n"
    "   /POLICY[=filename]   Document policies used in a .pol file\n"
    "   /SILENT              Suppress all output messages (except these :-)\n"
    "Qualifiers are case insensitive and may be reduced to shortest unique\n"
    "name (e.g \"/lo\" for \"/log\")\n";

// Parses lines into fresh settings, with the console echo on, and describes the outcome.
class QualifiersTest : public ::testing::Test {
 protected:
  int Parse(const std::string& line, std::FILE* helpStream = nullptr) {
    run_ = RunSettings();
    log_ = std::make_unique<RunLog>();
    log_->SetEchoStream(echo_.Stream());
    log_->consoleEcho = 1;
    return ParseCommandLine(line.c_str(), run_, *log_, helpStream);
  }

  // The run messages, kept as "SESSION: " lines while no log file is open.
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    const std::string text(log_->runText.View());
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      messages.push_back(text.substr(start + 9, end - start - 9));  // after "SESSION: "
      start = end + 1;
    }
    return messages;
  }

  // Every setting that differs from a fresh one, in a fixed order.
  std::string Settings() const {
    std::string s;
    const auto flag = [&s](const char* label, int on) {
      if (on) s += std::string(label) + " ";
    };
    const auto text = [&s](const char* label, const TextString& value) {
      if (!value.IsEmpty()) s += std::string(label) + "=" + std::string(value.View()) + " ";
    };
    const auto spec = [&s](const char* label, const FileSpecification& f) {
      if (f.IsEmpty()) return;
      s += std::string(label) + "=" + std::string(f.folder.View()) + "|" +
           std::string(f.name.View()) + "|" + std::string(f.extension.View()) + " ";
    };
    flag("help", run_.help);
    flag("html", run_.inputIsHtml);
    flag("log", run_.createLog);
    text("logName", run_.logName);
    spec("output", run_.output);
    flag("console", run_.outputToConsole);
    flag("policy", run_.generatePolicyFile);
    text("policyName", run_.generatedPolicyName);
    spec("toc", run_.contentsOutput);
    flag("contents", run_.contents);
    flag("cu", run_.compositionUnit);
    flag("ctxIn", run_.loadContext);
    text("ctxName", run_.contextToLoad);
    spec("ctxOut", run_.contextOutput);
    flag("debug", run_.debug);
    flag("dos", run_.shortNames);
    flag("frames", run_.frames);
    flag("index", run_.index);
    text("indexName", run_.indexName);
    flag("list", run_.listing);
    flag("links", run_.links);
    text("linksName", run_.linksName);
    flag("rtf", run_.rtf);
    text("ruleSet", run_.ruleSetName);
    flag("simple", run_.simple);
    flag("comma", run_.commaTable);
    flag("table", run_.textTable);
    flag("tabbed", run_.tabTable);
    flag("tags", run_.debugTags);
    if (run_.jobs != 0) s += "jobs=" + std::to_string(run_.jobs) + " ";
    flag("quiet", !log_->consoleEcho);
    text("pol", run_.policyFile);
    for (const TextString& file : run_.fileSpecs) text("file", file);
    if (!s.empty()) s.pop_back();
    return s;
  }

  RunSettings run_;
  std::unique_ptr<RunLog> log_;
  CapturedStream echo_;
};

TEST_F(QualifiersTest, FillsSettingsAndReportsWhatItCannotTake) {
  static const struct {
    const char* name;
    const char* line;
    const char* settings;
    std::vector<std::string> messages;
  } kCases[] = {
      {"log abbreviated, default name", "/lo", "log logName=Pellomar.log", {}},
      {"log extension changed",
       "/LOG=run.txt",
       "log logName=run.log",
       {"Can't use \".txt\" for a log file.  Changing to \".log\""}},
      {"log extension in any case, folder kept",
       "/Log=logs/Run.DAT",
       "log logName=logs/Run.log",
       {"Can't use \".DAT\" for a log file.  Changing to \".log\""}},
      {"quoted output with blanks",
       "/O=\"C:\\my files\\out.htm\"",
       "output=C:\\my files\\|out|.htm",
       {}},
      {"output never a policy file",
       "/OUT=out.POL",
       "output=|out|.html",
       {"Can't use \".POL\" for an output file.  Changing to \".html\""}},
      {"a path is one value", "/O=out/logs/x.txt /SIL", "output=out/logs/|x|.txt quiet", {}},
      {"a qualifier inside a value is none",
       "/RU=\"x /LOG\" /CO=a/lo",
       "ruleSet=x /LOG",
       {std::string(kUnrecognised) + "/CO=a/lo "}},
      {"ambiguous", "/CO", "", {std::string(kUnrecognised) + "/CO "}},
      {"longer than the name",
       "/LOGGING",
       "",
       {"Illegal Qualifier : /LOGGING", std::string(kUnrecognised) + "/LOGGING "}},
      {"repeated: the first counts",
       "/LOG=a.log /lo",
       "log logName=a.log",
       {std::string(kUnrecognised) + "/lo "}},
      {"missing end quote",
       "/O=\"out dir/x.htm",
       "output=out dir/|x|.htm",
       {"Missing end-quote in qualifier value /OUTPUT"}},
      {"blank after =",
       "/LOG= run.log",
       "log logName=Pellomar.log file=run.log",
       {"Missing value after \"=\" for qualifier /LOG"}},
      {"= at the end", "a.htm /LOG=", "log logName=Pellomar.log file=a.htm", {}},
      {"context to load needs a value", "/CTX_IN", "", {"Value missing for /CTX_IN qualifier"}},
      {"index extension changed",
       "/I=dir.txt",
       "index indexName=dir.html",
       {"Can't use \".txt\" for an index file.  Changing to \".html\""}},
      {"console: no index, no echo, no output name",
       "/I=dir.htm /O=out/x.txt /CONS",
       "output=out/||.txt console quiet",
       {}},
      {"quoted value trimmed", "/RULESET=\" SEC rules \"", "ruleSet=SEC rules", {}},
      {"value of a flag ignored", "/DEBUG=yes", "debug", {}},
      {"adjacent qualifiers", "/LOG/SILENT", "log logName=Pellomar.log quiet", {}},
      {"blanks and tabs around",
       " /LOG\ta.htm\t /SIL ",
       "log logName=Pellomar.log quiet file=a.htm",
       {}},
      {"policy file and file words",
       "a.htm /P=used.pol b.HTM Rules.POL *.txt",
       "policy policyName=used.pol pol=Rules.POL file=a.htm file=b.HTM file=*.txt",
       {}},
      {"slash at the end", "a.htm /", "file=a.htm", {std::string(kUnrecognised) + "/ "}},
      {"threads", "/JOBS=12", "jobs=12", {}},
      {"threads: one per core", "/JOBS", "", {}},
      {"threads out of range",
       "/JOBS=257",
       "",
       {"Value of /JOBS must be a number from 1 to 256 - one thread per core used"}},
      {"threads not a number",
       "/JOBS=2x",
       "",
       {"Value of /JOBS must be a number from 1 to 256 - one thread per core used"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(1, Parse(c.line));
    EXPECT_EQ(c.settings, Settings());
    EXPECT_EQ(c.messages, Messages());
  }
}

TEST_F(QualifiersTest, AcceptsEveryQualifierDownToItsShortFormButNoShorter) {
  static const struct {
    const char* shortest;
    const char* value;
    const char* settings;
  } kCases[] = {
      {"/?", "", "help"},
      {"/HE", "", "help"},
      {"/HT", "", "html"},
      {"/LO", "", "log logName=Pellomar.log"},
      {"/O", "=x", "output=|x|"},
      {"/TOC", "=t.toc", "toc=|t|.toc"},
      {"/CONT", "", "contents"},
      {"/CONS", "", "console quiet"},
      {"/CU", "", "cu"},
      {"/CTX_I", "=a.ctx", "ctxIn ctxName=a.ctx"},
      {"/CTX_O", "=c/", "ctxOut=c/||"},
      {"/DE", "", "debug"},
      {"/DO", "", "dos"},
      {"/F", "", "frames"},
      {"/I", "", "index"},
      {"/LIS", "", "list"},
      {"/LIN", "", "links linksName=FoundLinks.txt"},
      {"/P", "", "policy"},
      {"/RT", "", "rtf"},
      {"/RU", "=Merrill", "ruleSet=Merrill"},
      {"/SIM", "", "simple"},
      {"/SIL", "", "quiet"},
      {"/COM", "", "comma"},
      {"/TABL", "", "table"},
      {"/TABB", "", "tabbed"},
      {"/TAG", "", "tags"},
      {"/J", "=2", "jobs=2"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.shortest);
    EXPECT_EQ(1, Parse(std::string(c.shortest) + c.value));
    EXPECT_EQ(c.settings, Settings());
    EXPECT_TRUE(Messages().empty());

    const std::string shorter = std::string(c.shortest, std::strlen(c.shortest) - 1) + c.value;
    EXPECT_EQ(1, Parse(shorter));
    EXPECT_EQ("", Settings());
    EXPECT_EQ(std::vector<std::string>{kUnrecognised + shorter + " "}, Messages());
  }
}

TEST_F(QualifiersTest, WritesTheSameHelpWhicheverWayItIsAskedFor) {
  EXPECT_EQ(kHelp, HelpText().View());
  static const struct {
    const char* line;
    const char* settings;
  } kCases[] = {
      {"/?", "help"},
      {"/HELP", "help"},
      {"/he /LOG", "help log logName=Pellomar.log"},  // parsing goes on
      {"/? /Help /ht", "help html"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    CapturedStream help;
    EXPECT_EQ(1, Parse(c.line, help.Stream()));
    EXPECT_EQ(kHelp, help.Text());
    EXPECT_EQ(c.settings, Settings());
    EXPECT_TRUE(Messages().empty());
  }
  CapturedStream none;
  Parse("/HELPME /LOG", none.Stream());
  EXPECT_EQ("", none.Text());
}

TEST_F(QualifiersTest, IgnoresCommentLines) {
  for (const char* line : {"# old settings", "!/LOG=run.log a.htm"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(0, Parse(line));
    EXPECT_EQ("", Settings());
    EXPECT_EQ(std::vector<std::string>{"INFO: Steering file: Ignoring comment line \"" +
                                       std::string(line) + "\""},
              Messages());
  }
}

TEST_F(QualifiersTest, SurvivesOddLines) {
  const std::vector<std::string> kLines = {
      "",
      "/",
      "=",
      "\"",
      "/=",
      "/=\"",
      "/O=\"",
      "/O=\"\"",
      "/LOG =",
      "/LOG = ",
      "/\t=\t\"",
      "//////",
      "/O=/",
      std::string(100000, '/'),
      "/O=\"" + std::string(100000, 'x'),
      std::string(50000, ' ') + "/LOG" + std::string(50000, '='),
  };
  for (const std::string& line : kLines) {
    SCOPED_TRACE(line.substr(0, 20));
    EXPECT_EQ(1, Parse(line));
  }
}

}  // namespace
}  // namespace quorlex
