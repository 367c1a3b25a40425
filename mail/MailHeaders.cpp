#include "mail/MailHeaders.h"

#include <cstring>
#include <iterator>
#include <string_view>

#include "foundation/Ascii.h"

namespace quorlex {
namespace {

// The known header names in their fixed order; KnownMailHeaderNames joins them into the
// run that the recogniser searches.
constexpr const char* kKnownNames[] = {
    "Abuse-Reports-To",
    "Also-Control",
    "Alternate-Recipient",
    "Apparently-To",
    "Approved",
    "Approved-By",
    "Article-Names",
    "Article-Updates",
    "Autoforwarded",
    "Auto-Forwarded",
    "bcc",
    "Cache-Post-Path",
    "cc",
    "Comments",
    "Content-Alias",
    "Content-Alternative",
    "Content-Base",
    "Content-Class",
    "Content-Conversion",
    "Content-Description",
    "Content-Disposition",
    "Content-Features",
    "Content-ID",
    "Content-Identifier",
    "Content-Language",
    "Content-Length",
    "Content-Location",
    "Content-MD5",
    "Content-Return",
    "Content-SGML-Entity",
    "Content-Transfer-Encoding",
    "Content-Type",
    "Control",
    "Conversion",
    "Conversion-With-Loss",
    "Date",
    "Delivered-To",
    "Delivery-Date",
    "Discarded-X400-IPMS-Extensions",
    "Discarded-X400-MTS-Extensions",
    "Disclose-Recipients",
    "Disposition-Notification-Options",
    "Disposition-Notification-To",
    "Distribution",
    "DL-Expansion-History-Indication",
    "Encoding",
    "Errors-To",
    "Envelope-ID",
    "Expires",
    "Expiry-Date",
    "Fax",
    "Fcc",
    "Followup-To",
    "For-Approval",
    "For-Comment",
    "For-Handling",
    "From",
    "Generate-Delivery-Report",
    "Importance",
    "In-Reply-To",
    "Incomplete-Copy",
    "Injector-Info",
    "Keywords",
    "Language",
    "Lines",
    "List-Archive",
    "List-Digest",
    "List-ID",
    "List-Owner",
    "List-Post",
    "List-Software",
    "List-Subscribe",
    "List-Unsubscribe",
    "List-URL",
    "Mail-Copies-To",
    "Mail-Reply-Requested-By",
    "Mail-System-Version",
    "Mailer",
    "Mailing-List",
    "Message-ID",
    "Message-Type",
    "MIME-Version",
    "Newsgroups",
    "NNTP-Posting-Date",
    "NNTP-Posting-Host",
    "NNTP-Posting-Time",
    "NNTP-Proxy-Relay",
    "Obsoletes",
    "Old-Date",
    "Old-X-Envelope-From",
    "Old-X-Envelope-To",
    "Organisation",
    "Organization",
    "Original-Encoded-Information-Typestypes",
    "Original-Recipient",
    "Originating-Client",
    "Originator",
    "Originator-Info",
    "Path",
    "Phone",
    "PICS-Label",
    "Posted-To",
    "Precedence",
    "Prevent-NonDelivery-Report",
    "Priority",
    "Read-Receipt-To",
    "Received",
    "References",
    "Replaces",
    "Reply-By",
    "Reply-To",
    "Resent-bcc",
    "Resent-cc",
    "Resent-Date",
    "Resent-From",
    "Resent-Message-ID",
    "Resent-Reply-To",
    "Resent-Sender",
    "Resent-Subject",
    "Resent-To",
    "Return-Path",
    "Return-Receipt-Requested",
    "Return-Receipt-To",
    "See-Also",
    "Sender",
    "Sensitivity",
    "Speech-Act",
    "Status",
    "Subject",
    "Summary",
    "Supersedes",
    "Telefax",
    "To",
    "Translated-By",
    "Translation-Of",
    "User-Agent",
    "X-Abuse-Info",
    "X-Accept-Language",
    "X-Admin",
    "X-Article-Creation-Date",
    "X-Attribution",
    "X-Authenticated-IP",
    "X-Authenticated-Sender",
    "X-Authentication-Warning",
    "X-Cache",
    "X-Comments",
    "X-Complaints-To",
    "X-Confirm-reading-to",
    "X-Envelope-From",
    "X-Envelope-To",
    "X-Face",
    "X-Flags",
    "X-Folder",
    "X-Http-Proxy",
    "X-Http-User-Agent",
    "X-IMAP",
    "X-Last-Updated",
    "X-List-Host",
    "X-Listserver",
    "X-Loop",
    "X-Mailer",
    "X-Mailer-Info",
    "X-Mailing-List",
    "X-MIME-Autoconverted",
    "X-MimeOLE",
    "X-MIMETrack",
    "X-MSMail-Priority",
    "X-MyDeja-Info",
    "X-Newsreader",
    "X-NNTP-Posting-Host",
    "X-No-Archive",
    "X-Notice",
    "X-Orig-Message-ID",
    "X-Original-Envelope-From",
    "X-Original-NNTP-Posting-Host",
    "X-Original-Trace",
    "X-OriginalArrivalTime",
    "X-Originating-IP",
    "X-PMFLAGS",
    "X-Posted-By",
    "X-Posting-Agent",
    "X-Priority",
    "X-RCPT-TO",
    "X-Report",
    "X-Report-Abuse-To",
    "X-Sender",
    "X-Server-Date",
    "X-Trace",
    "X-UIDL",
    "X-UML-Sequence",
    "X-URI",
    "X-URL",
    "X-X-Sender",
    "X400-Content-Return",
    "XPident",
    "Xref",
    "Archive-name",
    "Comment",
    "List-Help",
    "Meaning",
    "Newsgroups",
    "Posting-Frequency",
    "Relay-Version",
    "Thread-Index",
    "Thread-Topic",
    "Sent",
    "Subj",
    "Website",
    "X-Article",
    "X-BeenThere",
    "X-Comment",
    "X-Converted-To-Plain-Text",
    "X-eGroups-Return",
    "X-eGroups-Moderators",
    "X-Encoding",
    "X-Loop-Detect",
    "X-Mailman-Version",
    "X-Message-flag",
    "X-MX-warning",
    "X-Persona",
    "X-POP3-Rcpt",
    "X-Precedence-ref",
    "X-Precedence",
    "X-NEWS",
    "X-Received",
    "X-Sender",
    "X-To",
    "X-Unsent",
    "X-VMS-To",
    "Message",
    "Messages",
};
static_assert(std::size(kKnownNames) == kKnownMailHeaderNameCount,
              "the run holds a fixed number of names");

TextString BuildKnownNamesRun() {
  TextString run("|");
  for (const char* name : kKnownNames) {
    run.Append(name);
    run.AppendChar('|');
  }
  return run;
}

// True when name equals the C string known, ignoring case.
bool SameNameIgnoringCase(std::string_view name, const char* known) {
  const size_t knownLength = std::strlen(known);
  return name.size() == knownLength &&
         TextString::CompareN(name.data(), known, static_cast<int>(knownLength),
                              LetterCase::kIgnored) == 0;
}

// True when name is one of the known names, ignoring case. The run is searched for
// "|" + name + "|"; that finds exactly the whole entries only while the name itself holds
// no bar ("From|Generate-Delivery-Report" would otherwise match across two entries) and no
// NUL (the search text is a C string, so "From\0x" would be searched as "|From"). Neither
// can be part of a real name, so such names are turned away before the search.
bool IsKnownHeaderName(std::string_view name) {
  if (name.empty() || name.find('|') != std::string_view::npos ||
      name.find('\0') != std::string_view::npos) {
    return false;
  }
  TextString needle("|");
  needle.AppendBytes(name.data(), static_cast<int>(name.size()));
  needle.AppendChar('|');
  int pos = -1;
  return KnownMailHeaderNames().Find(0, needle.Data(), pos, LetterCase::kIgnored) == 1;
}

// out = text with blanks (spaces and tabs) trimmed at both ends.
void AssignTrimmed(TextString& out, std::string_view text) {
  out.AssignBytes(text.data(), static_cast<int>(text.size()));
  out.Trim(TrimEnds::kBoth, " ");
}

// Captures value into captured unless a value was already seen in this block; a value
// counts as seen only when it is not empty after trimming.
void CaptureOnce(std::string_view value, TextString& captured, bool& seen) {
  if (seen) return;
  AssignTrimmed(captured, value);
  seen = !captured.IsEmpty();
}

}  // namespace

const TextString& KnownMailHeaderNames() {
  static const TextString kRun = BuildKnownNamesRun();
  return kRun;
}

void SplitMailSender(const TextString& sender, TextString& name, TextString& address) {
  // Built in locals so that name or address may be the sender itself.
  TextString nameText;
  TextString addressText;
  const std::string_view text = sender.View();
  constexpr auto npos = std::string_view::npos;

  const size_t open = text.rfind('<');
  const size_t close = open == npos ? npos : text.find('>', open + 1);
  const size_t paren = text.find('(');
  const size_t parenClose = paren == npos ? npos : text.rfind(')');
  if (close != npos) {
    AssignTrimmed(addressText, text.substr(open + 1, close - open - 1));
    AssignTrimmed(nameText, text.substr(0, open));
    const int n = nameText.Length();
    if (n >= 2 && nameText[0] == '"' && nameText[n - 1] == '"') {
      nameText.Mid(1, n - 2);
      nameText.Trim(TrimEnds::kBoth, " ");
    }
  } else if (parenClose != npos && parenClose > paren) {
    AssignTrimmed(addressText, text.substr(0, paren));
    AssignTrimmed(nameText, text.substr(paren + 1, parenClose - paren - 1));
  } else if (text.find('@') != npos) {
    AssignTrimmed(addressText, text);
  } else {
    AssignTrimmed(nameText, text);
  }
  name = std::move(nameText);
  address = std::move(addressText);
}

int MailHeaderRecogniser::IsMailHeaderLine(const TextString& line, LineRecord* record) {
  // A header has a colon; the name is what stands before the first one.
  int colonPos = -1;
  if (!line.FindChar(0, ':', colonPos, LetterCase::kMatters)) return 0;
  const std::string_view text = line.View();
  const size_t colon = static_cast<size_t>(colonPos);

  // Leading spaces and tabs are not part of the name.
  size_t nameStart = 0;
  while (nameStart < colon && IsBlank(text[nameStart])) ++nameStart;
  const std::string_view name = text.substr(nameStart, colon - nameStart);

  // Only known names make header lines.
  if (!IsKnownHeaderName(name)) return 0;
  if (record != nullptr) record->lineType = LineRecord::kMailHeader;

  // The values are only wanted for the message count and the contents list. The value
  // is what follows the colon: the line without its leading blanks, the name and the colon.
  if (!countMessages_ && !addContentsEntries_) return 1;
  const std::string_view value = text.substr(colon + 1);
  if (SameNameIgnoringCase(name, "From")) {
    CaptureOnce(value, sender_, senderSeen_);
  } else if (SameNameIgnoringCase(name, "Date")) {
    CaptureOnce(value, date_, dateSeen_);
  } else if (SameNameIgnoringCase(name, "Subject") || SameNameIgnoringCase(name, "Subj")) {
    CaptureOnce(value, subject_, subjectSeen_);
  }
  return 1;
}

void MailHeaderRecogniser::LeaveHeaderBlock(bool closesBlock) {
  if (closesBlock && subjectSeen_ && senderSeen_) {
    if (countMessages_) ++mailMessageCount_;
    if (addContentsEntries_ && contentsSink_) {
      MailContentsEntry entry;
      entry.text = subject_;
      SplitMailSender(sender_, entry.senderName, entry.senderAddress);
      contentsSink_(entry);
    }
  }
  sender_.Clear();
  date_.Clear();
  subject_.Clear();
  senderSeen_ = false;
  dateSeen_ = false;
  subjectSeen_ = false;
}

}  // namespace quorlex
