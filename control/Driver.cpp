#include "control/Driver.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "control/Arguments.h"
#include "control/Qualifiers.h"
#include "engine/OutputPass.h"
#include "foundation/ASCIIFile.h"
#include "foundation/Charset.h"
#include "foundation/FileList.h"
#include "foundation/FileNames.h"
#include "foundation/LineSource.h"
#include "foundation/Utf8.h"
#include "foundation/WholeFileWriter.h"
#include "policies/PolicyFile.h"

namespace quorlex {
namespace {

// The name standard input goes by where a file name is needed.
constexpr const char* kStandardInputName = "stdin";

bool HasStar(const TextString& text) { return text.CountChar('*') > 0; }

bool SameNoCase(const TextString& a, const char* b) {
  return a.Length() == static_cast<int>(std::char_traits<char>::length(b)) &&
         a.Equals(b, LetterCase::kIgnored, Blanks::kCount);
}

// A folder named as a specification stands for the HTML files in it.
TextString FolderAsSpec(const TextString& spec) {
  if (!IsFolder(spec)) return spec;
  TextString result(spec);
  if (result[result.Length() - 1] != '/') result.AppendChar('/');
  result += "*.htm*";
  return result;
}

void SetNumber(ConversionContext& context, int id, int value) {
  Policy* policy = context.General().Find(id);
  policy->number = value;
  policy->valueSet = 1;
}

void SetText(ConversionContext& context, int id, const TextString& value) {
  Policy* policy = context.General().Find(id);
  policy->text = value;
  policy->valueSet = 1;
}

// The rule set a name selects, as a rule set line does: 1 Merrill, 2 SEC, 0 none, -1 for
// a name that is none of them.
int RuleSetNamed(const TextString& name) {
  if (SameNoCase(name, "Merrill")) return 1;
  if (SameNoCase(name, "SEC")) return 2;
  if (SameNoCase(name, "none")) return 0;
  return -1;
}

// How reading a steering file went.
enum class SteeringRead { kRead, kNotOpened, kRefused };

// The lines of a steering file, read whole. A steering file that is no regular file or is
// larger than kMaxSettingsFileBytes is refused with `refusal` set.
SteeringRead ReadLines(const TextString& path, std::vector<TextString>& lines,
                       TextString& refusal) {
  if (!CheckSettingsFile(path, refusal)) return SteeringRead::kRefused;
  ASCIIFile file;
  if (!file.OpenRead(path.Data())) return SteeringRead::kNotOpened;
  file.SetReadLimit(kMaxSettingsFileBytes);
  LineSource source(file, nullptr, {});
  TextString line;
  while (source.NextLine(line)) {
    if (lines.empty()) RemoveUtf8ByteOrderMark(line);
    RepairUtf8(line);
    lines.push_back(line);
  }
  if (file.LimitReached()) {
    refusal = TooLargeMessage(path, kMaxSettingsFileBytes, "not read");
    return SteeringRead::kRefused;
  }
  return SteeringRead::kRead;
}

// `name` with the extension `extension`: another one is replaced, with the message the
// qualifiers give for it; none is added.
TextString WithExtension(const TextString& name, const char* extension, const char* what,
                         RunLog& log) {
  TextString folder;
  TextString base;
  TextString given;
  SplitPath(name, folder, base, given);
  if (SameNoCase(given, extension)) return name;
  if (!given.IsEmpty()) log.RunMessage(ExtensionChangeMessage(given, what, extension).Data());
  return folder + base + extension;
}

}  // namespace

void DefaultExtension(const TextString& inputExtension, OutputFormat format,
                      TextString& extension) {
  if (format == OutputFormat::kText) {
    extension = ".txt";
  } else {
    extension = inputExtension.IsEmpty() ? TextString(".html") : inputExtension;
  }
}

void ComputeOutputName(const TextString& inputPath, const TextString& outputSpec,
                       const RunSettings& run, TextString& folder, TextString& name,
                       TextString& extension) {
  TextString inputExtension;
  SplitPath(IsStandardInput(inputPath) ? TextString(kStandardInputName) : inputPath, folder, name,
            inputExtension);
  // The run's output specification replaces the folder, the name (but "*" keeps the
  // input's) and the extension (but ".*" keeps the input's); "in.asc" is always "out".
  const FileSpecification& output = run.output;
  if (!output.folder.IsEmpty()) folder = output.folder;
  if (SameNoCase(inputPath, "in.asc")) {
    name = "out";
  } else if (!output.name.IsEmpty() && !SameNoCase(output.name, "*")) {
    name = output.name;
  }
  extension.Clear();
  if (!output.extension.IsEmpty() && !SameNoCase(output.extension, ".*")) {
    extension = output.extension;
  }
  // The entry's own output specification replaces each part that holds no '*'.
  TextString entryFolder;
  TextString entryName;
  TextString entryExtension;
  SplitPath(outputSpec, entryFolder, entryName, entryExtension);
  if (!entryFolder.IsEmpty() && !HasStar(entryFolder)) folder = entryFolder;
  if (!entryName.IsEmpty() && !HasStar(entryName)) name = entryName;
  if (!entryExtension.IsEmpty() && !HasStar(entryExtension)) extension = entryExtension;
  // With no extension named anywhere, the one the output format calls for.
  if (extension.IsEmpty()) DefaultExtension(inputExtension, run.outputFormat, extension);
}

void ApplyRunSettings(RunSettings& run, ConversionContext& context) {
  if (run.createLog) {
    SetNumber(context, kCreateLogFile, 1);
    SetText(context, kOutputLogFilename, run.logName);
  }
  if (run.silent) SetNumber(context, kDisplayMessages, 0);
  if (run.generatePolicyFile) SetNumber(context, kOutputPolicyFile, 1);
  if (!run.output.folder.IsEmpty()) SetText(context, kOutputDirectory, run.output.folder);
  if (!run.ruleSetName.IsEmpty()) {
    const int ruleSet = RuleSetNamed(run.ruleSetName);
    if (ruleSet < 0) {
      context.Message(
          ("CTX.Command ERROR: Unrecognised RuleSet \"" + run.ruleSetName + "\"").Data(), 10);
      run.ruleSetName.Clear();
    } else {
      context.ruleSet = ruleSet;
      context.ruleSetRead = 1;
    }
  }
}

void QueueFiles(RunSettings& run, RunLog& log, const TextString& spec, const TextString& policyFile,
                const TextString& outputSpec, int includeSubFolders) {
  if (IsStandardInput(spec)) {
    // Standard input can be read once.
    const bool queued =
        std::any_of(run.queue.begin(), run.queue.end(),
                    [](const QueueEntry& entry) { return IsStandardInput(entry.input); });
    if (!queued) run.queue.push_back({spec, policyFile, outputSpec});
    return;
  }
  const MessageFunction owner = [&log](const char* message, int level) {
    log.Message(message, level);
  };
  const TextString expanded = FolderAsSpec(spec);
  FileSpecState state;
  TextString file;
  ExpandFileSpec(owner, expanded, includeSubFolders, 0, state, file);
  run.requestsFailed += static_cast<int>(state.unreadable.size());
  run.failedFiles.insert(run.failedFiles.end(), state.unreadable.begin(), state.unreadable.end());
  if (file.IsEmpty()) {
    log.Message(("WARNING: No file matches " + spec).Data(), 10);
    ++run.requestsFailed;
    run.failedFiles.push_back(spec);
    return;
  }
  if (!CanRead(file)) {
    log.RunMessage(("ERROR: Can't find or open " + spec).Data());
    ++run.requestsFailed;
    run.failedFiles.push_back(spec);
    return;
  }
  for (int index = 1; !file.IsEmpty(); ++index) {
    const TextString name = NameAndExtension(file);
    if (!SameNoCase(name, ".") && !SameNoCase(name, "..")) {
      run.queue.push_back({file, policyFile, outputSpec});
    }
    ExpandFileSpec(owner, expanded, includeSubFolders, index, state, file);
  }
}

namespace {

// The specifications of one steering file line (a comment line is only reported): its file
// patterns, queued with its policy file and its output specification. Standard input
// belongs to the command line, not to a steering file.
void QueueSteeringLine(const TextString& line, const TextString& policyFile, RunSettings& run,
                       RunLog& log) {
  RunSettings scratch;
  if (!line.IsEmpty() && (line[0] == '!' || line[0] == '#')) {
    ParseCommandLine(line, scratch, log);
    return;
  }
  const Arguments arguments = ClassifyArguments(SplitLineIntoWords(line));
  const int parsed = ParseCommandLine(arguments.qualifierLine, scratch, log);
  run.requestsFailed += scratch.requestsFailed;
  if (!parsed) return;
  const TextString linePolicy = !arguments.policyFile.IsEmpty() ? arguments.policyFile
                                : !scratch.policyFile.IsEmpty() ? scratch.policyFile
                                                                : policyFile;
  const int recurse = run.includeSubFolders || arguments.includeSubFolders;
  std::vector<TextString> lineSpecs = arguments.fileSpecs;
  lineSpecs.insert(lineSpecs.end(), scratch.fileSpecs.begin(), scratch.fileSpecs.end());
  for (const TextString& spec : lineSpecs) {
    if (!IsStandardInput(spec)) {
      QueueFiles(run, log, spec, linePolicy, scratch.output.whole, recurse);
    }
  }
}

// Reads a steering file and queues the files of its every line. Returns as
// ProcessFileSpecs does.
int QueueSteeringFile(const TextString& path, const TextString& policyFile, RunSettings& run,
                      RunLog& log) {
  std::vector<TextString> lines;
  TextString refusal;
  switch (ReadLines(path, lines, refusal)) {
    case SteeringRead::kNotOpened:
      log.RunMessage(("ERROR: Can't open \"" + path + "\"").Data());
      return 0;
    case SteeringRead::kRefused:
      log.RunMessage(refusal.Data());
      return -1;
    case SteeringRead::kRead:
      break;
  }
  run.steeringFiles.push_back(path);
  for (const TextString& line : lines) QueueSteeringLine(line, policyFile, run, log);
  return 1;
}

// Names with blanks: 'docs/"a b.htm" "c d.htm"' queues docs/a b.htm and docs/c d.htm, each
// quoted name after the text before the first quote (at `quote`).
void QueueQuotedNames(const TextString& specs, int quote, const TextString& policyFile,
                      RunSettings& run, RunLog& log) {
  TextString first;
  first.AssignSub(specs.Data(), 0, quote);
  TextString piece;
  for (int n = 2; specs.GetToken(n, '"', piece); n += 2) {
    QueueFiles(run, log, first + piece, policyFile, TextString(), run.includeSubFolders);
  }
}

void QueueBlankSeparatedPatterns(const TextString& specs, const TextString& policyFile,
                                 RunSettings& run, RunLog& log) {
  TextString word;
  for (int n = 1; specs.GetToken(n, ' ', word); ++n) {
    if (!word.IsEmpty())
      QueueFiles(run, log, word, policyFile, TextString(), run.includeSubFolders);
  }
}

}  // namespace

int ProcessFileSpecs(SpecSource source, const TextString& specs, const TextString& policyFile,
                     RunSettings& run, RunLog& log, Split split) {
  if (source == SpecSource::kSteeringFile) return QueueSteeringFile(specs, policyFile, run, log);
  int quote = -1;
  if (specs.FindChar(0, '"', quote, LetterCase::kMatters)) {
    QueueQuotedNames(specs, quote, policyFile, run, log);
  } else if (split == Split::kAtBlanks && specs.CountChar(' ') > 0) {
    QueueBlankSeparatedPatterns(specs, policyFile, run, log);
  } else {
    QueueFiles(run, log, specs, policyFile, TextString(), run.includeSubFolders);
  }
  return 1;
}

ConversionDriver::ConversionDriver(RunSettings& run, RunLog& log)
    : run_(run),
      log_(log),
      commandLine_(policies_.Detagging()),
      work_(policies_.Detagging()),
      pass_(work_) {
  for (ConversionContext* context : {&policies_.Base(), &commandLine_, &work_}) {
    context->SetRun(&log_);
  }
  pass_.SetRunFiles(&files_);
  log_.SetRunFiles(&files_);
}

int ConversionDriver::UsePolicyFile(const TextString& policyFile, const TextString& inputFolder,
                                    const char* missingMessage) {
  const int used =
      policies_.Use(policyFile, inputFolder, missingMessage, &files_, settingsFileRefused_);
  run_.outputFormat = policies_.Format();
  return used;
}

int ConversionDriver::LoadPolicies() {
  ApplyRunSettings(run_, commandLine_);
  // The format follows the defaults until a policy file says otherwise.
  run_.outputFormat = OutputFormat::kText;
  const int loaded =
      UsePolicyFile(run_.policyFile, TextString(), "ERROR: Can't find master policy file ");
  ConfigureMessages();
  return loaded;
}

void ConversionDriver::UsePolicies(const ConversionContext& policies,
                                   const TextString& policyFileName) {
  policies_.UseContext(policies, policyFileName);
  if (!policyFileName.IsEmpty()) files_.AddInput(policyFileName);
  run_.outputFormat = policies_.Format();
  ConfigureMessages();
}

void ConversionDriver::ConfigureMessages() {
  work_.Reset();
  work_.TakeOver(policies_.Base(), ConversionContext::Flags::kTakenToo);
  work_.TakeOver(commandLine_, ConversionContext::Flags::kTakenToo);
  // Messages before the first file (the queue's) are filtered as the policies say, and
  // reach the log, which opens only once the queue is known.
  log_.Configure(work_.Settings());
  if (work_.GeneralYesNo(kCreateLogFile)) {
    log_.Channel().HoldForLog();
  } else {
    log_.Channel().StopHolding();
  }
}

int ConversionDriver::StartRun() {
  for (const QueueEntry& entry : run_.queue) {
    if (!IsStandardInput(entry.input)) files_.AddInput(entry.input);
  }
  for (const TextString& steering : run_.steeringFiles) files_.AddInput(steering);
  if (!ReadQueuedPolicyFiles()) {
    log_.Channel().StopHolding();
    return 0;
  }
  OpenLog();
  return 1;
}

int ConversionDriver::ReadQueuedPolicyFiles() {
  // Read aside, silently: each is read again, with its messages, when its files convert.
  RunLog quiet;
  quiet.Channel().SetMessageCallback([](const char*) {});
  quiet.Channel().SetStatusCallback([](const char*) {});
  PolicySet scratchPolicies = MakeDetaggingPolicies();
  ConversionContext scratch(scratchPolicies);
  scratch.SetRun(&quiet);
  std::set<std::string> read{std::string(run_.policyFile.View())};
  for (const QueueEntry& entry : run_.queue) {
    if (entry.policyFile.IsEmpty() || !read.insert(std::string(entry.policyFile.View())).second) {
      continue;
    }
    TextString folder;
    TextString name;
    TextString extension;
    SplitPath(entry.input, folder, name, extension);
    PolicyFileReader reader(scratch);
    reader.SetInputFolder(folder);
    TextString error;
    reader.Read(entry.policyFile, &error);
    for (const TextString& file : reader.FilesRead()) files_.AddInput(file);
    if (reader.FileRefused()) {
      settingsFileRefused_ = true;
      log_.Message(error.Data(), 10);
      return 0;
    }
  }
  return 1;
}

bool ConversionDriver::GivenByPolicyFile(int id) const {
  return !commandLine_.General().Find(id)->valueSet &&
         policies_.Base().General().Find(id)->valueSet;
}

int ConversionDriver::AcceptSideOutputName(int id, const char* extension, const char* what,
                                           TextString& name) {
  if (!GivenByPolicyFile(id)) return 1;
  if (!StaysBelowCurrentFolder(name)) {
    const Policy* policy = policies_.Base().General().Find(id);
    work_.Message(("ERROR: Policy file \"" + policies_.Source() + "\" may not name \"" + name +
                   "\" for " + policy->name + " - ignored")
                      .Data(),
                  10);
    ++run_.requestsFailed;
    return 0;
  }
  name = WithExtension(name, extension, what, log_);
  return 1;
}

int ConversionDriver::EnsureFolder(const TextString& folder) {
  if (folder.IsEmpty() || IsFolder(folder)) return 1;
  // A folder that could not be made is reported once, not again for every file.
  if (unmadeFolders_.count(std::string(folder.View())) != 0) return 0;
  std::error_code error;
  std::filesystem::create_directories(std::string(folder.View()), error);
  if (!error) return 1;
  unmadeFolders_.insert(std::string(folder.View()));
  work_.Message(
      ("ERROR: Can't create folder " + folder + " (" + error.message().c_str() + ")").Data(), 10);
  return 0;
}

void ConversionDriver::OpenLog() {
  if (!work_.GeneralYesNo(kCreateLogFile)) return;
  TextString logName = work_.GeneralText(kOutputLogFilename);
  // A name without a folder goes into the output folder, one with a folder is taken from
  // the current one.
  if (!AcceptSideOutputName(kOutputLogFilename, ".log", "a log file", logName)) {
    log_.Channel().StopHolding();
    return;
  }
  if (!run_.outputToConsole) EnsureFolder(run_.output.folder);
  if (!log_.OpenLogFile(logName, run_.output.folder)) ++run_.requestsFailed;
}

bool ConversionDriver::ToConsole(const QueueEntry& entry) const {
  return run_.outputToConsole ||
         (IsStandardInput(entry.input) && run_.output.IsEmpty() && entry.outputSpec.IsEmpty());
}

void ConversionDriver::GeneratePolicyFile(const TextString& inputPath) {
  // The name already holds the input's folder where it takes its folder from the input; a
  // name the policy file gives is taken from the current folder.
  TextString path = GeneratedPolicyFileName(work_, inputPath, run_.generatedPolicyName);
  if (!AcceptSideOutputName(kOutputPolicyFilename, ".pol", "a policy file", path)) {
    return;
  }
  work_.Status(("Generating policy file " + path).Data());
  // One policy file for many documents is written once; only different policies for the
  // same name would replace what this run wrote there.
  const std::string text = PoliciesText(work_, Written::kAll);
  const auto written = policyFilesWritten_.find(std::string(path.View()));
  if (written != policyFilesWritten_.end() && written->second == text) return;
  TextString error;
  if (!files_.MayWrite(path, nullptr, error)) {
    work_.Message(error.Data(), 10);
    ++run_.requestsFailed;
    return;
  }
  if (!WriteWholeFile(path.Data(), text, error)) {
    work_.Message(("ERROR: Error writing to file " + path + " (" + error + ")").Data(), 10);
    ++run_.requestsFailed;
    return;
  }
  files_.RecordWritten(path, nullptr);
  policyFilesWritten_[std::string(path.View())] = text;
}

int ConversionDriver::ConvertFile(const QueueEntry& entry, PreparedFile* prepared) {
  // The policies of this file: its policy file, then the qualifiers; nothing of the file
  // before survives.
  lastOutput_.Clear();
  TextString inputFolder;
  TextString inputName;
  TextString inputExtension;
  SplitPath(entry.input, inputFolder, inputName, inputExtension);
  if (!UsePolicyFile(entry.policyFile, inputFolder, "ERROR: Can't find policy file ")) return 0;
  work_.Reset();
  work_.TakeOver(policies_.Base(), ConversionContext::Flags::kTakenToo);
  work_.TakeOver(commandLine_, ConversionContext::Flags::kTakenToo);

  TextString folder;
  TextString name;
  TextString extension;
  ComputeOutputName(entry.input, entry.outputSpec, run_, folder, name, extension);
  const TextString outputPath = folder + name + extension;
  log_.AnnounceFile(entry.input, entry.policyFile);

  if (run_.generatePolicyFile || work_.GeneralYesNo(kOutputPolicyFile)) {
    GeneratePolicyFile(entry.input);
  }
  if (!run_.outputPassWanted) return 1;

  const bool toConsole = ToConsole(entry);
  if (!toConsole && !EnsureFolder(folder)) {
    work_.Message("ERROR: Failed to complete output pass", 10);
    return 0;
  }
  work_.Status("---- Starting Output pass ----");
  std::string text;
  pass_.SetInputStream(IsStandardInput(entry.input) ? standardInput_ : nullptr);
  pass_.SetMayOverwrite(run_.mayOverwrite != 0);
  PreparedDocument* document =
      prepared != nullptr && prepared->outputPath.View() == outputPath.View() ? &prepared->document
                                                                              : nullptr;
  const PassResult result =
      pass_.RunOutputPass(entry.input, outputPath, nullptr, toConsole ? &text : nullptr, document);
  pass_.SetInputStream(nullptr);
  if (!result.converted) {
    work_.Message("ERROR: Failed to complete output pass", 10);
    return 0;
  }
  if (toConsole && consoleSink_) consoleSink_(text);
  lastOutput_ = result.outputFile;
  return 1;
}

RunResult ConversionDriver::ConvertQueue() {
  RunResult result;
  result.queued = static_cast<int>(run_.queue.size());
  std::unique_ptr<LookAhead> ahead;
  const int jobs =
      run_.jobs > 0 ? run_.jobs : static_cast<int>(std::thread::hardware_concurrency());
  if (jobs > 1 && run_.queue.size() > 1 && run_.outputPassWanted) {
    ahead = std::make_unique<LookAhead>(run_, policies_, commandLine_, jobs);
  }
  for (run_.queuePosition = 0; run_.queuePosition < run_.queue.size(); ++run_.queuePosition) {
    const QueueEntry& entry = run_.queue[run_.queuePosition];
    if (entry.input.IsEmpty()) break;
    if (watch_.stop != nullptr && watch_.stop->load()) {
      result.stopped = true;
      break;
    }
    if (watch_.fileStarting)
      watch_.fileStarting(run_.queuePosition, run_.queue.size(), entry.input);
    const std::unique_ptr<PreparedFile> prepared =
        ahead != nullptr ? ahead->Take(run_.queuePosition) : nullptr;
    if (!ConvertFile(entry, prepared.get())) {
      result.failed = 1;
      run_.failedFiles.push_back(entry.input);
      break;
    }
    ++result.converted;
    if (lastOutput_.IsEmpty()) continue;
    if (result.firstOutput.IsEmpty()) result.firstOutput = lastOutput_;
    result.lastOutput = lastOutput_;
  }
  ahead.reset();
  if (!log_.CloseLogFile()) ++run_.requestsFailed;
  log_.AnnounceCompletion();
  return result;
}

}  // namespace quorlex
