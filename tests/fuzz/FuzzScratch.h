#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quorlex::fuzz {

// A private folder for the files a fuzz entry hands to the readers (they read paths, not
// memory), and a stream that swallows the messages. Made on first use, removed at exit.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string PathOf(const char* name) const { return folder_ + "/" + name; }
  // Writes the bytes to `name` in the folder (replacing it) and returns its path.
  std::string Write(const char* name, const uint8_t* data, size_t size) const;
  // A stream that discards what is written to it.
  std::FILE* Sink() const { return sink_; }

 private:
  std::string folder_;
  std::FILE* sink_;
};

ScratchFolder& Scratch();

}  // namespace quorlex::fuzz
