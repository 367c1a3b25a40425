#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// What writing to a name that is a symbolic link replaces.
enum class SymbolicLinks {
  // The link itself gives way to the new file, which takes the permission bits of the file
  // the link pointed to; that file stays byte for byte. A write never reaches through a link
  // into a file elsewhere, so a link planted in a tree converted in place cannot make a run
  // replace another file of the user's. A link that points nowhere is replaced too.
  kReplace,
  // The file the link points to is replaced and the link stays, as dotfile managers that keep
  // a configuration file as a link into their repository expect. A link that points nowhere
  // fails.
  kFollow,
};

// Writes a file whole or not at all. The text goes to a temporary file created in the
// folder of the file it will replace (so that the final rename stays on one file system);
// Commit flushes and closes it and renames it over that file, so the target is at every
// moment either the old file or the complete new one. Any failure removes the temporary file
// and leaves the target as it was; ErrorText() then says why, as the system put it.
//
// A new file gets the usual permissions (0666 less the umask); a file that is replaced keeps
// its permissions. A symbolic link is treated as SymbolicLinks says. A name that is neither a
// regular file nor a folder (a device such as /dev/null, a pipe), or a link to one, is
// written directly, never replaced. So is a link in /dev or /proc (/dev/stderr, /dev/fd/1):
// it stands for a stream of the process, which is appended to, a redirected regular file
// included.
//
// Temporary files are named ".<name>.qxtmp-<host>-<pid>-<random>": hidden, so that folder
// listings pass over them (IsTemporaryName), and marked with the host and process that write
// them. The first time a process writes into a folder, it removes what runs killed outright
// left there (see WholeFileWriter::Open). Temporary names are kept as given, relative ones
// included, for the interrupt handler: a program that writes must not change its working
// folder.
class WholeFileWriter {
 public:
  WholeFileWriter() = default;
  // Abandons an uncommitted write.
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // Creates the temporary file for `path`. Returns 1, or 0 when it cannot be created (the
  // folder is missing or not writable, say). The first Open of this process in a folder
  // first removes the temporary files that runs killed outright (kill -9) left there: only
  // regular files of this user whose name has the form above with this host's name and the
  // number of a process that no longer runs; never another host's, a live process's, another
  // user's, nor a folder or link of such a name. Temporary files are listed for
  // RemoveTemporaryFilesOnInterrupt from before they exist; a process may have 64 of them at
  // once, and an Open beyond that fails with "Too many open files".
  int Open(const char* path, SymbolicLinks links = SymbolicLinks::kReplace);
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
  // Open for a device or pipe, or for a `stream` of a process (/dev/stderr): writes to it
  // directly.
  int OpenDirect(bool stream);
  // Takes `fd` as the stream written to. Returns 1, or 0 after Fail (`fd` closed).
  int AttachStream(int fd);
  // Creates and lists the temporary file in `folder` (empty: the working folder, else
  // ending in "/") for the file `name`. Returns its descriptor, or -1 with errno set.
  int CreateTemporary(const std::string& folder, std::string_view name);
  // Flushes and closes the stream. Returns 1, or 0 after Fail.
  int CloseStream();
  // Renames the finished temporary file over the target. Returns 1, or 0 after Fail.
  int RenameIntoPlace();
  // Records `error` (an errno value) as the reason and abandons the write. Returns 0.
  int Fail(int error);

  std::FILE* stream_ = nullptr;
  int pendingSlot_ = -1;  // where the temporary file is listed for an interrupt, or -1
  TextString path_;
  TextString target_;  // the name the finished file is renamed to (a followed link's file)
  TextString temporary_;
  TextString errorText_;
  int failed_ = 0;
};

// The existing file that writing `path` with a WholeFileWriter (links replaced) changes: the
// regular file or the link at that name, which the new file replaces, or the regular file a
// stream name (/dev/stderr) is redirected to, which is appended to. Returns false when the
// write changes no file: a new name, a device or pipe.
bool FileChangedByWriting(const char* path, struct stat& changed);

// Makes the signals that end a program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, and
// SIGABRT, through which running out of memory ends it) remove the temporary files that
// writers of this process have open before the program ends as the signal would end it, so
// that an interrupted run leaves neither a partial output nor its temporary file behind
// (targets are untouched either way; finished files stay). A signal the program was started
// with ignored (SIGHUP under nohup) stays ignored. For programs, once at the start.
void RemoveTemporaryFilesOnInterrupt();

// Holds the signals that end a program back in the calling thread for as long as it runs.
// A thread that helps a run without writing files (a worker converting ahead) calls it
// first, so that those signals are handled by a thread that writes, which holds them back
// while a temporary file and the list of them change together.
void HoldEndingSignalsInThisThread();

// True when `name` (a file name without folder) has the form of a writer's temporary file,
// ".<name>.qxtmp-<host>-<pid>-<random>", or ".<name>.tmp-<pid>-<attempt>" as earlier
// versions named them: the file of a write still in progress (such as this run's log) or the
// remains of a killed program, never a document to convert.
bool IsTemporaryName(std::string_view name);

// Writes `content` as the whole of the file at `path` through a WholeFileWriter. Returns 1,
// or 0 with `errorText` saying why.
int WriteWholeFile(const char* path, std::string_view content, TextString& errorText,
                   SymbolicLinks links = SymbolicLinks::kReplace);

}  // namespace quorlex
