#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// The per-user store of the program settings: a text file of `name=value` lines, one
// setting a line, with names such as "\Dialogs\Main\Left" or "\Files\MRU00". Names are
// compared ignoring (ASCII) case, so "\Options\OutputType" and "\options\outputtype" are one
// setting; the spelling first met is kept. Values are the bytes after the first "=", kept
// exactly (a carriage return before the line end is dropped, as from a file edited on
// Windows).
//
// Load reads the whole file into memory; Save writes it back whole, through a temporary file
// renamed into place, so the file is at every moment either the old one or the complete new
// one; when the file is a symbolic link, the file it points to is replaced and the link stays.
// Settings the program does not know survive a load and save. Lines without "=", lines
// whose name is empty and lines that begin with "#" are comments and are dropped when the
// file is written; a name given twice takes the value of its last line.
//
// Nothing here reports anything: a file that is missing or cannot be read loads as an empty
// store, and a failed Save leaves the file as it was.
class SettingsStore {
 public:
  // A store kept in memory only until SetPath (Load and Save then fail).
  SettingsStore() = default;
  explicit SettingsStore(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }

  // Replaces the contents with the file's settings. Returns 1 when the file was read, 0 when
  // it is missing or unreadable (the store is then empty).
  int Load();
  // Writes every setting to the file, creating its folder when missing. Returns 1 when the
  // new file is in place, else 0 (the old file stays as it was).
  int Save();
  // Saves only when the settings differ from what the file held when this store last loaded
  // or saved it, so that a program that changed nothing leaves a file written meanwhile by
  // another alone. Returns 1 when the file holds the settings (written now or before), else 0.
  int SaveChanges();

  // 1 and the value when the setting is present, else 0 (value untouched).
  [[nodiscard]] int Get(std::string_view name, std::string& value) const;
  // Stores a value. A name that is empty or holds "=", and a name or value holding a line
  // feed, a carriage return or a NUL byte, cannot be kept in a line of the file: they are
  // refused (0) and the stored value stays as it was. Returns 1 when stored.
  int Set(std::string_view name, std::string_view value);
  // Every setting, in file order.
  const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

 private:
  int Find(std::string_view name) const;
  // The settings as the file holds them: a "name=value" line each.
  std::string FileText() const;

  std::string path_;
  std::vector<std::pair<std::string, std::string>> entries_;
  // The position in entries_ of each name, lower-cased: a file of many settings loads in
  // linear time.
  std::unordered_map<std::string, size_t> index_;
  // The text of the file when it was last loaded or saved; none before that, and after a
  // load that found no file.
  std::optional<std::string> fileText_;
};

// Where the settings of the current user live: "$XDG_CONFIG_HOME/quorlex/settings.conf", or
// "$HOME/.config/quorlex/settings.conf" when XDG_CONFIG_HOME is unset, empty or relative (the
// home folder of the user's account when HOME is unset). Empty when no home is known.
std::string DefaultSettingsPath();

// The low-level operations on a store (the root). The setting's name is `base` followed by
// `name` ("\Dialogs\Status" and "\Left"; the base may be empty). Each returns 1 on success
// and 0 when the value cannot be read or written, which callers pass over silently.

// The text of a setting; `out` is left untouched on failure.
[[nodiscard]] int ReadText(const SettingsStore& root, const char* base, const char* name,
                           TextString& out);
// A setting whose text reads as a decimal number (TextString::ParseNumber); `value` is left
// untouched on failure.
[[nodiscard]] int ReadNumber(const SettingsStore& root, const char* base, const char* name,
                             int& value);
int WriteText(SettingsStore& root, const char* base, const char* name, const TextString& text);
// Writes the decimal digits of `value`.
int WriteNumber(SettingsStore& root, const char* base, const char* name, int value);
// Entry i of a history is the setting `base` + "\MRU" + i in two digits ("\Files\MRU03").
// Reading fills all `count` entries: one that cannot be read becomes empty. Returns the
// number of entries read.
int ReadHistory(const SettingsStore& root, const char* base, int count, TextString* entries);
// Writes all `count` entries (empty ones too). Returns the number written.
int WriteHistory(SettingsStore& root, const char* base, int count, const TextString* entries);

}  // namespace quorlex
