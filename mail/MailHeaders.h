#pragma once

#include <functional>
#include <utility>

#include "foundation/LineRecord.h"
#include "foundation/TextString.h"

// The mail library: recognises the header lines of mail and news messages among the lines
// of a document, and counts the messages or lists them for a contents page. It is what a
// step that tidies mail folders builds on; no program calls it yet: the de-tagging
// conversion has no mail step, and the "[Mail Tidy]" policies are only stored, read,
// written and carried in QuorlOptions. Only mail_tests reaches it.

namespace quorlex {

// Number of names in the known-names run. "Newsgroups" and "X-Sender" are listed twice; the
// repeats are harmless because a name only has to be found once.
inline constexpr int kKnownMailHeaderNameCount = 231;

// The level of the contents entry that a mail message adds.
inline constexpr int kMailContentsLevel = 250;

// The known mail and news header names as one run: it starts with "|" and every name is
// followed by "|", so each name stands between two bars. The names keep their fixed order
// and mixed case (matching ignores case). Built on the first call (thread-safe) and never
// changed afterwards; the reference stays valid until the program ends.
const TextString& KnownMailHeaderNames();

// One message for the contents list: the subject as its text and the sender split into
// name and address.
struct MailContentsEntry {
  int level = kMailContentsLevel;
  TextString text;
  TextString senderName;
  TextString senderAddress;
};

// Splits the text of a "From" header into a display name and an address, each trimmed of
// blanks:
//   "Ann Lee <ann@example.org>"   name "Ann Lee" (surrounding double quotes removed),
//                                  address "ann@example.org" (the last <...> pair);
//   "ann@example.org (Ann Lee)"   address before the parenthesis, name inside it;
//   "ann@example.org"             a bare text holding '@' is an address with no name;
//   "Ann Lee"                     any other bare text is a name with no address.
void SplitMailSender(const TextString& sender, TextString& name, TextString& address);

// Recognises mail and news header lines ("From: ...", "Subject: ...") among the source
// lines of a document and remembers the sender, date and subject of the current header
// block, so that a block can be counted as a message or listed in the contents.
//
// The caller walks the lines in order: each line it wants tested (the analysis decides which
// lines qualify) goes to IsMailHeaderLine; each line that is not a header goes to
// LeaveHeaderBlock. The two summary switches start off; a caller that counts the messages
// of a mailbox or lists them in a contents page turns them on (no program does yet). With
// both off the recogniser only marks header lines.
//
// One object per pass: it keeps per-block state and is not shared between threads.
class MailHeaderRecogniser {
 public:
  // Receives each contents entry as a block closes (see LeaveHeaderBlock).
  using ContentsSink = std::function<void(const MailContentsEntry& entry)>;

  // The switch that counts a message for every closed block with a subject and a sender.
  void SetCountMessages(bool on) { countMessages_ = on; }
  bool CountsMessages() const { return countMessages_; }
  // The switch that hands such a block to the contents sink. A caller that suppresses
  // contents generation leaves this switch off.
  void SetAddContentsEntries(bool on) { addContentsEntries_ = on; }
  bool AddsContentsEntries() const { return addContentsEntries_; }
  // Where contents entries go; with no sink they are dropped.
  void SetContentsSink(ContentsSink sink) { contentsSink_ = std::move(sink); }

  // Returns 1 if the line is a mail header line, else 0. A header line is one whose text
  // before its first ':' (after any leading spaces and tabs) is a known header name,
  // compared ignoring case; blanks before the colon, an empty name or a name holding '|'
  // or a NUL byte never match. On a hit, `record` (when not null) is marked
  // LineRecord::kMailHeader; on a miss it is left alone.
  // When either summary switch is on, a hit on "From", "Date", "Subject" or "Subj" (any
  // case) whose value is not yet captured in this block captures the text after the colon,
  // trimmed of blanks; it counts as seen when that text is not empty, so an empty header
  // leaves room for a later one of the same name.
  [[nodiscard]] int IsMailHeaderLine(const TextString& line, LineRecord* record);

  // Called for a line that is not a mail header line. When `closesBlock` is set and both a
  // subject and a sender were seen, counts a message (counting switch) and hands an entry
  // of level kMailContentsLevel to the sink (contents switch). In every case the captured
  // values are emptied and their seen flags cleared, so the next block starts afresh.
  void LeaveHeaderBlock(bool closesBlock);

  // Messages counted since construction.
  int MailMessageCount() const { return mailMessageCount_; }

  // The values captured in the current block; empty (and not seen) until captured.
  const TextString& Sender() const { return sender_; }
  bool SenderSeen() const { return senderSeen_; }
  const TextString& Date() const { return date_; }
  bool DateSeen() const { return dateSeen_; }
  const TextString& Subject() const { return subject_; }
  bool SubjectSeen() const { return subjectSeen_; }

 private:
  bool countMessages_ = false;
  bool addContentsEntries_ = false;
  ContentsSink contentsSink_;
  int mailMessageCount_ = 0;
  TextString sender_;
  TextString date_;
  TextString subject_;
  bool senderSeen_ = false;
  bool dateSeen_ = false;
  bool subjectSeen_ = false;
};

}  // namespace quorlex
