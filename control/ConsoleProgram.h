#pragma once

#include <cstdio>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// Exit statuses of the console program.
enum ExitStatus : int {
  kExitConverted = 0,  // everything asked for was done
  kExitFailed = 1,     // something asked for was not done: a conversion failed, nothing
                       // matched, a named file is missing, unreadable or empty, a log or
                       // policy file could not be written, a qualifier was not understood
  kExitUnusable = 2,   // the arguments cannot be used (nothing named, a policy or steering
                       // file missing)
};

// The console program: classifies its arguments, parses the qualifiers, queues the files,
// runs the conversions and returns the exit status. Standard input is read from `in` when
// "-" is named; converted text written to the console goes to `out`, as do status lines
// and the help text; messages go to `err`.
int RunConsoleProgram(const std::vector<TextString>& words, std::FILE* in, std::FILE* out,
                      std::FILE* err);

}  // namespace quorlex
