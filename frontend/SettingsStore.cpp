#include "frontend/SettingsStore.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/Ascii.h"
#include "foundation/WholeFileWriter.h"

namespace quorlex {
namespace {

std::string LowerName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = ToAsciiLower(c);
  return lower;
}

bool HoldsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Key(const char* base, const char* name) {
  std::string key = base != nullptr ? base : "";
  if (name != nullptr) key += name;
  return key;
}

// "\MRU" and the entry number in two digits.
std::string HistoryName(int i) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "\\MRU%2.2u", static_cast<unsigned>(i));
  return suffix;
}

}  // namespace

int SettingsStore::Find(std::string_view name) const {
  const auto found = index_.find(LowerName(name));
  return found == index_.end() ? -1 : static_cast<int>(found->second);
}

int SettingsStore::Load() {
  entries_.clear();
  index_.clear();
  fileText_.reset();
  if (path_.empty()) return 0;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return 0;
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return 0;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || TrimBlanks(line).starts_with('#')) continue;
    const std::string_view name = TrimBlanks(line.substr(0, equals));
    if (name.empty()) continue;
    Set(name, line.substr(equals + 1));
  }
  // Comments and repeated names are gone: what counts as the file is what saving would write.
  fileText_ = FileText();
  return 1;
}

std::string SettingsStore::FileText() const {
  std::string text;
  for (const auto& [name, value] : entries_) {
    text += name;
    text += '=';
    text += value;
    text += '\n';
  }
  return text;
}

int SettingsStore::Save() {
  if (path_.empty()) return 0;
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  std::string text = FileText();
  TextString errorText;
  // Dotfile managers keep the settings file as a link into their repository: the file behind
  // the link is written, and the link stays.
  if (!WriteWholeFile(path_.c_str(), text, errorText, SymbolicLinks::kFollow)) return 0;
  fileText_ = std::move(text);
  return 1;
}

int SettingsStore::SaveChanges() {
  if (fileText_.has_value() && *fileText_ == FileText()) return 1;
  return Save();
}

int SettingsStore::Get(std::string_view name, std::string& value) const {
  const int index = Find(name);
  if (index < 0) return 0;
  value = entries_[static_cast<size_t>(index)].second;
  return 1;
}

int SettingsStore::Set(std::string_view name, std::string_view value) {
  if (name.empty() || name.find('=') != std::string_view::npos || HoldsLineBreakOrNul(name) ||
      HoldsLineBreakOrNul(value)) {
    return 0;
  }
  const int index = Find(name);
  if (index >= 0) {
    entries_[static_cast<size_t>(index)].second = std::string(value);
  } else {
    index_.emplace(LowerName(name), entries_.size());
    entries_.emplace_back(std::string(name), std::string(value));
  }
  return 1;
}

std::string DefaultSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config != nullptr && config[0] == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    std::string homeFolder = (home != nullptr) ? home : "";
    if (homeFolder.empty()) {
      const passwd* account = getpwuid(getuid());
      if (account != nullptr && account->pw_dir != nullptr) homeFolder = account->pw_dir;
    }
    if (homeFolder.empty()) return std::string();
    folder = homeFolder + "/.config";
  }
  return folder + "/quorlex/settings.conf";
}

int ReadText(const SettingsStore& root, const char* base, const char* name, TextString& out) {
  std::string value;
  if (!root.Get(Key(base, name), value)) return 0;
  out.AssignBytes(value.data(), static_cast<int>(value.size()));
  return 1;
}

int ReadNumber(const SettingsStore& root, const char* base, const char* name, int& value) {
  TextString text;
  if (!ReadText(root, base, name, text)) return 0;
  int parsed = 0;
  if (!text.ParseNumber('1', parsed)) return 0;
  value = parsed;
  return 1;
}

int WriteText(SettingsStore& root, const char* base, const char* name, const TextString& text) {
  return root.Set(Key(base, name), text.View());
}

int WriteNumber(SettingsStore& root, const char* base, const char* name, int value) {
  return WriteText(root, base, name, TextString(value));
}

int ReadHistory(const SettingsStore& root, const char* base, int count, TextString* entries) {
  int read = 0;
  for (int i = 0; i < count; ++i) {
    entries[i].Clear();
    read += ReadText(root, base, HistoryName(i).c_str(), entries[i]);
  }
  return read;
}

int WriteHistory(SettingsStore& root, const char* base, int count, const TextString* entries) {
  int written = 0;
  for (int i = 0; i < count; ++i) {
    written += WriteText(root, base, HistoryName(i).c_str(), entries[i]);
  }
  return written;
}

}  // namespace quorlex
