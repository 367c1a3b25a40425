// What decoding a document into UTF-8 costs per megabyte, by charset: line by line, as the
// line source decodes, on prose that is mostly ASCII (an English page), all Cyrillic (a
// Russian page in UTF-8 and in KOI8-R, the latter through the C library) and Latin-1.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "foundation/Charset.h"

namespace quorlex {
namespace {

constexpr size_t kBytes = 8u << 20;

// Lines of about 70 bytes, repeating `line` until kBytes are reached.
std::vector<TextString> Lines(const std::string& line) {
  std::vector<TextString> lines;
  for (size_t total = 0; total < kBytes; total += line.size()) lines.emplace_back(line.c_str());
  return lines;
}

void Decode(benchmark::State& state, const char* charset, const std::string& line) {
  const std::vector<TextString> lines = Lines(line);
  for (auto _ : state) {
    Utf8Decoder decoder(charset);
    for (const TextString& original : lines) {
      TextString copy(original);
      decoder.Decode(copy);
      benchmark::DoNotOptimize(copy.Data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(lines.size() * line.size()));
}

void BM_Utf8English(benchmark::State& state) {
  Decode(state, "UTF-8", "<p>The quick brown fox jumps over the lazy dog, again and again.</p>");
}
void BM_Utf8Russian(benchmark::State& state) {
  Decode(state, "UTF-8", "Съешь же ещё этих мягких французских булок, да выпей чаю.");
}
void BM_Windows1252(benchmark::State& state) {
  Decode(state, "windows-1252",
         "Gr\xFC\xDF"
         "e aus K\xF6ln, sch\xF6ne Stra\xDF"
         "en und \x93Zitate\x94.");
}
void BM_Koi8r(benchmark::State& state) {
  Decode(state, "KOI8-R",
         "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xC5\xDD\xA3 \xDC\xD4\xC9\xC8 \xCD\xD1\xC7\xCB\xC9\xC8.");
}

BENCHMARK(BM_Utf8English)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8Russian)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Windows1252)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Koi8r)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorlex

BENCHMARK_MAIN();
