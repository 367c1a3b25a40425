#include "foundation/FileList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/Ascii.h"
#include "foundation/FileNames.h"
#include "foundation/WholeFileWriter.h"

namespace quorlex {
namespace {

// The byte in upper case, as a number: bytes above 0x7F sort after ASCII.
unsigned char UpperByte(char c) { return static_cast<unsigned char>(ToAsciiUpper(c)); }

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

void WarnOwner(const MessageFunction& owner, const char* what, const TextString& name) {
  if (!owner) return;
  TextString message(what);
  message += name;
  owner(message.Data(), 7);
}

struct Search {
  const MessageFunction& owner;
  FileNameMatcher& matcher;
  bool recurse;
  FileSpecState& state;

  void Warn(const char* what, const TextString& name) const { WarnOwner(owner, what, name); }

  void PassOverLongPath(const TextString& path) {
    Warn("WARNING: Path too long ", path);
    state.unreadable.push_back(path);
  }

  // Lists the matching files of `folder` ("" for the current one, else ending with a
  // separator), and of its sub-folders when recursing. Entries are filtered before they
  // are sorted, so a big folder costs one pass and a sort of what it contributes.
  void Folder(const TextString& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.IsEmpty() ? "." : folder.Data()),
                                                  closedir);
    if (!dir) {
      Warn("WARNING: Cannot read folder ", folder);
      state.unreadable.push_back(folder);
      return;
    }
    std::vector<Listed> kept;
    while (const dirent* entry = readdir(dir.get())) Keep(folder, *entry, kept);
    std::sort(kept.begin(), kept.end(),
              [](const Listed& a, const Listed& b) { return a.name < b.name; });
    for (const Listed& listed : kept) {
      TextString path(folder);
      path.AppendBytes(listed.name.data(), static_cast<int>(listed.name.size()));
      if (listed.isFolder) {
        ++state.foldersVisited;
        path.AppendChar('/');
        Folder(path);
      } else if (listed.size == 0) {
        Warn("WARNING: File is empty ", path);
      } else {
        state.files.push_back(path);
      }
    }
  }

  struct Listed {
    std::string name;
    bool isFolder;
    std::uintmax_t size;
  };

  // Adds `entry` to `kept` when it is a sub-folder to search or a matching file (a link to
  // a file counts as the file; links to folders are not followed, so a link back up cannot
  // loop).
  void Keep(const TextString& folder, const dirent& entry, std::vector<Listed>& kept) {
    const std::string_view name(entry.d_name);
    // A file being written whole (this run's log) is not a document, nor is what a killed
    // program left of one.
    if (name == "." || name == ".." || IsTemporaryName(name)) return;
    TextString path(folder);
    path.AppendBytes(name.data(), static_cast<int>(name.size()));
    unsigned char type = entry.d_type;
    struct stat info {};
    if (type == DT_UNKNOWN) {
      if (lstat(path.Data(), &info) != 0) {
        // Gone since the folder was listed, or beyond what the system takes.
        if (errno == ENAMETOOLONG) PassOverLongPath(path);
        return;
      }
      type = S_ISDIR(info.st_mode) ? DT_DIR : (S_ISLNK(info.st_mode) ? DT_LNK : DT_REG);
    }
    if (type == DT_DIR) {
      if (recurse && name[0] != '.') kept.push_back({std::string(name), true, 0});
      return;
    }
    if (type != DT_REG && type != DT_LNK) return;
    if (!matcher.Matches(path)) return;
    if (stat(path.Data(), &info) != 0) {
      if (errno == ENAMETOOLONG) PassOverLongPath(path);
      return;
    }
    if (!S_ISREG(info.st_mode)) return;
    kept.push_back({std::string(name), false, static_cast<std::uintmax_t>(info.st_size)});
  }
};

// Whether `spec` names an existing file (a link to one counts). Such a name is taken as it
// stands, whatever it holds: "star*.htm" is then that file, not a pattern.
bool NamesExistingFile(const TextString& spec) {
  struct stat info {};
  return !NameAndExtension(spec).IsEmpty() && stat(spec.Data(), &info) == 0 &&
         S_ISREG(info.st_mode);
}

// Lists the one file `spec` names (or warns that it is empty) without reading its folder:
// a run given thousands of names, as a shell expands "*.html", would otherwise read the
// folder once per name.
void ListExactFile(const MessageFunction& owner, const TextString& spec, FileSpecState& state) {
  struct stat info {};
  if (stat(spec.Data(), &info) != 0) return;  // gone since it was looked at
  if (info.st_size == 0) {
    WarnOwner(owner, "WARNING: File is empty ", spec);
  } else {
    state.files.push_back(spec);
  }
}

}  // namespace

void ExpandFileSpec(const MessageFunction& owner, const TextString& spec, int recurse, int index,
                    FileSpecState& state, TextString& out) {
  if (index == 0) {
    state = FileSpecState();
    const bool exact = NamesExistingFile(spec);
    if (exact && recurse == 0) {
      ListExactFile(owner, spec, state);
    } else {
      TextString folder;
      TextString name;
      TextString extension;
      SplitPath(spec, folder, name, extension);
      FileNameMatcher matcher(spec, exact ? Wildcards::kLiteral : Wildcards::kExpand);
      Search{owner, matcher, recurse != 0, state}.Folder(folder);
      std::stable_sort(state.files.begin(), state.files.end(), ListedBefore);
    }
  }
  if (index >= 0 && index < static_cast<int>(state.files.size())) {
    out = state.files[static_cast<size_t>(index)];
  } else {
    out.Clear();
  }
}

}  // namespace quorlex
