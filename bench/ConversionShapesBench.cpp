// Whole conversions (one output pass, in memory) of input shapes that once made a phase
// slower than linear, or could: one table of many rows, one row of many columns, lists and
// blocks nested deep, many headings, entities, list items, a flood of '<', an unterminated
// comment, many short lines, and headings and links that are never closed. Each shape runs
// at growing sizes and Google Benchmark fits the growth ("BigO"): every shape should come
// out as O(N).
//
//   conversion_shapes_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/OutputPass.h"

namespace quorlex {
namespace {

std::string Repeat(const std::string& text, int64_t times) {
  std::string result;
  for (int64_t i = 0; i < times; ++i) result += text;
  return result;
}

// The input as the pass gets it: one entry per line.
std::vector<TextString> Lines(const std::string& text) {
  std::vector<TextString> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.emplace_back(text.substr(start, end - start).c_str());
  }
  lines.emplace_back(text.substr(start).c_str());
  return lines;
}

void Convert(benchmark::State& state, std::string (*make)(int64_t)) {
  const std::vector<TextString> input = Lines(make(state.range(0)));
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  std::FILE* sink = std::fopen("/dev/null", "w");
  context.SetStreams(sink, sink);
  for (auto _ : state) {
    OutputPass pass(context);
    pass.SetDate(FragmentDate{2026, 12, 8});
    std::string output;
    benchmark::DoNotOptimize(pass.RunOutputPass("shape.htm", "shape.txt", &input, &output));
  }
  std::fclose(sink);
  state.SetComplexityN(state.range(0));
}

std::string TableRows(int64_t n) {
  return "<table>" + Repeat("<tr><td>a</td><td>b</td></tr>", n) + "</table>";
}
std::string TableColumns(int64_t n) {
  return "<table><tr>" + Repeat("<td>c</td>", n) + "</tr></table>";
}
std::string NestedLists(int64_t n) { return Repeat("<ul><li>", n) + "deep"; }
std::string NestedBlocks(int64_t n) { return Repeat("<blockquote>", n) + "deep"; }
std::string NestedTables(int64_t n) { return Repeat("<table><tr><td>", n) + "deep"; }
std::string Headings(int64_t n) { return Repeat("<h2>Heading</h2><p>text</p>", n); }
std::string Entities(int64_t n) { return "<p>" + Repeat("&amp;&lt;&#8364;&nbsp;", n) + "</p>"; }
std::string ListItems(int64_t n) { return "<ul>" + Repeat("<li>item", n) + "</ul>"; }
std::string LessThans(int64_t n) { return std::string(static_cast<size_t>(n) * 10, '<'); }
std::string OpenComment(int64_t n) { return "<!-- " + Repeat("text <p>para</p> ", n); }
std::string ShortLines(int64_t n) { return "<p>" + Repeat("a few words\n", n) + "</p>"; }
std::string OpenHeadings(int64_t n) { return Repeat("<h2>Heading text ", n); }
std::string OpenLinks(int64_t n) { return Repeat("<a href=\"p.htm\">link text ", n); }

void Shape(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(2)->Range(5000, 40000)->Complexity()->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(Convert, table_rows, TableRows)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, table_columns, TableColumns)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, nested_lists, NestedLists)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, nested_blocks, NestedBlocks)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, nested_tables, NestedTables)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, headings, Headings)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, entities, Entities)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, list_items, ListItems)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, less_thans, LessThans)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, open_comment, OpenComment)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, short_lines, ShortLines)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, open_headings, OpenHeadings)->Apply(Shape);
BENCHMARK_CAPTURE(Convert, open_links, OpenLinks)->Apply(Shape);

}  // namespace
}  // namespace quorlex

BENCHMARK_MAIN();
