#include "frontend/FileSpec.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "foundation/FileNames.h"
#include "foundation/Version.h"

namespace quorlex {
namespace {

TextString FromView(std::string_view text) {
  TextString result;
  result.AssignBytes(text.data(), static_cast<int>(text.size()));
  return result;
}

// The names of a form-3 name part: the texts between pairs of double quotes.
std::vector<std::string_view> QuotedNames(std::string_view namePart) {
  std::vector<std::string_view> names;
  size_t open = namePart.find('"');
  while (open != std::string_view::npos) {
    const size_t close = namePart.find('"', open + 1);
    const std::string_view name =
        namePart.substr(open + 1, close == std::string_view::npos ? close : close - open - 1);
    if (!name.empty()) names.push_back(name);
    if (close == std::string_view::npos) break;
    open = namePart.find('"', close + 1);
  }
  return names;
}

bool SameIgnoringCase(const TextString& a, const TextString& b) {
  return a.Length() == b.Length() && a.Equals(b.Data(), LetterCase::kIgnored, Blanks::kCount);
}

}  // namespace

void SplitFileSpec(const TextString& spec, TextString& folder, TextString& namePart) {
  const std::string_view text = spec.View();
  size_t cut = text.find('"');
  if (cut == std::string_view::npos) {
    const size_t separator = text.rfind(kFolderSeparator);
    cut = separator == std::string_view::npos ? 0 : separator + 1;
  }
  folder = FromView(text.substr(0, cut));
  namePart = FromView(text.substr(cut));
}

TextString MakeFileSpec(const std::vector<TextString>& paths) {
  if (paths.empty()) return TextString();
  if (paths.size() == 1) return paths.front();
  // The folder all the paths lie in; files of several folders keep the rest of their path.
  std::string_view common = paths.front().View();
  common = common.substr(0, common.rfind(kFolderSeparator) + 1);
  for (const TextString& path : paths) {
    while (!common.empty() && path.View().substr(0, common.size()) != common) {
      common.remove_suffix(1);
      common = common.substr(0, common.rfind(kFolderSeparator) + 1);
    }
  }
  TextString spec = FromView(common);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) spec.AppendChar(' ');
    spec.AppendChar('"');
    spec.AppendChar(kFolderSeparator);
    const std::string_view path = paths[i].View();
    spec += FromView(path.substr(std::min(common.size(), path.size())));
    spec.AppendChar('"');
  }
  return spec;
}

std::vector<TextString> FileSpecPaths(const TextString& spec) {
  if (spec.IsEmpty()) return {};
  TextString folder;
  TextString namePart;
  SplitFileSpec(spec, folder, namePart);
  if (namePart.IsEmpty() || namePart[0] != '"') return {spec};
  std::vector<TextString> paths;
  for (std::string_view name : QuotedNames(namePart.View())) {
    if (!folder.IsEmpty() && folder[folder.Length() - 1] == kFolderSeparator) {
      while (!name.empty() && name.front() == kFolderSeparator) name.remove_prefix(1);
    }
    paths.push_back(folder + FromView(name));
  }
  return paths;
}

bool IsSingleFile(const TextString& spec) {
  return !spec.IsEmpty() && !spec.Contains('"') && !spec.Contains('*') && !spec.Contains('?') &&
         !IsFolder(spec);
}

TextString WindowTitle(const TextString& spec) {
  const TextString product(kProgramName);
  if (spec.IsEmpty()) return product;
  TextString folder;
  TextString namePart;
  SplitFileSpec(spec, folder, namePart);
  if (namePart.IsEmpty() || namePart[0] != '"') return namePart + " - " + product;
  const std::string_view names = namePart.View();
  return FromView(names.substr(0, names.find(' '))) + "... - " + product;
}

TextString DeriveOutputFileName(const TextString& inputDir, const TextString& name,
                                bool textOutput) {
  const TextString full = inputDir + name;
  const bool list = name.IsEmpty() || name[0] == '"' || name[0] == ' ';
  if (list) return textOutput ? TextString("*.txt") : TextString("*.*");
  const std::string_view path = full.View();
  const size_t nameStart = path.rfind(kFolderSeparator) + 1;  // npos + 1 is 0
  const std::string_view fileName = path.substr(nameStart);
  const size_t dot = fileName.rfind('.');
  const std::string_view base = fileName.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
  return FromView(base) + (textOutput ? TextString(".txt") : FromView(extension));
}

void InsertInHistory(History& history, const TextString& entry) {
  if (entry.IsEmpty()) return;
  size_t found = history.size() - 1;  // not found: the last entry falls off
  for (size_t i = 0; i < history.size(); ++i) {
    if (SameIgnoringCase(history[i], entry)) {
      found = i;
      break;
    }
  }
  for (size_t i = found; i > 0; --i) history[i] = history[i - 1];
  history[0] = entry;
}

std::vector<TextString> MarkFolders(std::vector<TextString> paths) {
  for (TextString& path : paths) {
    if (IsFolder(path)) path = WithFinalSeparator(path);
  }
  return paths;
}

TextString WithFinalSeparator(const TextString& folder) {
  if (folder.IsEmpty() || folder[folder.Length() - 1] == kFolderSeparator) return folder;
  TextString result(folder);
  result.AppendChar(kFolderSeparator);
  return result;
}

bool IsUsableFolder(const TextString& folder, bool forOutput) {
  if (folder.IsEmpty() || !IsFolder(folder)) return false;
  const std::string path(folder.View());
  if (access(path.c_str(), R_OK | X_OK) != 0) return false;
  if (!forOutput) return true;
  struct statvfs fileSystem {};
  if (statvfs(path.c_str(), &fileSystem) != 0 || (fileSystem.f_flag & ST_RDONLY) != 0) {
    return false;
  }
  return access(path.c_str(), W_OK) == 0;
}

}  // namespace quorlex
