#include <gtest/gtest.h>

#include <string>

#include "textformat/DialogueLists.h"

namespace quorlex {
namespace {

using AddList = void (*)(CopyPatternEngine&);

const std::string kSoftBreak =
    "\xFF"
    "CBR\xFF";

struct Row {
  const char* name;
  std::string text;
  std::string expected;
};

// Builds the list on a fresh copying engine and runs it the way the de-tagging phases do;
// a run without matches leaves the caller's text.
std::string RunList(AddList add, const std::string& text) {
  CopyPatternEngine engine;
  add(engine);
  engine.locked = true;
  const RunOptions options{1, 1, 0, 0, 0};
  if (engine.Run(text.data(), static_cast<int>(text.size()), &options) == 0) return text;
  return std::string(engine.Result().View());
}

void ExpectRows(AddList add, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, RunList(add, row.text));
  }
}

TEST(DialogueList0, ClosesUpASentenceMarkAndTheQuoteAfterIt) {
  ExpectRows(AddDialogueList0,
             {
                 {"period", "Hello. \" She left", "Hello.\" She left"},
                 {"exclamation mark", "Hello! \" She", "Hello!\" She"},
                 {"question mark", "Hello? \"\tShe", "Hello?\" She"},
                 {"line feed before, white space after", "Hi.\n\" \n She", "Hi.\" She"},
                 {"at the start and the end", ". \" a! \" ", ".\" a!\" "},
                 {"two blanks before the quote", "Hi.  \" She", "Hi.  \" She"},
                 {"nothing after the quote", "Hi. \"She", "Hi. \"She"},
                 {"comma", "Hi, \" She", "Hi, \" She"},
             });
}

TEST(DialogueList1, RemovesWhiteSpaceBetweenALineBreakAndAQuote) {
  ExpectRows(AddDialogueList1, {
                                   {"blanks before an opening quote", "a\n   \"Go", "a\n\"Go"},
                                   {"further line feeds", "a\n\n \t\n\"Go", "a\n\"Go"},
                                   {"blanks after a closing quote", "Go\" \t \nb", "Go\"\nb"},
                                   {"quote ends the text", "a\n \"", "a\n\""},
                                   {"no line feed", "a   \"Go\"  b", "a   \"Go\"  b"},
                               });
}

TEST(DialogueList2, StartsAQuotationThatOpensASentenceOnANewLine) {
  const std::string& br = kSoftBreak;
  ExpectRows(AddDialogueList2,
             {
                 {"after a period", "She left. \"We go", "She left. " + br + "\"We go"},
                 {"white space becomes one blank", "left.  \n \"We", "left. " + br + "\"We"},
                 {"after said", "she said. \"We go", "she said. \"We go"},
                 {"after replied", "he replied. \"We", "he replied. \"We"},
                 {"\"ed\" right at the start", "ed. \"We", "ed. \"We"},
                 {"\"aid\" needs a fourth character", "aid. \"We", "aid. " + br + "\"We"},
                 {"between quotations", "\"Stop.\" \"Wait", "\"Stop.\"" + br + "\"Wait"},
                 {"closing quote after a comma", "\"Stop,\" \"Wait", "\"Stop,\" \"Wait"},
                 {"lower-case quotation", "She left. \"we go", "She left. \"we go"},
                 {"lower-case between quotations", "\"No.\" \"wait", "\"No.\" \"wait"},
                 {"digit after the quote", "left. \"42", "left. " + br + "\"42"},
                 {"match at the start", ". \"We", ". " + br + "\"We"},
                 {"quote ends the text", "left. \"", "left. " + br + "\""},
                 {"no white space", "left.\"We", "left.\"We"},
                 // The quote that ends the first match must not open a second one.
                 {"lone quote after a break", "left. \" \"We", "left. " + br + "\" \"We"},
             });
}

TEST(SentenceList, GivesEveryPeriodBeforeBlanksExactlyTwoBlanks) {
  ExpectRows(AddSentenceList, {
                                  {"one blank", "One. Two", "One.  Two"},
                                  {"five blanks", "One.     Two", "One.  Two"},
                                  {"abbreviation", "e.g. this", "e.g.  this"},
                                  {"decimal number", "pi is 3.14", "pi is 3.14"},
                                  {"tab", "One.\tTwo", "One.\tTwo"},
                                  {"line end", "One.\nTwo", "One.\nTwo"},
                                  {"other sentence marks", "One! Two? x", "One! Two? x"},
                                  {"at the start and the end", ". a.   ", ".  a.  "},
                              });
}

TEST(HighlightList, WritesBoldAndItalicElementsWithMarks) {
  ExpectRows(
      AddHighlightList,
      {
          {"blank, word, blank in b", "a<b> word </b>c", "a *word* c"},
          {"whole text", "<b>bold</b>", "*bold*"},
          {"strong", "x<strong>y</strong>", "x*y*"},
          {"i and em", "<i>y</i> <em>z</em>", "_y_ _z_"},
          {"two blanks at each edge", "<b>  x  </b>", " *x* "},
          {"line feeds at the inner edges", "<i>\nx\n</i>", "\n_x_\n"},
          {"empty element", "a<b></b>c", "ac"},
          // The words on either side must stay apart.
          {"element of a blank", "a<b> </b>c", "a c"},
          {"element of a line feed", "a<em>\n</em>c", "a\nc"},
          {"nested element of the same name", "<b>a<B>b</b>c</b>", "<b>a<B>b</b>c</b>"},
          // The inner element ends first; the outer one must not repeat its text.
          {"b inside i", "<i><b>x</b></i>", "<i>*x*</i>"},
          {"upper-case tags", "<B>x</B>", "<B>x</B>"},
          {"NUL byte inside", std::string("<b>a\0b</b>", 10), std::string("<b>a\0b</b>", 10)},
      });
}

// The handlers emit through the copying engine; on the in-place engine they leave the text.
TEST(ListHandlers, LeaveTheTextAloneOnTheInPlaceEngine) {
  static const struct {
    const char* name;
    const char* pattern;
    PatternHandler handler;
    const char* datum;
    const char* text;
  } kCases[] = {
      {"emphasis", "<b>**</b>", EmphasisHandler, "b", "a<b>x</b>"},
      {"dialogue break", ".?W\"", DialogueBreakHandler, "|", "left. \"We"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PatternEngine engine;
    ASSERT_NE(nullptr, engine.AddPattern(PatternType::kHandler, c.pattern, nullptr, 0, c.handler,
                                         const_cast<char*>(c.datum)));
    ASSERT_EQ(1, engine.Search(c.text, nullptr));
    EXPECT_STREQ(c.text, engine.Result().Data());
  }
}

}  // namespace
}  // namespace quorlex
