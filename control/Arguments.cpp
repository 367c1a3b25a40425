#include "control/Arguments.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "foundation/Ascii.h"
#include "foundation/FileNames.h"

namespace quorlex {
namespace {

bool Exists(std::string_view path) {
  struct stat info {};
  return stat(std::string(path).c_str(), &info) == 0;
}

bool EndsWithNoCase(std::string_view word, std::string_view suffix) {
  if (word.size() < suffix.size()) return false;
  return EqualsIgnoringCase(word.substr(word.size() - suffix.size()), suffix);
}

// Whether `name` (without its slash) abbreviates OUTPUT, the one qualifier whose value may
// name a folder.
bool IsOutputQualifier(std::string_view name) {
  constexpr std::string_view kOutput = "OUTPUT";
  if (name.empty() || name.size() > kOutput.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (ToAsciiUpper(name[i]) != kOutput[i]) return false;
  }
  return true;
}

// A word starting with '/' is a qualifier unless it is a path: a second '/' before any
// '=', or the name of something that exists (the part before the '=' or the whole word, as
// an existing "/qx=1/page.htm").
bool IsSlashQualifier(std::string_view word) {
  if (word.empty() || word[0] != '/') return false;
  const std::string_view name = word.substr(0, word.find('='));
  return name.size() > 1 && name.find('/', 1) == std::string_view::npos && !Exists(name) &&
         !Exists(word);
}

// A word written the POSIX way: "-x..." with a letter or '?', or "--xxx", that names no
// existing file or folder.
bool IsDashQualifier(std::string_view word) {
  if (word.size() < 2 || word[0] != '-' || Exists(word)) return false;
  // A word of dashes alone ("--", "---") names nothing: it is a file specification.
  if (word[1] == '-') return word.find_first_not_of('-') != std::string_view::npos;
  return IsAsciiLetter(word[1]) || word[1] == '?';
}

// The qualifier in '/' form as the parser reads it: an output folder gets its final '/',
// and a value holding a separator is quoted so that the parser takes it whole.
TextString QualifierText(std::string_view name, std::string_view value, bool hasValue) {
  // Appended rather than written "/" + name: g++ 12 warns (-Wrestrict) about a memcpy
  // inside std::string's operator+ that cannot overlap.
  std::string text = "/";
  text += name;
  if (!hasValue) return TextString(text.c_str());
  std::string written(value);
  if (IsOutputQualifier(name) && !written.empty() && written.back() != '/' &&
      IsFolder(written.c_str())) {
    written += '/';
  }
  const bool needsQuotes =
      written.find_first_of("/ \t") != std::string::npos && written.find('"') == std::string::npos;
  text += '=';
  text += needsQuotes ? "\"" + written + "\"" : written;
  return TextString(text.c_str());
}

void AddQualifier(Arguments& arguments, const TextString& text) {
  if (!arguments.qualifierLine.IsEmpty()) arguments.qualifierLine.AppendChar(' ');
  arguments.qualifierLine += text;
}

// Adds a qualifier word whose leading '/' or dashes have been taken off.
void AddQualifierWord(Arguments& arguments, std::string_view word) {
  const size_t equals = word.find('=');
  if (equals == std::string_view::npos) {
    AddQualifier(arguments, QualifierText(word, {}, false));
  } else {
    AddQualifier(arguments, QualifierText(word.substr(0, equals), word.substr(equals + 1), true));
  }
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

// The number of threads written as make takes it: "-j4", "-j 4", "--jobs 4" ("--jobs=4" is
// an ordinary dash qualifier); "-j" or "--jobs" followed by no number asks for one thread
// per core. Returns how many words it took (0: `word` is no such option).
int TakeJobsOption(std::string_view word, const TextString* next, Arguments& arguments) {
  const bool alone = word == "-j" || word == "--jobs";
  if (!alone && !(word.starts_with("-j") && AllDigits(word.substr(2)))) return 0;
  if (!alone) {
    AddQualifier(arguments, QualifierText("JOBS", word.substr(2), true));
    return 1;
  }
  if (next != nullptr && AllDigits(next->View())) {
    AddQualifier(arguments, QualifierText("JOBS", next->View(), true));
    return 2;
  }
  AddQualifier(arguments, QualifierText("JOBS", {}, false));
  return 1;
}

}  // namespace

Arguments ClassifyArguments(const std::vector<TextString>& words) {
  Arguments arguments;
  for (size_t i = 0; i < words.size(); ++i) {
    const TextString& text = words[i];
    const std::string_view word = text.View();
    const TextString* next = i + 1 < words.size() ? &words[i + 1] : nullptr;
    if (const int taken = TakeJobsOption(word, next, arguments); taken > 0) {
      i += taken - 1;
    } else if (word == "-") {
      arguments.standardInput = 1;
      arguments.fileSpecs.push_back(text);
    } else if (word == "-h" || word == "--help") {
      AddQualifier(arguments, "/?");
    } else if (word == "--version") {
      arguments.version = 1;
    } else if (word == "-r" || word == "--recurse") {
      arguments.includeSubFolders = 1;
    } else if (IsDashQualifier(word)) {
      AddQualifierWord(arguments, word.substr(word.find_first_not_of('-')));
    } else if (IsSlashQualifier(word)) {
      AddQualifierWord(arguments, word.substr(1));
    } else if (word.size() > 1 && word[0] == '@') {
      arguments.steeringFiles.emplace_back(TextString(std::string(word.substr(1)).c_str()));
    } else if (EndsWithNoCase(word, ".pol")) {
      arguments.policyFile = text;
    } else if (!word.empty()) {
      arguments.fileSpecs.push_back(text);
    }
  }
  return arguments;
}

std::vector<TextString> SplitLineIntoWords(const TextString& line) {
  std::vector<TextString> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (const char c : line.View()) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.emplace_back(TextString(word.c_str()));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.emplace_back(TextString(word.c_str()));
  return words;
}

}  // namespace quorlex
