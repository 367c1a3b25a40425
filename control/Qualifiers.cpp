#include "control/Qualifiers.h"

#include <charconv>
#include <iterator>
#include <string_view>
#include <vector>

#include "foundation/Ascii.h"
#include "foundation/FileNames.h"

namespace quorlex {
namespace {

constexpr Qualifier kTable[] = {
    {QualifierId::kQuestionMark, "/?", 1, 0, ""},
    {QualifierId::kHelp, "/HELP", 2, 1,
     "                Display this useful list of commands (\"/?\" also works)"},
    {QualifierId::kHtml, "/HTML", 2, 0, "                Source file is HTML (as opposed to text)"},
    {QualifierId::kLog, "/LOG", 2, 1, "[=filename]      Generate a .log file"},
    {QualifierId::kOutput, "/OUTPUT", 1, 1, "[=filespec]   Filespec for output file(s)"},
    {QualifierId::kTocOut, "/TOC_OUT", 3, 0, "[=filespec]  Filespec for output .toc file(s)"},
    {QualifierId::kContents, "/CONTENTS", 4, 0, "            Generate contents list (if possible)"},
    {QualifierId::kConsole, "/CONSOLE", 4, 1, "             Write output direct to console"},
    {QualifierId::kCu, "/CU", 2, 0, "                  The file is a composition unit"},
    {QualifierId::kCtxIn, "/CTX_IN", 5, 0, "=filename     The name of a context file to be loaded"},
    {QualifierId::kCtxOut, "/CTX_OUT", 5, 0, "[=filespec]  Filespec for output .ctx file(s)"},
    {QualifierId::kDebug, "/DEBUG", 2, 0, "               Generate .lis and .stats file"},
    {QualifierId::kDos, "/DOS", 2, 0, "                 Generate DOS compatible 8.3 names"},
    {QualifierId::kFrames, "/FRAMES", 1, 0, "              Generate HTML output in FRAMES"},
    {QualifierId::kIndex, "/INDEX", 1, 0,
     "[=filename]    Generate a directory index of all files converted"},
    {QualifierId::kList, "/LIST", 3, 0, "[=filename]     Generate .lis and .lis1 diagnostic files"},
    {QualifierId::kLinks, "/LINKS", 3, 0,
     "[=filename]    Output all URLs and email addresses to file"},
    {QualifierId::kPolicy, "/POLICY", 1, 1, "[=filename]   Document policies used in a .pol file"},
    {QualifierId::kRtf, "/RTF", 2, 0, "                 Generate RTF (instead of HTML)"},
    {QualifierId::kRuleSet, "/RULESET", 2, 0,
     "=\"name\"      Rule set to be used (requires special code)"},
    {QualifierId::kSimple, "/SIMPLE", 3, 0,
     "              Treat file as structure-free \"simple\" file"},
    {QualifierId::kSilent, "/SILENT", 3, 1,
     "              Suppress all output messages (except these :-)"},
    {QualifierId::kComma, "/COMMA", 3, 0, "               Input file is a comma-delimited table"},
    {QualifierId::kTable, "/TABLE", 4, 0, "              Input file is plain text table"},
    {QualifierId::kTabbed, "/TABBED", 4, 0, "              Input file is tab-delimited table"},
    {QualifierId::kTags, "/TAGS", 3, 0, "                Generate debug tags in output"},
    {QualifierId::kJobs, "/JOBS", 1, 1,
     "=n              Convert on n threads (default: one per core)"},
};

constexpr bool TableIsInIdOrder() {
  for (int i = 0; i < static_cast<int>(std::size(kTable)); ++i) {
    if (static_cast<int>(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(TableIsInIdOrder(), "QualifierOf indexes the table by id");

// The qualifiers looked for after help and HTML, in this order.
constexpr QualifierId kLookupOrder[] = {
    QualifierId::kLog,     QualifierId::kOutput, QualifierId::kTocOut, QualifierId::kContents,
    QualifierId::kConsole, QualifierId::kCu,     QualifierId::kCtxIn,  QualifierId::kCtxOut,
    QualifierId::kDebug,   QualifierId::kDos,    QualifierId::kFrames, QualifierId::kIndex,
    QualifierId::kList,    QualifierId::kLinks,  QualifierId::kPolicy, QualifierId::kRtf,
    QualifierId::kRuleSet, QualifierId::kSimple, QualifierId::kSilent, QualifierId::kComma,
    QualifierId::kTabbed,  QualifierId::kTable,  QualifierId::kTags,   QualifierId::kJobs,
};

// The order of the help text, which lists only the offered ones of these.
constexpr QualifierId kHelpOrder[] = {
    QualifierId::kComma,  QualifierId::kConsole, QualifierId::kContents, QualifierId::kCu,
    QualifierId::kCtxIn,  QualifierId::kCtxOut,  QualifierId::kDebug,    QualifierId::kDos,
    QualifierId::kFrames, QualifierId::kHelp,    QualifierId::kHtml,     QualifierId::kIndex,
    QualifierId::kJobs,   QualifierId::kLog,     QualifierId::kList,     QualifierId::kLinks,
    QualifierId::kOutput, QualifierId::kPolicy,  QualifierId::kRtf,      QualifierId::kRuleSet,
    QualifierId::kSilent, QualifierId::kSimple,  QualifierId::kTags,     QualifierId::kTable,
    QualifierId::kTabbed, QualifierId::kTocOut,
};

// The most threads a run converts on.
constexpr int kMaxJobs = 256;

constexpr const char* kDefaultLogName = "Pellomar.log";
constexpr const char* kDefaultLinksName = "FoundLinks.txt";
// Extensions a log or index file may not have (those of policy files and of text or data
// input); an output file may only not be a policy file.
constexpr const char* kUnsuitableExtensions[] = {".pol", ".txt", ".dat"};

bool SameNoCase(char a, char b) { return ToAsciiUpper(a) == ToAsciiUpper(b); }

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return false;
  for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
    size_t i = 0;
    while (i < needle.size() && SameNoCase(haystack[start + i], needle[i])) ++i;
    if (i == needle.size()) return true;
  }
  return false;
}

// The number of characters from `pos` on that agree with the beginning of `text`.
int MatchingLength(const TextString& line, int pos, std::string_view text) {
  int n = 0;
  while (n < static_cast<int>(text.size()) && pos + n < line.Length() &&
         SameNoCase(line[pos + n], text[n])) {
    ++n;
  }
  return n;
}

// The first index at or after `from` whose character ends a stretch: a blank or tab, or
// one of `stops`; the length of the line when there is none.
int StretchEnd(const TextString& line, int from, std::string_view stops) {
  int i = from;
  while (i < line.Length() && !IsBlank(line[i]) && stops.find(line[i]) == std::string_view::npos) {
    ++i;
  }
  return i;
}

TextString Part(const TextString& line, int start, int end) {
  TextString part;
  part.AssignBytes(line.Data() + start, end - start);
  return part;
}

// Where the text of one qualifier lies in a line: [start, wordEnd) is its word,
// [valueStart, valueEnd) its value (without quotes), [start, end) the whole text.
struct QualifierSpan {
  int start = 0;
  int wordEnd = 0;
  int valueStart = 0;
  int valueEnd = 0;
  int end = 0;
  bool missingValue = false;  // '=' followed by a blank or tab
  bool missingQuote = false;  // a quoted value without its closing quote
};

// Reads the qualifier whose slash is at `start`.
QualifierSpan ReadQualifier(const TextString& line, int start) {
  QualifierSpan span;
  span.start = start;
  span.wordEnd = StretchEnd(line, start + 1, "/=");
  span.end = span.valueStart = span.valueEnd = span.wordEnd;
  int equals = span.wordEnd;
  while (equals < line.Length() && IsBlank(line[equals])) ++equals;
  if (equals >= line.Length() || line[equals] != '=') return span;

  const int first = equals + 1;
  span.end = span.valueStart = span.valueEnd = first;  // '=' at the end: no value
  if (first >= line.Length()) return span;
  if (IsBlank(line[first])) {
    span.missingValue = true;
    return span;
  }
  if (line[first] != '"') {
    span.valueEnd = span.end = StretchEnd(line, first, "");
    return span;
  }
  span.valueStart = first + 1;
  int quote = -1;
  if (line.FindChar(span.valueStart, '"', quote, LetterCase::kMatters)) {
    span.valueEnd = quote;
    span.end = quote + 1;
    return span;
  }
  span.missingQuote = true;
  span.valueEnd = span.end = line.Length();
  return span;
}

// The slashes of the line that begin a qualifier: every slash outside a qualifier's value.
std::vector<int> QualifierStarts(const TextString& line) {
  std::vector<int> starts;
  int i = 0;
  while (i < line.Length()) {
    if (line[i] != kQualifierChar) {
      ++i;
      continue;
    }
    starts.push_back(i);
    // The word may end at the slash of the next qualifier ("/LOG/SILENT"); a value never
    // holds one that counts.
    i = ReadQualifier(line, i).end;
  }
  return starts;
}

// Where the longest beginning of the full form, down to the short form, first begins a
// qualifier in the line; -1 if not even the short form does.
int FindQualifier(const TextString& line, const Qualifier& qualifier) {
  const std::string_view fullForm(qualifier.fullForm);
  int best = -1;
  int bestLength = qualifier.ShortestLength() - 1;
  for (const int start : QualifierStarts(line)) {
    const int length = MatchingLength(line, start, fullForm);
    if (length > bestLength) {
      best = start;
      bestLength = length;
    }
  }
  return best;
}

bool IsCommentLine(const TextString& line) {
  return !line.IsEmpty() && (line[0] == '!' || line[0] == '#');
}

bool HasExtension(const TextString& path, const char* extension) {
  TextString folder, name, found;
  SplitPath(path, folder, name, found);
  return found.Equals(extension, LetterCase::kIgnored, Blanks::kCount) != 0;
}

}  // namespace

TextString ExtensionChangeMessage(const TextString& extension, const char* what,
                                  const char* newExtension) {
  TextString message("Can't use \"");
  message += extension;
  message += "\" for ";
  message += what;
  message += ".  Changing to \"";
  message += newExtension;
  message += "\"";
  return message;
}

namespace {

// The path with its extension replaced by `newExtension` when its extension is one of
// `unsuitable` (reported as unfit for `what`); else the path as it is.
TextString WithSuitableExtension(const TextString& path, std::span<const char* const> unsuitable,
                                 const char* what, const char* newExtension, RunLog& log) {
  TextString folder, name, extension;
  SplitPath(path, folder, name, extension);
  for (const char* bad : unsuitable) {
    if (extension.Equals(bad, LetterCase::kIgnored, Blanks::kCount)) {
      log.RunMessage(ExtensionChangeMessage(extension, what, newExtension).Data());
      return folder + name + newExtension;
    }
  }
  return path;
}

void ApplyLog(const TextString& value, RunSettings& run, RunLog& log) {
  run.createLog = 1;
  run.logName = value.IsEmpty() ? TextString(kDefaultLogName)
                                : WithSuitableExtension(value, kUnsuitableExtensions, "a log file",
                                                        ".log", log);
}

void ApplyOutput(const TextString& value, RunSettings& run, RunLog& log) {
  if (value.IsEmpty()) return;
  static constexpr const char* kPolicyOnly[] = {".pol"};
  run.output.Assign(WithSuitableExtension(value, kPolicyOnly, "an output file", ".html", log));
}

void ApplyIndex(const TextString& value, RunSettings& run, RunLog& log) {
  run.index = 1;
  run.indexName = value.IsEmpty() ? TextString()
                                  : WithSuitableExtension(value, kUnsuitableExtensions,
                                                          "an index file", ".html", log);
}

void ApplyContextIn(const Qualifier& qualifier, const TextString& value, RunSettings& run,
                    RunLog& log) {
  if (value.IsEmpty()) {
    TextString message("Value missing for ");
    message += qualifier.fullForm;
    message += " qualifier";
    log.RunMessage(message.Data());
    run.loadContext = 0;
    return;
  }
  run.loadContext = 1;
  run.contextToLoad = value;
}

// The number of threads, from 1 to kMaxJobs; without a value, one for each core (0).
void ApplyJobs(const Qualifier& qualifier, const TextString& value, RunSettings& run, RunLog& log) {
  run.jobs = 0;
  if (value.IsEmpty()) return;
  const std::string_view digits = value.View();
  int jobs = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), jobs);
  if (error == std::errc() && end == digits.data() + digits.size() && jobs >= 1 &&
      jobs <= kMaxJobs) {
    run.jobs = jobs;
    return;
  }
  TextString message("Value of ");
  message += qualifier.fullForm;
  message += " must be a number from 1 to ";
  message += kMaxJobs;
  message += " - one thread per core used";
  log.RunMessage(message.Data());
  ++run.requestsFailed;
}

// Stores a file specification given as a value; without one nothing changes.
void AssignIfGiven(FileSpecification& spec, const TextString& value) {
  if (!value.IsEmpty()) spec.Assign(value);
}

// Fills the setting of a qualifier that was found with `value` (empty: none).
void Apply(const Qualifier& qualifier, const TextString& value, RunSettings& run, RunLog& log) {
  switch (qualifier.id) {
    case QualifierId::kQuestionMark:
    case QualifierId::kHelp:
      run.help = 1;
      return;
    case QualifierId::kHtml:
      run.inputIsHtml = 1;
      return;
    case QualifierId::kLog:
      ApplyLog(value, run, log);
      return;
    case QualifierId::kOutput:
      ApplyOutput(value, run, log);
      return;
    case QualifierId::kTocOut:
      AssignIfGiven(run.contentsOutput, value);
      return;
    case QualifierId::kContents:
      run.contents = 1;
      return;
    case QualifierId::kConsole:
      run.outputToConsole = 1;
      return;
    case QualifierId::kCu:
      run.compositionUnit = 1;
      return;
    case QualifierId::kCtxIn:
      ApplyContextIn(qualifier, value, run, log);
      return;
    case QualifierId::kCtxOut:
      AssignIfGiven(run.contextOutput, value);
      return;
    case QualifierId::kDebug:
      run.debug = 1;
      return;
    case QualifierId::kDos:
      run.shortNames = 1;
      return;
    case QualifierId::kFrames:
      run.frames = 1;
      return;
    case QualifierId::kIndex:
      ApplyIndex(value, run, log);
      return;
    case QualifierId::kList:
      run.listing = 1;
      return;
    case QualifierId::kLinks:
      run.links = 1;
      run.linksName = value.IsEmpty() ? TextString(kDefaultLinksName) : value;
      return;
    case QualifierId::kPolicy:
      run.generatePolicyFile = 1;
      run.generatedPolicyName = value;
      return;
    case QualifierId::kRtf:
      run.rtf = 1;
      return;
    case QualifierId::kRuleSet:
      if (!value.IsEmpty()) run.ruleSetName = value;
      return;
    case QualifierId::kSimple:
      run.simple = 1;
      return;
    case QualifierId::kSilent:
      run.silent = 1;
      log.consoleEcho = 0;
      return;
    case QualifierId::kComma:
      run.commaTable = 1;
      return;
    case QualifierId::kTable:
      run.textTable = 1;
      return;
    case QualifierId::kTabbed:
      run.tabTable = 1;
      return;
    case QualifierId::kTags:
      run.debugTags = 1;
      return;
    case QualifierId::kJobs:
      ApplyJobs(qualifier, value, run, log);
      return;
  }
}

// Looks for the qualifier while the line may still hold one, and fills its setting when it
// is taken out. Returns 1 when it was.
int Handle(QualifierId id, TextString& line, int& slashesLeft, RunSettings& run, RunLog& log) {
  if (slashesLeft <= 0) return 0;
  const Qualifier& qualifier = QualifierOf(id);
  TextString value;
  if (!ExtractQualifier(line, log, qualifier, value)) return 0;
  --slashesLeft;
  Apply(qualifier, value, run, log);
  return 1;
}

// Splits the line into words at blanks and tabs.
std::vector<TextString> Words(const TextString& line) {
  std::vector<TextString> words;
  int i = 0;
  while (i < line.Length()) {
    while (i < line.Length() && IsBlank(line[i])) ++i;
    const int end = StretchEnd(line, i, "");
    if (end > i) words.push_back(Part(line, i, end));
    i = end;
  }
  return words;
}

void ReportUnrecognised(const std::vector<TextString>& words, RunLog& log) {
  TextString message("*** Unrecognised, ambiguous or repeated qualifiers : ");
  for (const TextString& word : words) {
    message += word;
    message += " ";
  }
  log.RunMessage(message.Data());
}

}  // namespace

TextString Qualifier::ShortForm() const {
  TextString shortForm;
  shortForm.AssignSub(fullForm, 0, ShortestLength());
  return shortForm;
}

std::span<const Qualifier> QualifierTable() { return kTable; }

const Qualifier& QualifierOf(QualifierId id) { return kTable[static_cast<int>(id)]; }

int ExtractQualifier(TextString& line, RunLog& log, const Qualifier& qualifier, TextString& value) {
  value.Clear();
  const int start = FindQualifier(line, qualifier);
  if (start < 0) return 0;
  const QualifierSpan span = ReadQualifier(line, start);
  if (span.missingValue || span.missingQuote) {
    TextString message(span.missingValue ? "Missing value after \"=\" for qualifier "
                                         : "Missing end-quote in qualifier value ");
    message += qualifier.fullForm;
    log.RunMessage(message.Data());
  }
  TextString word = Part(line, span.start, span.wordEnd);
  word.Trim(TrimEnds::kBoth, " ");
  if (!ContainsNoCase(qualifier.fullForm, word.View())) {
    TextString message("Illegal Qualifier : ");
    message += word;
    log.RunMessage(message.Data());
    return 0;
  }
  value = Part(line, span.valueStart, span.valueEnd);
  value.Trim(TrimEnds::kBoth, " ");
  line.Splice(span.start, span.end - span.start, " ", 1);
  return 1;
}

TextString HelpText() {
  TextString text("Usage : quorlexrun filespec1 filespec2 [policy_file.pol] [");
  text.AppendChar(kQualifierChar);
  text += "qualifiers]\n\nRecognised qualifiers include\n";
  for (const QualifierId id : kHelpOrder) {
    const Qualifier& qualifier = QualifierOf(id);
    if (!qualifier.offered) continue;
    text += "   ";
    text += qualifier.fullForm;
    text += qualifier.helpText;
    text += "\n";
  }
  text += "Qualifiers are case insensitive and may be reduced to shortest unique\nname (e.g \"";
  text.AppendChar(kQualifierChar);
  text += "lo\" for \"";
  text.AppendChar(kQualifierChar);
  text += "log\")\n";
  return text;
}

int ParseCommandLine(const TextString& line, RunSettings& run, RunLog& log, std::FILE* helpStream) {
  if (IsCommentLine(line)) {
    TextString message("INFO: Steering file: Ignoring comment line \"");
    message += line;
    message += "\"";
    log.RunMessage(message.Data());
    return 0;
  }

  // The parser never looks for more qualifiers than the line has slashes.
  TextString rest(line);
  int slashesLeft = rest.CountChar(kQualifierChar);

  // Help first, so that the help text comes before the reports on the other qualifiers.
  int helpAsked = Handle(QualifierId::kQuestionMark, rest, slashesLeft, run, log);
  helpAsked |= Handle(QualifierId::kHelp, rest, slashesLeft, run, log);
  Handle(QualifierId::kHtml, rest, slashesLeft, run, log);
  if (helpAsked && helpStream != nullptr) std::fputs(HelpText().Data(), helpStream);

  int console = 0;
  for (const QualifierId id : kLookupOrder) {
    const int handled = Handle(id, rest, slashesLeft, run, log);
    if (id == QualifierId::kConsole) console = handled;
  }

  // What is left: file specifications, a policy file, and qualifiers nobody took.
  rest.Trim(TrimEnds::kBoth, " ");
  std::vector<TextString> unrecognised;
  std::vector<TextString> files;
  for (TextString& word : Words(rest)) {
    int slash = -1;
    auto& list =
        word.FindChar(0, kQualifierChar, slash, LetterCase::kMatters) ? unrecognised : files;
    list.push_back(std::move(word));
  }
  if (!unrecognised.empty()) {
    // The run still goes on, but not quite as asked.
    ReportUnrecognised(unrecognised, log);
    ++run.requestsFailed;
  }

  if (console) {
    // The output goes to standard output: no index, no messages mixed into it, no name.
    run.index = 0;
    run.indexName.Clear();
    log.consoleEcho = 0;
    run.output.name.Clear();
  }

  for (TextString& word : files) {
    if (HasExtension(word, ".pol")) {
      run.policyFile = word;
    } else {
      run.fileSpecs.push_back(std::move(word));
    }
  }
  return 1;
}

}  // namespace quorlex
