#include "foundation/FileList.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/FileNames.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;

unsigned char UpperByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

// Compares two names ignoring case: -1, 0 or 1.
int CompareIgnoringCase(std::string_view a, std::string_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (UpperByte(a[i]) != UpperByte(b[i])) return UpperByte(a[i]) < UpperByte(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Names compare ignoring case; names equal but for case compare by their bytes, so the
// order never depends on the order in which the file system lists a folder.
bool ListedBefore(const TextString& a, const TextString& b) {
  const int ignoringCase = CompareIgnoringCase(a.View(), b.View());
  return ignoringCase != 0 ? ignoringCase < 0 : a.View() < b.View();
}

struct Search {
  const MessageFunction& owner;
  FileNameMatcher& matcher;
  bool recurse;
  FileSpecState& state;

  void Warn(const char* what, const TextString& name) const {
    if (!owner) return;
    TextString message(what);
    message += name;
    owner(message.Data(), 7);
  }

  // Lists the matching files of `folder` ("" for the current one, else ending with a
  // separator), and of its sub-folders when recursing.
  void Folder(const TextString& folder) {
    std::error_code error;
    fs::directory_iterator it(folder.IsEmpty() ? fs::path(".") : fs::path(folder.Data()), error);
    if (error) {
      Warn("WARNING: Cannot read folder ", folder);
      return;
    }
    std::vector<fs::directory_entry> entries;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) entries.push_back(*it);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
      return a.path().filename() < b.path().filename();
    });
    for (const fs::directory_entry& entry : entries) {
      const std::string name = entry.path().filename().string();
      TextString path(folder);
      path.AppendBytes(name.data(), static_cast<int>(name.size()));
      // Links to folders are not followed, so a link back up cannot loop.
      if (entry.is_directory(error) && !entry.is_symlink(error)) {
        if (!recurse || name[0] == '.') continue;
        ++state.foldersVisited;
        path.AppendChar('/');
        Folder(path);
        continue;
      }
      if (!entry.is_regular_file(error) || !matcher.Matches(path)) continue;
      const auto size = entry.file_size(error);
      if (error) continue;  // gone since the folder was listed
      if (size == 0) {
        Warn("WARNING: File is empty ", path);
        continue;
      }
      state.files.push_back(path);
    }
  }
};

}  // namespace

void ExpandFileSpec(const MessageFunction& owner, const TextString& spec, int recurse, int index,
                    FileSpecState& state, TextString& out) {
  if (index == 0) {
    state = FileSpecState();
    TextString folder;
    TextString name;
    TextString extension;
    SplitPath(spec, folder, name, extension);
    FileNameMatcher matcher(spec);
    Search{owner, matcher, recurse != 0, state}.Folder(folder);
    std::stable_sort(state.files.begin(), state.files.end(), ListedBefore);
  }
  if (index >= 0 && index < static_cast<int>(state.files.size())) {
    out = state.files[static_cast<size_t>(index)];
  } else {
    out.Clear();
  }
}

}  // namespace quorlex
