#include "tests/fuzz/FuzzScratch.h"

#include <stdlib.h>

#include <filesystem>

namespace quorlex::fuzz {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorlex-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("quorlex fuzz: cannot make a scratch folder");
    std::abort();
  }
  folder_ = pattern;
  sink_ = std::fopen("/dev/null", "w");
}

ScratchFolder::~ScratchFolder() {
  std::fclose(sink_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string ScratchFolder::Write(const char* name, const uint8_t* data, size_t size) const {
  const std::string path = PathOf(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}

ScratchFolder& Scratch() {
  static ScratchFolder folder;
  return folder;
}

}  // namespace quorlex::fuzz
