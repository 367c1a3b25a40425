#include "foundation/WholeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quorlex {

namespace {

// How many names are tried before giving up when earlier temporary names are taken.
constexpr int kNameAttempts = 100;
// The part of the target's name that goes into the temporary name. A name near the file
// system's limit of 255 bytes must still leave room for the prefix and suffix.
constexpr size_t kMaxNameInTemporary = 200;

// The file that writing to `path` really replaces: the destination of a symbolic link (so
// the link stays a link), else `path` itself. Returns 0 with `error` set when a link cannot
// be followed (it dangles, say).
int ResolveTarget(const char* path, std::string& target, int& error) {
  struct stat info;
  if (lstat(path, &info) != 0 || !S_ISLNK(info.st_mode)) {
    target = path;
    return 1;
  }
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) {
    error = errno;
    return 0;
  }
  target = resolved;
  std::free(resolved);
  return 1;
}

// ".<name>.tmp-<pid>-<attempt>" in the folder of `target`. Hidden, so that a folder listing
// taken during a run does not pick it up as an input.
std::string TemporaryName(const std::string& target, int attempt) {
  const size_t slash = target.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string name = target.substr(nameStart, kMaxNameInTemporary);
  return target.substr(0, nameStart) + "." + name + ".tmp-" + std::to_string(getpid()) + "-" +
         std::to_string(attempt);
}

// True when `text` is one or more decimal digits.
bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The temporary files being written in this process, for the interrupt handler. Process-wide
// because a signal handler can reach nothing else, and a fixed table of fixed-size names
// because it may only read memory and call unlink: a slot is claimed by compare-and-swap,
// filled, then marked ready; its writer frees it once the temporary file is renamed or
// removed. A writer that finds no free slot (or a name too long) just goes unlisted.
enum SlotState : int { kFree, kFilling, kReady };
struct PendingSlot {
  std::atomic<int> state{kFree};
  char name[4096];
};
constexpr int kPendingSlots = 16;
PendingSlot gPending[kPendingSlots];

int ListPending(const std::string& name) {
  if (name.size() >= sizeof gPending[0].name) return -1;
  for (int i = 0; i < kPendingSlots; ++i) {
    int expected = kFree;
    if (!gPending[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(gPending[i].name, name.c_str(), name.size() + 1);
    gPending[i].state.store(kReady);
    return i;
  }
  return -1;
}

void UnlistPending(int& slot) {
  if (slot >= 0) gPending[slot].state.store(kFree);
  slot = -1;
}

extern "C" void RemovePendingAndEnd(int signal) {
  for (PendingSlot& slot : gPending) {
    if (slot.state.load() == kReady) unlink(slot.name);
  }
  // The handler was reset to the default on entry (SA_RESETHAND): the signal, raised again,
  // ends the program as soon as this handler returns.
  raise(signal);
}

}  // namespace

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RemovePendingAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

WholeFileWriter::~WholeFileWriter() { Abandon(); }

int WholeFileWriter::Open(const char* path) {
  Abandon();
  failed_ = 0;
  errorText_.Clear();
  path_.Assign(path);
  if (path_.IsEmpty()) {
    Fail(ENOENT);
    return 0;
  }
  // What the path names, links followed.
  struct stat old;
  const bool replacing = stat(path, &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) {
    // A folder cannot be replaced by a file; finding out now saves writing the whole text.
    Fail(EISDIR);
    return 0;
  }
  if (replacing && !S_ISREG(old.st_mode)) return OpenDirect();
  std::string target;
  int error = 0;
  if (!ResolveTarget(path, target, error)) {
    Fail(error);
    return 0;
  }

  // O_EXCL makes the name ours alone; mode 0666 lets the umask decide for a new file.
  int fd = -1;
  std::string temporary;
  for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
    temporary = TemporaryName(target, attempt);
    fd = open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    Fail(errno);
    return 0;
  }
  target_.Assign(target.c_str());
  temporary_.Assign(temporary.c_str());
  pendingSlot_ = ListPending(temporary);
  if (replacing && fchmod(fd, old.st_mode & 07777) != 0) {
    const int chmodError = errno;
    close(fd);
    Fail(chmodError);
    return 0;
  }
  stream_ = fdopen(fd, "wb");
  if (stream_ == nullptr) {
    const int openError = errno;
    close(fd);
    Fail(openError);
    return 0;
  }
  return 1;
}

int WholeFileWriter::OpenDirect() {
  // A device or a pipe (/dev/stdout, say) must never be renamed over, and holds no stored
  // text that a failed write could spoil: the text goes straight to it.
  target_ = path_;
  stream_ = std::fopen(path_.Data(), "wbe");
  if (stream_ == nullptr) {
    Fail(errno);
    return 0;
  }
  return 1;
}

int WholeFileWriter::Write(const char* data, int length) {
  if (stream_ == nullptr || length < 0 || (data == nullptr && length > 0)) return 0;
  if (length == 0) return 1;
  if (std::fwrite(data, 1, static_cast<size_t>(length), stream_) != static_cast<size_t>(length)) {
    Fail(errno);
    return 0;
  }
  return 1;
}

int WholeFileWriter::Commit() {
  if (stream_ == nullptr) {
    // Never opened, or a failure already removed the temporary file and said why.
    if (failed_ == 0) Fail(EBADF);
    return 0;
  }
  // No fsync: a run writes thousands of files, and waiting for each to reach the disk would
  // slow it down many times over. The rename still guarantees that no reader ever sees a
  // half-written file; only a power cut right after the run can lose the newest text.
  if (std::fflush(stream_) != 0) {
    Fail(errno);
    return 0;
  }
  std::FILE* stream = stream_;
  stream_ = nullptr;
  if (std::fclose(stream) != 0) {
    Fail(errno);
    return 0;
  }
  if (temporary_.IsEmpty()) return 1;  // written in place
  if (std::rename(temporary_.Data(), target_.Data()) != 0) {
    Fail(errno);
    return 0;
  }
  temporary_.Clear();
  UnlistPending(pendingSlot_);
  return 1;
}

void WholeFileWriter::Abandon() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.IsEmpty()) {
    unlink(temporary_.Data());
    temporary_.Clear();
  }
  UnlistPending(pendingSlot_);
}

void WholeFileWriter::Fail(int error) {
  failed_ = 1;
  errorText_.Assign(std::strerror(error));
  Abandon();
}

bool IsTemporaryName(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return false;
  const size_t marker = name.rfind(".tmp-");
  if (marker == std::string_view::npos || marker == 0) return false;
  const std::string_view numbers = name.substr(marker + 5);
  const size_t dash = numbers.find('-');
  return dash != std::string_view::npos && AllDigits(numbers.substr(0, dash)) &&
         AllDigits(numbers.substr(dash + 1));
}

int WriteWholeFile(const char* path, std::string_view content, TextString& errorText) {
  WholeFileWriter writer;
  int ok = writer.Open(path);
  // Write takes an int count: a larger text goes in slices.
  constexpr size_t kSlice = size_t{1} << 30;
  for (size_t done = 0; ok != 0 && done < content.size(); done += kSlice) {
    const size_t slice = std::min(kSlice, content.size() - done);
    ok = writer.Write(content.data() + done, static_cast<int>(slice));
  }
  ok = ok != 0 && writer.Commit() != 0;
  errorText = writer.ErrorText();
  return ok;
}

}  // namespace quorlex
