#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quorlex::testing {

// A stdio stream whose output a test can read back, to stand in for standard output or
// standard error.
class CapturedStream {
 public:
  CapturedStream() : stream_(open_memstream(&buffer_, &size_)) {}
  ~CapturedStream() {
    std::fclose(stream_);
    std::free(buffer_);
  }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* Stream() { return stream_; }
  // Everything written so far.
  std::string Text() {
    std::fflush(stream_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  size_t size_ = 0;
  std::FILE* stream_;
};

}  // namespace quorlex::testing
