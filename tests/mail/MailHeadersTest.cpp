#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "mail/MailHeaders.h"

namespace quorlex {
namespace {

TextString MakeLine(std::string_view text) {
  TextString line;
  line.AssignBytes(text.data(), static_cast<int>(text.size()));
  return line;
}

// A recogniser with both summary switches on, collecting its contents entries.
struct SummaryFixture {
  SummaryFixture() {
    recogniser.SetCountMessages(true);
    recogniser.SetAddContentsEntries(true);
    recogniser.SetContentsSink([this](const MailContentsEntry& e) { entries.push_back(e); });
  }
  void Header(const char* text) {
    LineRecord record;
    ASSERT_EQ(1, recogniser.IsMailHeaderLine(TextString(text), &record)) << text;
  }
  void ExpectNothingCaptured() const {
    EXPECT_EQ("", recogniser.Sender().View());
    EXPECT_EQ("", recogniser.Date().View());
    EXPECT_EQ("", recogniser.Subject().View());
    EXPECT_FALSE(recogniser.SenderSeen());
    EXPECT_FALSE(recogniser.DateSeen());
    EXPECT_FALSE(recogniser.SubjectSeen());
  }

  MailHeaderRecogniser recogniser;
  std::vector<MailContentsEntry> entries;
};

TEST(KnownMailHeaderNames, HoldsTheNamesInOrderBetweenBars) {
  const std::string run(KnownMailHeaderNames().View());
  ASSERT_GE(run.size(), 2u);
  EXPECT_EQ('|', run.front());
  EXPECT_EQ('|', run.back());
  std::vector<std::string> names;
  for (size_t at = 1; at < run.size();) {
    const size_t bar = run.find('|', at);
    names.push_back(run.substr(at, bar - at));
    at = bar + 1;
  }
  ASSERT_EQ(231u, names.size());

  static const struct {
    const char* name;
    size_t index;
    const char* header;
  } kCases[] = {
      {"first", 0, "Abuse-Reports-To"},       {"lower-case entry", 10, "bcc"},
      {"first Newsgroups", 82, "Newsgroups"}, {"middle", 115, "Resent-Message-ID"},
      {"first X-Sender", 185, "X-Sender"},    {"second Newsgroups", 200, "Newsgroups"},
      {"second X-Sender", 225, "X-Sender"},   {"Subj", 206, "Subj"},
      {"next to last", 229, "Message"},       {"last", 230, "Messages"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.header, names[c.index]);
  }
  for (const std::string& name : names) EXPECT_FALSE(name.empty());
}

TEST(MailHeaderRecogniser, MarksOnlyKnownHeaderNames) {
  static const struct {
    const char* name;
    std::string_view line;
    int result;
  } kCases[] = {
      {"plain header", "From: ann@example.org", 1},
      {"lower-case name", "subject: hello", 1},
      {"upper-case name", "SUBJECT: hello", 1},
      {"short subject name", "Subj: hello", 1},
      {"first name of the table, empty value", "Abuse-Reports-To:", 1},
      {"last name of the table", "Messages: 3", 1},
      {"colon inside the value", "Date: Mon, 1 Jan 2001 10:30:00", 1},
      {"leading spaces", "   From: ann", 1},
      {"leading tab and space", "\t From: ann", 1},
      {"unknown X- header", "X-Spam-Score: 0.1", 0},
      {"prefix of a name", "Fro: ann", 0},
      {"name plus a suffix", "X-Sender-Extra: ann", 0},
      {"no colon", "From ann@example.org Mon Jan 1", 0},
      {"empty line", "", 0},
      {"empty name", ": value", 0},
      {"only blanks before the colon", "  \t: value", 0},
      {"blank before the colon", "From : ann", 0},
      {"URL", "http://example.org/", 0},
      {"bar between two adjacent entries", "From|Generate-Delivery-Report: x", 0},
      {"bar between two names", "From|To: x", 0},
      {"leading bar", "|From: x", 0},
      {"trailing bar", "From|: x", 0},
      {"run fragment", "|From|: x", 0},
      {"NUL after a name", std::string_view("From\0x: y", 9), 0},
      {"NUL before the colon", std::string_view("Date\0: y", 8), 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    MailHeaderRecogniser recogniser;
    LineRecord record;
    record.lineType = LineRecord::kBullet;  // a miss must leave an earlier mark alone
    EXPECT_EQ(c.result, recogniser.IsMailHeaderLine(MakeLine(c.line), &record));
    EXPECT_EQ(c.result ? LineRecord::kMailHeader : LineRecord::kBullet, record.lineType);
  }
}

TEST(MailHeaderRecogniser, AcceptsAMissingRecord) {
  MailHeaderRecogniser recogniser;
  EXPECT_EQ(1, recogniser.IsMailHeaderLine(TextString("To: ann"), nullptr));
  EXPECT_EQ(0, recogniser.IsMailHeaderLine(TextString("Nope: ann"), nullptr));
}

TEST(MailHeaderRecogniser, CapturesSenderDateAndSubjectOncePerBlock) {
  static const struct {
    const char* name;
    std::vector<const char*> lines;
    const char* sender;
    const char* date;
    const char* subject;
  } kCases[] = {
      {"one of each",
       {"From: Ann <ann@x.org>", "Date: Mon", "Subject: Hello"},
       "Ann <ann@x.org>",
       "Mon",
       "Hello"},
      {"Subj fills the subject", {"Subj: Short"}, "", "", "Short"},
      {"second Date keeps the first", {"Date: first", "Date: second"}, "", "first", ""},
      {"Subj after Subject keeps the first", {"Subject: one", "Subj: two"}, "", "", "one"},
      {"names in any case", {"FROM: ann", "date: Tue", "sUbJ: x"}, "ann", "Tue", "x"},
      {"empty From leaves room for the next", {"From:   ", "From: bob"}, "bob", "", ""},
      {"blanks and tabs trimmed", {"Date:\t Mon \t"}, "", "Mon", ""},
      {"colons in the value kept", {"Date: 10:30:00"}, "", "10:30:00", ""},
      {"indented header loses its indent and colon", {"  Subject:  Hi there "}, "", "", "Hi there"},
      {"no blank after the colon", {"From:ann"}, "ann", "", ""},
      {"other headers capture nothing",
       {"To: bob", "Reply-To: carl", "Resent-From: dan"},
       "",
       "",
       ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SummaryFixture f;
    for (const char* line : c.lines) f.Header(line);
    EXPECT_EQ(c.sender, f.recogniser.Sender().View());
    EXPECT_EQ(c.date, f.recogniser.Date().View());
    EXPECT_EQ(c.subject, f.recogniser.Subject().View());
    EXPECT_EQ(*c.sender != 0, f.recogniser.SenderSeen());
    EXPECT_EQ(*c.date != 0, f.recogniser.DateSeen());
    EXPECT_EQ(*c.subject != 0, f.recogniser.SubjectSeen());
  }
}

TEST(MailHeaderRecogniser, CapturesNothingWithBothSwitchesOff) {
  MailHeaderRecogniser recogniser;
  LineRecord record;
  EXPECT_EQ(1, recogniser.IsMailHeaderLine(TextString("From: ann"), &record));
  EXPECT_EQ(1, recogniser.IsMailHeaderLine(TextString("Subject: hi"), &record));
  EXPECT_FALSE(recogniser.SenderSeen());
  EXPECT_FALSE(recogniser.SubjectSeen());
  recogniser.LeaveHeaderBlock(true);
  EXPECT_EQ(0, recogniser.MailMessageCount());
}

TEST(MailHeaderRecogniser, LeavingABlockCountsListsAndForgets) {
  static const struct {
    const char* name;
    std::vector<const char*> lines;
    bool closesBlock;
    bool countMessages;
    bool addContents;
    int count;
    bool entry;
  } kCases[] = {
      {"complete block, both switches",
       {"From: Ann <ann@x.org>", "Subject: Hi"},
       true,
       true,
       true,
       1,
       true},
      {"From without Subject", {"From: Ann <ann@x.org>", "Date: Mon"}, true, true, true, 0, false},
      {"Subject without From", {"Subject: Hi", "Date: Mon"}, true, true, true, 0, false},
      {"empty Subject is not seen",
       {"From: Ann <ann@x.org>", "Subject:"},
       true,
       true,
       true,
       0,
       false},
      {"line does not close the block",
       {"From: Ann <ann@x.org>", "Subject: Hi"},
       false,
       true,
       true,
       0,
       false},
      {"counting switch only",
       {"From: Ann <ann@x.org>", "Subject: Hi"},
       true,
       true,
       false,
       1,
       false},
      {"contents switch only",
       {"From: Ann <ann@x.org>", "Subject: Hi"},
       true,
       false,
       true,
       0,
       true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SummaryFixture f;
    f.recogniser.SetCountMessages(c.countMessages);
    f.recogniser.SetAddContentsEntries(c.addContents);
    for (const char* line : c.lines) f.Header(line);
    f.recogniser.LeaveHeaderBlock(c.closesBlock);
    EXPECT_EQ(c.count, f.recogniser.MailMessageCount());
    ASSERT_EQ(c.entry ? 1u : 0u, f.entries.size());
    if (c.entry) {
      EXPECT_EQ(250, f.entries[0].level);
      EXPECT_EQ("Hi", f.entries[0].text.View());
      EXPECT_EQ("Ann", f.entries[0].senderName.View());
      EXPECT_EQ("ann@x.org", f.entries[0].senderAddress.View());
    }
    f.ExpectNothingCaptured();
  }
}

TEST(MailHeaderRecogniser, EachBlockStartsAfresh) {
  SummaryFixture f;
  f.Header("From: ann@x.org");
  f.Header("Subject: First");
  f.recogniser.LeaveHeaderBlock(true);
  f.Header("Subject: Second");
  f.Header("From: Bob <bob@y.org>");
  f.Header("Date: Tue");
  f.recogniser.LeaveHeaderBlock(true);
  f.recogniser.LeaveHeaderBlock(true);  // nothing left to count

  EXPECT_EQ(2, f.recogniser.MailMessageCount());
  ASSERT_EQ(2u, f.entries.size());
  EXPECT_EQ("First", f.entries[0].text.View());
  EXPECT_EQ("", f.entries[0].senderName.View());
  EXPECT_EQ("ann@x.org", f.entries[0].senderAddress.View());
  EXPECT_EQ("Second", f.entries[1].text.View());
  EXPECT_EQ("Bob", f.entries[1].senderName.View());
  EXPECT_EQ("bob@y.org", f.entries[1].senderAddress.View());
}

TEST(SplitMailSender, SeparatesNameAndAddress) {
  static const struct {
    const char* name;
    const char* sender;
    const char* displayName;
    const char* address;
  } kCases[] = {
      {"name and angle address", "Ann Lee <ann@x.org>", "Ann Lee", "ann@x.org"},
      {"quoted name", "\"Lee, Ann\" <ann@x.org>", "Lee, Ann", "ann@x.org"},
      {"blanks inside the angles", "Ann < ann@x.org >", "Ann", "ann@x.org"},
      {"angle address alone", "<ann@x.org>", "", "ann@x.org"},
      {"last angle pair wins", "Ann <old> <ann@x.org>", "Ann <old>", "ann@x.org"},
      {"address and comment", "ann@x.org (Ann Lee)", "Ann Lee", "ann@x.org"},
      {"bare address", " ann@x.org ", "", "ann@x.org"},
      {"bare name", "Ann Lee", "Ann Lee", ""},
      {"unclosed angle is bare text", "Ann <ann@x.org", "", "Ann <ann@x.org"},
      {"parentheses the wrong way round", "a)(b", "a)(b", ""},
      {"empty", "", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextString name("stale");
    TextString address("stale");
    SplitMailSender(TextString(c.sender), name, address);
    EXPECT_EQ(c.displayName, name.View());
    EXPECT_EQ(c.address, address.View());
  }
}

TEST(SplitMailSender, MayWriteOverItsInput) {
  TextString text("Ann <ann@x.org>");
  TextString address;
  SplitMailSender(text, text, address);
  EXPECT_EQ("Ann", text.View());
  EXPECT_EQ("ann@x.org", address.View());
}

TEST(MailHeaderRecogniser, HandlesLongLines) {
  const std::string huge(1000000, 'A');
  const struct {
    const char* name;
    std::string line;
    int result;
  } kCases[] = {
      {"long line without a colon", huge, 0},
      {"long unknown name", huge + ": x", 0},
      {"long indent before a known name", std::string(100000, ' ') + "From: ann", 1},
      {"long run of bars", std::string(100000, '|') + ": x", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SummaryFixture f;
    LineRecord record;
    EXPECT_EQ(c.result, f.recogniser.IsMailHeaderLine(MakeLine(c.line), &record));
  }

  SummaryFixture f;
  f.Header(("Subject: " + huge + "  ").c_str());
  EXPECT_EQ(huge, f.recogniser.Subject().View());
}

}  // namespace
}  // namespace quorlex
