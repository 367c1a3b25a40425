#pragma once

#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// What one run reads and what it has written, so that nothing the run writes replaces a file
// it reads or a file it wrote before. Files are known by device and inode: a name counts
// whatever its spelling ("a.htm", "./a.htm", a hard link, a symbolic link to it).
//
// The inputs of a run are the files it converts and the files that steer it (its policy
// files with their includes, its steering files); they are all recorded before the run
// writes anything, so an output can never replace a file that is converted after it.
//
// What a write changes is what the writer says (FileChangedByWriting): the regular file or
// the symbolic link at the name (the link itself, never the file it points to), or the file
// a stream such as /dev/stderr is redirected to; a device changes no file.
class RunFiles {
 public:
  // Records `path` as read by the run: the file it names (links followed) and, when the
  // name is a symbolic link, the link itself. A path that names nothing is ignored.
  void AddInput(const TextString& path);
  // Whether the run may put a file at `path`. Returns 1, or 0 with `refusal` set to the
  // message "ERROR: <path> is an input of this run - not overwritten" or "ERROR: <path> was
  // already written in this run - not overwritten". `ownInput` (may be null) is the input
  // this write may replace ("May overwrite the input files"): its file, as long as no other
  // input of the run is that file too.
  [[nodiscard]] int MayWrite(const TextString& path, const TextString* ownInput,
                             TextString& refusal) const;
  // Records the file now at `path` as written by the run. When the write replaced
  // `ownInput` (may be null: the input of the pass that wrote it), that input is forgotten:
  // its file is gone, and its inode number may be given to a later output.
  void RecordWritten(const TextString& path, const TextString* ownInput);

 private:
  struct Identity {
    dev_t device;
    ino_t inode;
    bool operator<(const Identity& other) const {
      return device != other.device ? device < other.device : inode < other.inode;
    }
    bool operator==(const Identity& other) const = default;
  };

  // The identities an input is recorded with: the file (links followed), then the link.
  static std::vector<Identity> IdentitiesOf(const std::string& path);

  // The file a write at `path` would change, as above. Returns false when it changes none.
  static bool ReplacedBy(const TextString& path, Identity& identity);
  // Whether `identity` belongs to `ownInput` alone among the inputs.
  bool OwnedOnlyBy(const Identity& identity, const TextString* ownInput) const;

  // The identities each input path was recorded with, and how many input paths share each.
  std::map<std::string, std::vector<Identity>> inputs_;
  std::map<Identity, int> inputOwners_;
  std::set<Identity> written_;
};

}  // namespace quorlex
