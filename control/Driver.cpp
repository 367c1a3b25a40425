#include "control/Driver.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "control/Arguments.h"
#include "control/Qualifiers.h"
#include "engine/OutputPass.h"
#include "foundation/ASCIIFile.h"
#include "foundation/FileList.h"
#include "foundation/FileNames.h"
#include "foundation/LineSource.h"
#include "policies/PolicyFile.h"

namespace quorlex {
namespace {

// The name standard input goes by where a file name is needed.
constexpr const char* kStandardInputName = "stdin";

bool IsStandardInput(const TextString& path) { return path.Length() == 1 && path[0] == '-'; }

bool HasStar(const TextString& text) { return text.CountChar('*') > 0; }

bool SameNoCase(const TextString& a, const char* b) {
  return a.Length() == static_cast<int>(std::char_traits<char>::length(b)) && a.Equals(b, 0, 0);
}

bool CanRead(const TextString& path) {
  std::FILE* file = std::fopen(path.Data(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
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

// Makes sure the output folder a user named exists. Returns 0 after reporting when it
// cannot be made.
int EnsureFolder(const TextString& folder, ConversionContext& context) {
  if (folder.IsEmpty() || IsFolder(folder)) return 1;
  std::error_code error;
  std::filesystem::create_directories(std::string(folder.View()), error);
  if (!error) return 1;
  context.Message(
      ("ERROR: Can't create folder " + folder + " (" + error.message().c_str() + ")").Data(), 10);
  return 0;
}

// The lines of a steering file, read whole.
bool ReadLines(const TextString& path, std::vector<TextString>& lines) {
  ASCIIFile file;
  if (!file.OpenRead(path.Data())) return false;
  LineSource source(file, nullptr, {});
  TextString line;
  while (source.NextLine(line)) lines.push_back(line);
  file.CloseAll();
  return true;
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
  // 1. to 3. The run's output specification.
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
  // 4. The entry's own output specification.
  TextString entryFolder;
  TextString entryName;
  TextString entryExtension;
  SplitPath(outputSpec, entryFolder, entryName, entryExtension);
  if (!entryFolder.IsEmpty() && !HasStar(entryFolder)) folder = entryFolder;
  if (!entryName.IsEmpty() && !HasStar(entryName)) name = entryName;
  if (!entryExtension.IsEmpty() && !HasStar(entryExtension)) extension = entryExtension;
  // 5.
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
    run.queue.push_back({spec, policyFile, outputSpec});
    return;
  }
  const MessageFunction owner = [&log](const char* message, int level) {
    log.Message(message, level);
  };
  const TextString expanded = FolderAsSpec(spec);
  FileSpecState state;
  TextString file;
  ExpandFileSpec(owner, expanded, includeSubFolders, 0, state, file);
  if (file.IsEmpty()) {
    log.Message(("WARNING: No file matches " + spec).Data(), 10);
    return;
  }
  if (!CanRead(file)) {
    log.RunMessage(("ERROR: Can't find or open " + spec).Data());
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

int ProcessFileSpecs(int steering, const TextString& specs, const TextString& policyFile,
                     RunSettings& run, RunLog& log, int splitAtBlanks) {
  if (steering) {
    std::vector<TextString> lines;
    if (!ReadLines(specs, lines)) {
      log.RunMessage(("ERROR: Can't open \"" + specs + "\"").Data());
      return 0;
    }
    for (const TextString& line : lines) {
      RunSettings scratch;
      if (!line.IsEmpty() && (line[0] == '!' || line[0] == '#')) {
        ParseCommandLine(line, scratch, log);
        continue;
      }
      const Arguments arguments = ClassifyArguments(SplitLineIntoWords(line));
      if (!ParseCommandLine(arguments.qualifierLine, scratch, log)) continue;
      const TextString linePolicy = !arguments.policyFile.IsEmpty() ? arguments.policyFile
                                    : !scratch.policyFile.IsEmpty() ? scratch.policyFile
                                                                    : policyFile;
      const int recurse = run.includeSubFolders || arguments.includeSubFolders;
      std::vector<TextString> lineSpecs = arguments.fileSpecs;
      lineSpecs.insert(lineSpecs.end(), scratch.fileSpecs.begin(), scratch.fileSpecs.end());
      for (const TextString& spec : lineSpecs) {
        // Standard input belongs to the command line, not to a steering file.
        if (!IsStandardInput(spec))
          QueueFiles(run, log, spec, linePolicy, scratch.output.whole, recurse);
      }
    }
    return 1;
  }
  int quote = -1;
  if (specs.FindChar(0, '"', quote, 1)) {
    // Names with blanks: 'docs/"a b.htm" "c d.htm"' queues docs/a b.htm and docs/c d.htm.
    TextString first;
    first.AssignSub(specs.Data(), 0, quote);
    TextString piece;
    for (int n = 2; specs.GetToken(n, '"', piece); n += 2) {
      QueueFiles(run, log, first + piece, policyFile, TextString(), run.includeSubFolders);
    }
    return 1;
  }
  if (splitAtBlanks && specs.CountChar(' ') > 0) {
    TextString word;
    for (int n = 1; specs.GetToken(n, ' ', word); ++n) {
      if (!word.IsEmpty())
        QueueFiles(run, log, word, policyFile, TextString(), run.includeSubFolders);
    }
    return 1;
  }
  QueueFiles(run, log, specs, policyFile, TextString(), run.includeSubFolders);
  return 1;
}

ConversionDriver::ConversionDriver(RunSettings& run, RunLog& log)
    : run_(run),
      log_(log),
      detagging_(MakeDetaggingPolicies()),
      base_(detagging_),
      commandLine_(detagging_),
      work_(detagging_),
      pass_(work_) {
  for (ConversionContext* context : {&base_, &commandLine_, &work_}) context->SetRun(&log_);
}

int ConversionDriver::UsePolicyFile(const TextString& policyFile, const char* missingMessage) {
  if (policyFile.View() == loadedPolicyFile_.View()) return 1;
  detagging_.ResetAll();
  base_.Reset();
  loadedPolicyFile_.Clear();
  if (policyFile.IsEmpty()) return 1;
  if (!CanRead(policyFile) || IsFolder(policyFile)) {
    base_.Message((missingMessage + policyFile).Data(), 10);
    return 0;
  }
  PolicyFileReader(base_).Read(policyFile, nullptr);
  loadedPolicyFile_ = policyFile;
  run_.outputFormat =
      detagging_.Find(kRemoveAllTags)->number ? OutputFormat::kText : OutputFormat::kHtml;
  return 1;
}

int ConversionDriver::LoadPolicies() {
  ApplyRunSettings(run_, commandLine_);
  // The format follows the defaults until a policy file says otherwise.
  run_.outputFormat = OutputFormat::kText;
  return UsePolicyFile(run_.policyFile, "ERROR: Can't find master policy file ");
}

void ConversionDriver::UsePolicies(const ConversionContext& policies) {
  detagging_ = policies.Detagging();
  base_.Reset();
  base_.TakeOver(policies, 1);
  loadedPolicyFile_.Clear();
  run_.outputFormat =
      detagging_.Find(kRemoveAllTags)->number ? OutputFormat::kText : OutputFormat::kHtml;
}

void ConversionDriver::OpenLog() {
  work_.Reset();
  work_.TakeOver(base_, 1);
  work_.TakeOver(commandLine_, 1);
  // Messages before the first file (the queue's) are filtered as the policies say.
  log_.Configure(work_.Settings());
  // The log is written into the output folder, so that folder is made first.
  if (!run_.outputToConsole) EnsureFolder(run_.output.folder, work_);
  if (!work_.GeneralYesNo(kCreateLogFile)) return;
  log_.OpenLogFile(work_.GeneralText(kOutputLogFilename), run_.output.folder);
}

bool ConversionDriver::ToConsole(const QueueEntry& entry) const {
  return run_.outputToConsole ||
         (IsStandardInput(entry.input) && run_.output.IsEmpty() && entry.outputSpec.IsEmpty());
}

void ConversionDriver::GeneratePolicyFile(const TextString& inputPath) {
  // The name already holds the input's folder where it takes its folder from the input.
  const TextString path = GeneratedPolicyFileName(work_, inputPath, run_.generatedPolicyName);
  work_.Status(("Generating policy file " + path).Data());
  TextString error;
  if (!WritePolicyFile(work_, path, 1, error)) {
    work_.Message(("ERROR: Error writing to file " + path + " (" + error + ")").Data(), 10);
  }
}

int ConversionDriver::ConvertFile(const QueueEntry& entry) {
  // The policies of this file: its policy file, then the qualifiers; nothing of the file
  // before survives.
  lastOutput_.Clear();
  if (!UsePolicyFile(entry.policyFile, "ERROR: Can't find policy file ")) return 0;
  work_.Reset();
  work_.TakeOver(base_, 1);
  work_.TakeOver(commandLine_, 1);

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
  if (!toConsole && !written_.insert(std::string(outputPath.View())).second) {
    work_.Message(("ERROR: " + outputPath + " was already written in this run").Data(), 10);
    work_.Message("ERROR: Failed to complete output pass", 10);
    return 0;
  }
  if (!toConsole && !EnsureFolder(folder, work_)) {
    work_.Message("ERROR: Failed to complete output pass", 10);
    return 0;
  }
  work_.Status("---- Starting Output pass ----");
  std::string text;
  const std::vector<TextString>* source = IsStandardInput(entry.input) ? &standardInput_ : nullptr;
  pass_.SetMayOverwrite(run_.mayOverwrite != 0);
  if (!pass_.RunOutputPass(entry.input, outputPath, source, toConsole ? &text : nullptr)) {
    work_.Message("ERROR: Failed to complete output pass", 10);
    return 0;
  }
  if (toConsole) {
    if (consoleSink_) consoleSink_(text);
  } else {
    lastOutput_ = outputPath;
  }
  return 1;
}

RunResult ConversionDriver::ConvertQueue() {
  RunResult result;
  result.queued = static_cast<int>(run_.queue.size());
  for (run_.queuePosition = 0; run_.queuePosition < run_.queue.size(); ++run_.queuePosition) {
    const QueueEntry& entry = run_.queue[run_.queuePosition];
    if (entry.input.IsEmpty()) break;
    if (!ConvertFile(entry)) {
      result.failed = 1;
      break;
    }
    ++result.converted;
    if (lastOutput_.IsEmpty()) continue;
    if (result.firstOutput.IsEmpty()) result.firstOutput = lastOutput_;
    result.lastOutput = lastOutput_;
  }
  log_.CloseLogFile();
  log_.AnnounceCompletion();
  return result;
}

}  // namespace quorlex
