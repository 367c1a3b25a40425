#include "engine/PatternTable.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/HiddenElements.h"
#include "engine/Tables.h"
#include "engine/TagHandlers.h"
#include "foundation/Utf8.h"
#include "textformat/DialogueLists.h"
#include "textformat/Markers.h"

namespace quorlex {

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
  path.Replace(0, site.Data(), "", 1, LetterCase::kMatters, nullptr, nullptr);
  int cut = -1;
  if (path.FindChar(0, '#', cut, LetterCase::kMatters)) path.Mid(0, cut);
  if (path.FindChar(0, '?', cut, LetterCase::kMatters)) path.Mid(0, cut);
  std::vector<TextString> directories;
  for (int n = 1; path.GetToken(n, '/', field); ++n) directories.push_back(field);
  if (!directories.empty() && !path.IsEmpty() && path[path.Length() - 1] != '/') {
    directories.pop_back();
  }

  TextString result;
  TextString rest(link);
  size_t keep = directories.size();
  if (link.StartsWith("/", LetterCase::kMatters)) {
    result.AssignBytes(site.Data(), site.Length() - 1);
    keep = 0;
  } else {
    size_t ups = 0;
    while (rest.StartsWith("../", LetterCase::kMatters)) {
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

// A lasting datum for a handler entry of the pass's lists.
void* Datum(PassState& pass, HandlerDatum entry = {}) { return pass.Datum(entry); }

constexpr PatternType kCopy = PatternType::kCopyHandler;
constexpr PatternType kDelete = PatternType::kDelete;
constexpr PatternType kReplace = PatternType::kReplace;
constexpr PatternType kInsertAfter = PatternType::kInsertAfter;

// Pre-formatted text: its tags, with attributes or without.
const std::initializer_list<const char*> kPreOpeningTags = {"<pre>", "<pre%W**>", "<xmp>",
                                                            "<listing>", "<plaintext>"};
const std::initializer_list<const char*> kPreClosingTags = {"</pre>", "</xmp>", "</listing>",
                                                            "</plaintext>"};

// The lists that remove the head, comments, style sheets and scripts, and read the META tags and
// style-sheet links.
void BuildHeadAndScriptLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  ListBuilder(lists.meta).Handle(true, kCopy, {"<meta%W**>"}, MetaHandler, Datum(pass));
  ListBuilder(lists.styleSheetLink)
      .Handle(true, kCopy, {"<link%W**>"}, StyleSheetLinkHandler, Datum(pass));
  // "<head" needs a blank or ">" after it, so that "<header>" is never taken for a head.
  ListBuilder(lists.head)
      .Add(text || o.removeHead, kDelete, {"<head>**/head>", "<head%W**/head>"}, "");
  // The office XML blocks and titles have a list of their own: found by the head's list, one
  // of them inside a head would end the head's match there, and the rest of the head would
  // stay. Run after the head, it removes what stands outside any head.
  ListBuilder(lists.outsideHead)
      .Add(o.removeOfficeTags != 0, kDelete, {"<xml**/xml>"}, "")
      .Add(text, kDelete, {"<title>**/title>", "<title%W**/title>"}, "");
  ListBuilder(lists.comment).Add(text || o.removeComments, kDelete, {"<!--**-->"}, "");
  // Elements written without attributes go as well as those with them (here and in the
  // font and span entries below).
  const bool styles = text || o.removeStyleSheet;
  const bool scripts = text || o.removeScript;
  ListBuilder(lists.style)
      .Add(styles, kDelete, {"<style%W**/style>"}, "")
      .Add(scripts, kDelete, {"<script%W**/script>"}, "")
      .Add(scripts, kDelete, {"<script>**/script>"}, "")
      .Add(styles, kDelete, {"<style>**/style>"}, "");
}

// The list of forms and their controls.
void BuildFormList(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  const Markers& m = GetMarkers();
  PatternLists& lists = pass.lists;
  // Removing a form keeps what a reader sees of it. A form, its fieldsets and their legends
  // are blocks of the page: in text mode their tags become line breaks, and what they hold
  // stays, as do the text of labels and buttons, a button input's caption, the option a
  // select shows and the text of a text area. The other controls go.
  const bool forms = text || o.removeForm;
  ListBuilder(lists.form)
      .Add(forms, kReplace,
           {"<form>", "<form%W**>", "</form>", "<fieldset>", "<fieldset%W**>", "</fieldset>",
            "<legend>", "<legend%W**>", "</legend>", "<textarea>", "<textarea%W**>", "</textarea>"},
           text ? m.softBreak.Data() : "")
      .Add(forms, kDelete, {"<label>", "<label%W**>", "<isindex**>"}, "")
      .Add(forms, kReplace, {"</label>", "<button>", "<button%W**>", "</button>"}, " ")
      .Handle(forms, kCopy, {"<input%W**>"}, InputHandler, Datum(pass))
      .Handle(forms, kCopy, {"<select**/select>"}, SelectHandler, Datum(pass));
}

// The list of in-line tags: fonts, spans, emphasis, raised text, quotations and word breaks; the
// tags of pre-formatted text say where it begins and ends.
void BuildInLineList(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  // In text mode with highlighting, b, i, strong and em stay for the highlight list, which
  // turns them into *bold* and _italic_.
  const bool emphasis = (text || o.removeEmphasis) && !(text && o.highlightBoldAndItalic);
  const bool font = text || o.removeFont;
  const bool span = text || o.removeSpan;
  ListBuilder(lists.inLine)
      .Handle(font || span, kCopy, kPreOpeningTags, InLineTagHandler,
              Datum(pass, {.inLineTag = InLineTag::kOpensPreformatted}))
      .Handle(font || span, kCopy, kPreClosingTags, InLineTagHandler,
              Datum(pass, {.inLineTag = InLineTag::kClosesPreformatted}))
      .Handle(font, kCopy, {"<font>", "<font%W**>", "</font>"}, InLineTagHandler, Datum(pass))
      .Handle(span, kCopy, {"<span>", "<span%W**>", "</span>"}, InLineTagHandler, Datum(pass))
      .Add(emphasis, kDelete,
           {"<b>", "</b>", "<i>", "</i>", "<strong>", "</strong>", "<em>", "</em>"}, "")
      .Add(text, kReplace, {"<u>", "</u>", "<s>", "</s>", "<strike>", "</strike>"}, "")
      // Raised and lowered text keeps a mark ("mc^2", "H_2O"); a quotation gets its marks,
      // curly ones (as an entity, decoded with the others) when the output is UTF-8.
      .Handle(text, kCopy, {"<sup>**</sup>", "<sup%W**>**</sup>"}, RaisedTextHandler,
              Datum(pass, {.raisedMark = '^'}))
      .Handle(text, kCopy, {"<sub>**</sub>", "<sub%W**>**</sub>"}, RaisedTextHandler,
              Datum(pass, {.raisedMark = '_'}))
      .Add(text, kReplace, {"<q>", "<q%W**>"}, o.utf8Output ? "&ldquo;" : "\"")
      .Add(text, kReplace, {"</q>"}, o.utf8Output ? "&rdquo;" : "\"")
      // A word-break opportunity stays in the text as a zero-width space, which the line
      // writer may break at and never writes.
      .Add(text, kReplace, {"<wbr>", "<wbr/>", "<wbr />"}, kZeroWidthSpace.data());
}

// The list of the tags of lists and definition lists.
void BuildListTagList(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  ListBuilder(lists.listTag)
      .Handle(text, kCopy, {"<ul%W**>", "<ol%W**>", "<menu%W**>", "<ul>", "<ol>", "<menu>"},
              ListHandler, Datum(pass, {.listTag = ListTag::kOpen}))
      .Handle(text, kCopy, {"<li%W**>", "<li>"}, ListHandler,
              Datum(pass, {.listTag = ListTag::kItem}))
      .Handle(text, kCopy, {"</ul>", "</ol>", "</menu>"}, ListHandler,
              Datum(pass, {.listTag = ListTag::kEnd}))
      .Handle(text, kCopy, {"<dl>", "<dl%W**>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kListOpens}))
      .Handle(text, kCopy, {"<dt>", "<dt%W**>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kTermStarts}))
      .Handle(text, kCopy, {"</dt>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kTermEnds}))
      .Handle(text, kCopy, {"<dd>", "<dd%W**>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kDefinitionStarts}))
      .Handle(text, kCopy, {"</dd>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kDefinitionEnds}))
      .Handle(text, kCopy, {"</dl>"}, DefinitionListHandler,
              Datum(pass, {.definitionTag = DefinitionTag::kListCloses}));
}

// The lists of images, links and highlighted text.
void BuildImageLinkAndHighlightLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  ListBuilder(lists.image)
      .Handle(text || o.removeImg, kCopy, {"<img%W**>"}, ImageHandler, Datum(pass));
  ListBuilder(lists.link)
      .Handle(text || o.replaceLinksByDisplayValue || o.omitLocalLinks || o.omitEmailLinks, kCopy,
              {"<a%W**>**</a>"}, LinkHandler, Datum(pass));
  ListBuilder highlight(lists.highlight);
  if (text && o.highlightBoldAndItalic) {
    AddHighlightList(static_cast<CopyPatternEngine&>(highlight.List()));
  }
}

// The lists of paragraphs and breaks, blocks and rules, and headings.
void BuildParagraphBlockAndHeadingLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  const Markers& m = GetMarkers();
  PatternLists& lists = pass.lists;
  ListBuilder paragraph(lists.paragraph);
  paragraph.Add(text, kInsertAfter, {"<p>", "<p%W**>"}, m.paragraph.Data())
      .Add(text, kInsertAfter, {"<br>", "<br />", "<br/>"}, m.lineBreak.Data())
      .Add(text, kInsertAfter, {"</p>", "</li>"}, m.softBreak.Data());
  // The blocks of a page start and end on lines of their own.
  for (const char* name : kBlockElements) {
    const std::string tag(name);
    paragraph.Add(
        text, kInsertAfter,
        {("<" + tag + ">").c_str(), ("<" + tag + "%W**>").c_str(), ("</" + tag + ">").c_str()},
        m.softBreak.Data());
  }
  ListBuilder(lists.block)
      .Handle(text, kCopy, {"<hr>", "<hr%W**>", "<hr/>"}, BlockHandler, Datum(pass))
      .Handle(text, kCopy, kPreOpeningTags, BlockHandler,
              Datum(pass, {.marker = &m.startPreformatted}))
      .Handle(text, kCopy, kPreClosingTags, BlockHandler,
              Datum(pass, {.marker = &m.endPreformatted}))
      .Handle(text, kCopy, {"<blockquote**>", "<dir>"}, BlockHandler,
              Datum(pass, {.marker = &m.startBlock}))
      .Handle(text, kCopy, {"</blockquote>", "</dir>"}, BlockHandler,
              Datum(pass, {.marker = &m.endBlock}));
  ListBuilder(lists.heading)
      .Handle(text, PatternType::kHandler, {"<h%1**>"}, HeadingHandler,
              Datum(pass, {.headingTag = HeadingTag::kOpening}))
      .Handle(text, PatternType::kHandler, {"</h%1>"}, HeadingHandler,
              Datum(pass, {.headingTag = HeadingTag::kClosing}));
}

// The lists of dialogue and tables.
void BuildDialogueAndTableLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  ListBuilder dialogue0(lists.dialogue0);
  AddDialogueList0(static_cast<CopyPatternEngine&>(dialogue0.List()));
  ListBuilder dialogue1(lists.dialogue1);
  AddDialogueList1(static_cast<CopyPatternEngine&>(dialogue1.List()));
  ListBuilder dialogue2(lists.dialogue2);
  AddDialogueList2(static_cast<CopyPatternEngine&>(dialogue2.List()));
  ListBuilder(lists.table).Handle(text, kCopy, {"<table**</table>"}, TableHandler, Datum(pass));
}

// The lists that resolve runs of breaks and the in-line markers, and space sentences.
void BuildBreakAndMarkerLists(PassState& pass) {
  const QuorlOptions& o = pass.options;
  const bool text = o.convertToText != 0;
  const Markers& m = GetMarkers();
  PatternLists& lists = pass.lists;
  ListBuilder(lists.softBreak)
      .Handle(true, kCopy, {m.softBreak.Data(), m.lineBreak.Data()}, BreakRunHandler, Datum(pass));
  const char markerByte[2] = {kMarkerByte, 0};
  const char markerThenBlank[3] = {kMarkerByte, ' ', 0};
  const char blankThenMarker[3] = {' ', kMarkerByte, 0};
  ListBuilder(lists.markerBlank)
      .Add(true, kReplace, {markerThenBlank}, markerByte, 1)
      .Add(true, kReplace, {blankThenMarker}, markerByte, 1);
  // In text mode a line that a break ends says so, for the line writer: nothing of it is
  // carried into the next line.
  const TextString lineFeed = (text ? m.endsAtBreak : TextString()) + "\n";
  const TextString twoLineFeeds = lineFeed + "\n";
  ListBuilder(lists.marker)
      .Add(true, kReplace, {m.tab.Data()}, "\t", 1)
      .Add(true, kReplace, {m.lineBreak.Data()}, lineFeed.Data(), 1)
      .Add(true, kReplace, {m.softBreak.Data()}, lineFeed.Data(), 1)
      .Add(true, kReplace, {m.paragraph.Data()}, twoLineFeeds.Data(), 1);
  ListBuilder sentence(lists.sentence);
  if (o.gapBetweenSentences) AddSentenceList(static_cast<CopyPatternEngine&>(sentence.List()));
}

}  // namespace

void BuildPatternLists(PassState& pass) {
  if (pass.listsBuilt && pass.listsOptions == pass.options) return;
  pass.listsOptions = pass.options;
  pass.listsBuilt = true;
  pass.ForgetData();
  BuildHeadAndScriptLists(pass);
  BuildFormList(pass);
  BuildInLineList(pass);
  BuildListTagList(pass);
  BuildImageLinkAndHighlightLists(pass);
  BuildParagraphBlockAndHeadingLists(pass);
  BuildDialogueAndTableLists(pass);
  BuildBreakAndMarkerLists(pass);
}

}  // namespace quorlex
