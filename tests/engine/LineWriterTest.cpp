#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/LineWriter.h"
#include "policies/PolicyCatalogue.h"
#include "textformat/Markers.h"

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
  // A line may end with the marker of a break, as the output pass finds it.
  bool previousEndsAtBreak = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool last = i + 1 == lines.size();
    TextString line(lines[i].c_str());
    TextString next(last ? "" : lines[i + 1].c_str());
    previousEndsAtBreak = TakeBreakEnd(line);
    TakeBreakEnd(next);
    writer.WriteTextLine(last ? LineWriter::LinesAfter::kNone : LineWriter::LinesAfter::kSome, line,
                         next,
                         previousEndsAtBreak ? LineWriter::LineStart::kStartsBlock
                                             : LineWriter::LineStart::kContinuesSource);
  }
  std::vector<std::string> result;
  for (const TextString& line : output.Lines()) result.emplace_back(line.View());
  return result;
}

const std::string kWords =
    "The quick brown fox jumps over the lazy dog and keeps running through the field "
    "until the evening comes.";

// 20 Cyrillic letters (40 bytes) and the zero-width space.
const std::string kCyrillic20 =
    "\xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4\xD0\xB5\xD0\xB6\xD0\xB7\xD0\xB8\xD0\xB9"
    "\xD0\xBA\xD0\xBB\xD0\xBC\xD0\xBD\xD0\xBE\xD0\xBF\xD1\x80\xD1\x81\xD1\x82\xD1\x83";
const std::string kZwsp = "\xE2\x80\x8B";
const std::string kBreakEnd(GetMarkers().endsAtBreak.View());
const std::string kLongUrl =
    "https://example.org/a/long/path/to/the/documentation/of/display/widths.html";

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
      {"lists indent their items; a list in an item starts at its text column",
       nullptr,
       {"$_$_START_LIST", "  [[LI]]- one", "$_$_START_LIST", "[[LI]]* two", "$_$_END_LIST",
        "$_$_END_LIST", "After."},
       {"    - one", "      * two", "", "After."}},
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
      {"a short tail is never carried into a line that a break began",
       [](QuorlOptions& o) { o.pageWidth = 40; },
       {"The quick brown fox jumps over the lazy dog and keeps running" + kBreakEnd,
        "through the field until the evening comes."},
       {"The quick brown fox jumps over the lazy", "dog and keeps running",
        "through the field until the evening", "comes.", ""}},
      {"an item's label waits for its text across the empty line of a paragraph",
       nullptr,
       {"$_$_START_LIST", "[[LI]]1)", "", "Heat the oven.", "[[LI]]2)", "", "Mix.", "", "Stir.",
        "[[LI]]3)", "$_$_START_PRE", "code", "$_$_END_PRE", "$_$_END_LIST"},
       {"    1) Heat the oven.", "    2) Mix.", "", "       Stir.", "    3)", "       code", ""}},
      {"the later lines of an item hang at its text column",
       [](QuorlOptions& o) { o.pageWidth = 40; },
       {"$_$_START_LIST", "[[LI]]10) " + kWords, "$_$_END_LIST"},
       {"    10) The quick brown fox jumps over", "        the lazy dog and keeps running",
        "        through the field until the", "        evening comes.", ""}},
      {"no short-line empty line between the items of a list",
       [](QuorlOptions& o) { o.shortLinesEndParagraphs = 1; },
       {"$_$_START_LIST", "[[LI]]- " + kWords, "[[LI]]- Short.", "[[LI]]- " + kWords,
        "$_$_END_LIST", "After."},
       {"    - " + kWords.substr(0, 61), "      " + kWords.substr(62), "    - Short.",
        "    - " + kWords.substr(0, 61), "      " + kWords.substr(62), "", "After."}},
      {"definitions stand 4 columns in, with no empty line inside their list",
       nullptr,
       {"Before.", "$_$_START_DL", "-a", "$_$_START_BLOCK", "Stage all.", "", "More.",
        "$_$_START_LIST", "[[LI]]- one", "$_$_END_LIST", "$_$_END_BLOCK", "$_$_END_DL", "After."},
       {"Before.", "", "-a", "    Stage all.", "    More.", "        - one", "", "After."}},
      {"single-line paragraphs end before headings, levels and items",
       [](QuorlOptions& o) { o.singleLineParagraphs = 1; },
       {kWords.substr(0, 69), kWords.substr(70), "$_$_START_PRE", "Title", "=====", "$_$_END_PRE",
        "Para", "$_$_START_LIST", "[[LI]]- a", "b", "[[LI]]- c", "$_$_END_LIST", "End."},
       {kWords, "", "Title", "=====", "Para", "", "    - a b", "    - c", "", "End.", ""}},
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
       // only the first piece wraps earlier by the indent; the rest take the whole width
       {"   The quick brown fox jumps over the", "lazy dog and keeps running through the",
        "field until the evening comes."}},
      {"pre-formatted lines are copied as they stand",
       [](QuorlOptions& o) { o.pageWidth = 30; },
       {"$_$_START_PRE", "  int x   = 1;  " + std::string(40, 'y'), "$_$_END_PRE", "After."},
       {"  int x   = 1;  " + std::string(40, 'y'), "After."}},
      {"a line short in columns ends its paragraph, however many bytes it has",
       [](QuorlOptions& o) { o.shortLinesEndParagraphs = 1; },
       {std::string(70, 'x'), kCyrillic20 + " " + kCyrillic20, "Next line."},
       {std::string(70, 'x'), kCyrillic20 + " " + kCyrillic20, "", "Next line."}},
      {"an address wider than the page stands whole on a line of its own",
       [](QuorlOptions& o) { o.pageWidth = 40; },
       {"Read the notes at " + kLongUrl + " before you start."},
       {"Read the notes at", kLongUrl, "before you start."}},
      {"zero-width spaces are never written",
       [](QuorlOptions& o) { o.pageWidth = 30; },
       {"long" + kZwsp + "compound" + kZwsp + "word" + kZwsp + "written" + kZwsp + "with" + kZwsp +
        "breaks"},
       {"longcompoundwordwrittenwith", "breaks", ""}},
      {"no-break spaces are blanks with ANSI alternatives",
       [](QuorlOptions& o) { o.allowAnsiAlternatives = 1; },
       {"10\xC2\xA0km to go"},
       {"10 km to go", ""}},
      {"no-break spaces stay without ANSI alternatives",
       [](QuorlOptions& o) { o.allowAnsiAlternatives = 0; },
       {"10\xC2\xA0km to go"},
       {"10\xC2\xA0km to go", ""}},
      {"no-break spaces stay in 8-bit output",
       [](QuorlOptions& o) {
         o.allowAnsiAlternatives = 1;
         o.utf8Output = 0;
       },
       {"10\xC2\xA0km to go"},
       {"10\xC2\xA0km to go", ""}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, Lay(c.input, c.adjust));
  }
}

}  // namespace
}  // namespace quorlex
