// Speed of the pattern engines over whole HTML documents, next to a plain memchr scan of
// the same text.
//
// The text is real HTML when QUORLEX_BENCH_HTML names a file (the corpus that
// ../shared/bench/make-corpus.sh builds has big/big-64M.html, for example): its first
// 1 MB and 10 MB are used, the file repeated if it is shorter. Otherwise a synthetic page
// of the same make-up is generated: paragraphs with in-line tags and links, lists,
// headings, tables, images, comments, scripts and styles.
//
//   pattern_engine_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "foundation/PatternEngine.h"

namespace quorlex {
namespace {

struct TagPattern {
  PatternType type;
  const char* text;
  const char* replacement;
};

// Tag patterns of the de-tagging lists, in one list.
const std::vector<TagPattern>& TagPatterns() {
  static const std::vector<TagPattern> kPatterns = {
      {PatternType::kDelete, "<!--**-->", ""},
      {PatternType::kDelete, "<head**/head>", ""},
      {PatternType::kDelete, "<style%W**/style>", ""},
      {PatternType::kDelete, "<script%W**/script>", ""},
      {PatternType::kDelete, "<form%W**>", ""},
      {PatternType::kDelete, "<input%W**>", ""},
      {PatternType::kReplace, "<font%W**>", " "},
      {PatternType::kReplace, "<span%W**>", " "},
      {PatternType::kReplace, "</span>", " "},
      {PatternType::kDelete, "<b>", ""},
      {PatternType::kDelete, "</b>", ""},
      {PatternType::kDelete, "<em>", ""},
      {PatternType::kDelete, "</em>", ""},
      {PatternType::kReplace, "<img%W**>", "[IMG]"},
      {PatternType::kReplace, "<a%W**>**</a>", "[LINK]"},
      {PatternType::kInsertAfter, "<br>",
       "\xFF"
       "B"},
      {PatternType::kInsertAfter, "<br />",
       "\xFF"
       "B"},
      {PatternType::kInsertAfter, "<p>",
       "\xFF"
       "P"},
      {PatternType::kInsertAfter, "<p%W**>",
       "\xFF"
       "P"},
      {PatternType::kInsertAfter, "</li>",
       "\xFF"
       "S"},
      {PatternType::kInsertAfter, "</div>",
       "\xFF"
       "S"},
      {PatternType::kReplace, "<h%1**>",
       "\xFF"
       "H"},
  };
  return kPatterns;
}

std::string SyntheticPage(size_t size) {
  static const char* kWords[] = {"the",    "package", "manual",  "system",  "file", "option",
                                 "value",  "command", "server",  "client",  "data", "index",
                                 "debian", "table",   "example", "returns", "list", "string"};
  std::mt19937 random(42);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const auto words = [&](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
      if (i > 0) text += ' ';
      text += kWords[pick(static_cast<int>(std::size(kWords)))];
    }
    return text;
  };
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Manual</title>\n"
      "<style type=\"text/css\">body { margin: 0 } p.note { color: #333 }</style>\n"
      "<script type=\"text/javascript\">var x = 1; if (x < 2) { x++; }</script>\n"
      "</head>\n<body>\n";
  while (page.size() < size) {
    switch (pick(8)) {
      case 0:
        page += "<h" + std::to_string(1 + pick(4)) + " id=\"s" + std::to_string(pick(999)) + "\">" +
                words(3) + "</h2>\n";
        break;
      case 1:
        page += "<ul>\n";
        for (int i = pick(5) + 1; i > 0; --i) {
          page +=
              "<li><a href=\"" + words(1) + ".html#" + words(1) + "\">" + words(2) + "</a></li>\n";
        }
        page += "</ul>\n";
        break;
      case 2:
        page += "<table border=\"1\"><tr><th>" + words(1) + "</th><th>" + words(1) +
                "</th></tr>\n<tr><td>" + words(2) + "</td><td><code>" + words(1) +
                "</code></td></tr></table>\n";
        break;
      case 3:
        page += "<!-- " + words(4) + " -->\n<div class=\"section\">\n";
        break;
      case 4:
        page += "<img src=\"images/" + words(1) + ".png\" alt=\"" + words(2) + "\"><br />\n";
        break;
      case 5:
        page += "</div>\n<pre class=\"screen\">$ " + words(4) + "\n" + words(6) + "</pre>\n";
        break;
      default:
        page += "<p class=\"note\">" + words(12 + pick(30)) + " <b>" + words(2) + "</b>, <em>" +
                words(1) + "</em> <span class=\"term\">" + words(2) + "</span> see <a href=\"" +
                words(1) + ".html\">" + words(3) + "</a>. " + words(8 + pick(20)) + "</p>\n";
        break;
    }
  }
  return page + "</body>\n</html>\n";
}

// The first `size` bytes of the named file (repeated when it is shorter), or a synthetic
// page.
std::string LoadHtml(size_t size) {
  const char* path = std::getenv("QUORLEX_BENCH_HTML");
  if (path == nullptr || *path == 0) return SyntheticPage(size);
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.empty()) return SyntheticPage(size);
  std::string text;
  while (text.size() < size) text += file.substr(0, size - text.size());
  return text;
}

const std::string& Html(int megabytes) {
  static const std::string kOne = LoadHtml(1u << 20);
  static const std::string kTen = LoadHtml(10u << 20);
  return megabytes == 1 ? kOne : kTen;
}

void ReportThroughput(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_Memchr(benchmark::State& state) {
  const std::string& html = Html(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    size_t tags = 0;
    const char* at = html.data();
    const char* end = html.data() + html.size();
    while ((at = static_cast<const char*>(std::memchr(at, '<', static_cast<size_t>(end - at)))) !=
           nullptr) {
      ++tags;
      ++at;
    }
    benchmark::DoNotOptimize(tags);
  }
  ReportThroughput(state, html.size());
}

template <typename Engine>
void AddTagPatterns(Engine& engine) {
  for (const TagPattern& p : TagPatterns()) engine.AddPattern(p.type, p.text, p.replacement, 0);
  engine.locked = true;
}

// Runs the tag patterns over the text with one engine, as the de-tagging phases do: the
// copying engine through Run, the in-place engine through Search.
template <typename Engine>
void RunEngine(benchmark::State& state, bool fast) {
  const std::string& html = Html(static_cast<int>(state.range(0)));
  Engine engine;
  AddTagPatterns(engine);
  engine.UseFastScan(fast);
  const RunOptions options;
  const int length = static_cast<int>(html.size());
  int matches = 0;
  for (auto _ : state) {
    if constexpr (std::is_same_v<Engine, CopyPatternEngine>) {
      matches = engine.Run(html.data(), length, &options);
    } else {
      matches = engine.Search(html.data(), length, &options);
    }
    benchmark::DoNotOptimize(engine.Result().Data());
  }
  state.counters["matches"] = matches;
  ReportThroughput(state, html.size());
}

void BM_CopyingEngine(benchmark::State& state) { RunEngine<CopyPatternEngine>(state, true); }
void BM_InPlaceEngine(benchmark::State& state) { RunEngine<PatternEngine>(state, true); }
void BM_CopyingEnginePlainScan(benchmark::State& state) {
  RunEngine<CopyPatternEngine>(state, false);
}
void BM_InPlaceEnginePlainScan(benchmark::State& state) { RunEngine<PatternEngine>(state, false); }

BENCHMARK(BM_Memchr)->Arg(1)->Arg(10)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyingEngine)->Arg(1)->Arg(10)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPlaceEngine)->Arg(1)->Arg(10)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyingEnginePlainScan)->Arg(1)->Arg(10)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPlaceEnginePlainScan)->Arg(1)->Arg(10)->ArgName("MB")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorlex

BENCHMARK_MAIN();
