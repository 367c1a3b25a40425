#pragma once

#include "foundation/MessageChannel.h"
#include "foundation/TextString.h"

namespace quorlex {

// The seven kinds of policy value. The de-tagging policies use the first three.
enum class PolicyType : int {
  kInteger = 1,    // a signed number; "(none)" reads as -1
  kYesNo = 2,      // 0 or 1, written "Yes" or "No"
  kText = 3,       // a text, written "(none)" when empty
  kAlignment = 4,  // 1 left, 2 center, 3 right, 4 justified, anything else none
  kColour = 5,     // a text that should be a standard HTML colour
  kFont = 6,       // a font specification such as "Times New Roman, Regular, 10"
  kChoice = 7,     // the position (from 1) of a word in a list of allowed words, -1 none
};

// Whether a number is one of the seven policy types.
bool IsPolicyType(int type);

// What is handed to every policy while one policy-file line is parsed.
struct ParseRequest {
  MessageFunction report;  // where messages go (level 10 unless said otherwise)
  TextString line;         // squeezed and trimmed
  TextString name;         // the text before the first colon, trimmed
  TextString value;        // the text after the first colon, trimmed
  int reportRepeats = 0;   // report a policy given twice in one read
  int readNumber = 0;      // which read this line belongs to (repeats count within one)
  int none = 0;            // the value is "(none)" or "none"
  int yes = 0;             // "Yes" or "true"
  int no = 0;              // "no" or "false"
  int found = 0;           // a policy (or heading) took the line
  int accepted = 0;        // ... and accepted its value
  int category = 0;        // the category of what took it
};

// A named option with a type, a default and a current value. `valueSet` says the value was
// given explicitly (a policy file, the front end, the program); `locked` that the program
// imposed it. Integer-like types (1, 2, 4, 7) keep their value in `number`, text-like ones
// (3, 5, 6) in `text`.
class Policy {
 public:
  // An integer, yes/no, alignment or choice policy. For a choice, `words` is the
  // comma-separated list of allowed words; an integer may have an allowed range
  // (minimum below maximum).
  Policy(int id, PolicyType type, int section, int category, const char* name, int defaultNumber);
  // A text, colour or font policy.
  Policy(int id, PolicyType type, int section, int category, const char* name,
         const char* defaultText);

  void SetRange(int minimum, int maximum);
  // Like SetRange, but a value outside the range is reported ("POLICY: Value 5000 is
  // outside allowed range (-1:1000) - 1000 used") and takes the nearest bound instead of
  // being refused.
  void SetBounds(int minimum, int maximum);
  // The comma-separated words a choice policy numbers, or that a text policy may hold
  // (compared ignoring case): any other text is reported as a value not understood and
  // not taken.
  void SetChoices(const char* words);
  const TextString& Choices() const { return choices_; }

  // Back to the default, with valueSet and locked cleared.
  void Reset();

  // Offers a parsed line. When the name matches (same length, equal ignoring case), takes
  // it: sets request.found and request.category, parses the value by type and stores an
  // accepted one (request.accepted, valueSet). A policy given twice in one read keeps its
  // first value and reports it (with reportRepeats), unless it is locked, in which case
  // the new value is stored after an override report. Returns 1 when it took the line.
  int TakeLine(ParseRequest& request);

  // The value as a policy file writes it ("Yes", "72", "(none)", "left", ...).
  TextString WrittenValue() const;
  // The policy line as a policy file writes it: the name padded to 42 characters (a
  // longer name gets two blanks), ": " and the written value.
  TextString WrittenLine() const;

  // Lets the program impose a value. A locked policy keeps its value unless `forced`. An
  // unset value (or a forced call) is replaced and marked set; a user's value is kept and,
  // with reportOverrides, "INFO: Ruleset overrided - " is reported with the name and the
  // kept value. Either way the policy is locked afterwards.
  void ProgramSetNumber(int value, int forced, int reportOverrides, const MessageFunction& report);
  void ProgramSetText(const char* value, int forced, int reportOverrides,
                      const MessageFunction& report);

  // Takes over the other policy's value when it is set; with flagsToo, also its valueSet
  // and locked flags.
  void Merge(const Policy& source, int flagsToo);

  int id;
  PolicyType type;
  int section;
  int category;
  int valueSet = 0;
  int locked = 0;
  TextString name;
  int defaultNumber = 0;
  TextString defaultText;
  int number = 0;
  TextString text;

 private:
  // Parses request.value by type; on success stores it and returns 1.
  int ParseValue(ParseRequest& request);
  // ParseValue for an integer: a value outside the range is refused, or clamped with a
  // report when the policy has bounds.
  int ParseInteger(const ParseRequest& request);
  // The tail of an out-of-range report: " is outside allowed range (min:max)".
  TextString RangeText() const;
  // The kept value in an override report: " : 72", " : Yes", " : \"text\"".
  TextString ReportedValue() const;
  // Decides a program-set and updates the flags; returns 1 when the new value is to be
  // stored.
  int MayProgramSet(int forced, int reportOverrides, const MessageFunction& report);

  int minimum_ = 0;
  int maximum_ = 0;
  bool clampToRange_ = false;
  TextString choices_;
  int setInRead_ = -1;  // the read that last set the value
};

}  // namespace quorlex
