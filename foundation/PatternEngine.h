#pragma once

// The pattern engines: many wildcard patterns run over one text in a single left-to-right
// pass. Every pattern has a MatchState that is fed one character at a time; all patterns
// see a character before the scan moves on. A completed match is handed to Apply, which
// replaces, deletes or inserts text, or calls the pattern's handler.
//
// Two engines share the scan:
//  - PatternEngine, the in-place engine, edits the working text itself; its handlers
//    (type 5) may rewrite any part of the text already scanned (ReplaceRange).
//  - CopyPatternEngine, the copying engine, never edits the working text: it builds the
//    result by copying the text between matches and appending replacements (type 6
//    handlers call EmitReplacement).
//
// How the working text is held. The scanned part and the rest are kept apart: the text up
// to the scan index lives in an output buffer, where edits land, and the rest is read
// where it stands (the caller's text). Moving on copies text to the output only when a
// match needs it, so an edit never shifts the unscanned rest of a large document; the
// copying engine's output is the same buffer, filled by its own rules.
//
// How the scan stays fast. While every pattern stands at its start, the scan jumps to the
// next byte that can begin one of them (memchr for one byte, vector compares for a few).
// A state in the middle of a run of plain characters sleeps until the character that will
// decide it, once the text ahead has been checked; a state inside "**" waits for the next
// byte at which the element after it could take over. Results are exactly those of feeding
// every character to every pattern, which the engine can also do (UseFastScan(false)).

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/TextString.h"
#include "foundation/WildcardPattern.h"

namespace quorlex {

// How a run treats matches, in this order. The de-tagging phases pass {1, 1, 0, 0, 0},
// which is also what a run without options does.
struct RunOptions {
  int firstPatternOnly = 1;    // apply only the first pattern that completes at an index
  int resetAfterChange = 1;    // after a change, every pattern starts afresh
  int restartAfterChange = 0;  // after a change, scan again from the first character
  int stopAfterMatch = 0;      // end the run after the first index with a match
  int startOnRepeat = 0;       // a leading repetition records where the match starts
};

class PatternEngine {
 public:
  PatternEngine();
  virtual ~PatternEngine();
  PatternEngine(const PatternEngine&) = delete;
  PatternEngine& operator=(const PatternEngine&) = delete;

  // Adds a pattern without a handler (the second form with no handler).
  virtual WildcardPattern* AddPattern(PatternType type, const char* text, const char* replacement,
                                      int caseSensitive);
  // Adds a pattern; returns it (owned by the engine), or null when the engine is locked or
  // CheckPatternSyntax refuses the text. Both texts are copied.
  virtual WildcardPattern* AddPattern(PatternType type, const char* text, const char* replacement,
                                      int caseSensitive, PatternHandler handler, void* userData);
  // Ends a run with matches: the rest of the working text goes to the output, which
  // becomes the result.
  virtual void Finish();
  // Carries out a completed match: counts it as applied and dispatches by type (types 1
  // and 4 to ReplaceMatch, 2 and 3 to InsertAtMatch, 5 and 6 to the handler). Unchanged
  // when the state is not matched, there is no handler or the type is unknown.
  virtual HandlerResult Apply(WildcardPattern& pattern, MatchState& state, int& index);
  // In place: the match becomes the replacement (types 1 and 4).
  virtual HandlerResult ReplaceMatch(WildcardPattern& pattern, MatchState& state, int& index);
  // In place: the replacement goes after (type 2) or before (type 3) the match; the index
  // moves to the end of the match, past the inserted text.
  virtual HandlerResult InsertAtMatch(WildcardPattern& pattern, MatchState& state, int& index);

  // Removes every pattern, unless the engine is locked.
  void ClearPatterns();

  // Runs every pattern over text[0, length) and returns the number of completed matches
  // handed to Apply; when it is not 0 the transformed text is in Result(). Null options
  // mean {1, 1, 0, 0, 0}. A null or empty text gives 0. The text must stay unchanged
  // during the run.
  int Search(const char* text, int length, const RunOptions* options);
  int Search(const TextString& text, const RunOptions* options) {
    return Search(text.Data(), text.Length(), options);
  }

  // Used by type-5 handlers: replaces the characters state.start..state.end of the working
  // text (any part of it up to the scan index) with `replacement` and sets index to the
  // last character written (start - 1 for an empty replacement). Unchanged when the state
  // is not usable.
  HandlerResult ReplaceRange(const MatchState& state, int& index, const char* replacement);

  // Length of the working text during a run.
  int WorkingLength() const;

  const TextString& Result() const { return result_; }
  // Moves the result into `into` without copying it.
  void TakeResult(TextString& into) { into.Swap(result_); }

  // Buffers a caller lends for one run, so that the lists applied one after another to a
  // large text share two buffers instead of each keeping one: LendBuffer before Run hands
  // `spare` to the engine; ReturnBuffer after Run (and TakeResult) gives back the largest
  // buffer the engine holds, which no longer holds anything it needs.
  void LendBuffer(TextString& spare) { out_.Swap(spare); }
  void ReturnBuffer(TextString& spare) {
    TextString& idle = result_.Capacity() >= out_.Capacity() ? result_ : out_;
    spare.Swap(idle);
    idle = TextString();
  }

  int PatternCount() const { return static_cast<int>(patterns_.size()); }
  WildcardPattern& PatternAt(int i) { return *patterns_[static_cast<size_t>(i)]; }

  // On by default. Off, every character is fed to every pattern: the plain scan that the
  // fast one must agree with.
  void UseFastScan(bool on) { fastScan_ = on; }
  // Whether the environment asks for the plain paths everywhere (QUORLEX_PLAIN_SCAN=1):
  // every engine then starts with the plain scan, so a whole conversion can be checked
  // against the fast one.
  static bool PlainScanRequested();

  // Set by the owner once its pattern set is complete: AddPattern and ClearPatterns are
  // then refused until it is cleared again.
  bool locked = false;

 protected:
  explicit PatternEngine(bool copying);

  // Copies the working text from the copy position up to (not including) `physical`, a
  // position in the text being scanned, to the output.
  void CopyTo(int physical);
  // Output buffer and copy position, for the copying engine's operations.
  TextString& Output() { return out_; }
  void SetCopyPosition(int physical) {
    if (physical > copyPos_) copyPos_ = physical < textLength_ ? physical : textLength_;
  }

 private:
  class Scan;

  bool IsCopying() const { return copying_; }
  // Working-text index of a position of the scanned text, and back.
  int Logical(int physical) const;
  // Makes sure the output holds the working text up to and including logical index
  // `last`.
  void FlushThrough(int last);
  // The position of the scanned text at which the scan goes on with working-text index
  // `logical`. For an index inside the output (a handler stepped back, or a restart) the
  // working text from there on becomes the scanned text.
  int ContinueAt(int logical);
  // Lists, per byte, the patterns that can start on it (built when the patterns change).
  void IndexStartBytes();
  // The masks and followers below, for the start bytes just indexed.
  void IndexStartMasks();

  const bool copying_;
  bool fastScan_ = true;
  std::vector<std::unique_ptr<WildcardPattern>> patterns_;
  std::vector<MatchState> states_;
  int nextId_ = 1;
  int matchCount_ = 0;

  // Patterns by the bytes they can start on: the indexes for byte b are
  // startPatterns_[startOffsets_[b] .. startOffsets_[b + 1]), in the order of adding.
  bool startIndexValid_ = false;
  std::vector<int> startOffsets_;
  std::vector<int> startPatterns_;
  ByteSet anyStartBytes_;
  // The bytes after a start byte on which some pattern can go on, or start anew: at a
  // start byte followed by any other, every pattern fails at once, and the scan passes
  // it by. Every byte for engines larger than the masks below.
  ByteSet startFollowers_;
  // For at most 64 patterns, one bit per pattern and byte: startMasks_ the patterns that
  // can start on the byte, secondMasks_ those whose second element (when they begin with
  // two or more plain elements) takes it. Empty for larger engines.
  std::vector<uint64_t> startMasks_;
  std::vector<uint64_t> secondMasks_;

  // The working text during a run: out_ holds its first part (copyPos_ characters of the
  // scanned text, as edited), the scanned text from copyPos_ on the rest.
  const char* text_ = nullptr;
  int textLength_ = 0;
  int copyPos_ = 0;
  TextString out_;
  TextString rescanned_;  // owns the scanned text after ContinueAt stepped back
  TextString result_;
};

// The copying engine. Types 1 to 4 through the four-argument AddPattern, type 6 through
// the handler form.
class CopyPatternEngine : public PatternEngine {
 public:
  CopyPatternEngine();

  WildcardPattern* AddPattern(PatternType type, const char* text, const char* replacement,
                              int caseSensitive) override;
  WildcardPattern* AddPattern(PatternType type, const char* text, const char* replacement,
                              int caseSensitive, PatternHandler handler, void* userData) override;
  HandlerResult ReplaceMatch(WildcardPattern& pattern, MatchState& state, int& index) override;
  HandlerResult InsertAtMatch(WildcardPattern& pattern, MatchState& state, int& index) override;

  // Runs the patterns with firstPatternOnly and resetAfterChange always on, the other
  // flags from `options` (null: none, but startOnRepeat on). Returns 0 at once when there
  // are no patterns.
  int Run(const char* text, int length, const RunOptions* options);
  int Run(const TextString& text, const RunOptions* options) {
    return Run(text.Data(), text.Length(), options);
  }

  // Used by type-6 handlers: copies the text before the match to the output, appends
  // `replacement` (null or empty: nothing), continues after the match and sets index to
  // its end. Text already copied is never copied again. The handler then answers
  // kUnchanged: the working text itself did not change.
  void EmitReplacement(const MatchState& state, int& index, const char* replacement);
};

}  // namespace quorlex
