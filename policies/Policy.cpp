#include "policies/Policy.h"

#include <cstring>

#include "foundation/Ascii.h"

namespace quorlex {
namespace {

constexpr const char* kAlignmentWords[] = {"(none)", "left", "center", "right", "justified"};
// The sixteen colour names of HTML; "#" and six hexadecimal digits is a colour too.
constexpr const char* kHtmlColours[] = {"black",  "silver",  "gray",  "white", "maroon", "red",
                                        "purple", "fuchsia", "green", "lime",  "olive",  "yellow",
                                        "navy",   "blue",    "teal",  "aqua"};
constexpr const char* kFontStyles[] = {"Regular", "Bold", "Italic", "Bold Italic"};
// Written names are padded to this column; longer ones get two blanks.
constexpr int kNameColumn = 42;

void Report(const MessageFunction& report, const TextString& message, int level) {
  if (report) report(message.Data(), level);
}

bool IsHtmlColour(const TextString& value) {
  if (value.IsEmpty()) return true;
  if (value.Length() == 7 && value[0] == '#') {
    for (int i = 1; i < 7; ++i) {
      if (!IsAsciiHexDigit(value[i])) return false;
    }
    return true;
  }
  for (const char* colour : kHtmlColours) {
    if (value.Equals(colour, LetterCase::kIgnored, Blanks::kCount)) return true;
  }
  return false;
}

// "Name, Style, Size": a name, one of the four styles and a size from 1 to 999.
bool IsFontSpecification(const TextString& value) {
  TextString name;
  TextString style;
  TextString size;
  if (!value.GetToken(1, ',', name) || !value.GetToken(2, ',', style) ||
      !value.GetToken(3, ',', size)) {
    return false;
  }
  TextString extra;
  if (value.GetToken(4, ',', extra)) return false;
  name.Trim(TrimEnds::kBoth, nullptr);
  style.Trim(TrimEnds::kBoth, nullptr);
  int points = 0;
  if (name.IsEmpty() || !size.ParseNumber('1', points) || points < 1 || points > 999) {
    return false;
  }
  for (const char* known : kFontStyles) {
    if (style.Equals(known, LetterCase::kIgnored, Blanks::kCount)) return true;
  }
  return false;
}

// The position (from 1) of `value` among the comma-separated `words`, or 0.
int ChoicePosition(const TextString& words, const TextString& value) {
  TextString word;
  for (int n = 1; words.GetToken(n, ',', word); ++n) {
    word.Trim(TrimEnds::kBoth, nullptr);
    if (word.Equals(value.Data(), LetterCase::kIgnored, Blanks::kCount)) return n;
  }
  return 0;
}

bool SameName(const TextString& a, const TextString& b) {
  return !b.IsEmpty() && a.Length() == b.Length() &&
         a.Equals(b.Data(), LetterCase::kIgnored, Blanks::kCount);
}

// The text a request gives a text-like policy: empty for "none".
TextString GivenText(const ParseRequest& request) {
  return request.none ? TextString() : request.value;
}

// The number of an alignment word, by its first letter (Left 1, Center 2, Right 3,
// Justified 4); -1 when the first letter is none of those.
int AlignmentNumber(const TextString& value) {
  static constexpr char kInitials[] = "LCRJ";
  const char initial = value.IsEmpty() ? 0 : value[0];
  const char* at = initial == 0 ? nullptr : std::strchr(kInitials, ToAsciiUpper(initial));
  return at == nullptr ? -1 : static_cast<int>(at - kInitials) + 1;
}

}  // namespace

bool IsPolicyType(int type) { return type >= 1 && type <= 7; }

Policy::Policy(int id, PolicyType type, int section, int category, const char* name,
               int defaultNumber)
    : id(id),
      type(type),
      section(section),
      category(category),
      name(name),
      defaultNumber(defaultNumber),
      number(defaultNumber) {}

Policy::Policy(int id, PolicyType type, int section, int category, const char* name,
               const char* defaultText)
    : id(id),
      type(type),
      section(section),
      category(category),
      name(name),
      defaultText(defaultText),
      text(defaultText) {}

void Policy::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

void Policy::SetBounds(int minimum, int maximum) {
  SetRange(minimum, maximum);
  clampToRange_ = true;
}

void Policy::SetChoices(const char* words) { choices_ = words; }

void Policy::Reset() {
  number = defaultNumber;
  text = defaultText;
  valueSet = 0;
  locked = 0;
  setInRead_ = -1;
}

int Policy::TakeLine(ParseRequest& request) {
  if (name.IsEmpty()) {
    const char* message = type == PolicyType::kInteger ? "PROGRAM ERROR: Missing Int policy text"
                          : type == PolicyType::kYesNo ? "PROGRAM ERROR: Missing Bool policy text"
                                                       : "PROGRAM ERROR: Missing text policy text";
    Report(request.report, message, 10);
    return 0;
  }
  if (!SameName(name, request.name)) return 0;
  request.found = 1;
  request.category = category;
  if (valueSet && setInRead_ == request.readNumber) {
    if (locked) {
      Report(request.report, "INFO: Ruleset overrided : " + request.line, 10);
    } else if (request.reportRepeats) {
      Report(request.report, "POLICY: Ignoring repeated policy \\" + name + "\\", 10);
      return 1;
    }
  }
  if (ParseValue(request)) {
    request.accepted = 1;
    valueSet = 1;
    setInRead_ = request.readNumber;
  }
  return 1;
}

int Policy::ParseInteger(const ParseRequest& request) {
  int read = -1;
  if (!request.none && !request.value.ParseNumber('1', read)) return 0;  // no message of its own
  if (!request.none && minimum_ < maximum_ && (read < minimum_ || read > maximum_)) {
    if (!clampToRange_) {
      Report(request.report, "POLICY: Ignored - Value " + TextString(read) + RangeText(), 10);
      return 0;
    }
    const int bound = read < minimum_ ? minimum_ : maximum_;
    Report(request.report,
           "POLICY: Value " + TextString(read) + RangeText() + " - " + TextString(bound) + " used",
           10);
    read = bound;
  }
  number = read;
  return 1;
}

TextString Policy::RangeText() const {
  TextString range(" is outside allowed range (");
  range += minimum_;
  range += ":";
  range += maximum_;
  range += ")";
  return range;
}

int Policy::ParseValue(ParseRequest& request) {
  const TextString& value = request.value;
  switch (type) {
    case PolicyType::kInteger:
      return ParseInteger(request);
    case PolicyType::kYesNo:
      if (!request.yes && !request.no) {
        Report(request.report, "ERROR: Don't understand policy value : " + value, 10);
        return 0;
      }
      number = request.yes ? 1 : 0;
      return 1;
    case PolicyType::kText:
      if (!request.none && !choices_.IsEmpty() && ChoicePosition(choices_, value) == 0) {
        Report(request.report, "ERROR: Don't understand policy value : " + value, 10);
        return 0;
      }
      text = GivenText(request);
      return 1;
    case PolicyType::kAlignment: {
      const int alignment = request.none ? 0 : AlignmentNumber(value);
      if (alignment < 0) return 0;
      number = alignment;
      return 1;
    }
    case PolicyType::kColour:
      // The colour is kept even when it is not a standard one; it just does not count as
      // set.
      text = GivenText(request);
      if (!IsHtmlColour(text)) {
        Report(request.report, "WARNING: \"" + value + "\" is not a standard HTML colour", 7);
        return 0;
      }
      return 1;
    case PolicyType::kFont:
      if (!request.none && !IsFontSpecification(value)) {
        Report(request.report, "WARNING: \"" + value + "\" is not a valid font specification", 10);
        return 0;
      }
      text = GivenText(request);
      return 1;
    case PolicyType::kChoice: {
      const int position = request.none ? -1 : ChoicePosition(choices_, value);
      if (position == 0) return 0;
      number = position;
      return 1;
    }
  }
  return 0;
}

TextString Policy::WrittenValue() const {
  switch (type) {
    case PolicyType::kInteger:
      return TextString(number);
    case PolicyType::kYesNo:
      return number ? "Yes" : "No";
    case PolicyType::kAlignment:
      return kAlignmentWords[number >= 1 && number <= 4 ? number : 0];
    case PolicyType::kChoice: {
      TextString word;
      if (number < 1 || !choices_.GetToken(number, ',', word)) return "(none)";
      word.Trim(TrimEnds::kBoth, nullptr);
      return word;
    }
    case PolicyType::kText:
    case PolicyType::kColour:
    case PolicyType::kFont:
      return text.IsEmpty() ? TextString("(none)") : text;
  }
  return TextString();
}

TextString Policy::WrittenLine() const {
  TextString line(name);
  const int blanks = name.Length() >= kNameColumn ? 2 : kNameColumn - name.Length();
  for (int i = 0; i < blanks; ++i) line.AppendChar(' ');
  line += ": ";
  line += WrittenValue();
  return line;
}

TextString Policy::ReportedValue() const {
  switch (type) {
    case PolicyType::kInteger:
      return " : " + TextString(number);
    case PolicyType::kYesNo:
      return number ? " : Yes" : " : No";
    case PolicyType::kAlignment:
    case PolicyType::kChoice:
      return " : \"" + TextString(number) + "\"";
    case PolicyType::kText:
    case PolicyType::kColour:
    case PolicyType::kFont:
      return " : \"" + text + "\"";
  }
  return TextString();
}

int Policy::MayProgramSet(int forced, int reportOverrides, const MessageFunction& report) {
  if (locked && !forced) return 0;
  const int store = !valueSet || forced;
  if (!store && reportOverrides) {
    Report(report, "INFO: Ruleset overrided - " + name + ReportedValue(), 10);
  }
  locked = 1;
  if (store) valueSet = 1;
  return store;
}

void Policy::ProgramSetNumber(int value, int forced, int reportOverrides,
                              const MessageFunction& report) {
  if (MayProgramSet(forced, reportOverrides, report)) number = value;
}

void Policy::ProgramSetText(const char* value, int forced, int reportOverrides,
                            const MessageFunction& report) {
  if (MayProgramSet(forced, reportOverrides, report)) text = value;
}

void Policy::Merge(const Policy& source, int flagsToo) {
  if (!source.valueSet) return;
  number = source.number;
  text = source.text;
  if (flagsToo) {
    valueSet = source.valueSet;
    locked = source.locked;
  }
}

}  // namespace quorlex
