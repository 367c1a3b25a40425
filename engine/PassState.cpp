#include "engine/PassState.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string_view>

#include "engine/TagRemover.h"
#include "foundation/Ascii.h"
#include "foundation/PatternEngine.h"

namespace quorlex {

// --- PassState --------------------------------------------------------------------------

PassState::PassState() { Reset(); }

void PassState::Reset() {
  info = DocumentInfo();
  urls.Clear();
  blocks.Clear();
  listDepth = 0;
  for (int depth = 0; depth <= kMaxListDepth; ++depth) {
    listStyle[depth] = kBulleted;
    itemCounter[depth] = 1;
  }
  definitionDepth = 0;
  std::fill(std::begin(definitionOpen), std::end(definitionOpen), false);
  headingStart = -1;
  headingLevel = 0;
  inLinePreformatted = false;
  foundCharacterSet.Clear();
  encoding = DocumentEncoding();
  paragraphMarkersInserted = 0;
  sourceLinesJoined = false;
  punctuationFold = 1;
  nestedTableRequest = 0;
  deepestNesting = 0;
  averageLineLength = 80;
}

TextString PassState::WithoutTags(const TextString& text) {
  builtInOptions_.utf8Output = options.utf8Output;
  TextString out;
  tagRemover.Run(report, builtInOptions_, encoding, text, out);
  return out;
}

TextString PassState::Decoded(const TextString& text) {
  builtInOptions_.utf8Output = options.utf8Output;
  TextString out;
  DecodeEntities(builtInOptions_, encoding, text, out);
  return out;
}

void PassState::Message(const char* message, int level) const {
  if (report) report(message, level);
}

void PassState::Status(const char* message) const {
  if (status) status(message);
}

HandlerDatum* PassState::Datum(HandlerDatum entry) {
  entry.pass = this;
  data_.push_back(entry);
  return &data_.back();
}

// --- Extractor --------------------------------------------------------------------------

namespace {

// Where the one pattern of an extractor engine matched.
struct Found {
  int start = -1;
  int end = -1;
};

HandlerResult RecordMatch(PatternEngine&, WildcardPattern&, MatchState& state, const char*, int&,
                          void* userData) {
  auto* found = static_cast<Found*>(userData);
  found->start = state.start;
  found->end = state.end;
  return HandlerResult::kStop;
}

// The engine and its capture slot live together, so the slot outlives every run.
struct FindingEngine : CopyPatternEngine {
  // Only the place of the match counts: the rest of the text is not copied into a result,
  // which on a page of one long line would be a second copy of the page.
  void Finish() override {}

  Found found;
};

}  // namespace

int Extractor::FindMatch(const char* pattern, const TextString& text, int from, int& end) {
  auto& slot = engines_[pattern];
  if (!slot) {
    auto engine = std::make_unique<FindingEngine>();
    engine->AddPattern(PatternType::kCopyHandler, pattern, nullptr, 0, RecordMatch, &engine->found);
    engine->locked = true;
    slot = std::move(engine);
  }
  auto& engine = static_cast<FindingEngine&>(*slot);
  engine.found = Found();
  end = -1;
  if (from >= text.Length()) return -1;
  // Only the place of the match counts. The engines share one buffer for the copy of the
  // text a run makes, and one as large as a big document is let go at once rather than kept
  // for the next search.
  engine.LendBuffer(spare_);
  const int matches = engine.Run(text.Data() + from, text.Length() - from, nullptr);
  engine.ReturnBuffer(spare_);
  if (spare_.Capacity() > kKeptBufferBytes) spare_ = TextString();
  if (matches == 0) return -1;
  end = from + engine.found.end;
  return from + engine.found.start;
}

int Extractor::ExtractBetween(const TextString& text, const char* startPattern,
                              const char* endPattern, TextString& out) {
  out.Clear();
  int startEnd = -1;
  if (FindMatch(startPattern, text, 0, startEnd) < 0) return 0;
  int endEnd = -1;
  const int endStart = FindMatch(endPattern, text, startEnd + 1, endEnd);
  if (endStart < 0) return 0;
  out.AssignBytes(text.Data() + startEnd + 1, endStart - startEnd - 1);
  return 1;
}

namespace {

bool IsPatternBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Finds " <name> =" in a text fed one character at a time, as the wildcard patterns
// "?W<name>*W=" find it: white space, the name (ignoring case), optional white space, "=".
class AttributeNameMatcher {
 public:
  explicit AttributeNameMatcher(std::string_view name) : name_(name) {}

  // Feeds the next character; returns true when it is the "=" that completes a match.
  bool Feed(char c) {
    switch (state_) {
      case State::kName:
        if (ExtendsName(c)) return false;
        state_ = State::kIdle;  // the character that broke the match may start the next one
        break;
      case State::kBeforeEquals:
        if (c == '=') return true;
        if (IsPatternBlank(c)) return false;
        state_ = State::kIdle;
        break;
      case State::kBlanks:
        FeedAfterBlanks(c);
        return false;
      case State::kIdle:
        break;
    }
    if (IsPatternBlank(c)) state_ = State::kBlanks;
    return false;
  }

 private:
  enum class State { kIdle, kBlanks, kName, kBeforeEquals };

  // Whether c is the next character of the name; the whole name waits for "=".
  bool ExtendsName(char c) {
    if (ToAsciiUpper(c) != ToAsciiUpper(name_[matched_])) return false;
    if (++matched_ == name_.size()) state_ = State::kBeforeEquals;
    return true;
  }

  // After white space: the name may begin, or more white space follows.
  void FeedAfterBlanks(char c) {
    if (!name_.empty() && ToAsciiUpper(c) == ToAsciiUpper(name_[0])) {
      matched_ = 1;
      state_ = matched_ == name_.size() ? State::kBeforeEquals : State::kName;
      return;
    }
    if (!IsPatternBlank(c)) state_ = State::kIdle;
  }

  std::string_view name_;
  State state_ = State::kIdle;
  size_t matched_ = 0;
};

// Where the value of attribute `name` begins in " " + tag + ">" (positions counted in that
// text): just after the "=" of the first place where AttributeNameMatcher completes, as the
// wildcard patterns "?W<name>*W=" and ">" find it. -1 when none.
int AttributeValueStart(std::string_view tag, std::string_view name) {
  AttributeNameMatcher matcher(name);
  const size_t length = tag.size() + 2;
  for (size_t i = 0; i < length; ++i) {
    const char c = i == 0 ? ' ' : i == length - 1 ? '>' : tag[i - 1];
    if (matcher.Feed(c)) return static_cast<int>(i + 1);
  }
  return -1;
}

}  // namespace

int Extractor::GetAttribute(const char* name, const TextString& tag, TextString& out) {
  out.Clear();
  const int start = AttributeValueStart(tag.View(), name);
  if (start < 0) return 0;
  // The value runs to the next ">", the one after the tag at the latest.
  const std::string_view rest = tag.View().substr(static_cast<size_t>(start - 1));
  TextString value;
  value.AssignBytes(rest.data(), static_cast<int>(std::min(rest.find('>'), rest.size())));
  value.Trim(TrimEnds::kBoth, " \n\r");
  if (value.IsEmpty()) return 0;
  const char quote = value[0];
  int close = -1;
  if (quote == '"' || quote == '\'') {
    const int found = value.FindChar(1, quote, close, LetterCase::kMatters);
    out.AssignBytes(value.Data() + 1, (found ? close : value.Length()) - 1);
  } else {
    int blank = -1;
    const int found = value.FindChar(0, ' ', blank, LetterCase::kMatters);
    out.AssignBytes(value.Data(), found ? blank : value.Length());
  }
  return out.IsEmpty() ? 0 : 1;
}

}  // namespace quorlex
