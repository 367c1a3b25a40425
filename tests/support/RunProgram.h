#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace quorlex::testing {

// What a program run printed and how it ended.
struct ProgramResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
  long peakKilobytes = 0;  // the program's largest resident set
};

// Starts `program` with `arguments` in the folder `folder`, its standard input read from the
// file `inPath` and its standard output and error written to the files `outPath` and `errPath`.
// Returns the child's process id (to be waited for), or -1 when no process could be started.
inline pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder, const std::string& inPath,
                          const std::string& outPath, const std::string& errPath) {
  const pid_t child = fork();
  if (child == 0) {
    const int in = open(inPath.c_str(), O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(folder.c_str()) != 0) {
      _exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return child;
}

// Runs `program` with `arguments` in the folder `folder`, the file `inPath` (a device such
// as /dev/zero too) as its standard input, and returns its exit status and what it wrote to
// standard output and error.
inline ProgramResult RunProgramReading(const std::string& program,
                                       const std::vector<std::string>& arguments,
                                       const std::string& folder, const std::string& inPath) {
  TempFolder streams;
  const std::string outPath = streams / "out";
  const std::string errPath = streams / "err";
  const pid_t child = StartProgram(program, arguments, folder, inPath, outPath, errPath);
  ProgramResult result;
  int status = 0;
  rusage usage{};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.peakKilobytes = usage.ru_maxrss;
  }
  result.out = TempFolder::ReadFile(outPath);
  result.err = TempFolder::ReadFile(errPath);
  return result;
}

// RunProgramReading with `input` as standard input.
inline ProgramResult RunProgram(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& folder, const std::string& input = "") {
  TempFolder streams;
  return RunProgramReading(program, arguments, folder, streams.Write("in", input));
}

}  // namespace quorlex::testing
