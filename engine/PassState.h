#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/HiddenElements.h"
#include "engine/IndentLevels.h"
#include "engine/TagRemover.h"
#include "foundation/MessageChannel.h"
#include "foundation/PatternEngine.h"
#include "policies/QuorlOptions.h"
#include "textformat/DocumentInfo.h"
#include "textformat/TextBlockStore.h"
#include "textformat/UrlReferenceList.h"

namespace quorlex {

struct PassState;

// How every pattern list of the phases is run: first pattern only, reset after a change.
inline constexpr RunOptions kListRunOptions{};

// What a list tag does: opens a list, starts an item or ends a list.
enum class ListTag { kOpen, kItem, kEnd };

// What a tag of a definition list does.
enum class DefinitionTag {
  kListOpens,
  kTermStarts,
  kTermEnds,
  kDefinitionStarts,
  kDefinitionEnds,
  kListCloses,
};

// Which of the two tags of a heading the heading handler was given.
enum class HeadingTag { kOpening, kClosing };

// What a tag of the in-line list is to its handler: a font or span tag, which goes, or a tag
// of pre-formatted text, which stays and says where such text begins or ends.
enum class InLineTag { kFontOrSpan, kOpensPreformatted, kClosesPreformatted };

// What a handler of the pattern lists receives as its user datum: the pass, and what its
// entry says besides. Each handler reads the one field meant for it; the others keep their
// defaults.
struct HandlerDatum {
  PassState* pass = nullptr;
  ListTag listTag = ListTag::kOpen;                         // list handler
  DefinitionTag definitionTag = DefinitionTag::kListOpens;  // definition list handler
  const TextString* marker = nullptr;                       // block handler: what it inserts
  HeadingTag headingTag = HeadingTag::kOpening;             // heading handler
  InLineTag inLineTag = InLineTag::kFontOrSpan;             // in-line tag handler
  char raisedMark = '^';  // raised text handler: '^' for superscripts, '_' for subscripts
};

// Finds the text between two wildcard patterns, keeping every pattern it compiled for the
// next call: the handlers ask for the same few attributes of thousands of tags.
class Extractor {
 public:
  // `out` becomes the text between the end of the first match of `startPattern` and the
  // beginning of the next match of `endPattern` (both ignoring case). Returns 1 when both
  // were found; otherwise `out` is empty.
  int ExtractBetween(const TextString& text, const char* startPattern, const char* endPattern,
                     TextString& out);
  // The value of attribute `name` in `tag`: quoted values without their quotes, unquoted
  // ones up to the first blank. Returns 1 when the value is not empty.
  int GetAttribute(const char* name, const TextString& tag, TextString& out);

 private:
  // The start of the first match of `pattern` in text[from, ...), and its end; -1 if none.
  int FindMatch(const char* pattern, const TextString& text, int from, int& end);

  std::map<std::string, std::unique_ptr<CopyPatternEngine>> engines_;
  // The buffer the engines' runs share, kept between searches up to this size.
  static constexpr int kKeptBufferBytes = 1 << 20;
  TextString spare_;
};

// The lists of the pattern table, rebuilt for every pass from its options.
struct PatternLists {
  CopyPatternEngine meta;
  CopyPatternEngine styleSheetLink;
  CopyPatternEngine head;
  CopyPatternEngine outsideHead;  // what belongs in a head, where it stands outside one
  CopyPatternEngine comment;
  CopyPatternEngine style;
  CopyPatternEngine form;
  CopyPatternEngine inLine;
  CopyPatternEngine listTag;
  CopyPatternEngine image;
  CopyPatternEngine link;
  CopyPatternEngine highlight;
  CopyPatternEngine paragraph;
  CopyPatternEngine block;
  PatternEngine heading;  // its handler rewrites the text in place
  CopyPatternEngine dialogue0;
  CopyPatternEngine dialogue1;
  CopyPatternEngine dialogue2;
  CopyPatternEngine table;
  CopyPatternEngine sentence;
  CopyPatternEngine softBreak;
  CopyPatternEngine markerBlank;
  CopyPatternEngine marker;
};

// Everything one output pass works with besides its text: the options, the facts about the
// document, the URL references and text blocks, the state of the list and heading
// handlers, the pass flags, the pattern lists and where messages go. One object per pass;
// the handlers reach it through their datum, so two passes can run on two threads.
struct PassState {
  static constexpr int kMaxListDepth = 10;
  // List styles.
  enum ListStyle { kBulleted, kDecimal, kLowerLetters, kUpperLetters, kLowerRoman, kUpperRoman };

  PassState();
  PassState(const PassState&) = delete;
  PassState& operator=(const PassState&) = delete;

  // Clears what a new pass starts without: the handler state, the pass flags, the URL list,
  // the text blocks and the document facts. The options are set by the caller.
  void Reset();

  // The text through the tag remover with the built-in options (as titles and link texts
  // are), keeping the pass's UTF-8 setting and taking over its Unicode flag.
  TextString WithoutTags(const TextString& text);
  // The text with its entities converted as WithoutTags converts them (an attribute value, a
  // link text whose tags are gone); anything else stays.
  TextString Decoded(const TextString& text);

  // A report (level 1 to 10) and a status line, to the conversion's messages.
  void Message(const char* message, int level) const;
  void Status(const char* message) const;

  // A lasting copy of `entry` that points back to this pass, for a handler entry; it lives
  // until ForgetData (when the lists are rebuilt).
  HandlerDatum* Datum(HandlerDatum entry);
  void ForgetData() { data_.clear(); }

  QuorlOptions options;
  DocumentInfo info;
  UrlReferenceList urls;
  TextBlockStore blocks;
  MessageFunction report;
  MessageCallback status;

  // The list handler: the depth, and per depth the style and the item counter.
  int listDepth = 0;
  int listStyle[kMaxListDepth + 1] = {};
  int itemCounter[kMaxListDepth + 1] = {};
  // The definition list handler: the depth of open lists, and per depth whether a
  // definition is open (depth 0 holds terms and definitions outside any list).
  int definitionDepth = 0;
  bool definitionOpen[kMaxListDepth + 1] = {};
  // The heading handler: where the open heading starts (-1: none) and its level.
  int headingStart = -1;
  int headingLevel = 0;
  // The in-line tag handler: whether the text it has reached is pre-formatted.
  bool inLinePreformatted = false;
  int preformattedTagsSeen = 0;
  // The hidden-element handler: where the elements of the text it runs over end (cleared
  // before every run of its list).
  ElementEnds elementEnds{HidesElement};  // asked only where hidden elements end
  // The character set the META handler found.
  TextString foundCharacterSet;
  DocumentEncoding encoding;

  int paragraphMarkersInserted = 0;
  // The second stage joined the lines of the source: only breaks of the markup end lines.
  bool sourceLinesJoined = false;
  int punctuationFold = 1;
  int nestedTableRequest = 0;
  // The table handler: the indentation at the last table of this run of the table list,
  // and how far the text has been followed to find it.
  IndentLevels tableLevels;
  size_t tableLevelsFollowed = 0;
  int deepestNesting = 0;
  int averageLineLength = 80;

  PatternLists lists;
  // The options the lists were built for (BuildPatternLists keeps lists built for equal
  // options).
  QuorlOptions listsOptions;
  bool listsBuilt = false;
  Extractor extractor;
  TagRemover tagRemover;
  // The spare buffer the lists take turns with (Apply lends it to each run).
  TextString spareBuffer;

 private:
  std::deque<HandlerDatum> data_;
  // WithoutTags's options: the built-in ones, made once, with the pass's output setting.
  QuorlOptions builtInOptions_ = QuorlOptions::BuiltIn();
};

}  // namespace quorlex
