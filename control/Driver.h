#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "control/LookAhead.h"
#include "control/QueuePolicies.h"
#include "control/RunSettings.h"
#include "engine/OutputPass.h"
#include "foundation/RunFiles.h"
#include "foundation/RunLog.h"
#include "foundation/TextString.h"
#include "policies/ConversionContext.h"

namespace quorlex {

// The extension an output gets when nothing names one: ".txt" for text; for HTML the
// input's own extension, or ".html" when it has none.
void DefaultExtension(const TextString& inputExtension, OutputFormat format, TextString& extension);

// The output folder, name and extension for `inputPath`: the input's folder and name,
// replaced by what the run's output specification names (a name of "*" and an extension
// of ".*" keep the input's), then by what the entry's own `outputSpec` names (parts holding
// '*' keep what they replace); the default extension when none is left. The input
// "in.asc" gives the name "out"; standard input ("-") is named "stdin".
void ComputeOutputName(const TextString& inputPath, const TextString& outputSpec,
                       const RunSettings& run, TextString& folder, TextString& name,
                       TextString& extension);

// Takes the qualifiers' settings over into `context` (the command-line context), each
// policy marked as set: "Create a log file" and "Output log filename", "Display messages"
// off for SILENT, "Output policy file", "Output directory" from an output folder, and the
// rule set (an unknown one is reported and forgotten). CONSOLE leaves "Display messages"
// alone: the program keeps status lines off the standard output that carries the text,
// while messages still reach the error stream.
void ApplyRunSettings(RunSettings& run, ConversionContext& context);

// Appends the files `spec` names to the queue, each with `policyFile` and `outputSpec`, in
// sorted order (through sub-folders with `includeSubFolders`). "-" queues standard input
// (once). A file pattern that names no file is reported; nothing is queued when the first
// file cannot be opened; both count in run.requestsFailed.
void QueueFiles(RunSettings& run, RunLog& log, const TextString& spec, const TextString& policyFile,
                const TextString& outputSpec, int includeSubFolders);

// Where the text ProcessFileSpecs is given comes from.
enum class SpecSource {
  kCommandLine,   // a file pattern as the command line gives it
  kSteeringFile,  // the name of a steering file
};
// Whether a file pattern from the command line holding blanks is several patterns.
enum class Split {
  kNever,     // the blanks belong to the one name
  kAtBlanks,  // each blank-separated word is one pattern
};

// Fills the queue from one file pattern. From a steering file, `specs` names a steering
// file whose every line (a command line: file specifications, a policy file, qualifiers)
// queues its files with the line's policy file (else `policyFile`) and the line's output
// specification; comment lines are reported and skipped; the steering file is added to
// run.steeringFiles. Otherwise a pattern holding double quotes queues each quoted name
// after the text before the first quote; with Split::kAtBlanks each blank-separated word
// is one pattern. Returns 1; 0 when the steering file cannot be opened; -1 when it is
// refused, reported as CheckSettingsFile says (no regular file, or too large).
int ProcessFileSpecs(SpecSource source, const TextString& specs, const TextString& policyFile,
                     RunSettings& run, RunLog& log, Split split);

// What a program running a conversion learns of its walk, and how it stops it.
struct RunWatch {
  // Told before the file at `position` (from 0) of the queue's `total` is converted.
  std::function<void(size_t position, size_t total, const TextString& input)> fileStarting;
  // Once set (from any thread) the walk ends before the next file: the file being converted
  // is finished and written, the rest is not begun.
  const std::atomic<bool>* stop = nullptr;
};

// How a run ended.
struct RunResult {
  int queued = 0;
  int converted = 0;
  int failed = 0;        // a conversion failed and ended the walk
  bool stopped = false;  // the watch stopped the walk before the end of the queue
  // The first and the last file the run wrote (empty while none was written; output that
  // went to the sink is not counted).
  TextString firstOutput;
  TextString lastOutput;
};

// Runs a conversion: loads the policies, lists what the run reads, opens the log file,
// walks the queue converting one file after the other (a failed file ends the walk), and
// closes with the completion line. With more than one job the files are converted ahead on
// that many threads (LookAhead), and the walk reports and writes them in queue order as
// before: the messages, the outputs and the end are those of the walk on one thread. The program
// fills the queue between LoadPolicies and StartRun.
//
// Nothing the run writes replaces a file it reads or a file it wrote before: its queued
// files, policy files with their includes and steering files are recorded before anything
// is written (RunFiles), and every output, the log and generated policy files are checked
// against them. A log or policy file name given by a policy file must stay below where it
// is written (a relative name without "..", through no symbolic link) and gets the
// extension ".log" or ".pol".
class ConversionDriver {
 public:
  // Neither is owned; both must outlive the driver.
  ConversionDriver(RunSettings& run, RunLog& log);

  // Where the output of a file goes when the run does not write files
  // (run.outputToConsole): its text, every line followed by a line feed. The console
  // program prints it, the desktop program places it on the clipboard (the library never
  // does either).
  void SetConsoleSink(std::function<void(std::string_view text)> sink) {
    consoleSink_ = std::move(sink);
  }
  // Where the queue entry "-" is read from (not owned, not closed).
  void SetStandardInput(std::FILE* stream) { standardInput_ = stream; }
  // Who watches the walk (none unless set).
  void SetWatch(RunWatch watch) { watch_ = std::move(watch); }

  // Loads the run's policy file (reporting "ERROR: Can't find master policy file " when it
  // is missing), sets the qualifiers' policies and filters messages as they say; when a
  // log is wanted, what it would receive is held until it opens. Returns 0 when the run
  // cannot go on: the policy file is missing, or it or a file it includes was refused
  // (SettingsFileRefused()).
  int LoadPolicies();
  // Starts from the policies of `policies` (its de-tagging set, its general policies and
  // text commands) instead of a policy file: the desktop program converts with the policies
  // its window and property sheets hold, read from `policyFileName` (empty: none). Call it
  // after LoadPolicies, with no policy file in the run; the output format follows "Remove
  // all tags".
  void UsePolicies(const ConversionContext& policies, const TextString& policyFileName);
  // Once the queue is filled: records everything the run reads (the queued files, the
  // steering files, the policy files of the queue with their includes) and opens the log
  // file when "Create a log file" is set (making the output folder first). Returns 0 when a
  // policy file of the queue is refused (SettingsFileRefused()): nothing may be converted.
  int StartRun();
  // Walks the queue and ends the run with the completion line.
  RunResult ConvertQueue();

  // Converts one queued file into its output (a missing output folder is made first),
  // taking the document from `prepared` when it was prepared for the output this file gets
  // (may be null). Returns 1, or 0 when the conversion failed (reported).
  int ConvertFile(const QueueEntry& entry, PreparedFile* prepared = nullptr);

  // The context with every policy for the file being converted.
  ConversionContext& WorkContext() { return work_; }
  // Whether a policy, include or steering file was refused for its size or kind.
  bool SettingsFileRefused() const { return settingsFileRefused_; }

 private:
  // Reads `policyFile` into the base context after setting every policy to its default
  // (empty: the defaults alone), looking for its includes in `inputFolder` when they are
  // not beside it. The files read are recorded as inputs. Returns 0 after reporting when
  // it cannot be read or was refused.
  int UsePolicyFile(const TextString& policyFile, const TextString& inputFolder,
                    const char* missingMessage);
  // Reads the policy files of the queue aside, to record them with their includes and to
  // refuse the run when one of them is refused. Returns 0 then.
  int ReadQueuedPolicyFiles();
  // The working context anew from the base and command-line contexts; messages filtered
  // as it says.
  void ConfigureMessages();
  void OpenLog();
  // Makes sure an output folder exists. Returns 0 after reporting (once per folder) when
  // it cannot be made.
  int EnsureFolder(const TextString& folder);
  // Whether the general policy `id` was set by the policy file, not by a qualifier.
  bool GivenByPolicyFile(int id) const;
  // Checks a file name for a side output (the log, a generated policy file) that the
  // policy file gave: refused with its message (counted as a failed request) unless it
  // stays below the current folder; then given `extension`. Names not given by the policy
  // file pass.
  int AcceptSideOutputName(int id, const char* extension, const char* what, TextString& name);
  // Whether the output of this entry goes to the console instead of a file.
  bool ToConsole(const QueueEntry& entry) const;
  void GeneratePolicyFile(const TextString& inputPath);

  RunSettings& run_;
  RunLog& log_;
  // The policies of the file being converted, as its policy file gives them.
  QueuePolicies policies_;
  ConversionContext commandLine_;
  ConversionContext work_;
  // One pass for every file: its pattern lists are built once for each set of policies.
  OutputPass pass_;
  RunFiles files_;
  bool settingsFileRefused_ = false;
  std::FILE* standardInput_ = nullptr;
  std::function<void(std::string_view text)> consoleSink_;
  RunWatch watch_;
  // The file the last successful conversion wrote (empty: none, or it went to the sink).
  TextString lastOutput_;
  // Output folders that could not be made.
  std::set<std::string> unmadeFolders_;
  // The policy files this run generated, with their text.
  std::map<std::string, std::string> policyFilesWritten_;
};

}  // namespace quorlex
