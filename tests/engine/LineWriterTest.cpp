#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/LineWriter.h"
#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

TEST(IsRuleLine, AcceptsOnlyLinesDrawnWithOneCharacterAtATime) {
  const struct {
    const char* text;
    bool rule;
  } kCases[] = {
      {"--", true},  {"- -", true}, {"==== ----", true}, {" -", true},    {"____", true},
      {"-", false},  {"-=", false}, {"--  --", false},   {"-- a", false}, {"", false},
      {"  ", false}, {"=_", false}, {"-\t-", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.rule, IsRuleLine(c.text)) << '"' << c.text << '"';
}

// Runs lines through a writer the way the output pass does: each line with the one after
// it, the last with moreFollow 0.
std::vector<std::string> Lay(const std::vector<std::string>& lines,
                             const std::function<void(QuorlOptions&)>& adjust) {
  PassState pass;
  pass.options = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
  if (adjust) adjust(pass.options);
  pass.options.indentText.Clear();
  for (int i = 0; i < pass.options.firstLineIndent; ++i) pass.options.indentText.AppendChar(' ');
  LineBuffer output;
  LineWriter writer(pass, output);
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool last = i + 1 == lines.size();
    writer.WriteTextLine(last ? 0 : 1, lines[i].c_str(), last ? "" : lines[i + 1].c_str());
  }
  std::vector<std::string> result;
  for (const TextString& line : output.Lines()) result.emplace_back(line.View());
  return result;
}

const std::string kWords =
    "The quick brown fox jumps over the lazy dog and keeps running through the field "
    "until the evening comes.";

TEST(LineWriter, LaysOutLines) {
  const struct {
    const char* name;
    std::function<void(QuorlOptions&)> adjust;
    std::vector<std::string> input;
    std::vector<std::string> expected;
  } kCases[] = {
      {"text mode never writes two empty lines in a row",
       nullptr,
       {"", "A.", "", "", "", "B."},
       {"A.", "", "B.", ""}},
      {"markup mode copies every line",
       [](QuorlOptions& o) { o.convertToText = 0; },
       {"", "<p>A.", "", "", "B.  "},
       {"", "<p>A.", "", "", "B.  "}},
      {"rules take the page width, a column count or a share of it",
       nullptr,
       {"$_$_LINE", "$_$_LINE 40", "$_$_LINE 100", "$_$_LINE 50%", "$_$_LINE 250%"},
       // a marker line is short, so the first rule ends a paragraph
       {std::string(72, '-'), "", std::string(40, '-'), std::string(72, '-'), std::string(36, '-'),
        std::string(72, '-')}},
      {"rules go when rules are removed, drawn lines become empty",
       [](QuorlOptions& o) { o.removeHorizontalRules = 1; },
       {"Above.", "$_$_LINE", "-----", "Below."},
       {"Above.", "", "Below.", ""}},
      {"lists indent their items and end with an empty line",
       nullptr,
       {"$_$_START_LIST", "  [[LI]]- one", "$_$_START_LIST", "[[LI]]* two", "$_$_END_LIST",
        "$_$_END_LIST", "After."},
       {"    - one", "        * two", "", "After."}},
      {"indentation stops growing after 40 open lists and blocks",
       nullptr,
       [] {
         std::vector<std::string> lines(42, "$_$_START_BLOCK");
         lines.push_back("Deep.");
         lines.insert(lines.end(), 3, "$_$_END_BLOCK");
         lines.push_back("Less deep.");
         lines.insert(lines.end(), 39, "$_$_END_BLOCK");
         lines.push_back("Out.");
         return lines;
       }(),
       {std::string(160, ' ') + "Deep.", std::string(156, ' ') + "Less deep.", "Out."}},
      {"long lines wrap at the page width",
       [](QuorlOptions& o) { o.pageWidth = 40; },
       {kWords},
       {"The quick brown fox jumps over the lazy", "dog and keeps running through the field",
        "until the evening comes."}},
      {"the short tail of a wrapped line goes on with the next line",
       [](QuorlOptions& o) { o.pageWidth = 40; },
       {"The quick brown fox jumps over the lazy dog and keeps running",
        "through the field until the evening comes."},
       {"The quick brown fox jumps over the lazy", "dog and keeps running through the field",
        "until the evening comes."}},
      {"single-line paragraphs are written whole, the last one at the end",
       [](QuorlOptions& o) { o.singleLineParagraphs = 1; },
       {kWords.substr(0, 69), kWords.substr(70), "", "", kWords},
       {kWords, "", kWords, ""}},
      {"the first line of a paragraph is indented",
       [](QuorlOptions& o) {
         o.firstLineIndent = 3;
         o.pageWidth = 40;
       },
       {kWords},
       // the whole line wraps to the narrower width of its first piece
       {"   The quick brown fox jumps over the", "lazy dog and keeps running through",
        "the field until the evening comes."}},
      {"pre-formatted lines are copied as they stand",
       [](QuorlOptions& o) { o.pageWidth = 30; },
       {"$_$_START_PRE", "  int x   = 1;  " + std::string(40, 'y'), "$_$_END_PRE", "After."},
       {"  int x   = 1;  " + std::string(40, 'y'), "After."}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, Lay(c.input, c.adjust));
  }
}

}  // namespace
}  // namespace quorlex
