#pragma once

#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// The words of a command line, sorted before the qualifier parser sees them. The shell has
// already split and unquoted them, and paths hold '/', so each word is classified on its
// own:
//   - "/name" or "/name=value" is a qualifier when the part before any '=' holds no second
//     '/' and neither that part nor the whole word names an existing file or folder;
//     otherwise it is a path (an existing "/qx=1/page.htm" is converted);
//   - "-x..." (a dash and a letter or '?') and "--xxx" are qualifiers written the POSIX way,
//     their dashes standing for one '/' ("--log=run.log" is "/log=run.log"), except
//     "-h"/"--help" (the help text), "--version", "-r"/"--recurse" (sub-folders), which
//     keep their meaning whatever exists, and a word that names an existing file or folder,
//     which is a path; a word of dashes alone ("--", "---") is a file specification;
//   - a lone "-" is standard input (a file specification of its own); "@name" names a
//     steering file;
//   - a word ending in ".pol" (any case) is the policy file; any other word is a file
//     specification, blanks inside it included.
struct Arguments {
  // The qualifiers in '/' form, joined by blanks, for the qualifier parser. A value that
  // holds a '/', a blank or a tab is put in double quotes, so that it reads whole; an
  // output value naming an existing folder gets its final '/'.
  TextString qualifierLine;
  std::vector<TextString> fileSpecs;
  std::vector<TextString> steeringFiles;
  TextString policyFile;
  int standardInput = 0;
  int includeSubFolders = 0;
  int version = 0;
};

// Classifies `words` (the program's arguments without the program name).
Arguments ClassifyArguments(const std::vector<TextString>& words);

// Splits a steering-file line into words at blanks and tabs; double quotes group a word
// (and are dropped). An unmatched quote runs to the end of the line.
std::vector<TextString> SplitLineIntoWords(const TextString& line);

}  // namespace quorlex
