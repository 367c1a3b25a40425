#pragma once

#include <sys/resource.h>

#include <csignal>

namespace quorlex::testing {

// Stands in for a full disk while it lives: files this process writes cannot grow past
// `bytes` (RLIMIT_FSIZE), and with SIGXFSZ ignored a write past the limit fails with EFBIG
// ("File too large") instead of ending the process. The old limit and handler come back
// at the end.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &oldLimit_);
    rlimit limit = oldLimit_;
    limit.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &oldLimit_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  // Whether the limit could be set.
  bool Active() const { return active_; }

 private:
  rlimit oldLimit_{};
  void (*oldHandler_)(int);
  bool active_ = false;
};

}  // namespace quorlex::testing
