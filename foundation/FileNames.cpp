#include "foundation/FileNames.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace quorlex {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Index of the last separator in text[0, length), or -1.
int LastSeparator(const char* text, int length) {
  for (int i = length - 1; i >= 0; --i) {
    if (IsSeparator(text[i])) return i;
  }
  return -1;
}

TextString Upper(const TextString& text) {
  TextString upper(text);
  upper.ToUpper();
  return upper;
}

// The root a path begins with ("/", "C:\"), which ".." never takes off, or 0.
int RootLength(const TextString& path) {
  if (path.Length() > 0 && IsSeparator(path[0])) return 1;
  if (path.Length() > 2 && path[1] == ':' && IsSeparator(path[2])) return 3;
  return 0;
}

// Takes one folder level off the end of `folder`, which ends with a separator unless it is
// empty ("/a/b/" becomes "/a/"). A level "." (or an empty one, "a//") names no folder of
// its own: it goes and the climb goes on. The root of an absolute path stays ("/" + ".."
// is "/"); above the start of a relative folder, or over a level that is itself "..", the
// climb is written out: `up` (the "../" or "..\" of the path) is appended.
void ClimbOneLevel(TextString& folder, std::string_view up) {
  const int root = RootLength(folder);
  while (folder.Length() > root) {
    const int levelEnd = folder.Length() - 1;  // the level without its final separator
    const int cut = LastSeparator(folder.Data() + root, levelEnd - root);
    const int levelStart = cut < 0 ? root : root + cut + 1;
    const std::string_view level(folder.Data() + levelStart,
                                 static_cast<size_t>(levelEnd - levelStart));
    if (level == "..") break;
    const bool namesFolder = !level.empty() && level != ".";
    folder.Mid(0, levelStart);
    if (namesFolder) return;
  }
  if (root == 0) folder.AppendBytes(up.data(), static_cast<int>(up.size()));
}

// A folder given without its final separator ("/a/b") gets one.
void EndWithSeparator(TextString& folder) {
  if (folder.Length() > 0 && !IsSeparator(folder[folder.Length() - 1])) folder.AppendChar('/');
}

}  // namespace

void SplitPath(const TextString& path, TextString& folder, TextString& name,
               TextString& extension) {
  const TextString whole(path);  // the outputs may be the path itself
  const int nameStart = LastSeparator(whole.Data(), whole.Length()) + 1;
  int dot = -1;
  for (int i = whole.Length() - 1; i >= nameStart && dot < 0; --i) {
    if (whole[i] == '.') dot = i;
  }
  const int nameEnd = dot < 0 ? whole.Length() : dot;
  folder.AssignBytes(whole.Data(), nameStart);
  name.AssignBytes(whole.Data() + nameStart, nameEnd - nameStart);
  extension.AssignBytes(whole.Data() + nameEnd, whole.Length() - nameEnd);
}

TextString NameAndExtension(const TextString& path) {
  const int nameStart = LastSeparator(path.Data(), path.Length()) + 1;
  TextString result;
  result.AssignBytes(path.Data() + nameStart, path.Length() - nameStart);
  return result;
}

int IsRelative(const TextString& path) {
  if (path.Length() > 0 && path[0] == '/') return 0;
  return path.FindNoCase(":\\") == nullptr ? 1 : 0;
}

void ResolvePath(const TextString& baseFolder, const TextString& path, TextString& result) {
  if (!IsRelative(path)) {
    result = path;
    return;
  }
  TextString resolved(baseFolder);
  EndWithSeparator(resolved);
  // Each "../" of the path takes off the level before it, whether the path or the base
  // folder wrote it: "../x.pol" from "/a/b/" is "/a/x.pol", from "" it stays "../x.pol".
  int start = 0;
  for (int i = 0; i < path.Length(); ++i) {
    if (!IsSeparator(path[i])) continue;
    const std::string_view level(path.Data() + start, static_cast<size_t>(i + 1 - start));
    if (level.size() == 3 && level.starts_with("..")) {
      ClimbOneLevel(resolved, level);
    } else {
      resolved.AppendBytes(level.data(), static_cast<int>(level.size()));
    }
    start = i + 1;
  }
  resolved.AppendBytes(path.Data() + start, path.Length() - start);
  result.Swap(resolved);
}

bool StaysBelowCurrentFolder(const TextString& name) {
  if (name.IsEmpty() || !IsRelative(name)) return false;
  int start = 0;
  for (int i = 0; i <= name.Length(); ++i) {
    if (i < name.Length() && !IsSeparator(name[i])) continue;
    if (std::string_view(name.Data() + start, static_cast<size_t>(i - start)) == "..") {
      return false;
    }
    if (i < name.Length()) {
      // The folders so far, as written: none may be a link.
      TextString folder;
      folder.AssignBytes(name.Data(), i);
      struct stat info {};
      if (lstat(folder.Data(), &info) == 0 && S_ISLNK(info.st_mode)) return false;
    }
    start = i + 1;
  }
  return true;
}

bool HasWildcards(const TextString& spec) {
  return NameAndExtension(spec).View().find_first_of("*%") != std::string_view::npos;
}

FileNameMatcher::FileNameMatcher(const TextString& spec, Wildcards wildcards) {
  // The name of a file can never hold a '/', so a '/' after both the pattern and the name
  // anchors the pattern's end at the name's end: "*.htm" then covers "a.htm.htm" whole
  // instead of stopping at the first ".htm". Both sides are upper-cased here, and the
  // pattern's own metacharacters in the file specification are taken literally.
  TextString name = Upper(NameAndExtension(spec));
  empty_ = name.IsEmpty();
  // A name without wildcards matches only itself: compared directly, without the engine.
  literal_ = wildcards == Wildcards::kLiteral || !HasWildcards(name);
  if (empty_ || literal_) {
    literalName_ = std::move(name);
    return;
  }
  TextString pattern;
  for (int i = 0; i < name.Length(); ++i) {
    switch (name[i]) {
      case '*':
        pattern.Append("**");
        break;
      case '%':
        pattern.Append("%*");
        break;
      case '?':
      case '|':
        pattern.AppendChar('|');
        pattern.AppendChar(name[i]);
        break;
      default:
        pattern.AppendChar(name[i]);
        break;
    }
  }
  pattern.AppendChar('/');
  engine_.AddPattern(PatternType::kReplace, pattern.Data(), "", 1);
  engine_.locked = true;
}

int FileNameMatcher::Matches(const TextString& fileName) {
  if (empty_) return 0;
  TextString name = Upper(NameAndExtension(fileName));
  if (name.IsEmpty()) return 0;
  if (literal_) return name.View() == literalName_.View() ? 1 : 0;
  name.AppendChar('/');
  return engine_.Run(name, nullptr) == 1 && engine_.Result().IsEmpty() ? 1 : 0;
}

bool IsFolder(const TextString& path) {
  struct stat info {};
  return stat(path.Data(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CanRead(const TextString& path) {
  std::FILE* file = std::fopen(path.Data(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool IsSameFile(const TextString& a, const TextString& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.Data(), &first) == 0 && stat(b.Data(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace quorlex
