#pragma once

#include <vector>

#include "foundation/MessageChannel.h"
#include "foundation/TextString.h"

namespace quorlex {

// The list of files a file specification names, kept between calls so that a caller can
// walk it by index.
struct FileSpecState {
  int foldersVisited = 0;
  std::vector<TextString> files;
  // Folders that could not be listed and files passed over because their path is too long:
  // what the pattern names but cannot be converted.
  std::vector<TextString> unreadable;
};

// Sets `out` to the index-th file (from 0) of the sorted list of files that `spec` names,
// or clears it when index is past the end. With index 0 the list is built anew: the folder
// of `spec` (the current folder when it has none) is searched for files whose name and
// extension match those of `spec` (FileNameMatcher), and with `recurse` its sub-folders too,
// except folders whose name begins with "." and links to folders. An empty file is not
// listed; `owner` is told "WARNING: File is empty " and its name at level 7. A folder that
// cannot be read is passed over with "WARNING: Cannot read folder " and its name, a file
// whose path is longer than the system takes with "WARNING: Path too long " and the path,
// both at level 7 and listed in state.unreadable. Files are listed as the folder of `spec` plus
// their path below it, sorted by that name ignoring case (names equal but for case in byte order).
//
// A spec that names an existing file is that file, even when its name holds '*' or '%':
// wildcards are expanded only when no file of that exact name exists. Without `recurse`
// just that file is listed, without searching its folder (names that differ only in case
// are separate files here); with `recurse` the name is taken literally and matches files
// of that name (ignoring case) in the folder and in each sub-folder.
void ExpandFileSpec(const MessageFunction& owner, const TextString& spec, int recurse, int index,
                    FileSpecState& state, TextString& out);

}  // namespace quorlex
