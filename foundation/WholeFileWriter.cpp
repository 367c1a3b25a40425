#include "foundation/WholeFileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include "foundation/Ascii.h"

namespace quorlex {

namespace {

// How many names are tried before giving up when a temporary name is taken. Names hold
// random bytes, so only someone who plants files in the folder makes a second try needed.
constexpr int kNameAttempts = 10;
// The longest file name (without folder) the file systems take.
constexpr size_t kMaxFileName = 255;
// At most this much of the target's name goes into the temporary name, less when a long
// host name needs the room.
constexpr size_t kMaxNameInTemporary = 200;
// How many random bytes a temporary name holds (written as twice as many hex digits).
constexpr size_t kRandomBytes = 8;
constexpr std::string_view kTemporaryMarker = ".qxtmp-";
constexpr std::string_view kEarlierTemporaryMarker = ".tmp-";

// The signals that end the program, and on which its temporary files are removed.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGABRT};

sigset_t EndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kEndingSignals) sigaddset(&set, signal);
  return set;
}

// Holds the ending signals back in this thread while it lives: a signal that comes meanwhile
// is handled when it ends. The list of temporary files and the files in the folders change
// together under it, so the handler never meets a file that exists but is not listed, nor a
// listed name that now belongs to a finished file.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld() {
    const sigset_t held = EndingSignals();
    pthread_sigmask(SIG_BLOCK, &held, &old_);
  }
  ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// The temporary files being written in this process, for the signal handler. Process-wide
// because a signal handler can reach nothing else, and a fixed table of fixed-size names
// because it may only read memory and call unlink. A slot is claimed by compare-and-swap;
// its name is written while the slot is marked as filling and is the handler's only once
// marked listed; its writer frees it once the temporary file is renamed or removed.
//
// A run has its output, its log and perhaps a policy file open at once, the desktop a few
// more: 64 is far beyond any real case, and a writer that finds the table full fails rather
// than write a file that an interrupt would leave behind.
enum SlotState : int { kFree, kFilling, kListed };
struct PendingSlot {
  std::atomic<int> state{kFree};
  char name[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the states");
constexpr int kPendingSlots = 64;
PendingSlot gPending[kPendingSlots];

// A free slot, now marked filling, or -1 when every slot is taken.
int ClaimSlot() {
  for (int i = 0; i < kPendingSlots; ++i) {
    int expected = kFree;
    if (gPending[i].state.compare_exchange_strong(expected, kFilling)) return i;
  }
  return -1;
}

// Lists `name` (shorter than PATH_MAX) in the claimed `slot`, replacing any earlier name.
void ListName(int slot, const std::string& name) {
  gPending[slot].state.store(kFilling);
  std::memcpy(gPending[slot].name, name.c_str(), name.size() + 1);
  gPending[slot].state.store(kListed);
}

void FreeSlot(int slot) {
  if (slot >= 0) gPending[slot].state.store(kFree);
}

extern "C" void RemovePendingAndEnd(int signal) {
  for (PendingSlot& slot : gPending) {
    if (slot.state.load() == kListed) unlink(slot.name);
  }
  // The handler was reset to the default on entry (SA_RESETHAND) and the signal is held back
  // while the handler runs: raised again, it ends the program as soon as this returns.
  raise(signal);
}

// This host's name as temporary names carry it ("_" when it has none); a "/", which a file
// name cannot hold, becomes "_".
const std::string& HostName() {
  static const std::string host = [] {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::string("_");
    std::string safe(name);
    std::replace(safe.begin(), safe.end(), '/', '_');
    return safe;
  }();
  return host;
}

// Fresh random bytes as lower-case hex digits. Returns 0 with errno set when the system
// gives none.
int RandomHex(std::string& hex) {
  unsigned char bytes[kRandomBytes];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return 0;
  static const char kDigits[] = "0123456789abcdef";
  hex.clear();
  for (const unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return 1;
}

// ".<name>.qxtmp-<host>-<pid>-<random>" in `folder`, the name cut so that the whole fits in
// one file name.
std::string TemporaryName(const std::string& folder, std::string_view name,
                          const std::string& random) {
  const std::string suffix =
      std::string(kTemporaryMarker) + HostName() + "-" + std::to_string(getpid()) + "-" + random;
  const size_t kept =
      std::min({name.size(), kMaxNameInTemporary, kMaxFileName - 1 - suffix.size()});
  return folder + "." + std::string(name.substr(0, kept)) + suffix;
}

bool AllOf(std::string_view text, bool (*predicate)(char)) {
  return !text.empty() && std::all_of(text.begin(), text.end(), predicate);
}
bool IsLowerHexDigit(char c) { return IsAsciiHexDigit(c) && !IsAsciiUpper(c); }

// Reads a process number (decimal digits only, at least 1). Returns 0 when it is none.
int ParseProcessId(std::string_view digits, pid_t& pid) {
  if (!AllOf(digits, IsAsciiDigit)) return 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  return error == std::errc() && end == digits.data() + digits.size() && pid > 0;
}

// Whether `name` has the form ".<name>.qxtmp-<host>-<pid>-<random>"; sets `host` and `pid`.
// The host name may hold "-": the last two dashes end it.
bool ParseTemporaryName(std::string_view name, std::string_view& host, pid_t& pid) {
  if (name.size() < 2 || name[0] != '.') return false;
  const size_t marker = name.rfind(kTemporaryMarker);
  if (marker == std::string_view::npos || marker == 0) return false;
  std::string_view rest = name.substr(marker + kTemporaryMarker.size());
  const size_t randomDash = rest.rfind('-');
  if (randomDash == std::string_view::npos ||
      !AllOf(rest.substr(randomDash + 1), IsLowerHexDigit)) {
    return false;
  }
  rest = rest.substr(0, randomDash);
  const size_t pidDash = rest.rfind('-');
  if (pidDash == std::string_view::npos || pidDash == 0) return false;
  host = rest.substr(0, pidDash);
  return ParseProcessId(rest.substr(pidDash + 1), pid) != 0;
}

// Whether `name` has the form ".<name>.tmp-<pid>-<attempt>" of earlier versions.
bool IsEarlierTemporaryName(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return false;
  const size_t marker = name.rfind(kEarlierTemporaryMarker);
  if (marker == std::string_view::npos || marker == 0) return false;
  const std::string_view numbers = name.substr(marker + kEarlierTemporaryMarker.size());
  const size_t dash = numbers.find('-');
  return dash != std::string_view::npos && AllOf(numbers.substr(0, dash), IsAsciiDigit) &&
         AllOf(numbers.substr(dash + 1), IsAsciiDigit);
}

// Whether the entry `name` of the open folder `folder` is a temporary file that a run of this
// host, killed outright, left behind: a regular file of this user (a link or folder of that
// name is never taken) whose process no longer runs.
bool IsLeftByKilledRun(int folder, const char* name) {
  std::string_view host;
  pid_t pid = 0;
  if (!ParseTemporaryName(name, host, pid) || host != HostName()) return false;
  if (kill(pid, 0) == 0 || errno != ESRCH) return false;
  struct stat info;
  return fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
         info.st_uid == geteuid();
}

// Whether this is the first time this process writes into `folder`. Process-wide, like the
// table of temporary files: a folder is swept once per process. Folders are known by the
// name they are written to; one reached by two spellings is swept twice, which does no harm.
bool FirstWriteInto(const std::string& folder) {
  static std::mutex lock;
  static std::set<std::string> swept;
  const std::lock_guard<std::mutex> guard(lock);
  return swept.insert(folder).second;
}

// Removes from `folder` (empty: the working folder) what runs killed outright left there,
// the first time this process writes into it. A folder that cannot be read is passed over:
// creating the temporary file there says what is wrong.
void RemoveLeftoversOnce(const std::string& folder) {
  if (!FirstWriteInto(folder)) return;
  DIR* const listing = opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    if (IsLeftByKilledRun(dirfd(listing), entry->d_name)) {
      unlinkat(dirfd(listing), entry->d_name, 0);
    }
  }
  closedir(listing);
}

// How a write reaches its target.
enum class Way {
  kReplace,  // through a temporary file renamed over the target
  kDevice,   // a device or pipe, written through: it must never be renamed over, and holds
             // no stored text that a failed write could spoil
  kStream,   // a name in /dev or /proc that stands for a stream of a process, written through
};

// Where a write goes, and what it takes over from the file it replaces.
struct Destination {
  std::string target;  // the name the finished file is renamed to
  Way way = Way::kReplace;
  bool keepMode = false;  // a regular file is replaced: the new one takes its permission bits
  mode_t mode = 0;
};

// What writing over the existing file `existing` describes takes over from it. Returns 0,
// or an errno value.
int TakeOver(const struct stat& existing, Destination& destination) {
  // A folder cannot be replaced by a file; finding out now saves writing the whole text.
  if (S_ISDIR(existing.st_mode)) return EISDIR;
  if (!S_ISREG(existing.st_mode)) {
    destination.way = Way::kDevice;
    return 0;
  }
  destination.keepMode = true;
  destination.mode = existing.st_mode & 07777;
  return 0;
}

// True for a name in /dev or /proc. /dev/stdout, /dev/stderr and /dev/fd/<n> are links that
// lead through /proc to whatever the stream is, a regular file when it is redirected to one:
// such a name stands for the stream, which is written, never a link to replace.
bool IsProcessView(std::string_view path) {
  return path.starts_with("/dev/") || path.starts_with("/proc/");
}

// Where writing to `path` goes. Returns 0, or an errno value.
int FindDestination(const char* path, SymbolicLinks links, Destination& destination) {
  destination.target = path;
  struct stat info;
  // A name that does not exist is a new file (or lies in a folder that is missing, which
  // creating the temporary file reports).
  if (lstat(path, &info) != 0) return 0;
  if (!S_ISLNK(info.st_mode)) return TakeOver(info, destination);
  if (IsProcessView(path)) {
    destination.way = Way::kStream;
    return 0;
  }
  if (stat(path, &info) != 0) return links == SymbolicLinks::kFollow ? errno : 0;
  if (links == SymbolicLinks::kFollow && S_ISREG(info.st_mode)) {
    char* const resolved = realpath(path, nullptr);
    if (resolved == nullptr) return errno;
    destination.target = resolved;
    std::free(resolved);
  }
  return TakeOver(info, destination);
}

// Splits `path` after its last "/" into the folder (empty for the working folder) and name.
std::pair<std::string, std::string_view> SplitFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return {path.substr(0, nameStart), std::string_view(path).substr(nameStart)};
}

}  // namespace

bool FileChangedByWriting(const char* path, struct stat& changed) {
  Destination destination;
  if (FindDestination(path, SymbolicLinks::kReplace, destination) != 0) return false;
  switch (destination.way) {
    case Way::kReplace:
      return lstat(destination.target.c_str(), &changed) == 0;
    case Way::kStream:
      return stat(path, &changed) == 0 && S_ISREG(changed.st_mode);
    case Way::kDevice:
      break;
  }
  return false;
}

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RemovePendingAndEnd;
  action.sa_flags = SA_RESETHAND;
  // One handler at a time: another ending signal waits until the program ends.
  action.sa_mask = EndingSignals();
  for (const int signal : kEndingSignals) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void HoldEndingSignalsInThisThread() {
  const sigset_t held = EndingSignals();
  pthread_sigmask(SIG_BLOCK, &held, nullptr);
}

WholeFileWriter::~WholeFileWriter() { Abandon(); }

int WholeFileWriter::Open(const char* path, SymbolicLinks links) {
  Abandon();
  failed_ = 0;
  errorText_.Clear();
  path_.Assign(path);
  if (path_.IsEmpty()) return Fail(ENOENT);
  Destination destination;
  if (const int error = FindDestination(path, links, destination); error != 0) return Fail(error);
  target_.Assign(destination.target.c_str());
  if (destination.way != Way::kReplace) return OpenDirect(destination.way == Way::kStream);

  const auto [folder, name] = SplitFolder(destination.target);
  RemoveLeftoversOnce(folder);
  const int fd = CreateTemporary(folder, name);
  if (fd < 0) return Fail(errno);
  if (destination.keepMode && fchmod(fd, destination.mode) != 0) {
    const int chmodError = errno;
    close(fd);
    return Fail(chmodError);
  }
  return AttachStream(fd);
}

int WholeFileWriter::CreateTemporary(const std::string& folder, std::string_view name) {
  // The handler must know the file before it exists: its name is listed before the file is
  // created, with the ending signals held back until both are done.
  const EndingSignalsHeld held;
  const int slot = ClaimSlot();
  if (slot < 0) {
    errno = EMFILE;
    return -1;
  }
  std::string random;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    if (!RandomHex(random)) break;
    const std::string temporary = TemporaryName(folder, name, random);
    if (temporary.size() >= sizeof gPending[slot].name) {
      errno = ENAMETOOLONG;
      break;
    }
    ListName(slot, temporary);
    // O_EXCL makes the name ours alone; mode 0666 lets the umask decide for a new file.
    const int fd = open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temporary_.Assign(temporary.c_str());
      pendingSlot_ = slot;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  FreeSlot(slot);  // leaves errno as it is
  return -1;
}

int WholeFileWriter::OpenDirect(bool stream) {
  // Opened as it is, never created nor truncated; a stream is appended to, as the process's
  // own writes to it are.
  const int fd = open(path_.Data(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (stream ? O_APPEND : 0));
  if (fd < 0) return Fail(errno);
  struct stat info;
  if (!stream && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // The name was made a regular file, or a link to one, since it was looked at: writing
    // through it now would reach a file that must only be replaced whole, or not at all.
    close(fd);
    return Fail(EAGAIN);
  }
  return AttachStream(fd);
}

int WholeFileWriter::AttachStream(int fd) {
  stream_ = fdopen(fd, "wb");
  if (stream_ != nullptr) return 1;
  const int error = errno;
  close(fd);
  return Fail(error);
}

int WholeFileWriter::Write(const char* data, int length) {
  if (stream_ == nullptr || length < 0 || (data == nullptr && length > 0)) return 0;
  if (length == 0) return 1;
  if (std::fwrite(data, 1, static_cast<size_t>(length), stream_) != static_cast<size_t>(length)) {
    return Fail(errno);
  }
  return 1;
}

int WholeFileWriter::Commit() {
  if (stream_ == nullptr) {
    // Never opened, or a failure already removed the temporary file and said why.
    return failed_ != 0 ? 0 : Fail(EBADF);
  }
  if (!CloseStream()) return 0;
  if (temporary_.IsEmpty()) return 1;  // written in place
  return RenameIntoPlace();
}

int WholeFileWriter::CloseStream() {
  // No fsync: a run writes thousands of files, and waiting for each to reach the disk would
  // slow it down many times over. The rename still guarantees that no reader ever sees a
  // half-written file; only a power cut right after the run can lose the newest text.
  if (std::fflush(stream_) != 0) return Fail(errno);
  std::FILE* stream = stream_;
  stream_ = nullptr;
  if (std::fclose(stream) != 0) return Fail(errno);
  return 1;
}

int WholeFileWriter::RenameIntoPlace() {
  // The name leaves the handler's list in the same moment as it leaves the folder.
  const EndingSignalsHeld held;
  if (std::rename(temporary_.Data(), target_.Data()) != 0) return Fail(errno);
  temporary_.Clear();
  FreeSlot(std::exchange(pendingSlot_, -1));
  return 1;
}

void WholeFileWriter::Abandon() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (temporary_.IsEmpty()) return;
  const EndingSignalsHeld held;
  unlink(temporary_.Data());
  temporary_.Clear();
  FreeSlot(std::exchange(pendingSlot_, -1));
}

int WholeFileWriter::Fail(int error) {
  failed_ = 1;
  errorText_.Assign(std::strerror(error));
  Abandon();
  return 0;
}

bool IsTemporaryName(std::string_view name) {
  std::string_view host;
  pid_t pid = 0;
  return ParseTemporaryName(name, host, pid) || IsEarlierTemporaryName(name);
}

int WriteWholeFile(const char* path, std::string_view content, TextString& errorText,
                   SymbolicLinks links) {
  WholeFileWriter writer;
  int ok = writer.Open(path, links);
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
