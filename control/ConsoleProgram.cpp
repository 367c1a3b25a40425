#include "control/ConsoleProgram.h"

#include "control/Arguments.h"
#include "control/Driver.h"
#include "control/Qualifiers.h"
#include "foundation/Version.h"

namespace quorlex {
namespace {

// The qualifiers and files of the command line in the run's settings. Returns 0 when the
// help text was asked for (it has been printed).
int ReadCommandLine(const Arguments& arguments, RunSettings& run, RunLog& log, std::FILE* out) {
  ParseCommandLine(arguments.qualifierLine, run, log, out);
  if (run.help) return 0;
  run.fileSpecs.insert(run.fileSpecs.begin(), arguments.fileSpecs.begin(),
                       arguments.fileSpecs.end());
  if (!arguments.policyFile.IsEmpty()) run.policyFile = arguments.policyFile;
  run.includeSubFolders = arguments.includeSubFolders;
  return 1;
}

}  // namespace

int RunConsoleProgram(const std::vector<TextString>& words, std::FILE* in, std::FILE* out,
                      std::FILE* err) {
  const Arguments arguments = ClassifyArguments(words);
  if (arguments.version) {
    std::fprintf(out, "quorlexrun (%s) %s\n", kProgramName, kProgramVersion);
    return kExitConverted;
  }
  RunSettings run;
  RunLog log;
  log.consoleEcho = 1;
  log.SetEchoStream(err);
  log.Channel().SetStreams(out, err);
  if (!ReadCommandLine(arguments, run, log, out)) return kExitConverted;
  if (run.fileSpecs.empty() && arguments.steeringFiles.empty()) {
    std::fprintf(err,
                 "quorlexrun: nothing to convert: name files, folders, - (standard input) or "
                 "@steering-file; \"quorlexrun --help\" lists the qualifiers\n");
    return kExitUnusable;
  }

  ConversionDriver driver(run, log);
  driver.SetStandardInput(in);
  driver.SetConsoleSink([out](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fflush(out);
  });
  // Standard output carries the text: status lines stay off it (they still reach the log).
  const bool textToOutput =
      run.outputToConsole || (arguments.standardInput && run.output.IsEmpty());
  if (textToOutput) log.Channel().SetStatusCallback([](const char*) {});

  const auto stopped = [&driver] {
    return driver.SettingsFileRefused() ? kExitFailed : kExitUnusable;
  };
  if (!driver.LoadPolicies()) return stopped();
  for (const TextString& spec : run.fileSpecs) {
    ProcessFileSpecs(SpecSource::kCommandLine, spec, run.policyFile, run, log, Split::kNever);
  }
  for (const TextString& steering : arguments.steeringFiles) {
    const int read = ProcessFileSpecs(SpecSource::kSteeringFile, steering, run.policyFile, run, log,
                                      Split::kNever);
    if (read == 0) return kExitUnusable;
    if (read < 0) return kExitFailed;
  }
  if (!driver.StartRun()) return stopped();
  const RunResult result = driver.ConvertQueue();
  if (result.failed || result.queued == 0 || run.requestsFailed > 0) return kExitFailed;
  return kExitConverted;
}

}  // namespace quorlex
