#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/PatternEngine.h"

namespace quorlex {
namespace {

constexpr RunOptions kPhaseOptions{1, 1, 0, 0, 0};

struct Spec {
  PatternType type;
  const char* text;
  const char* replacement;
  int caseSensitive = 0;
  PatternHandler handler = nullptr;
  void* userData = nullptr;
};

// What a caller of an engine ends up with: the result when there were matches, else its
// own text, and the number of matches.
struct Outcome {
  int matches;
  std::string text;
  bool operator==(const Outcome& other) const {
    return matches == other.matches && text == other.text;
  }
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << o.matches << " matches: \"" << o.text << "\"";
}

void AddAll(PatternEngine& engine, const std::vector<Spec>& specs) {
  for (const Spec& s : specs) {
    ASSERT_NE(nullptr, engine.AddPattern(s.type, s.text, s.replacement, s.caseSensitive, s.handler,
                                         s.userData))
        << s.text;
  }
}

Outcome Finish(const PatternEngine& engine, int matches, const std::string& text) {
  return {matches, matches > 0 ? std::string(engine.Result().View()) : text};
}

// The copying engine takes types 1 to 4 through its first form and 6 through the second.
void AddToCopying(CopyPatternEngine& engine, const std::vector<Spec>& specs) {
  for (const Spec& s : specs) {
    WildcardPattern* added =
        s.type == PatternType::kCopyHandler
            ? engine.AddPattern(s.type, s.text, s.replacement, s.caseSensitive, s.handler,
                                s.userData)
            : engine.AddPattern(s.type, s.text, s.replacement, s.caseSensitive);
    ASSERT_NE(nullptr, added) << s.text;
  }
}

Outcome RunCopying(const std::vector<Spec>& specs, const std::string& text,
                   const RunOptions* options, bool fast) {
  CopyPatternEngine engine;
  AddToCopying(engine, specs);
  engine.UseFastScan(fast);
  const int matches = engine.Run(text.data(), static_cast<int>(text.size()), options);
  return Finish(engine, matches, text);
}

Outcome RunInPlace(const std::vector<Spec>& specs, const std::string& text,
                   const RunOptions* options, bool fast) {
  PatternEngine engine;
  AddAll(engine, specs);
  engine.UseFastScan(fast);
  const int matches = engine.Search(text.data(), static_cast<int>(text.size()), options);
  return Finish(engine, matches, text);
}

// Runs the patterns with both scans on the copying engine and, for types 1 to 4, on the
// in-place engine too; every way must give the expected outcome.
void ExpectEverywhere(const std::vector<Spec>& specs, const std::string& text,
                      const RunOptions* options, const Outcome& expected) {
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast scan" : "plain scan");
    EXPECT_EQ(expected, RunCopying(specs, text, options, fast)) << "copying engine";
    EXPECT_EQ(expected, RunInPlace(specs, text, options, fast)) << "in-place engine";
  }
}

TEST(PatternMatching, FollowsTheStreamingRules) {
  const auto del = PatternType::kDelete;
  const auto rep = PatternType::kReplace;
  static const struct {
    const char* name;
    Spec spec;
    const char* text;
    Outcome expected;
  } kCases[] = {
      {"case ignored", {del, "<b>", ""}, "x<B>y", {1, "xy"}},
      {"breaking character is not retried", {del, "<b>", ""}, "<<b>", {0, "<<b>"}},
      {"%W needs one white-space character",
       {del, "<style%W**/style>", ""},
       "<style>a</style>",
       {0, "<style>a</style>"}},
      {"element removed whole",
       {del, "<style%W**/style>", ""},
       "<style type=x>a</style>z",
       {1, "z"}},
      {"lazy repetition ends at the first end",
       {del, "<!--**-->", ""},
       "a<!-- x -->b<!--y-->c",
       {2, "abc"}},
      {"lazy end in upper case",
       {del, "<head**/head>", ""},
       "<HEAD><t>x</t></HEAD>body",
       {1, "body"}},
      {"end run checked as a whole", {del, "<!--**-->", ""}, "<!-- a --- b -->c", {1, "c"}},
      {"optional white space taken", {rep, ">*W<br />", "><br>"}, ">  <br />", {1, "><br>"}},
      {"optional white space absent", {rep, ">*W<br />", "><br>"}, "><br />", {1, "><br>"}},
      {"escaped question mark", {rep, "|?%W", "Q"}, "a? b?c", {1, "aQb?c"}},
      {"escaped metacharacters compare exactly", {rep, "|*|%||", "#"}, "a*%|b", {1, "a#b"}},
      {"escaped line feed and tab", {rep, "|n|t", "#"}, "a\n\tb", {1, "a#b"}},
      {"one-or-more needs one", {rep, "a?Wb", "#"}, "ab a \t b", {1, "ab #"}},
      {"greedy trailing repetition", {rep, ".?S", ".  "}, "a.   b. c.d", {2, "a.  b.  c.d"}},
      {"trailing repetition at the end of the text", {rep, ".?S", ".  "}, "end. ", {1, "end.  "}},
      {"empty trailing repetition never matches", {rep, ">*W", "#"}, "a>b", {0, "a>b"}},
      {"trailing repetition takes white space", {rep, ">*W", "#"}, "a> \tb", {1, "a#b"}},
      {"trailing repetition to the end", {rep, ">*W", "#"}, "a>  ", {1, "a#"}},
      {"digits one by one", {rep, "%1%1", "#"}, "a123b", {1, "a#3b"}},
      {"anchor element",
       {del, "<a%W**>**</a>", ""},
       "<a href=x>1</a> and <a name=y>2</a>!",
       {2, " and !"}},
      {"second repetition in a row never gets its turn", {rep, "a***Wb", "#"}, "a  b", {0, "a  b"}},
      {"case-sensitive pattern", {del, "<B>", "", 1}, "<b><B>", {1, "<b>"}},
      {"lower-case class", {rep, "%a%A", "#"}, "aBAbab", {1, "#Abab"}},
      {"brackets and punctuation", {rep, "%(%.%)", "#"}, "[!]{x}<;>", {2, "#{x}#"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ExpectEverywhere({c.spec}, c.text, &kPhaseOptions, c.expected);
  }
}

TEST(PatternMatching, LeadingRepetitionStartsWhereAsked) {
  const Spec anyNameThenHtm{PatternType::kReplace, "**.htm", ""};
  RunOptions onRepeat = kPhaseOptions;
  onRepeat.startOnRepeat = 1;
  // Without startOnRepeat the match only starts where the state leaves the repetition.
  ExpectEverywhere({anyNameThenHtm}, "index.HTM", &kPhaseOptions, {1, "index"});
  ExpectEverywhere({anyNameThenHtm}, "index.HTM", &onRepeat, {1, ""});
  // A trailing "**" runs to the end of the text.
  ExpectEverywhere({{PatternType::kReplace, "a**", ""}}, "xab", &onRepeat, {1, "x"});
  ExpectEverywhere({{PatternType::kReplace, "b**", "#"}}, "xab", &onRepeat, {1, "xa#"});
  // The copying engine's run without options records the start of a leading repetition.
  EXPECT_EQ((Outcome{1, ""}), RunCopying({anyNameThenHtm}, "a.htm", nullptr, true));
  EXPECT_EQ((Outcome{1, ""}), RunCopying({anyNameThenHtm}, "a.htm", nullptr, false));
}

TEST(PatternTypes, ReplaceInsertAndDeleteAlikeOnBothEngines) {
  static const struct {
    const char* name;
    PatternType type;
    const char* pattern;
    const char* replacement;
    const char* text;
    Outcome expected;
  } kCases[] = {
      {"replace", PatternType::kReplace, "<br>", "[R]", "x<BR>y<br>", {2, "x[R]y[R]"}},
      {"insert after", PatternType::kInsertAfter, "<br>", "[R]", "x<br>y", {1, "x<br>[R]y"}},
      {"insert before", PatternType::kInsertBefore, "<br>", "[R]", "x<br>y", {1, "x[R]<br>y"}},
      {"delete", PatternType::kDelete, "<br>", "", "x<br>y<br>", {2, "xy"}},
      {"replacement never rescanned", PatternType::kReplace, "a", "aa", "aaa", {3, "aaaaaa"}},
      {"text inserted after never rescanned",
       PatternType::kInsertAfter,
       "a",
       "a",
       "aa",
       {2, "aaaa"}},
      {"text inserted before never rescanned",
       PatternType::kInsertBefore,
       "a",
       "a",
       "aa",
       {2, "aaaa"}},
      {"match at the very start and end", PatternType::kReplace, "ab", "", "abxab", {2, "x"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ExpectEverywhere({{c.type, c.pattern, c.replacement}}, c.text, &kPhaseOptions, c.expected);
    ExpectEverywhere({{c.type, c.pattern, c.replacement}}, c.text, nullptr, c.expected);
  }
}

TEST(PatternRuns, FirstPatternOnlyAppliesTheEarliestAdded) {
  const Spec whole{PatternType::kReplace, "<b>", "1"};
  const Spec tail{PatternType::kReplace, "b>", "2"};
  ExpectEverywhere({whole, tail}, "<b>", &kPhaseOptions, {1, "1"});
  ExpectEverywhere({tail, whole}, "<b>", &kPhaseOptions, {1, "<2"});
}

TEST(PatternRuns, OptionsRestartAndStop) {
  const Spec shrink{PatternType::kReplace, "ab", "a"};
  RunOptions restart = kPhaseOptions;
  restart.restartAfterChange = 1;
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast scan" : "plain scan");
    EXPECT_EQ((Outcome{1, "ab"}), RunInPlace({shrink}, "abb", &kPhaseOptions, fast));
    EXPECT_EQ((Outcome{2, "a"}), RunInPlace({shrink}, "abb", &restart, fast));
  }
  RunOptions stop = kPhaseOptions;
  stop.stopAfterMatch = 1;
  ExpectEverywhere({{PatternType::kDelete, "x", ""}}, "axbxc", &stop, {1, "abxc"});
}

TEST(PatternRuns, EmptyTextsAndEmptyEnginesFindNothing) {
  CopyPatternEngine copying;
  EXPECT_EQ(0, copying.Run("abc", 3, nullptr));  // no patterns
  copying.AddPattern(PatternType::kDelete, "a", "", 0);
  EXPECT_EQ(0, copying.Run("", 0, nullptr));
  EXPECT_EQ(0, copying.Run(nullptr, 0, nullptr));
  EXPECT_EQ(0, copying.Run("xyz", 3, nullptr));
  EXPECT_EQ("", copying.Result().View());
  PatternEngine inPlace;
  EXPECT_EQ(0, inPlace.Search("abc", 3, nullptr));
}

TEST(PatternEngines, RefuseWhatTheyCannotTake) {
  CopyPatternEngine copying;
  EXPECT_EQ(nullptr, copying.AddPattern(PatternType::kHandler, "a", "", 0));
  EXPECT_EQ(nullptr, copying.AddPattern(PatternType::kCopyHandler, "a", "", 0));
  EXPECT_EQ(nullptr, copying.AddPattern(PatternType::kReplace, "a", "", 0, nullptr, nullptr));
  EXPECT_EQ(nullptr, copying.AddPattern(PatternType::kDelete, "%q", "", 0));
  EXPECT_EQ(0, copying.PatternCount());

  PatternEngine engine;
  WildcardPattern* first = engine.AddPattern(PatternType::kDelete, "a", "", 0);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(1, first->id);
  EXPECT_EQ(2, engine.AddPattern(PatternType::kHandler, "b", nullptr, 0)->id);
  engine.locked = true;
  EXPECT_EQ(nullptr, engine.AddPattern(PatternType::kDelete, "c", "", 0));
  engine.ClearPatterns();  // ignored while locked
  EXPECT_EQ(2, engine.PatternCount());
  engine.locked = false;
  engine.ClearPatterns();
  EXPECT_EQ(0, engine.PatternCount());
  EXPECT_EQ(1, engine.AddPattern(PatternType::kDelete, "c", "", 0)->id);
}

TEST(PatternEngines, CountMatchesPerRunAndInAll) {
  CopyPatternEngine engine;
  WildcardPattern* br = engine.AddPattern(PatternType::kDelete, "<br>", "", 0);
  WildcardPattern* p = engine.AddPattern(PatternType::kDelete, "<p>", "", 0);
  EXPECT_EQ(3, engine.Run("<br><p><br>", 11, &kPhaseOptions));
  EXPECT_EQ(1, engine.Run("<br>", 4, &kPhaseOptions));
  EXPECT_EQ(3, br->matchesTotal);
  EXPECT_EQ(3, br->appliedTotal);
  EXPECT_EQ(1, br->matchesInRun);
  EXPECT_EQ(1, br->appliedInRun);
  EXPECT_EQ(1, p->matchesTotal);
  EXPECT_EQ(0, p->matchesInRun);
  // A match begun at the end of one run does not go on into the next.
  EXPECT_EQ(0, engine.Run("<b", 2, &kPhaseOptions));
  EXPECT_EQ(0, engine.Run("r>", 2, &kPhaseOptions));
}

// --- Handlers ---------------------------------------------------------------------------

// Handler data for the tests: what the handler saw and how it answers.
struct Probe {
  HandlerResult answer = HandlerResult::kUnchanged;
  std::vector<std::string> seen;
  int headingStart = -1;
};

std::string MatchText(const MatchState& state, const char* working) {
  return std::string(working + state.start, static_cast<size_t>(state.end - state.start + 1));
}

HandlerResult BracketInPlace(PatternEngine& engine, WildcardPattern&, MatchState& state,
                             const char* working, int& index, void* data) {
  auto* probe = static_cast<Probe*>(data);
  const std::string match = MatchText(state, working);
  probe->seen.push_back(match);
  if (probe->answer == HandlerResult::kUnchanged) return probe->answer;
  const HandlerResult changed = engine.ReplaceRange(state, index, ("[" + match + "]").c_str());
  return probe->answer == HandlerResult::kStop ? HandlerResult::kStop : changed;
}

HandlerResult BracketCopying(PatternEngine& engine, WildcardPattern&, MatchState& state,
                             const char* working, int& index, void* data) {
  auto* probe = static_cast<Probe*>(data);
  const std::string match = MatchText(state, working);
  probe->seen.push_back(match);
  static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index,
                                                          ("[" + match + "]").c_str());
  return probe->answer;
}

TEST(PatternHandlers, AnswerChangedUnchangedOrStopOnBothEngines) {
  static const struct {
    const char* name;
    HandlerResult answer;
    Outcome inPlace;
    Outcome copying;
  } kCases[] = {
      {"changed", HandlerResult::kChanged, {2, "a[<x>]b[<X>]c"}, {2, "a[<x>]b[<X>]c"}},
      // An in-place handler that leaves the text keeps it; a copying handler reports
      // "unchanged" after emitting its replacement.
      {"unchanged", HandlerResult::kUnchanged, {2, "a<x>b<X>c"}, {2, "a[<x>]b[<X>]c"}},
      {"stop", HandlerResult::kStop, {1, "a[<x>]b<X>c"}, {1, "a[<x>]b<X>c"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    for (bool fast : {true, false}) {
      SCOPED_TRACE(fast ? "fast scan" : "plain scan");
      Probe inPlaceProbe;
      inPlaceProbe.answer = c.answer;
      EXPECT_EQ(
          c.inPlace,
          RunInPlace({{PatternType::kHandler, "<x>", nullptr, 0, BracketInPlace, &inPlaceProbe}},
                     "a<x>b<X>c", &kPhaseOptions, fast));
      Probe copyingProbe;
      copyingProbe.answer = c.answer;
      EXPECT_EQ(c.copying, RunCopying({{PatternType::kCopyHandler, "<x>", nullptr, 0,
                                        BracketCopying, &copyingProbe}},
                                      "a<x>b<X>c", &kPhaseOptions, fast));
      EXPECT_EQ("<x>", copyingProbe.seen.at(0));
      EXPECT_EQ(inPlaceProbe.seen, copyingProbe.seen);
    }
  }
}

TEST(PatternHandlers, MatchesOverTextAlreadyEmittedAreAbandoned) {
  // The inner element is emitted first; the outer one began in text that is in the output
  // now, whatever the handler answered, so it must not copy that text again.
  for (HandlerResult answer : {HandlerResult::kUnchanged, HandlerResult::kChanged}) {
    for (bool fast : {true, false}) {
      SCOPED_TRACE(fast ? "fast scan" : "plain scan");
      Probe probe;
      probe.answer = answer;
      EXPECT_EQ(
          (Outcome{1, "<i>[<b>x</b>]</i>!"}),
          RunCopying({{PatternType::kCopyHandler, "<i>**</i>", nullptr, 0, BracketCopying, &probe},
                      {PatternType::kCopyHandler, "<b>**</b>", nullptr, 0, BracketCopying, &probe}},
                     "<i><b>x</b></i>!", &kPhaseOptions, fast));
    }
  }
}

// An in-place heading handler: the opening tag is deleted and remembered; the closing tag
// rewrites everything from there.
HandlerResult Heading(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                      const char* working, int& index, void* data) {
  auto* probe = static_cast<Probe*>(data);
  if (pattern.text == "<H1>") {
    probe->headingStart = state.start;
    return engine.ReplaceRange(state, index, "");
  }
  if (probe->headingStart < 0) return engine.ReplaceRange(state, index, "");
  MatchState whole = state;
  whole.start = probe->headingStart;
  const std::string title(working + whole.start, static_cast<size_t>(state.start - whole.start));
  probe->headingStart = -1;
  return engine.ReplaceRange(whole, index, ("=" + title + "=").c_str());
}

TEST(PatternHandlers, InPlaceHandlerRewritesTextBehindTheScan) {
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast scan" : "plain scan");
    Probe probe;
    const std::vector<Spec> specs = {{PatternType::kHandler, "<h1>", nullptr, 0, Heading, &probe},
                                     {PatternType::kHandler, "</h1>", nullptr, 0, Heading, &probe},
                                     {PatternType::kDelete, "<b>", ""}};
    EXPECT_EQ((Outcome{6, "a=Title=b=Two=c"}),
              RunInPlace(specs, "a<h1>Ti<b>tle</h1>b<H1>Two</H1>c</h1>", &kPhaseOptions, fast));
  }
}

// Replaces its match by "#" and consumes two characters more.
HandlerResult SkipTwoMore(PatternEngine& engine, WildcardPattern&, MatchState& state, const char*,
                          int& index, void*) {
  static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index, "#");
  index += 2;
  return HandlerResult::kUnchanged;
}

// Leaves its match but moves the scan two characters past it.
HandlerResult OnlySkipTwo(PatternEngine&, WildcardPattern&, MatchState&, const char*, int& index,
                          void*) {
  index += 2;
  return HandlerResult::kUnchanged;
}

// Rewrites "<x>" as "<b>" and steps back so that the new text is scanned again.
HandlerResult RewriteAndRescan(PatternEngine& engine, WildcardPattern&, MatchState& state,
                               const char*, int& index, void*) {
  const HandlerResult result = engine.ReplaceRange(state, index, "<b>");
  index = state.start - 1;
  return result;
}

TEST(PatternHandlers, MovingTheIndexSkipsOrRescansText) {
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast scan" : "plain scan");
    // The skipped "<br>" is never seen.
    EXPECT_EQ((Outcome{2, "#<br>#.."}),
              RunCopying({{PatternType::kCopyHandler, "<q>", nullptr, 0, SkipTwoMore},
                          {PatternType::kCopyHandler, "<br>", nullptr, 0, SkipTwoMore}},
                         "<q><br><br>..", &kPhaseOptions, fast));
    // "<q>ab>" stands after "<q>" when the scan jumps, and goes on with the character after
    // the skipped ones, as the plain scan has it.
    EXPECT_EQ((Outcome{2, "B"}),
              RunCopying({{PatternType::kCopyHandler, "q>", nullptr, 0, OnlySkipTwo},
                          {PatternType::kReplace, "<q>ab>", "B"}},
                         "<q>XXab>", &kPhaseOptions, fast));
    // "<ab" has just begun at "<" when the scan jumps over "q?".
    EXPECT_EQ((Outcome{2, "B"}),
              RunCopying({{PatternType::kCopyHandler, "<", nullptr, 0, OnlySkipTwo},
                          {PatternType::kReplace, "<ab", "B"}},
                         "<q?ab", &kPhaseOptions, fast));
    EXPECT_EQ((Outcome{3, "acc"}),
              RunInPlace({{PatternType::kHandler, "<x>", nullptr, 0, RewriteAndRescan},
                          {PatternType::kDelete, "<b>", ""}},
                         "a<x>c<b>c", &kPhaseOptions, fast));
  }
}

// --- The fast scan against the plain one --------------------------------------------------

// The patterns of the de-tagging lists, which the engines run over whole documents.
const std::vector<Spec>& TagPatterns() {
  static const std::vector<Spec> kSpecs = {
      {PatternType::kDelete, "<head**/head>", ""},
      {PatternType::kDelete, "<!--**-->", ""},
      {PatternType::kDelete, "<style%W**/style>", ""},
      {PatternType::kDelete, "<script%W**/script>", ""},
      {PatternType::kDelete, "<script>**/script>", ""},
      {PatternType::kDelete, "<form%W**>", ""},
      {PatternType::kDelete, "</form>", ""},
      {PatternType::kReplace, "<font%W**>", " "},
      {PatternType::kReplace, "</font>", " "},
      {PatternType::kDelete, "<b>", ""},
      {PatternType::kDelete, "</b>", ""},
      {PatternType::kReplace, "<img%W**>", "[IMG]"},
      {PatternType::kReplace, "<a%W**>**</a>", "[LINK]"},
      {PatternType::kInsertAfter, "<p>", "{P}"},
      {PatternType::kInsertAfter, "<p%W**>", "{P}"},
      {PatternType::kInsertAfter, "<br>", "{BR}"},
      {PatternType::kInsertAfter, "<br />", "{BR}"},
      {PatternType::kInsertBefore, "</li>", "{SB}"},
      {PatternType::kReplace, "<h%1**>", "{H}"},
      {PatternType::kReplace, ">*W<br />", "><br>"},
      {PatternType::kReplace, ".?S", ".  "},
      {PatternType::kReplace, "|?%W", "?"},
  };
  return kSpecs;
}

TEST(PatternScans, TagListStripsARealisticSnippet) {
  const std::string html =
      "<html><HEAD><title>T</title></head><body>\n"
      "<!-- nav --><p class=\"intro\">Hello <b>world</b>.  See <a href=\"x.htm\">this</a>"
      "<br /> and <img src=\"i.png\" alt=\"I\">.<script type=\"text/javascript\">if (a<b) "
      "x();</script>\n<ul><li>one</li></ul><h2 id=\"s\">Part</h2><form action=\"/\">"
      "<input></form><p>End? Yes.</p></body></html>";
  const Outcome expected{
      16,
      "<html><body>\n<p class=\"intro\">{P}Hello world.  See [LINK]<br />{BR} and "
      "[IMG].\n<ul><li>one{SB}</li></ul>{H}Part</h2><input><p>{P}End?Yes.</p></body></html>"};
  ExpectEverywhere(TagPatterns(), html, &kPhaseOptions, expected);
}

std::string RandomText(std::mt19937& random, int length) {
  static const char kAlphabet[] = "<<<>>/!--abhpreIMGsScCtTy  .?\n\t=\"123";
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(kAlphabet)) - 2);
  std::string text;
  for (int i = 0; i < length; ++i) text += kAlphabet[pick(random)];
  return text;
}

// Random patterns made of short pieces, over random text made of the characters they
// use.
class RandomPatterns {
 public:
  explicit RandomPatterns(unsigned seed) : random_(seed) {}

  std::mt19937& random() { return random_; }
  int Coin() { return static_cast<int>(random_() % 2); }

  // `count` patterns of types 1 to 4 (type 4 with an empty replacement, as it is added).
  std::vector<Spec> Make(int count) {
    static const char* kPieces[] = {"<",  "a",  "b>", "%W", "*W", "?W", "**", "-->", "%1",
                                    "?*", "|?", ".",  "/h", "*1", "%*", "?S", "\"",  "t"};
    std::vector<Spec> specs;
    for (int p = 0; p < count; ++p) {
      std::string pattern;
      for (int k = 1 + static_cast<int>(random_() % 4); k > 0; --k) {
        pattern += kPieces[random_() % std::size(kPieces)];
      }
      texts_.push_back(std::make_unique<std::string>(pattern));
      const auto type = static_cast<PatternType>(1 + random_() % 4);
      specs.push_back(
          {type, texts_.back()->c_str(), type == PatternType::kDelete ? "" : "<R>", Coin()});
    }
    return specs;
  }

 private:
  std::mt19937 random_;
  std::vector<std::unique_ptr<std::string>> texts_;  // the pattern texts outlive the specs
};

TEST(PatternScans, FastScanAgreesWithThePlainScan) {
  RandomPatterns patterns(20261207);
  for (int round = 0; round < 400; ++round) {
    std::vector<Spec> specs = patterns.Make(1 + round % 4);
    if (round % 4 == 0) specs.insert(specs.end(), TagPatterns().begin(), TagPatterns().end());
    if (round % 25 == 0) {  // more than 64 patterns
      const std::vector<Spec> many = patterns.Make(70);
      specs.insert(specs.end(), many.begin(), many.end());
    }
    const std::string text = RandomText(patterns.random(), 1 + round * 3);
    RunOptions options = kPhaseOptions;
    options.startOnRepeat = patterns.Coin();
    SCOPED_TRACE("round " + std::to_string(round) + " text \"" + text + "\"");
    const Outcome plainCopying = RunCopying(specs, text, &options, false);
    const Outcome plainInPlace = RunInPlace(specs, text, &options, false);
    EXPECT_EQ(plainCopying, RunCopying(specs, text, &options, true));
    EXPECT_EQ(plainInPlace, RunInPlace(specs, text, &options, true));
    EXPECT_EQ(plainCopying, plainInPlace);
  }
}

// Patterns that start with long runs of literals, over text made of pieces of them: starts
// that break after one, two, ... eight characters, in both cases.
TEST(PatternScans, FastScanAgreesOnLongLiteralStarts) {
  static const char* kWords[] = {
      "<table**</table>", "<tr",   "<td%W**>", "<textarea**/textarea>", "</tr>",
      "<tablespoon",      "<t|?x", "<tbody"};
  static const char* kPieces[] = {"<t", "<ta", "<tab", "<table",  "<TABLE", "</t",
                                  "r>", "d ",  "body", "extarea", "spoon",  "x",
                                  "?",  ">",   " ",    "</table>"};
  std::mt19937 random(8);
  for (int round = 0; round < 300; ++round) {
    std::vector<Spec> specs;
    for (int p = 0; p < 1 + round % 5; ++p) {
      specs.push_back({PatternType::kReplace, kWords[random() % std::size(kWords)], "<R>",
                       static_cast<int>(random() % 2)});
    }
    std::string text;
    for (int k = static_cast<int>(random() % 40); k > 0; --k)
      text += kPieces[random() % std::size(kPieces)];
    SCOPED_TRACE("round " + std::to_string(round) + " text \"" + text + "\"");
    const Outcome plain = RunCopying(specs, text, &kPhaseOptions, false);
    EXPECT_EQ(plain, RunCopying(specs, text, &kPhaseOptions, true));
    EXPECT_EQ(plain, RunInPlace(specs, text, &kPhaseOptions, true));
  }
}

// Emits "<H>" for the match and skips as many characters more as its data says.
HandlerResult EmitAndSkip(PatternEngine& engine, WildcardPattern&, MatchState& state, const char*,
                          int& index, void* data) {
  static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index, "<H>");
  index += static_cast<int>(reinterpret_cast<intptr_t>(data));
  return HandlerResult::kUnchanged;
}

// Deletes the match and steps back as many characters as its data says, so that text
// before it is scanned again.
HandlerResult DeleteAndStepBack(PatternEngine& engine, WildcardPattern&, MatchState& state,
                                const char*, int& index, void* data) {
  const HandlerResult result = engine.ReplaceRange(state, index, "");
  index -= static_cast<int>(reinterpret_cast<intptr_t>(data));
  return result;
}

TEST(PatternScans, FastScanAgreesWhenHandlersMoveTheIndex) {
  RandomPatterns patterns(7);
  for (int round = 0; round < 300; ++round) {
    const std::vector<Spec> plain = patterns.Make(2 + round % 3);
    const std::vector<Spec> handled = patterns.Make(1 + round % 2);
    const std::string text = RandomText(patterns.random(), 10 + round * 2);
    SCOPED_TRACE("round " + std::to_string(round) + " text \"" + text + "\"");
    std::vector<Spec> copying = plain;
    std::vector<Spec> inPlace = plain;
    for (const Spec& h : handled) {
      void* move = reinterpret_cast<void*>(static_cast<intptr_t>(patterns.random()() % 4));
      copying.insert(copying.begin(), {PatternType::kCopyHandler, h.text, nullptr, h.caseSensitive,
                                       EmitAndSkip, move});
      inPlace.insert(inPlace.begin(), {PatternType::kHandler, h.text, nullptr, h.caseSensitive,
                                       DeleteAndStepBack, move});
    }
    EXPECT_EQ(RunCopying(copying, text, &kPhaseOptions, false),
              RunCopying(copying, text, &kPhaseOptions, true));
    EXPECT_EQ(RunInPlace(inPlace, text, &kPhaseOptions, false),
              RunInPlace(inPlace, text, &kPhaseOptions, true));
  }
}

}  // namespace
}  // namespace quorlex
