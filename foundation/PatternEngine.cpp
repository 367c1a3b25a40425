#include "foundation/PatternEngine.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quorlex {
namespace {

using Kind = PatternElement::Kind;

// Whether a fixed element takes text byte c.
bool Takes(const PatternElement& e, unsigned char c) { return e.taken.Contains(c); }

// How many elements of the run of fixed elements that begins with `e` match the text from
// index i on, one character each.
int MatchFixedRun(const PatternProgram& program, const PatternElement& e, const unsigned char* text,
                  int length, int i) {
  int matched = 0;
  const PatternElement* element = &e;
  while (matched < e.fixedRun && i + matched < length && Takes(*element, text[i + matched])) {
    ++matched;
    element = &program.at[static_cast<size_t>(element->next)];
  }
  return matched;
}

// MatchFixedRun for a program's first element: its leading literals are checked with one
// load where eight bytes of text are left.
int MatchFixedStart(const PatternProgram& program, const unsigned char* text, int length, int i) {
  const PatternElement& first = program.at[0];
  if (program.prefixLength == 0 || i + 8 > length)
    return MatchFixedRun(program, first, text, length, i);
  uint64_t word = 0;
  std::memcpy(&word, text + i, sizeof word);
  const uint64_t diff = ((word | program.prefixOr) ^ program.prefix) & program.prefixMask;
  if (diff != 0) return std::countr_zero(diff) / 8;
  if (program.prefixLength >= first.fixedRun) return first.fixedRun;
  // The rest of the fixed run, element by element.
  const PatternElement* element = &first;
  for (int k = 0; k < program.prefixLength; ++k)
    element = &program.at[static_cast<size_t>(element->next)];
  int matched = program.prefixLength;
  while (matched < first.fixedRun && i + matched < length && Takes(*element, text[i + matched])) {
    ++matched;
    element = &program.at[static_cast<size_t>(element->next)];
  }
  return matched;
}

// Whether the run of literals that begins with `e` matches the text from index i on.
bool LiteralRunMatches(const PatternProgram& program, const PatternElement& e,
                       const unsigned char* text, int length, int i) {
  if (e.literalRun > length - i) return false;
  const PatternElement* literal = &e;
  for (int k = 0; k < e.literalRun; ++k) {
    if (!Takes(*literal, text[i + k])) return false;
    literal = &program.at[static_cast<size_t>(literal->next)];
  }
  return true;
}

// The matcher: feeds text[i] to one pattern's state. `base` turns positions of the
// scanned text into working-text indexes. Returns true when the state completes a match
// on this character.
//
// Step stays one function: split into named steps (fixed element, end of a repetition,
// extension of a repetition, completion), all inlined, the plain scan of the pattern-engine
// benchmark ran about 55% slower (median 751 ms against 485 ms on 10 MB).
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
bool Step(WildcardPattern& pattern, MatchState& s, const unsigned char* text, int length, int i,
          int startOnRepeat, int base) {
  if (i >= length) {
    s.Reset();
    return false;
  }
  const PatternProgram& program = pattern.program;
  const unsigned char c = text[i];
  const int before = s.element;
  const PatternElement& e = program.at[static_cast<size_t>(before)];

  if (e.IsFixed()) {
    if (!Takes(e, c)) {
      s.Reset();
      return false;
    }
    s.element = e.next;
  } else {
    // A repetition first asks whether it ends here, then whether c extends it.
    bool ended = false;
    if (e.kind == Kind::kStar || s.repeats > 0) {
      if (e.last) {
        // At the end of the text the final repetition completes on its last character.
        ended = i == length - 1 && IsInPatternClass(e.classId, c);
        if (ended) s.element = e.next;
      } else {
        const PatternElement& after = program.at[static_cast<size_t>(e.next)];
        if (after.kind == Kind::kStar || after.kind == Kind::kPlus) {
          return false;  // a second repetition in a row never gets its turn: c is swallowed
        }
        ended = after.kind == Kind::kLiteral ? LiteralRunMatches(program, after, text, length, i)
                                             : Takes(after, c);
        if (ended) s.element = after.next;
      }
    }
    if (!ended) {
      if (!IsInPatternClass(e.classId, c)) {
        s.Reset();
        return false;
      }
      ++s.repeats;
      if (startOnRepeat && s.start < 0) s.start = base + i;
      // Inside a pattern the repetition stays; at its end it is greedy, and lets go on the
      // last character of its class.
      if (!e.last || (i + 1 < length && IsInPatternClass(e.classId, text[i + 1]))) return false;
      s.element = e.next;
    }
  }

  s.repeats = 0;  // the element changed
  if (before == 0 && s.start < 0) s.start = base + i;
  const PatternElement& now = program.at[static_cast<size_t>(s.element)];
  const bool onlyAnyRunLeft = now.kind == Kind::kStar && now.classId == 0 && now.last;
  if (now.kind != Kind::kEnd && !(onlyAnyRunLeft && i == length - 1)) return false;
  s.matched = 1;
  s.end = base + i;
  ++pattern.matchesTotal;
  ++pattern.matchesInRun;
  return true;
}

}  // namespace

// One run of an engine over a text: the loop that feeds characters to the states and
// hands completed matches to Apply.
//
// In the fast scan every state that is not at its start has a schedule: awake states are
// stepped at every character; a sleeping state stands in a run of plain characters whose
// text has been checked ahead, and is stepped again only on the character that decides it
// (the last of the run, or the first that does not match); a waiting state is inside "**"
// and is stepped again only on a byte where the element after it could take over (the
// characters in between extend the run, which only counts them). When no state is awake,
// the scan jumps to the nearest of those positions and of the next byte that can start a
// pattern.
//
// A pattern that begins with plain elements is checked against the text ahead when it
// could start. Most fail within a character or two ("<p>" at "<a href"): such a pattern is
// not stepped at all, only blocked from starting again until the character that would
// break its partial match has passed, which is what the plain scan amounts to.
class PatternEngine::Scan {
 public:
  Scan(PatternEngine& engine, const RunOptions& options)
      : engine_(engine),
        options_(options),
        states_(engine.states_),
        schedules_(engine.states_.size()),
        active_(engine.states_.size(), 0),
        blockedUntil_(engine.states_.size(), -1),
        blockedFrom_(engine.states_.size(), -1) {
    SetText();
  }

  int Run() {
    int pos = 0;
    int matches = 0;
    while (pos < length_) {
      if (engine_.fastScan_) {
        pos = NextPositionToStep(pos);
        if (pos >= length_) break;
        // With no state under way, a start byte whose patterns all fail the two-byte check
        // changes nothing but the blocking records: on to the next start byte at once.
        if (activeList_.empty() && !engine_.startMasks_.empty() && RejectsStart(pos)) {
          ++pos;
          continue;
        }
        StepScheduled(pos);
      } else {
        StepEveryPattern(pos);
      }
      if (completed_.empty()) {
        ++pos;
        continue;
      }
      bool stop = false;
      const int next = VisitCompletions(pos, matches, stop);
      if (stop) break;
      if (next != pos + 1 || text_ != reinterpret_cast<const unsigned char*>(engine_.text_)) {
        WakeAll(pos + 1);  // the scan jumps: every state catches up first
        SetText();
      } else {
        base_ = engine_.Logical(0);  // an edit moved the working text behind the scan
      }
      pos = next;
    }
    return matches;
  }

 private:
  enum class Mode : unsigned char { kAwake, kSleeping, kWaiting };
  struct Schedule {
    Mode mode = Mode::kAwake;
    int wake = 0;     // sleeping, waiting: the position at which the state is stepped next
    int from = 0;     // sleeping: first position taken on trust; waiting: last one stepped
    int element = 0;  // sleeping: the element that takes the character at `from`
  };

  // Bits exist only for the first 64 patterns; engines with more do not use them.
  static uint64_t Bit(int p) { return p < 64 ? uint64_t{1} << p : 0; }

  template <typename Visit>
  static void ForEachBit(uint64_t bits, Visit visit) {
    while (bits != 0) {
      visit(__builtin_ctzll(bits));
      bits &= bits - 1;
    }
  }

  void SetText() {
    text_ = reinterpret_cast<const unsigned char*>(engine_.text_);
    length_ = engine_.textLength_;
    base_ = engine_.Logical(0);
    nextStart_ = -1;
  }

  const PatternProgram& Program(int p) const { return engine_.PatternAt(p).program; }

  // The plain scan: every pattern sees every character.
  void StepEveryPattern(int pos) {
    completed_.clear();
    for (int p = 0; p < static_cast<int>(states_.size()); ++p) StepState(p, pos);
  }

  // Feeds the character at pos to one state; records a completed match.
  bool StepState(int p, int pos) {
    const bool done = Step(engine_.PatternAt(p), states_[static_cast<size_t>(p)], text_, length_,
                           pos, options_.startOnRepeat, base_);
    if (done) completed_.push_back(p);
    return done;
  }

  // The first position at or after pos where some state may change.
  int NextPositionToStep(int pos) {
    int target = length_;
    for (int p : activeList_) {
      const Schedule& s = schedules_[static_cast<size_t>(p)];
      if (s.mode == Mode::kAwake) return pos;
      target = std::min(target, s.wake);
    }
    if (nextStart_ < pos) {
      nextStart_ =
          engine_.anyStartBytes_.FindNextFollowedBy(Chars(), length_, pos, engine_.startFollowers_);
    }
    return std::min(target, nextStart_);
  }

  void StepScheduled(int pos) {
    completed_.clear();
    const size_t activeBefore = activeList_.size();
    for (size_t k = 0; k < activeBefore; ++k) {
      const int p = activeList_[k];
      Schedule& s = schedules_[static_cast<size_t>(p)];
      if (s.mode != Mode::kAwake && s.wake != pos) continue;
      CatchUp(p, pos);
      if (!StepState(p, pos) && !states_[static_cast<size_t>(p)].IsReset()) Plan(p, pos);
    }
    // Then the patterns that stood at their start before this character. One whose
    // partial match this character just broke is still marked active: it is not retried.
    if (engine_.startMasks_.empty()) {
      const unsigned char b = text_[pos];
      for (int k = engine_.startOffsets_[b]; k < engine_.startOffsets_[b + 1]; ++k) {
        const int p = engine_.startPatterns_[static_cast<size_t>(k)];
        if (!active_[static_cast<size_t>(p)] && blockedUntil_[static_cast<size_t>(p)] < pos) {
          Start(p, pos);
        }
      }
    } else {
      StartByMasks(pos);
    }
    DropResetStates();
  }

  // The same for engines of at most 64 patterns, with one bit per pattern. Patterns whose
  // second element refuses the next character would break on it: they are not started,
  // only kept from starting again on that character.
  void StartByMasks(int pos) {
    uint64_t candidates = engine_.startMasks_[text_[pos]] & ~activeBits_ & ~BlockedBits(pos);
    if (candidates == 0) return;
    if (pos + 1 < length_) {
      const unsigned char next = text_[pos + 1];
      const uint64_t breaking = candidates & ~engine_.secondMasks_[next];
      const uint64_t restartable = breaking & engine_.startMasks_[next];
      ForEachBit(restartable, [&](int p) { Block(p, pos, pos + 1); });
      breakingBits_ = breaking & ~restartable;
      breakingPos_ = pos;
      candidates &= ~breaking;
    }
    ForEachBit(candidates, [&](int p) { Start(p, pos); });
  }

  // StartByMasks for a position where no state is under way, when no pattern would
  // start there: the blocking records are set as StartByMasks sets them. Returns false
  // (changing nothing) when some pattern would start.
  bool RejectsStart(int pos) {
    uint64_t candidates = engine_.startMasks_[text_[pos]] & ~BlockedBits(pos);
    if (candidates == 0) return true;
    if (pos + 1 >= length_) return false;
    const unsigned char next = text_[pos + 1];
    const uint64_t breaking = candidates & ~engine_.secondMasks_[next];
    // A pattern whose leading literals break further on is blocked there, as Start does.
    uint64_t starting = candidates & ~breaking;
    ForEachBit(starting, [&](int p) {
      const PatternProgram& program = Program(p);
      if (program.prefixLength < 3) return;
      const int matched = MatchFixedStart(program, text_, length_, pos);
      if (matched >= program.at[0].fixedRun) return;
      Block(p, pos, pos + matched);
      starting &= ~Bit(p);
    });
    if (starting != 0) return false;
    const uint64_t restartable = breaking & engine_.startMasks_[next];
    ForEachBit(restartable, [&](int p) { Block(p, pos, pos + 1); });
    breakingBits_ = breaking & ~restartable;
    breakingPos_ = pos;
    return true;
  }

  // A pattern at its start meets a byte it can start on. One that begins with a run of
  // plain elements is checked against the text ahead instead of being stepped through it.
  void Start(int p, int pos) {
    const PatternProgram& program = Program(p);
    const PatternElement& first = program.at[0];
    MatchState& state = states_[static_cast<size_t>(p)];
    if (!first.IsFixed() || first.fixedRun == 1) {
      if (!StepState(p, pos) && !state.IsReset()) Plan(p, pos);
      if (!state.IsReset()) Activate(p);
      return;
    }
    const int matched = MatchFixedStart(program, text_, length_, pos);
    if (matched < first.fixedRun) {
      Block(p, pos, pos + matched);  // the character at pos + matched breaks the match
      return;
    }
    state.start = base_ + pos;
    state.element = first.next;
    Activate(p);
    if (first.fixedRun > 2) {
      schedules_[static_cast<size_t>(p)] =
          Schedule{Mode::kSleeping, pos + first.fixedRun - 1, pos + 1, first.next};
    }
  }

  void Activate(int p) {
    active_[static_cast<size_t>(p)] = 1;
    activeList_.push_back(p);
    if (!engine_.startMasks_.empty()) activeBits_ |= Bit(p);
  }

  // Records that pattern p stands in a partial match from `from` that breaks at `until`.
  void Block(int p, int from, int until) {
    blockedFrom_[static_cast<size_t>(p)] = from;
    blockedUntil_[static_cast<size_t>(p)] = until;
    if (!engine_.startMasks_.empty()) blockedBits_ |= Bit(p);
    blockedAllUntil_ = std::max(blockedAllUntil_, until);
  }

  uint64_t BlockedBits(int pos) {
    if (blockedAllUntil_ < pos) return blockedBits_ = 0;  // every block has run out
    ForEachBit(blockedBits_, [&](int p) {
      if (blockedUntil_[static_cast<size_t>(p)] < pos) blockedBits_ &= ~Bit(p);
    });
    return blockedBits_;
  }

  // Decides how a state that has just taken the character at i waits for the next ones.
  void Plan(int p, int i) {
    const MatchState& state = states_[static_cast<size_t>(p)];
    const PatternProgram& program = Program(p);
    const PatternElement& e = program.at[static_cast<size_t>(state.element)];
    Schedule& s = schedules_[static_cast<size_t>(p)];
    s.mode = Mode::kAwake;
    if (e.IsFixed()) {
      // The state is decided by the first character that does not match, or else by the
      // run's last character.
      const int matched = MatchFixedRun(program, e, text_, length_, i + 1);
      const int wake = matched == e.fixedRun ? i + e.fixedRun : i + 1 + matched;
      if (wake > i + 1) s = Schedule{Mode::kSleeping, wake, i + 1, state.element};
      return;
    }
    const bool anyRun = e.classId == 0 && (e.kind == Kind::kStar || state.repeats > 0);
    if (!anyRun || (options_.startOnRepeat && state.start < 0)) return;
    const int wake = e.last ? length_ - 1 : e.follower.FindNext(Chars(), length_, i + 1);
    if (wake > i + 1) s = Schedule{Mode::kWaiting, wake, i, 0};
  }

  // Brings a sleeping or waiting state to where the plain scan has it just before the
  // character at pos, and wakes it.
  void CatchUp(int p, int pos) {
    Schedule& s = schedules_[static_cast<size_t>(p)];
    MatchState& state = states_[static_cast<size_t>(p)];
    if (s.mode == Mode::kSleeping) {
      state.element = Advance(p, s.element, pos - s.from);
    } else if (s.mode == Mode::kWaiting) {
      state.repeats += pos - 1 - s.from;
    }
    s.mode = Mode::kAwake;
  }

  int Advance(int p, int element, int count) const {
    for (int k = 0; k < count; ++k) element = Program(p).at[static_cast<size_t>(element)].next;
    return element;
  }

  // Before the scan jumps anywhere but pos: every state is brought to where the plain
  // scan has it, and a pattern that was blocked or never started becomes the partial
  // match it stands for.
  void WakeAll(int pos) {
    for (int p : activeList_) CatchUp(p, pos);
    for (int p = 0; p < static_cast<int>(states_.size()); ++p) {
      const bool blocked = blockedUntil_[static_cast<size_t>(p)] >= pos;
      const bool breaking = breakingPos_ == pos - 1 && (breakingBits_ & Bit(p)) != 0;
      if (!blocked && !breaking) continue;
      const int from = blocked ? blockedFrom_[static_cast<size_t>(p)] : breakingPos_;
      MatchState& state = states_[static_cast<size_t>(p)];
      state.start = base_ + from;
      state.element = Advance(p, 0, pos - from);
      Activate(p);
    }
    Unblock([](int) { return true; });
  }

  // Forgets the partial matches of blocked and unstarted patterns that began where
  // `abandoned` says.
  template <typename Predicate>
  void Unblock(Predicate abandoned) {
    const auto unblock = [&](int p) {
      if (blockedUntil_[static_cast<size_t>(p)] >= 0 &&
          abandoned(blockedFrom_[static_cast<size_t>(p)])) {
        blockedUntil_[static_cast<size_t>(p)] = -1;
        blockedBits_ &= ~Bit(p);
      }
    };
    if (engine_.startMasks_.empty()) {
      for (int p = 0; p < static_cast<int>(blockedUntil_.size()); ++p) unblock(p);
    } else {
      ForEachBit(blockedBits_, unblock);
    }
    if (abandoned(breakingPos_)) breakingBits_ = 0;
  }

  // Every pattern starts afresh.
  void ResetAll() {
    if (engine_.fastScan_) {
      for (int p : activeList_) states_[static_cast<size_t>(p)].Reset();
    } else {
      for (MatchState& state : states_) state.Reset();
    }
    Unblock([](int) { return true; });
  }

  void DropResetStates() {
    size_t kept = 0;
    for (int p : activeList_) {
      if (states_[static_cast<size_t>(p)].IsReset()) {
        active_[static_cast<size_t>(p)] = 0;
        activeBits_ &= ~Bit(p);
        schedules_[static_cast<size_t>(p)].mode = Mode::kAwake;
      } else {
        activeList_[kept++] = p;
      }
    }
    activeList_.resize(kept);
  }

  // Hands the matches completed at pos to Apply, in the order the patterns were added.
  // Returns the position at which the scan goes on; sets `stop` when the run ends here.
  int VisitCompletions(int pos, int& matches, bool& stop) {
    std::sort(completed_.begin(), completed_.end());
    int index = engine_.Logical(pos);
    engine_.FlushThrough(index);  // the in-place engine's handlers see the text up to here
    bool changed = false;
    for (int p : completed_) {
      MatchState& state = states_[static_cast<size_t>(p)];
      if (!state.matched) continue;  // abandoned after an earlier change at this index
      const int appliedStart = state.start;
      const int copiedBefore = engine_.copyPos_;
      const HandlerResult result = engine_.Apply(engine_.PatternAt(p), state, index);
      ++matches;
      state.Reset();
      if (engine_.IsCopying() && engine_.copyPos_ > copiedBefore) AbandonCopied();
      if (result == HandlerResult::kChanged) {
        changed = true;
        // Needless when every state is about to be reset anyway.
        if (!options_.firstPatternOnly || !options_.resetAfterChange) {
          AbandonAfterChange(appliedStart);
        }
      }
      if (result == HandlerResult::kStop || options_.stopAfterMatch) stop = true;
      if (options_.firstPatternOnly) break;
    }
    for (int p : completed_) {
      if (states_[static_cast<size_t>(p)].matched) states_[static_cast<size_t>(p)].Reset();
    }
    if (changed && options_.resetAfterChange) ResetAll();
    if (engine_.fastScan_) DropResetStates();
    const int logical = changed && options_.restartAfterChange ? 0 : index + 1;
    return engine_.ContinueAt(logical);
  }

  // Text up to the copy position is in the output already, whatever the handler answered:
  // a match that began there could only copy it again, so it is abandoned.
  void AbandonCopied() {
    const int copied = engine_.copyPos_;
    const auto abandoned = [copied](int start) { return start >= 0 && start < copied; };
    for (MatchState& state : states_) {
      if (abandoned(state.start)) state.Reset();
    }
    Unblock(abandoned);
  }

  // After a change, a state whose match began before the applied one is abandoned. The
  // in-place engine abandons every state: its text moved under them.
  void AbandonAfterChange(int appliedStart) {
    const auto abandoned = [&](int start) {
      return !engine_.IsCopying() || (start >= 0 && start < appliedStart);
    };
    for (MatchState& state : states_) {
      if (abandoned(state.start)) state.Reset();
    }
    Unblock(abandoned);
  }

  const char* Chars() const { return reinterpret_cast<const char*>(text_); }

  PatternEngine& engine_;
  const RunOptions options_;
  std::vector<MatchState>& states_;
  std::vector<Schedule> schedules_;
  std::vector<char> active_;     // by pattern: the state is not at its start
  std::vector<int> activeList_;  // those patterns
  std::vector<int> completed_;   // patterns that completed a match at the current position
  // By pattern: it stands in a partial match that begins at blockedFrom_ and breaks at
  // blockedUntil_ (-1: none), so it cannot start before blockedUntil_ + 1.
  std::vector<int> blockedUntil_;
  std::vector<int> blockedFrom_;
  // With at most 64 patterns: the same as bits, and the patterns that began a partial match
  // at breakingPos_ that breaks on the next character.
  uint64_t activeBits_ = 0;
  uint64_t blockedBits_ = 0;
  int blockedAllUntil_ = -1;  // no pattern is blocked beyond this position
  uint64_t breakingBits_ = 0;
  int breakingPos_ = -1;
  const unsigned char* text_ = nullptr;
  int length_ = 0;
  int base_ = 0;
  int nextStart_ = -1;  // the next byte that can start a pattern, once looked up
};

// --- PatternEngine ----------------------------------------------------------------------

PatternEngine::PatternEngine() : PatternEngine(false) {}

PatternEngine::PatternEngine(bool copying) : copying_(copying), fastScan_(!PlainScanRequested()) {}

bool PatternEngine::PlainScanRequested() {
  static const bool requested = [] {
    const char* value = std::getenv("QUORLEX_PLAIN_SCAN");
    return value != nullptr && std::string_view(value) == "1";
  }();
  return requested;
}

PatternEngine::~PatternEngine() = default;

WildcardPattern* PatternEngine::AddPattern(PatternType type, const char* text,
                                           const char* replacement, int caseSensitive) {
  return AddPattern(type, text, replacement, caseSensitive, nullptr, nullptr);
}

WildcardPattern* PatternEngine::AddPattern(PatternType type, const char* text,
                                           const char* replacement, int caseSensitive,
                                           PatternHandler handler, void* userData) {
  if (locked || CheckPatternSyntax(text) != 0) return nullptr;
  auto pattern = std::make_unique<WildcardPattern>();
  pattern->type = type;
  pattern->id = nextId_++;
  CompilePattern(text, caseSensitive, *pattern);
  if (replacement != nullptr) pattern->replacement = replacement;
  pattern->caseSensitive = caseSensitive;
  pattern->handler = handler;
  pattern->userData = userData;
  patterns_.push_back(std::move(pattern));
  states_.emplace_back();
  startIndexValid_ = false;
  return patterns_.back().get();
}

void PatternEngine::ClearPatterns() {
  if (locked) return;
  patterns_.clear();
  states_.clear();
  nextId_ = 1;
  matchCount_ = 0;
  out_.Clear();
  result_.Clear();
  startIndexValid_ = false;
}

void PatternEngine::IndexStartBytes() {
  startOffsets_.assign(257, 0);
  startPatterns_.clear();
  anyStartBytes_ = ByteSet();
  for (int b = 0; b < 256; ++b) {
    startOffsets_[static_cast<size_t>(b)] = static_cast<int>(startPatterns_.size());
    for (size_t p = 0; p < patterns_.size(); ++p) {
      if (patterns_[p]->program.startBytes.Contains(static_cast<unsigned char>(b))) {
        startPatterns_.push_back(static_cast<int>(p));
        anyStartBytes_.Add(static_cast<unsigned char>(b));
      }
    }
  }
  startOffsets_[256] = static_cast<int>(startPatterns_.size());

  IndexStartMasks();
  startIndexValid_ = true;
}

void PatternEngine::IndexStartMasks() {
  startMasks_.clear();
  secondMasks_.clear();
  startFollowers_ = ByteSet();
  if (patterns_.size() > 64) {
    for (int b = 0; b < 256; ++b) startFollowers_.Add(static_cast<unsigned char>(b));
    return;
  }
  startMasks_.assign(256, 0);
  secondMasks_.assign(256, 0);
  for (size_t p = 0; p < patterns_.size(); ++p) {
    const PatternProgram& program = patterns_[p]->program;
    const PatternElement& first = program.at[0];
    const bool checksSecond = first.IsFixed() && first.fixedRun > 1;
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const uint64_t bit = uint64_t{1} << p;
      if (program.startBytes.Contains(byte)) startMasks_[static_cast<size_t>(b)] |= bit;
      if (!checksSecond || Takes(program.at[static_cast<size_t>(first.next)], byte)) {
        secondMasks_[static_cast<size_t>(b)] |= bit;
      }
    }
  }
  for (int b = 0; b < 256; ++b) {
    if ((secondMasks_[static_cast<size_t>(b)] | startMasks_[static_cast<size_t>(b)]) != 0) {
      startFollowers_.Add(static_cast<unsigned char>(b));
    }
  }
}

int PatternEngine::Search(const char* text, int length, const RunOptions* options) {
  for (auto& pattern : patterns_) {
    pattern->matchesInRun = 0;
    pattern->appliedInRun = 0;
  }
  for (MatchState& state : states_) state.Reset();
  result_.Clear();
  matchCount_ = 0;
  if (text == nullptr || length <= 0 || patterns_.empty()) return 0;
  if (!startIndexValid_) IndexStartBytes();

  text_ = text;
  textLength_ = length;
  copyPos_ = 0;
  out_.Clear();
  out_.Reserve(length);
  const RunOptions defaults;
  matchCount_ = Scan(*this, options != nullptr ? *options : defaults).Run();
  if (matchCount_ > 0) Finish();
  out_.Clear();
  rescanned_.Clear();
  text_ = nullptr;
  textLength_ = 0;
  copyPos_ = 0;
  return matchCount_;
}

void PatternEngine::Finish() {
  CopyTo(textLength_);
  result_.Swap(out_);
  out_.Clear();
  copyPos_ = 0;
}

HandlerResult PatternEngine::Apply(WildcardPattern& pattern, MatchState& state, int& index) {
  if (!state.matched) return HandlerResult::kUnchanged;
  ++pattern.appliedTotal;
  ++pattern.appliedInRun;
  switch (pattern.type) {
    case PatternType::kReplace:
    case PatternType::kDelete:
      return ReplaceMatch(pattern, state, index);
    case PatternType::kInsertAfter:
    case PatternType::kInsertBefore:
      return InsertAtMatch(pattern, state, index);
    case PatternType::kHandler:
    case PatternType::kCopyHandler: {
      if (pattern.handler == nullptr) return HandlerResult::kUnchanged;
      const char* working = copying_ ? text_ : out_.Data();
      return pattern.handler(*this, pattern, state, working, index, pattern.userData);
    }
  }
  return HandlerResult::kUnchanged;
}

HandlerResult PatternEngine::ReplaceMatch(WildcardPattern& pattern, MatchState& state, int& index) {
  return ReplaceRange(state, index, pattern.replacement ? pattern.replacement->c_str() : "");
}

HandlerResult PatternEngine::InsertAtMatch(WildcardPattern& pattern, MatchState& state,
                                           int& index) {
  if (!state.IsUsable(WorkingLength()) || !pattern.replacement) return HandlerResult::kUnchanged;
  const std::string& text = *pattern.replacement;
  const int length = static_cast<int>(text.size());
  FlushThrough(state.end);
  const int at = pattern.type == PatternType::kInsertAfter ? state.end + 1 : state.start;
  out_.Splice(at, 0, text.data(), length);
  index = state.end + length;
  return HandlerResult::kChanged;
}

HandlerResult PatternEngine::ReplaceRange(const MatchState& state, int& index,
                                          const char* replacement) {
  assert(!copying_ && "the copying engine never edits its working text");
  if (copying_ || !state.IsUsable(WorkingLength())) return HandlerResult::kUnchanged;
  const int length = replacement == nullptr ? 0 : static_cast<int>(std::strlen(replacement));
  FlushThrough(state.end);
  const TextString copy(replacement);  // the replacement may come from the working text
  out_.Splice(state.start, state.end - state.start + 1, copy.Data(), length);
  index = state.start + length - 1;
  return HandlerResult::kChanged;
}

int PatternEngine::WorkingLength() const {
  return copying_ ? textLength_ : out_.Length() + textLength_ - copyPos_;
}

int PatternEngine::Logical(int physical) const {
  return copying_ ? physical : physical + out_.Length() - copyPos_;
}

void PatternEngine::CopyTo(int physical) {
  const int upTo = std::min(physical, textLength_);
  if (upTo <= copyPos_) return;
  out_.AppendBytes(text_ + copyPos_, upTo - copyPos_);
  copyPos_ = upTo;
}

void PatternEngine::FlushThrough(int last) {
  if (copying_ || last < out_.Length()) return;
  CopyTo(copyPos_ + (last - out_.Length()) + 1);
}

int PatternEngine::ContinueAt(int logical) {
  if (logical < 0) logical = 0;
  if (copying_ || logical >= out_.Length()) return logical - Logical(0);
  // The scan steps back into text already moved to the output: from there on, output and
  // unscanned rest together become the text to scan.
  TextString rest;
  rest.AppendBytes(out_.Data() + logical, out_.Length() - logical);
  rest.AppendBytes(text_ + copyPos_, textLength_ - copyPos_);
  rescanned_.Swap(rest);
  out_.Mid(0, logical);
  text_ = rescanned_.Data();
  textLength_ = rescanned_.Length();
  copyPos_ = 0;
  return 0;
}

// --- CopyPatternEngine ------------------------------------------------------------------

CopyPatternEngine::CopyPatternEngine() : PatternEngine(true) {}

WildcardPattern* CopyPatternEngine::AddPattern(PatternType type, const char* text,
                                               const char* replacement, int caseSensitive) {
  const int code = static_cast<int>(type);
  if (code < 1 || code > 4) return nullptr;
  return PatternEngine::AddPattern(type, text, replacement, caseSensitive, nullptr, nullptr);
}

WildcardPattern* CopyPatternEngine::AddPattern(PatternType type, const char* text,
                                               const char* replacement, int caseSensitive,
                                               PatternHandler handler, void* userData) {
  if (type != PatternType::kCopyHandler) return nullptr;
  return PatternEngine::AddPattern(type, text, replacement, caseSensitive, handler, userData);
}

int CopyPatternEngine::Run(const char* text, int length, const RunOptions* options) {
  if (PatternCount() == 0) return 0;
  RunOptions forced;
  forced.firstPatternOnly = 1;
  forced.resetAfterChange = 1;
  forced.restartAfterChange = options != nullptr ? options->restartAfterChange : 0;
  forced.stopAfterMatch = options != nullptr ? options->stopAfterMatch : 0;
  forced.startOnRepeat = options != nullptr ? options->startOnRepeat : 1;
  return Search(text, length, &forced);
}

HandlerResult CopyPatternEngine::ReplaceMatch(WildcardPattern& pattern, MatchState& state,
                                              int& index) {
  const bool keepsText = pattern.type != PatternType::kDelete && pattern.replacement;
  EmitReplacement(state, index, keepsText ? pattern.replacement->c_str() : "");
  return HandlerResult::kChanged;
}

HandlerResult CopyPatternEngine::InsertAtMatch(WildcardPattern& pattern, MatchState& state,
                                               int& index) {
  const bool after = pattern.type == PatternType::kInsertAfter;
  CopyTo(after ? state.end + 1 : state.start);
  if (pattern.replacement) Output().Append(pattern.replacement->c_str());
  // Inserting after: the match has been copied. Inserting before: the match follows.
  if (after) SetCopyPosition(state.end + 1);
  index = state.end;
  return HandlerResult::kChanged;
}

void CopyPatternEngine::EmitReplacement(const MatchState& state, int& index,
                                        const char* replacement) {
  CopyTo(state.start);
  Output().Append(replacement);
  SetCopyPosition(state.end + 1);
  index = state.end;
}

}  // namespace quorlex
