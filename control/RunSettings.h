#pragma once

#include <vector>

#include "foundation/RunLog.h"
#include "foundation/TextString.h"

namespace quorlex {

// A file specification split into its parts (folder with its final separator, name,
// extension with its dot), and the whole value as given.
struct FileSpecification {
  TextString whole;
  TextString folder;
  TextString name;
  TextString extension;

  // Stores `value` whole and split.
  void Assign(const TextString& value);
  void Clear() { *this = FileSpecification(); }
  [[nodiscard]] bool IsEmpty() const { return whole.IsEmpty(); }
};

// One file waiting to be converted: its path, the policy file it is converted with (empty:
// none), and the output specification of the steering-file line it came from (empty for
// files named on the command line).
struct QueueEntry {
  TextString input;
  TextString policyFile;
  TextString outputSpec;
};

// Whether a queue entry or file specification is "-", standard input.
[[nodiscard]] bool IsStandardInput(const TextString& path);

// What the output of a run is: HTML for "Selectively remove markup", text otherwise.
enum class OutputFormat { kText, kHtml };

// The settings of one conversion run, filled from the qualifiers of a command line (or of a
// steering-file line) and by the program that starts the run.
struct RunSettings {
  // The qualifiers this program offers.
  int help = 0;
  int createLog = 0;
  TextString logName;
  FileSpecification output;
  int outputToConsole = 0;
  int generatePolicyFile = 0;
  TextString generatedPolicyName;
  int silent = 0;
  // How many threads convert the files of the queue (0: one for each core the machine
  // has). The run shows and writes the same with any number.
  int jobs = 0;

  // The qualifiers of the text-to-HTML analysis: recognised and stored, not used here.
  int inputIsHtml = 0;
  FileSpecification contentsOutput;  // TOC_OUT
  int contents = 0;
  int compositionUnit = 0;
  int loadContext = 0;  // CTX_IN
  TextString contextToLoad;
  FileSpecification contextOutput;  // CTX_OUT
  int debug = 0;
  int shortNames = 0;  // DOS
  int frames = 0;
  int index = 0;
  TextString indexName;
  int listing = 0;
  int links = 0;
  TextString linksName;
  int rtf = 0;
  TextString ruleSetName;
  int simple = 0;
  int commaTable = 0;
  int textTable = 0;
  int tabTable = 0;
  int debugTags = 0;

  // A policy file named among the files (a word ending in ".pol"), and the file
  // specifications: each one a path, a wildcard or a folder.
  TextString policyFile;
  std::vector<TextString> fileSpecs;

  // Set by the program that starts the run.
  int includeSubFolders = 0;
  int outputPassWanted = 1;
  // "May overwrite the input files": an output may take the input's name (never the very
  // same file).
  int mayOverwrite = 0;
  OutputFormat outputFormat = OutputFormat::kText;

  // The files to convert, in order, and how far the run has got.
  std::vector<QueueEntry> queue;
  size_t queuePosition = 0;
  // The steering files the queue was read from.
  std::vector<TextString> steeringFiles;
  // How many things the user asked for were not done besides the conversions themselves: a
  // named file missing, unreadable or empty, a folder that cannot be listed, an
  // unrecognised qualifier, a log or policy file that cannot be written. Any of them makes
  // the run end with a failure status.
  int requestsFailed = 0;
  // What the run was asked to read and could not convert, in the order found: file
  // patterns that name no file, files that cannot be opened, folders that cannot be
  // listed, and the file whose conversion failed.
  std::vector<TextString> failedFiles;
};

}  // namespace quorlex
