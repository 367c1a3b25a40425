#include "policies/PolicyFile.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "foundation/Charset.h"
#include "foundation/FileNames.h"
#include "foundation/Utf8.h"
#include "foundation/WholeFileWriter.h"

namespace quorlex {
namespace {

// The de-tagging sections in the order a policy file lists them; the last is written
// only with its set policies, whatever the caller asks.
constexpr int kWrittenSections[] = {kQuorlSection,          kTagManipulationSection,
                                    kTextFormattingSection, kTextHeadersFootersSection,
                                    kTextHyperlinksSection, kTextTablesSection,
                                    kMailTidySection};

// The headings of the general policy set, which carry no meaning when reading.
constexpr const char* kGeneralHeadings[] = {"[General Analysis]",
                                            "[Analysis]",
                                            "[Bullets]",
                                            "[Contents]",
                                            "[Debug]",
                                            "[Directory Page]",
                                            "[Headings]",
                                            "[Added HTML]",
                                            "[Added RTF]",
                                            "[Composition Units]",
                                            "[Hyperlinks]",
                                            "[File generation]",
                                            "[Frames]",
                                            "[Merrill]",
                                            "[Messages]",
                                            "[Page Formatting]",
                                            "[Pre-formatted text]",
                                            "[Preprocessor]",
                                            "[Rule Set]",
                                            "[Style]",
                                            "[Tagging]",
                                            "[Text Commands]",
                                            "[Text Substitution]",
                                            "[Link Dictionary]",
                                            "[Switch to file]",
                                            "[Table generation]"};

// The general sections in the order they are written (only those we hold).
constexpr int kWrittenGeneralSections[] = {kFileGenerationSection, kPreprocessorSection};

// Lines the writer produces in the general sections, which are not missing a colon.
constexpr const char* kColonFree[] = {" recognised headings", "Contents level", "Heading level"};

// Keyword lines, tested in this order.
enum Keyword { kSwitchToFile, kIncludeFile, kLinkDictionary, kTextSubstitution };
constexpr const char* kKeywords[] = {"Switch to file", "include file", "Link Dictionary File",
                                     "Text Substitution File"};
constexpr const char* kKeywordFailures[] = {
    "** Failed to open policy include file ", "** Failed to open policy include file ",
    "** Failed to open Link Dictionary file ", "** Failed to open text substuitution file "};

// Include files nest at most this deep (besides, no file is included while it is being read).
constexpr int kMaxIncludeDepth = 16;

// Fixed-text lines of the general sections align their colon at this column.
constexpr int kFixedTextColumn = 33;

bool Contains(const TextString& text, const char* what) { return text.FindNoCase(what) != nullptr; }

bool SameText(const TextString& text, const char* other) {
  return text.Equals(other, LetterCase::kIgnored, Blanks::kCount) != 0;
}

bool IsGeneralHeading(const TextString& line) {
  for (const char* heading : kGeneralHeadings) {
    if (SameText(line, heading)) return true;
  }
  return false;
}

bool IsHeading(const ConversionContext& context, const TextString& line) {
  for (const PolicySection& section : context.Detagging().Sections()) {
    if (SameText(line, section.heading.Data())) return true;
  }
  return IsGeneralHeading(line);
}

// Squeezes every run of blanks to its first character and trims blanks at both ends.
TextString Squeezed(const TextString& line) {
  TextString squeezed(line);
  squeezed.CollapseBlanks();
  squeezed.Trim(TrimEnds::kBoth, " ");
  return squeezed;
}

// The text before the first colon and the text after it, both trimmed. Returns 0 when the
// line has no colon (then `name` is the whole line and `value` empty).
int SplitAtColon(const TextString& line, TextString& name, TextString& value) {
  int colon = -1;
  const int found = line.FindChar(0, ':', colon, LetterCase::kMatters);
  name.AssignBytes(line.Data(), found ? colon : line.Length());
  value.AssignBytes(found ? line.Data() + colon + 1 : "", found ? line.Length() - colon - 1 : 0);
  name.Trim(TrimEnds::kBoth, " ");
  value.Trim(TrimEnds::kBoth, " ");
  return found;
}

bool MissingColonIsReported(const ConversionContext& context, const TextString& line) {
  if (line.Equals("!", LetterCase::kMatters, Blanks::kCount) || Contains(line, "[") ||
      Contains(line, "]"))
    return false;
  if (IsHeading(context, line)) return false;
  for (const char* text : kColonFree) {
    if (Contains(line, text)) return false;
  }
  return true;
}

// The rule set a "Rule set to be used" line names, or -1 for none of them.
int RuleSetNamed(const TextString& line) {
  if (Contains(line, "Merrill")) return 1;
  if (Contains(line, "SEC")) return 2;
  if (Contains(line, "none")) return 0;
  return -1;
}

// Offers the line to the general policies and the special lines of the general set.
void OfferToGeneral(ConversionContext& context, ParseRequest& request, const TextString& raw) {
  if (IsGeneralHeading(request.line)) {
    request.found = 1;
    request.accepted = 1;
    request.category = 0;
    return;
  }
  for (PolicySection& section : context.General().Sections()) {
    for (Policy& policy : section.Policies()) {
      if (policy.TakeLine(request)) return;
    }
  }
  // A text command keeps its match text exactly as written, blanks included.
  if (Contains(request.line, "Text command")) {
    TextString command(raw);
    command.Trim(TrimEnds::kBoth, " ");
    if (context.TextCommands().AddTextCommand(command, request.report)) {
      request.found = 1;
      request.accepted = 1;
      return;
    }
  }
  if (Contains(request.line, "Rule set to be used")) {
    request.found = 1;
    const int named = RuleSetNamed(request.line);
    if (named < 0) return;
    if (context.ruleSet != 0 && named != context.ruleSet) {
      context.Message(("WARNING: Changing rule set - " + request.line).Data(), 10);
    }
    context.ruleSet = named;
    context.ruleSetRead = 1;
    request.accepted = 1;
  }
}

}  // namespace

int ParsePolicyLine(ConversionContext& context, const TextString& line, int reportRepeats,
                    int& category) {
  category = 0;
  ParseRequest request;
  request.report = context.Reporter();
  request.reportRepeats = reportRepeats;
  request.readNumber = context.readNumber;
  request.line = Squeezed(line);
  if (request.line.IsEmpty() || request.line[0] == '!' || request.line[0] == '#') return 0;

  if (!SplitAtColon(request.line, request.name, request.value) &&
      MissingColonIsReported(context, request.line)) {
    context.Message(("POLICY: Ignored - Missing colon in \"" + request.line + "\"").Data(), 10);
  }
  const TextString& value = request.value;
  request.none = SameText(value, "(none)") || SameText(value, "none");
  request.yes = SameText(value, "Yes") || SameText(value, "true");
  request.no = SameText(value, "no") || SameText(value, "false");

  for (int number : kWrittenSections) {
    PolicySection* section = context.Detagging().Section(number);
    if (section == nullptr) continue;
    if (SameText(request.line, section->heading.Data())) {
      category = 2;
      return 0;
    }
    for (Policy& policy : section->Policies()) {
      if (policy.TakeLine(request)) break;
    }
    if (request.found) break;
  }
  if (!request.found) OfferToGeneral(context, request, line);
  category = request.category;
  if (!request.found) return 1;
  return request.accepted ? 0 : 2;
}

void PolicyFileReader::StartRead() {
  ++context_.readNumber;
  allTaken_ = 1;
  refused_ = false;
  dependsOnInputFolder_ = false;
  filesRead_.clear();
  lastError_.Clear();
}

int PolicyFileReader::Read(const TextString& path, TextString* errorText) {
  StartRead();
  ASCIIFile probe;
  if (!probe.OpenRead(path.Data())) {
    lastError_ = "Can't find policy file \"" + path + "\"";
    allTaken_ = 0;
  } else {
    probe.CloseAll();
    ReadFile(path, 0);
  }
  if (errorText != nullptr) *errorText = lastError_;
  return allTaken_;
}

int PolicyFileReader::OpenToRead(ASCIIFile& file, const TextString& path) {
  TextString refusal;
  if (!CheckSettingsFile(path, refusal)) {
    Refuse(refusal);
    return 0;
  }
  if (!file.OpenRead(path.Data())) return 0;
  file.SetReadLimit(kMaxSettingsFileBytes);
  filesRead_.push_back(path);
  return 1;
}

int PolicyFileReader::ReadStream(std::FILE* stream, const TextString& name) {
  StartRead();
  ASCIIFile file;
  file.OpenReadStream(stream, name.Data());
  file.SetReadLimit(kMaxSettingsFileBytes);
  ReadLines(file, name, 0);
  return allTaken_;
}

void PolicyFileReader::ReadFile(const TextString& path, int depth) {
  ASCIIFile file;
  if (OpenToRead(file, path)) ReadLines(file, path, depth);
}

void PolicyFileReader::ReadLines(ASCIIFile& file, const TextString& path, int depth) {
  TextString folder;
  TextString name;
  TextString extension;
  SplitPath(path, folder, name, extension);
  const size_t outer = reading_.size();
  reading_.push_back(path);
  TextString line;
  bool firstLine = true;  // of the file being read, which may take a byte-order mark
  while (!refused_ && file.ReadLine()) {
    line = *file.NewestLine();
    while (file.LastLineCut() && file.ReadLine()) line += *file.NewestLine();
    if (firstLine) RemoveUtf8ByteOrderMark(line);
    firstLine = false;
    RepairUtf8(line);
    if (!line.IsEmpty() && line[0] == '!') continue;
    const TextString squeezed = Squeezed(line);
    if (IsGeneralHeading(squeezed) || Contains(squeezed, "-----")) continue;
    int category = 0;
    if (ParsePolicyLine(context_, line, 1, category) == 0) continue;
    TextString switchTo;
    KeywordOrIgnored(squeezed, folder, depth, switchTo);
    if (switchTo.IsEmpty()) continue;
    // The rest of this file is dropped: reading goes on in the other one.
    file.CloseAll();
    if (!OpenToRead(file, switchTo)) break;
    SplitPath(switchTo, folder, name, extension);
    reading_.push_back(switchTo);
    firstLine = true;
  }
  if (file.LimitReached()) Refuse(TooLargeMessage(file.Name(), kMaxSettingsFileBytes, "not read"));
  reading_.resize(outer);
}

void PolicyFileReader::Refuse(const TextString& refusal) {
  Fail(refusal);
  refused_ = true;
}

bool PolicyFileReader::BeingRead(const TextString& path) const {
  return std::any_of(reading_.begin(), reading_.end(),
                     [&path](const TextString& open) { return IsSameFile(open, path); });
}

void PolicyFileReader::KeywordOrIgnored(const TextString& line, const TextString& folder, int depth,
                                        TextString& switchTo) {
  TextString name;
  TextString value;
  SplitAtColon(line, name, value);
  for (int keyword = kSwitchToFile; keyword <= kTextSubstitution; ++keyword) {
    if (!Contains(line, kKeywords[keyword])) continue;
    if (SameText(value, "(none)") || SameText(value, "none")) return;
    TextString located;
    if (keyword == kSwitchToFile) {
      ResolvePath(folder, value, located);
      ASCIIFile probe;
      if (!probe.OpenRead(located.Data())) located.Clear();
    } else {
      located = Locate(value, folder);
    }
    const bool nested = keyword == kSwitchToFile || keyword == kIncludeFile;
    if (located.IsEmpty() || (nested && BeingRead(located)) ||
        (keyword == kIncludeFile && depth >= kMaxIncludeDepth)) {
      Fail(kKeywordFailures[keyword] + value + " ***");
      return;
    }
    switch (keyword) {
      case kSwitchToFile:
        switchTo = located;
        break;
      case kIncludeFile:
        ReadFile(located, depth + 1);
        break;
      case kLinkDictionary:
        context_.linkDictionaryFile = located;
        break;
      default:
        context_.textSubstitutionFile = located;
        break;
    }
    return;
  }
  if (!line.IsEmpty()) Fail("POLICY: Ignored - \\" + line + "\\");
}

TextString PolicyFileReader::Locate(const TextString& name, const TextString& folder) {
  const TextString* const bases[] = {&folder, &inputFolder_};
  for (const TextString* base : bases) {
    if (base == &inputFolder_) dependsOnInputFolder_ = true;
    if (base == &inputFolder_ && inputFolder_.IsEmpty()) break;
    TextString path;
    ResolvePath(*base, name, path);
    ASCIIFile probe;
    if (probe.OpenRead(path.Data())) return path;
  }
  return TextString();
}

void PolicyFileReader::Fail(const TextString& message) {
  context_.Message(message.Data(), 10);
  lastError_ = message;
  allTaken_ = 0;
}

// --- Writing ----------------------------------------------------------------------------

namespace {

// Writes lines and remembers whether every write succeeded.
struct LineWriter {
  ASCIIFile& out;
  int ok = 1;

  void Line(const TextString& text) { ok = out.WriteLine(text) && ok; }
  void Heading(const TextString& heading) {
    Line("");
    Line("");
    Line(heading);
    Line("");
  }
  // A section's heading and its policies (all of them, or only those set); nothing for a
  // section with nothing to write.
  void Section(const PolicySection& section, Written written) {
    const bool writeAll = written == Written::kAll;
    if (!writeAll && !section.AnySet()) return;
    Heading(section.heading);
    for (const Policy& policy : section.Policies()) {
      if (writeAll || policy.valueSet) Line(policy.WrittenLine());
    }
  }
};

// A fixed-text line of the general sections: the text padded to the narrower column.
TextString FixedTextLine(const char* text, const char* value) {
  TextString line(text);
  while (line.Length() < kFixedTextColumn) line.AppendChar(' ');
  line += ": ";
  line += value;
  return line;
}

}  // namespace

int WritePolicies(const ConversionContext& context, ASCIIFile& out, Written written) {
  LineWriter writer{out};
  for (int number : kWrittenSections) {
    if (const PolicySection* section = context.Detagging().Section(number)) {
      writer.Section(*section, number == kMailTidySection ? Written::kSetOnly : written);
    }
  }
  if (context.ruleSetRead) {
    static constexpr const char* kRuleSets[] = {"(none)", "Merrill", "SEC"};
    writer.Heading("[Rule Set]");
    writer.Line(FixedTextLine("Rule set to be used", kRuleSets[context.ruleSet]));
  }
  const PolicySection* messages = context.General().Section(kMessagesSection);
  if (messages != nullptr && messages->AnySet()) writer.Section(*messages, Written::kAll);
  for (int number : kWrittenGeneralSections) {
    if (const PolicySection* section = context.General().Section(number)) {
      writer.Section(*section, Written::kSetOnly);
    }
  }
  context.TextCommands().WriteTextCommands(out);
  return writer.ok;
}

std::string PoliciesText(const ConversionContext& context, Written written) {
  std::vector<TextString> lines;
  ASCIIFile out;
  out.SetSinkList(&lines);
  out.OpenWrite("", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText);
  WritePolicies(context, out, written);
  std::string text;
  for (const TextString& line : lines) {
    text += line.View();
    text += '\n';
  }
  return text;
}

int WritePolicyFile(const ConversionContext& context, const TextString& path, Written written,
                    TextString& errorText) {
  return WriteWholeFile(path.Data(), PoliciesText(context, written), errorText);
}

TextString GeneratedPolicyFileName(const ConversionContext& context, const TextString& inputFile,
                                   const TextString& namedPolicyFile) {
  const TextString given = context.GeneralText(kOutputPolicyFilename);
  if (!given.IsEmpty()) return given;
  TextString namedFolder;
  TextString namedBase;
  TextString namedExtension;
  SplitPath(namedPolicyFile, namedFolder, namedBase, namedExtension);
  TextString inputFolder;
  TextString inputBase;
  TextString inputExtension;
  SplitPath(inputFile, inputFolder, inputBase, inputExtension);
  const TextString outputDirectory = context.GeneralText(kOutputDirectory);
  TextString folder = !namedFolder.IsEmpty()       ? namedFolder
                      : !outputDirectory.IsEmpty() ? outputDirectory
                                                   : inputFolder;
  TextString result;
  ResolvePath(folder, namedBase.IsEmpty() ? inputBase : namedBase, result);
  result += namedExtension.IsEmpty() ? TextString(".pol") : namedExtension;
  return result;
}

}  // namespace quorlex
