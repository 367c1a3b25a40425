#pragma once

#include <cstdio>
#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// Writes a file whole or not at all. The text goes to a temporary file created in the
// target's own folder (so that the final rename stays on one file system); Commit flushes
// and closes it and renames it over the target, so the target is at every moment either the
// old file or the complete new one. Any failure removes the temporary file and leaves the
// target as it was; ErrorText() then says why, as the system put it.
//
// A new file gets the usual permissions (0666 less the umask); a file that is replaced keeps
// its permissions. When the target is a symbolic link, the file it points to is replaced and
// the link stays (a link that points nowhere fails). A target that is neither a regular file
// nor a folder (a device such as /dev/null, a pipe) is written directly, never replaced.
class WholeFileWriter {
 public:
  WholeFileWriter() = default;
  // Abandons an uncommitted write.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Creates the temporary file for `path`. Returns 1, or 0 when it cannot be created (the
  // folder is missing or not writable, say).
  int Open(const char* path);
  // Appends `length` bytes. Returns 1, or 0 once any write has failed.
  int Write(const char* data, int length);
  // Returns 1 when the new file is in place; 0 when flushing, closing or renaming failed.
  int Commit();
  // Removes the temporary file; the target is untouched.
  void Abandon();

  bool IsOpen() const { return stream_ != nullptr; }
  // The target's path as given to Open.
  const TextString& Path() const { return path_; }
  const TextString& ErrorText() const { return errorText_; }

 private:
  // Open for a target that is no regular file: writes to it directly.
  int OpenDirect();
  // Records `error` (an errno value) as the reason and abandons the write.
  void Fail(int error);

  std::FILE* stream_ = nullptr;
  int pendingSlot_ = -1;  // where the temporary file is listed for an interrupt, or -1
  TextString path_;
  TextString target_;  // the file actually replaced (a link's destination)
  TextString temporary_;
  TextString errorText_;
  int failed_ = 0;
};

// Makes an interrupt (SIGINT, SIGTERM, SIGHUP) remove the temporary files that writers of
// this process have open before the program ends as the signal would end it, so that an
// interrupted run leaves neither a partial output nor its temporary file behind (the
// targets are untouched either way). For programs, once at the start.
void RemoveTemporaryFilesOnInterrupt();

// True when `name` (a file name without folder) has the form of a writer's temporary file,
// ".<name>.tmp-<pid>-<attempt>": the file of a write still in progress (such as this run's
// log) or the remains of a killed program, never a document to convert.
bool IsTemporaryName(std::string_view name);

// Writes `content` as the whole of the file at `path` through a WholeFileWriter. Returns 1,
// or 0 with `errorText` saying why.
int WriteWholeFile(const char* path, std::string_view content, TextString& errorText);

}  // namespace quorlex
