// Feeds saved inputs to one entry of FuzzEntries.h (named by QUORLEX_FUZZ_ENTRY), as the
// fuzzer did, so the crash and regression corpus runs as an ordinary test in every build.
// Each argument is a file or a folder of files. A crash or sanitizer report ends the
// program; otherwise it prints how many inputs ran and exits 0 (1 when none were found or
// one could not be read, so a misnamed folder does not pass unnoticed).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzEntries.h"

namespace {

int Replay(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 0;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
  quorlex::fuzz::QUORLEX_FUZZ_ENTRY(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    if (!std::filesystem::is_directory(path)) {
      inputs.push_back(path);
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  int replayed = 0;
  for (const auto& input : inputs) {
    if (!Replay(input)) return 1;
    ++replayed;
  }
  std::printf("%d inputs replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
