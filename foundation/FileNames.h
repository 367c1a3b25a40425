#pragma once

#include <memory>

#include "foundation/PatternEngine.h"
#include "foundation/TextString.h"

namespace quorlex {

// Taking file names apart and putting them together. Both '/' and '\' separate folders.

// Splits `path` into `folder` (up to and including the last separator, or empty), `name`
// and `extension` (the last dot of what follows the folder and the rest, or empty).
// folder + name + extension is the path again. `path` may be one of the outputs.
void SplitPath(const TextString& path, TextString& folder, TextString& name, TextString& extension);
// The name and extension of `path` (what follows its folder).
TextString NameAndExtension(const TextString& path);
// 0 for a path from a root ("/docs", "C:\docs"), else 1.
int IsRelative(const TextString& path);
// Puts `path` in relation to `baseFolder` into `result`: an absolute path stays as it is, a
// relative one is appended to `baseFolder` (with a separator between them when
// `baseFolder` does not end with one). Every "../" (or "..\") in `path` takes one folder
// level off what stands before it, the levels of `baseFolder` included ("/a/b/" +
// "../x.pol" is "/a/x.pol"). A "../" that climbs above the start of a relative folder is
// kept ("" + "../up.log" is "../up.log", "a/" + "../../x" is "../x"); one that climbs
// above the root of an absolute folder stops there ("/" + "../../x" is "/x").
void ResolvePath(const TextString& baseFolder, const TextString& path, TextString& result);
// Whether `name` keeps what is written there below the current folder: a relative name
// without a ".." level, none of whose folders is a symbolic link. A name that a policy file
// gives must be one: a policy file is handed around, and must not point a write at ~/.ssh or
// through a planted link.
[[nodiscard]] bool StaysBelowCurrentFolder(const TextString& name);
// Whether `path` names an existing folder (links followed).
[[nodiscard]] bool IsFolder(const TextString& path);
// Whether the file at `path` opens for reading.
[[nodiscard]] bool CanRead(const TextString& path);
// Whether two paths name the very same existing file (same device and inode, links
// followed), whatever their spelling.
[[nodiscard]] bool IsSameFile(const TextString& a, const TextString& b);

// Whether the name and extension of a file specification hold a wildcard ("*" or "%").
[[nodiscard]] bool HasWildcards(const TextString& spec);

// How a file specification's '*' and '%' are read: as wildcards, or as the characters of a
// name (a pattern that names an existing file is that file, "star*.htm" included).
enum class Wildcards { kExpand, kLiteral };

// Matches file names against the name and extension of a file specification, ignoring
// case; folders are ignored. With Wildcards::kExpand a '*' stands for any run of
// characters and a '%' for any one character; the pattern is compiled once into a
// wildcard pattern, so one matcher serves a whole folder listing. A name matches when the
// pattern covers all of it, even where the text after a '*' occurs twice ("a.htm.htm"
// matches "*.htm"). An empty pattern or name never matches.
class FileNameMatcher {
 public:
  explicit FileNameMatcher(const TextString& spec, Wildcards wildcards = Wildcards::kExpand);
  [[nodiscard]] int Matches(const TextString& fileName);

 private:
  CopyPatternEngine engine_;
  TextString literalName_;  // the upper-cased name of a spec without wildcards
  bool empty_ = true;
  bool literal_ = false;
};

}  // namespace quorlex
