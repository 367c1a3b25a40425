// Converts one page from memory many times through the library, as a program that holds
// its documents in memory would, and prints the time per conversion and the rate:
//
//   api_bench PAGE [TIMES]      (TIMES: 1000 unless given)
//
// The output is one line, "api_bench: <times> x <bytes> bytes: <seconds> s, <ms> ms per
// conversion, <MB/s> MB/s", which bench/compare.sh reads.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "quorlex/quorlex.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: api_bench PAGE [TIMES]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const int times = argc > 2 ? std::atoi(argv[2]) : 1000;
  if (page.empty() || times < 1) {
    std::fprintf(stderr, "api_bench: no page in %s, or no conversions asked for\n", argv[1]);
    return 2;
  }
  const quorlex::Converter converter;
  size_t written = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < times; ++i) {
    const quorlex::Result result = converter.ToText(page);
    if (!result) return 1;
    written += result.text.size();
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const double seconds = elapsed.count();
  std::printf(
      "api_bench: %d x %zu bytes: %.3f s, %.3f ms per conversion, %.1f MB/s (%zu written)\n", times,
      page.size(), seconds, 1000 * seconds / times,
      static_cast<double>(page.size()) * times / 1e6 / seconds, written);
  return 0;
}
