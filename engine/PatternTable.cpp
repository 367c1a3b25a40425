#include "engine/PatternTable.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

#include "engine/HiddenElements.h"
#include "engine/Tables.h"
#include "engine/TagHandlers.h"
#include "foundation/Utf8.h"
#include "textformat/DialogueLists.h"
#include "textformat/Markers.h"

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

HandlerDatum* PassState::Datum(const char* word, const TextString* marker, int variable) {
  data_.push_back(HandlerDatum{this, word, marker, variable});
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
  if (from >= text.Length() || engine.Run(text.Data() + from, text.Length() - from, nullptr) == 0) {
    return -1;
  }
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
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Where the value of attribute `name` begins in " " + tag + ">" (positions counted in that
// text): just after the "=" of the first place where white space, the name (ignoring
// case), optional white space and "=" follow one another, as the wildcard patterns
// "?W<name>*W=" and ">" find it. -1 when none.
int AttributeValueStart(std::string_view tag, std::string_view name) {
  enum { kIdle, kBlanks, kName, kBeforeEquals } state = kIdle;
  size_t matched = 0;
  const size_t length = tag.size() + 2;
  for (size_t i = 0; i < length; ++i) {
    const char c = i == 0 ? ' ' : i == length - 1 ? '>' : tag[i - 1];
    if (state == kName) {
      if (UpperAscii(c) == UpperAscii(name[matched])) {
        if (++matched == name.size()) state = kBeforeEquals;
        continue;
      }
      state = kIdle;  // the character that broke the match may start the next one
    } else if (state == kBeforeEquals) {
      if (c == '=') return static_cast<int>(i + 1);
      if (IsPatternBlank(c)) continue;
      state = kIdle;
    } else if (state == kBlanks) {
      if (!name.empty() && UpperAscii(c) == UpperAscii(name[0])) {
        matched = 1;
        state = matched == name.size() ? kBeforeEquals : kName;
        continue;
      }
      if (!IsPatternBlank(c)) state = kIdle;
      continue;
    }
    if (IsPatternBlank(c)) state = kBlanks;
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
  value.Trim(0, " \n\r");
  if (value.IsEmpty()) return 0;
  const char quote = value[0];
  int close = -1;
  if (quote == '"' || quote == '\'') {
    const int found = value.FindChar(1, quote, close, 1);
    out.AssignBytes(value.Data() + 1, (found ? close : value.Length()) - 1);
  } else {
    int blank = -1;
    const int found = value.FindChar(0, ' ', blank, 1);
    out.AssignBytes(value.Data(), found ? blank : value.Length());
  }
  return out.IsEmpty() ? 0 : 1;
}

int ExtractBetween(const TextString& text, const char* startPattern, const char* endPattern,
                   TextString& out) {
  Extractor extractor;
  return extractor.ExtractBetween(text, startPattern, endPattern, out);
}

int GetAttribute(const char* name, const TextString& tag, TextString& out) {
  Extractor extractor;
  return extractor.GetAttribute(name, tag, out);
}

// --- ResolveUrl -------------------------------------------------------------------------

void ResolveUrl(const TextString& link, const TextString& base, TextString& out) {
  if (base.IsEmpty()) {
    out = link;
    return;
  }
  const bool absolute = link.FindNoCase("://") || link.FindNoCase("javascript:") ||
                        link.FindNoCase("news:") || link.FindNoCase("mailto:") ||
                        link.Contains('@');
  if (absolute) {
    out = link;
    return;
  }
  // The site: the scheme and host of the base, or its first field.
  TextString site;
  TextString field;
  if (base.FindNoCase("://") != nullptr && base.GetToken(1, ':', site)) {
    site += "://";
    if (base.GetToken(3, '/', field)) site += field;
  } else if (base.GetToken(1, '/', field)) {
    site = field;
  }
  site += "/";
  // The directories: the fields of the base's path but its last, which names a page. A
  // base ending in "/" names a directory, all of whose fields are directories.
  TextString path(base);
  path.Replace(0, site.Data(), "", 1, 1, nullptr, nullptr);
  int cut = -1;
  if (path.FindChar(0, '#', cut, 1)) path.Mid(0, cut);
  if (path.FindChar(0, '?', cut, 1)) path.Mid(0, cut);
  std::vector<TextString> directories;
  for (int n = 1; path.GetToken(n, '/', field); ++n) directories.push_back(field);
  if (!directories.empty() && !path.IsEmpty() && path[path.Length() - 1] != '/') {
    directories.pop_back();
  }

  TextString result;
  TextString rest(link);
  size_t keep = directories.size();
  if (link.StartsWith("/", 1)) {
    result.AssignBytes(site.Data(), site.Length() - 1);
    keep = 0;
  } else {
    size_t ups = 0;
    while (rest.StartsWith("../", 1)) {
      rest.Mid(3, rest.Length());
      ++ups;
    }
    keep = ups >= keep ? 0 : keep - ups;
    result = site;
  }
  for (size_t d = 0; d < keep; ++d) {
    result += directories[d];
    result += "/";
  }
  result += rest;
  out.Swap(result);
}

// --- BuildPatternLists ------------------------------------------------------------------

namespace {

// Empties one list and adds its entries; the list is locked again once complete, so that
// nothing is added to it by mistake until the next pass rebuilds it.
class ListBuilder {
 public:
  explicit ListBuilder(PatternEngine& list) : list_(list) {
    list_.locked = false;
    list_.ClearPatterns();
  }
  ~ListBuilder() { list_.locked = true; }
  ListBuilder(const ListBuilder&) = delete;
  ListBuilder& operator=(const ListBuilder&) = delete;

  // Entries of one type (1 to 4) and replacement, added when `condition` holds.
  ListBuilder& Add(bool condition, PatternType type, std::initializer_list<const char*> patterns,
                   const char* replacement, int caseSensitive = 0) {
    if (!condition) return *this;
    for (const char* pattern : patterns)
      list_.AddPattern(type, pattern, replacement, caseSensitive);
    return *this;
  }
  // Handler entries, each with the same datum.
  ListBuilder& Handle(bool condition, PatternType type, std::initializer_list<const char*> patterns,
                      PatternHandler handler, void* datum) {
    if (!condition) return *this;
    for (const char* pattern : patterns)
      list_.AddPattern(type, pattern, nullptr, 0, handler, datum);
    return *this;
  }
  PatternEngine& List() { return list_; }

 private:
  PatternEngine& list_;
};

}  // namespace

namespace {

// The elements of a page that stand as blocks of their own; "dl" has its own handler, "p",
// "li" and the lists theirs.
constexpr const char* kBlockElements[] = {"address", "article", "aside",      "center", "details",
                                          "dialog",  "div",     "figcaption", "figure", "footer",
                                          "header",  "hgroup",  "main",       "nav",    "search",
                                          "section", "summary", "caption"};

}  // namespace

void BuildPatternLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const Markers& m = GetMarkers();
  PatternLists& lists = pass.lists;
  const bool text = o.convertToText != 0;
  const auto datum = [&pass](const char* word, const TextString* marker, int variable) {
    return static_cast<void*>(pass.Datum(word, marker, variable));
  };
  const auto copy = PatternType::kCopyHandler;
  const auto del = PatternType::kDelete;
  const auto rep = PatternType::kReplace;
  const auto after = PatternType::kInsertAfter;
  if (pass.listsBuilt && pass.listsOptions == o) return;
  pass.listsOptions = o;
  pass.listsBuilt = true;
  pass.ForgetData();

  ListBuilder(lists.meta)
      .Handle(true, copy, {"<meta%W**>"}, MetaHandler, datum(nullptr, nullptr, 0));
  ListBuilder(lists.styleSheetLink)
      .Handle(true, copy, {"<link%W**>"}, StyleSheetLinkHandler, datum(nullptr, nullptr, 0));
  // "<head" needs a blank or ">" after it, so that "<header>" is never taken for a head.
  ListBuilder(lists.head).Add(text || o.removeHead, del, {"<head>**/head>", "<head%W**/head>"}, "");
  // The office XML blocks and titles have a list of their own: found by the head's list, one
  // of them inside a head would end the head's match there, and the rest of the head would
  // stay. Run after the head, it removes what stands outside any head.
  ListBuilder(lists.outsideHead)
      .Add(o.removeOfficeTags != 0, del, {"<xml**/xml>"}, "")
      .Add(text, del, {"<title>**/title>", "<title%W**/title>"}, "");
  ListBuilder(lists.comment).Add(text || o.removeComments, del, {"<!--**-->"}, "");
  // Elements written without attributes go as well as those with them (here and in the
  // font and span entries below).
  const bool styles = text || o.removeStyleSheet;
  const bool scripts = text || o.removeScript;
  ListBuilder(lists.style)
      .Add(styles, del, {"<style%W**/style>"}, "")
      .Add(scripts, del, {"<script%W**/script>"}, "")
      .Add(scripts, del, {"<script>**/script>"}, "")
      .Add(styles, del, {"<style>**/style>"}, "");
  // Removing a form keeps what a reader sees of it. A form, its fieldsets and their legends
  // are blocks of the page: in text mode their tags become line breaks, and what they hold
  // stays, as do the text of labels and buttons, a button input's caption, the option a
  // select shows and the text of a text area. The other controls go.
  const bool forms = text || o.removeForm;
  ListBuilder(lists.form)
      .Add(forms, rep,
           {"<form>", "<form%W**>", "</form>", "<fieldset>", "<fieldset%W**>", "</fieldset>",
            "<legend>", "<legend%W**>", "</legend>", "<textarea>", "<textarea%W**>", "</textarea>"},
           text ? m.softBreak.Data() : "")
      .Add(forms, del, {"<label>", "<label%W**>", "<isindex**>"}, "")
      .Add(forms, rep, {"</label>", "<button>", "<button%W**>", "</button>"}, " ")
      .Handle(forms, copy, {"<input%W**>"}, InputHandler, datum(nullptr, nullptr, 0))
      .Handle(forms, copy, {"<select**/select>"}, SelectHandler, datum(nullptr, nullptr, 0));
  // In text mode with highlighting, b, i, strong and em stay for the highlight list, which
  // turns them into *bold* and _italic_.
  const bool emphasis = (text || o.removeEmphasis) && !(text && o.highlightBoldAndItalic);
  // Pre-formatted text: its tags, with attributes or without.
  const std::initializer_list<const char*> preOpening = {"<pre>", "<pre%W**>", "<xmp>", "<listing>",
                                                         "<plaintext>"};
  const std::initializer_list<const char*> preClosing = {"</pre>", "</xmp>", "</listing>",
                                                         "</plaintext>"};
  const bool font = text || o.removeFont;
  const bool span = text || o.removeSpan;
  ListBuilder(lists.inLine)
      .Handle(font || span, copy, preOpening, InLineTagHandler, datum(nullptr, nullptr, 1))
      .Handle(font || span, copy, preClosing, InLineTagHandler, datum(nullptr, nullptr, -1))
      .Handle(font, copy, {"<font>", "<font%W**>", "</font>"}, InLineTagHandler,
              datum(nullptr, nullptr, 0))
      .Handle(span, copy, {"<span>", "<span%W**>", "</span>"}, InLineTagHandler,
              datum(nullptr, nullptr, 0))
      .Add(emphasis, del, {"<b>", "</b>", "<i>", "</i>", "<strong>", "</strong>", "<em>", "</em>"},
           "")
      .Add(text, rep, {"<u>", "</u>", "<s>", "</s>", "<strike>", "</strike>"}, "")
      // Raised and lowered text keeps a mark ("mc^2", "H_2O"); a quotation gets its marks,
      // curly ones (as an entity, decoded with the others) when the output is UTF-8.
      .Handle(text, copy, {"<sup>**</sup>", "<sup%W**>**</sup>"}, RaisedTextHandler,
              datum(nullptr, nullptr, '^'))
      .Handle(text, copy, {"<sub>**</sub>", "<sub%W**>**</sub>"}, RaisedTextHandler,
              datum(nullptr, nullptr, '_'))
      .Add(text, rep, {"<q>", "<q%W**>"}, o.utf8Output ? "&ldquo;" : "\"")
      .Add(text, rep, {"</q>"}, o.utf8Output ? "&rdquo;" : "\"")
      // A word-break opportunity stays in the text as a zero-width space, which the line
      // writer may break at and never writes.
      .Add(text, rep, {"<wbr>", "<wbr/>", "<wbr />"}, kZeroWidthSpace.data());
  ListBuilder(lists.listTag)
      .Handle(text, copy, {"<ul%W**>", "<ol%W**>", "<menu%W**>", "<ul>", "<ol>", "<menu>"},
              ListHandler, datum("open", nullptr, 0))
      .Handle(text, copy, {"<li%W**>", "<li>"}, ListHandler, datum("item", nullptr, 0))
      .Handle(text, copy, {"</ul>", "</ol>", "</menu>"}, ListHandler, datum("end", nullptr, 0))
      .Handle(text, copy, {"<dl>", "<dl%W**>"}, DefinitionListHandler,
              datum(nullptr, nullptr, kDefinitionListOpens))
      .Handle(text, copy, {"<dt>", "<dt%W**>"}, DefinitionListHandler,
              datum(nullptr, nullptr, kTermStarts))
      .Handle(text, copy, {"</dt>"}, DefinitionListHandler, datum(nullptr, nullptr, kTermEnds))
      .Handle(text, copy, {"<dd>", "<dd%W**>"}, DefinitionListHandler,
              datum(nullptr, nullptr, kDefinitionStarts))
      .Handle(text, copy, {"</dd>"}, DefinitionListHandler,
              datum(nullptr, nullptr, kDefinitionEnds))
      .Handle(text, copy, {"</dl>"}, DefinitionListHandler,
              datum(nullptr, nullptr, kDefinitionListCloses));
  ListBuilder(lists.image)
      .Handle(text || o.removeImg, copy, {"<img%W**>"}, ImageHandler, datum(nullptr, nullptr, 0));
  ListBuilder(lists.link)
      .Handle(text || o.replaceLinksByDisplayValue || o.omitLocalLinks || o.omitEmailLinks, copy,
              {"<a%W**>**</a>"}, LinkHandler, datum(nullptr, nullptr, 0));
  {
    ListBuilder highlight(lists.highlight);
    if (text && o.highlightBoldAndItalic) {
      AddHighlightList(static_cast<CopyPatternEngine&>(highlight.List()));
    }
  }
  ListBuilder paragraph(lists.paragraph);
  paragraph.Add(text, after, {"<p>", "<p%W**>"}, m.paragraph.Data())
      .Add(text, after, {"<br>", "<br />", "<br/>"}, m.lineBreak.Data())
      .Add(text, after, {"</p>", "</li>"}, m.softBreak.Data());
  // The blocks of a page start and end on lines of their own.
  for (const char* name : kBlockElements) {
    const std::string tag(name);
    paragraph.Add(
        text, after,
        {("<" + tag + ">").c_str(), ("<" + tag + "%W**>").c_str(), ("</" + tag + ">").c_str()},
        m.softBreak.Data());
  }
  ListBuilder(lists.block)
      .Handle(text, copy, {"<hr>", "<hr%W**>", "<hr/>"}, BlockHandler, datum(nullptr, nullptr, 0))
      .Handle(text, copy, preOpening, BlockHandler, datum(nullptr, &m.startPreformatted, 0))
      .Handle(text, copy, preClosing, BlockHandler, datum(nullptr, &m.endPreformatted, 0))
      .Handle(text, copy, {"<blockquote**>", "<dir>"}, BlockHandler,
              datum(nullptr, &m.startBlock, 0))
      .Handle(text, copy, {"</blockquote>", "</dir>"}, BlockHandler,
              datum(nullptr, &m.endBlock, 0));
  ListBuilder(lists.heading)
      .Handle(text, PatternType::kHandler, {"<h%1**>"}, HeadingHandler, datum(nullptr, nullptr, 1))
      .Handle(text, PatternType::kHandler, {"</h%1>"}, HeadingHandler, datum(nullptr, nullptr, 0));
  {
    ListBuilder dialogue0(lists.dialogue0);
    AddDialogueList0(static_cast<CopyPatternEngine&>(dialogue0.List()));
    ListBuilder dialogue1(lists.dialogue1);
    AddDialogueList1(static_cast<CopyPatternEngine&>(dialogue1.List()));
    ListBuilder dialogue2(lists.dialogue2);
    AddDialogueList2(static_cast<CopyPatternEngine&>(dialogue2.List()));
  }
  ListBuilder(lists.table)
      .Handle(text, copy, {"<table**</table>"}, TableHandler, datum(nullptr, nullptr, 0));
  ListBuilder(lists.softBreak)
      .Handle(true, copy, {m.softBreak.Data(), m.lineBreak.Data()}, BreakRunHandler,
              datum(nullptr, nullptr, 0));
  const char markerByte[2] = {kMarkerByte, 0};
  const char markerThenBlank[3] = {kMarkerByte, ' ', 0};
  const char blankThenMarker[3] = {' ', kMarkerByte, 0};
  ListBuilder(lists.markerBlank)
      .Add(true, rep, {markerThenBlank}, markerByte, 1)
      .Add(true, rep, {blankThenMarker}, markerByte, 1);
  // In text mode a line that a break ends says so, for the line writer: nothing of it is
  // carried into the next line.
  const TextString lineFeed = (text ? m.endsAtBreak : TextString()) + "\n";
  const TextString twoLineFeeds = lineFeed + "\n";
  ListBuilder(lists.marker)
      .Add(true, rep, {m.tab.Data()}, "\t", 1)
      .Add(true, rep, {m.lineBreak.Data()}, lineFeed.Data(), 1)
      .Add(true, rep, {m.softBreak.Data()}, lineFeed.Data(), 1)
      .Add(true, rep, {m.paragraph.Data()}, twoLineFeeds.Data(), 1);
  {
    ListBuilder sentence(lists.sentence);
    if (o.gapBetweenSentences) AddSentenceList(static_cast<CopyPatternEngine&>(sentence.List()));
  }
}

}  // namespace quorlex
