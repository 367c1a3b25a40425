#include "engine/TagHandlers.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/LineWriter.h"
#include "engine/PassState.h"
#include "engine/PatternTable.h"
#include "engine/TagRemover.h"
#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "textformat/Markers.h"
#include "textformat/WordWrap.h"

namespace quorlex {
namespace {

PassState& Pass(void* userData) { return *static_cast<HandlerDatum*>(userData)->pass; }

TextString MatchText(const MatchState& state, const char* working) {
  TextString match;
  match.AssignBytes(working + state.start, state.end - state.start + 1);
  return match;
}

void Emit(PatternEngine& engine, const MatchState& state, int& index, const char* text) {
  static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index, text);
}

void Emit(PatternEngine& engine, const MatchState& state, int& index, const TextString& text) {
  Emit(engine, state, index, text.Data());
}

bool StartsWithNoCase(const TextString& text, const char* prefix) {
  return text.StartsWith(prefix, LetterCase::kIgnored) != 0;
}

bool Contains(const TextString& text, const char* what) { return text.FindNoCase(what) != nullptr; }

// Removes the first occurrence of `what` (exact case) from `text`.
void RemoveFirst(TextString& text, const char* what) {
  if (text.View().find(what) == std::string_view::npos) return;  // the usual case
  text.Replace(0, what, "", 1, LetterCase::kMatters, nullptr, nullptr);
}

// Removes `prefix` from the front of `text` (found ignoring case).
void RemovePrefix(TextString& text, const char* prefix) {
  if (StartsWithNoCase(text, prefix))
    text.Mid(static_cast<int>(std::strlen(prefix)), text.Length());
}

// Drops one final "/".
void DropFinalSlash(TextString& text) {
  if (!text.IsEmpty() && text[text.Length() - 1] == '/') text.Mid(0, text.Length() - 1);
}

// Decoded text with '&', '<' and '>' written as entities again.
TextString Escaped(const TextString& decoded) {
  TextString escaped;
  escaped.Reserve(decoded.Length());
  for (const char c : decoded.View()) {
    switch (c) {
      case '&':
        escaped.Append("&amp;");
        break;
      case '<':
        escaped.Append("&lt;");
        break;
      case '>':
        escaped.Append("&gt;");
        break;
      default:
        escaped.AppendChar(c);
    }
  }
  return escaped;
}

// Text of the document that a handler puts into the text (a link's text, an ALT text, an
// address): as the document wrote it, and with its entities decoded.
struct DocumentText {
  TextString asWritten;
  TextString decoded;
};

// The value of attribute `name` of `tag` ("?a=1&amp;b=2", decoded "?a=1&b=2"); empty when
// the tag has none.
DocumentText AttributeText(PassState& pass, const char* name, const TextString& tag) {
  DocumentText value;
  if (pass.extractor.GetAttribute(name, tag, value.asWritten)) {
    value.decoded = pass.Decoded(value.asWritten);
  }
  return value;
}

// What a handler inserts for text of the document. The second stage decodes the entities of
// the whole text once, after it has deleted the tags. So in text mode the decoded text goes
// in with its '&', '<' and '>' written as entities: the second stage gives those characters
// back, decodes nothing twice and takes nothing for a tag. When the output stays HTML, the
// text goes in as the document wrote it, to be treated like the rest of the document.
TextString Inserted(const PassState& pass, const DocumentText& text) {
  return pass.options.convertToText ? Escaped(text.decoded) : text.asWritten;
}

// Whether decoded text shows nothing: only blanks, no-break spaces and inline markers.
bool ShowsNothing(const TextString& text) {
  const std::string_view view = text.View();
  for (size_t i = 0; i < view.size();) {
    const char c = view[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
    } else if (view.substr(i).starts_with(kNoBreakSpace)) {
      i += kNoBreakSpace.size();
    } else if (c == kMarkerByte) {
      const size_t close = view.find(kMarkerByte, i + 1);
      i = close == std::string_view::npos ? view.size() : close + 1;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

// --- In-line tags -------------------------------------------------------------------------

HandlerResult InLineTagHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                               const char*, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const HandlerDatum& datum = *static_cast<HandlerDatum*>(userData);
  PassState& pass = *datum.pass;
  if (datum.inLineTag != InLineTag::kFontOrSpan) {
    pass.inLinePreformatted = datum.inLineTag == InLineTag::kOpensPreformatted;
    ++pass.preformattedTagsSeen;
    return HandlerResult::kUnchanged;
  }
  // In text mode the tags join their text to what stands around it, as a browser shows it
  // ("£<span>9</span>" is "£9"); when the output stays HTML they leave a blank in running
  // text, none in pre-formatted text, where it would shift the columns.
  const bool blank = !pass.options.convertToText && !pass.inLinePreformatted;
  Emit(engine, state, index, blank ? " " : "");
  return HandlerResult::kUnchanged;
}

// --- META and style-sheet links ---------------------------------------------------------

HandlerResult MetaHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                          const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  Extractor& x = pass.extractor;
  const TextString tag = MatchText(state, working);
  TextString httpEquiv;
  TextString name;
  TextString content;
  x.ExtractBetween(tag, "http-equiv**=**\"", "\"", httpEquiv);
  x.ExtractBetween(tag, "name**=**\"", "\"", name);
  x.ExtractBetween(tag, "content**=**\"", "\"", content);
  if (name.Equals("Author", LetterCase::kIgnored, Blanks::kCount)) pass.info.author = content;
  TextString charset;
  if (httpEquiv.Equals("Content-Type", LetterCase::kIgnored, Blanks::kCount)) {
    x.ExtractBetween(content + "^", "charset**=", "^", charset);
    int semicolon = -1;
    if (charset.FindChar(0, ';', semicolon, LetterCase::kMatters)) charset.Mid(0, semicolon);
  } else {
    // The short form of a document's own declaration: <meta charset="utf-8">.
    x.GetAttribute("charset", tag, charset);
  }
  charset.Trim(TrimEnds::kBoth, " ");
  if (!charset.IsEmpty()) pass.foundCharacterSet = charset;
  Emit(engine, state, index, "");
  return HandlerResult::kUnchanged;
}

HandlerResult StyleSheetLinkHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                                    const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  TextString rel;
  pass.extractor.ExtractBetween(MatchText(state, working), "REL**=**\"", "\"", rel);
  if (pass.options.removeStyleSheet &&
      rel.Equals("StyleSheet", LetterCase::kIgnored, Blanks::kCount)) {
    Emit(engine, state, index, "");
  }
  return HandlerResult::kUnchanged;
}

// --- Lists ------------------------------------------------------------------------------

namespace {

// The style an ordered list's "type" attribute asks for (exact case).
int OrderedStyle(const TextString& type) {
  if (type.Equals("a", LetterCase::kMatters, Blanks::kCount)) return PassState::kLowerLetters;
  if (type.Equals("A", LetterCase::kMatters, Blanks::kCount)) return PassState::kUpperLetters;
  if (type.Equals("i", LetterCase::kMatters, Blanks::kCount)) return PassState::kLowerRoman;
  if (type.Equals("I", LetterCase::kMatters, Blanks::kCount)) return PassState::kUpperRoman;
  return PassState::kDecimal;
}

// The AppendNumber style of a numbered list style.
char NumberStyle(int listStyle) {
  switch (listStyle) {
    case PassState::kLowerLetters:
      return 'a';
    case PassState::kUpperLetters:
      return 'A';
    case PassState::kLowerRoman:
      return 'i';
    case PassState::kUpperRoman:
      return 'I';
    default:
      return '1';
  }
}

// A "start" or "value" number kept far enough from the ends of int that counting on from it
// cannot overflow.
int ItemNumber(int given) {
  constexpr int kLimit = 1000000000;
  return std::clamp(given, -kLimit, kLimit);
}

TextString OpenList(PassState& pass, const TextString& tag) {
  if (pass.listDepth < PassState::kMaxListDepth) {
    ++pass.listDepth;
  } else {
    pass.Message("PROGRAM ERROR: Max list depth reached", 10);
  }
  const int depth = pass.listDepth;
  if (StartsWithNoCase(tag, "<ol")) {
    TextString type;
    pass.extractor.GetAttribute("type", tag, type);
    pass.listStyle[depth] = OrderedStyle(type);
    TextString start;
    int first = 0;
    const bool readable =
        pass.extractor.GetAttribute("start", tag, start) && start.ParseNumber('1', first);
    pass.itemCounter[depth] = readable ? ItemNumber(first) - 1 : 0;
  } else {
    pass.listStyle[depth] = PassState::kBulleted;
  }
  return GetMarkers().startList;
}

TextString ListItem(PassState& pass, const TextString& tag) {
  const int depth = pass.listDepth;
  ++pass.itemCounter[depth];
  TextString item = GetMarkers().listItem;
  const int style = pass.listStyle[depth];
  if (style == PassState::kBulleted) {
    item += depth == 2 ? "* " : depth == 3 ? "+ " : "- ";
    return item;
  }
  // A "value" attribute numbers its item and the items after it, as a browser counts.
  TextString value;
  int given = 0;
  if (pass.extractor.GetAttribute("value", tag, value) && value.ParseNumber('1', given)) {
    pass.itemCounter[depth] = ItemNumber(given);
  }
  item.AppendNumber(NumberStyle(style), pass.itemCounter[depth], 0);
  item += ") ";
  return item;
}

TextString CloseList(PassState& pass) {
  if (pass.listDepth == 0) {
    pass.Message("PROGRAM ERROR: Too many end list tags", 10);
  } else {
    --pass.listDepth;
  }
  return GetMarkers().endList;
}

}  // namespace

HandlerResult ListHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                          const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  const TextString tag = MatchText(state, working);
  TextString replacement;
  switch (static_cast<HandlerDatum*>(userData)->listTag) {
    case ListTag::kOpen:
      replacement = OpenList(pass, tag);
      break;
    case ListTag::kItem:
      replacement = ListItem(pass, tag);
      break;
    case ListTag::kEnd:
      replacement = CloseList(pass);
      break;
  }
  Emit(engine, state, index, replacement);
  return HandlerResult::kUnchanged;
}

// --- Definition lists -------------------------------------------------------------------

namespace {

// Closes the definition open in the innermost definition list, if one is.
void EndDefinition(PassState& pass, TextString& replacement) {
  bool& open = pass.definitionOpen[pass.definitionDepth];
  if (!open) return;
  replacement += GetMarkers().endBlock;
  open = false;
}

TextString DefinitionListTag(PassState& pass, DefinitionTag tag) {
  const Markers& m = GetMarkers();
  TextString replacement;
  switch (tag) {
    case DefinitionTag::kListOpens:
      // Lists deeper than the state keeps are read as the deepest one.
      if (pass.definitionDepth < PassState::kMaxListDepth) ++pass.definitionDepth;
      pass.definitionOpen[pass.definitionDepth] = false;
      replacement = m.startDefinitions;
      break;
    case DefinitionTag::kTermStarts:
      EndDefinition(pass, replacement);
      replacement += m.softBreak;
      break;
    case DefinitionTag::kTermEnds:
      replacement = m.softBreak;
      break;
    case DefinitionTag::kDefinitionStarts:
      EndDefinition(pass, replacement);
      replacement += m.startBlock;
      pass.definitionOpen[pass.definitionDepth] = true;
      break;
    case DefinitionTag::kDefinitionEnds:
      EndDefinition(pass, replacement);
      replacement += m.softBreak;
      break;
    case DefinitionTag::kListCloses:
      EndDefinition(pass, replacement);
      if (pass.definitionDepth == 0) return m.softBreak;  // an end tag without its list
      --pass.definitionDepth;
      replacement += m.endDefinitions;
      break;
  }
  return replacement;
}

}  // namespace

HandlerResult DefinitionListHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                                    const char*, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const auto* datum = static_cast<HandlerDatum*>(userData);
  Emit(engine, state, index, DefinitionListTag(*datum->pass, datum->definitionTag));
  return HandlerResult::kUnchanged;
}

// --- Runs of breaks ----------------------------------------------------------------------

HandlerResult BreakRunHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                              const char* working, int& index, void*) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const Markers& m = GetMarkers();
  const std::string_view text(working, static_cast<size_t>(engine.WorkingLength()));
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  int softBreaks = 0;
  int breaks = 0;
  size_t end = static_cast<size_t>(state.start);
  for (size_t pos = end;;) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    const std::string_view rest = text.substr(pos);
    if (rest.starts_with(m.softBreak.View())) {
      ++softBreaks;
      pos += m.softBreak.View().size();
    } else if (rest.starts_with(m.lineBreak.View())) {
      ++breaks;
      pos += m.lineBreak.View().size();
    } else {
      break;
    }
    end = pos;
  }
  // A soft break alone stays for the marker list; breaks without one are the page's own.
  if (softBreaks == 0 || softBreaks + breaks < 2) return HandlerResult::kUnchanged;
  TextString replacement;
  for (int i = 0; i < std::max(breaks, 1); ++i) replacement += m.lineBreak;
  MatchState run = state;
  run.end = static_cast<int>(end) - 1;
  Emit(engine, run, index, replacement);
  return HandlerResult::kUnchanged;
}

// --- Images -----------------------------------------------------------------------------

HandlerResult ImageHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                           const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  const QuorlOptions& o = pass.options;
  TextString replacement;
  if (o.convertToText && !o.imgTextMarker && !o.imgAltText) {
    // An image's ALT text is its text; one without (a decorative image) goes.
    const DocumentText alt = AttributeText(pass, "Alt", MatchText(state, working));
    if (!ShowsNothing(alt.decoded)) replacement = "[" + Inserted(pass, alt) + "]";
  } else if (o.imgTextMarker || o.imgAltText) {
    const TextString tag = MatchText(state, working);
    const DocumentText source = AttributeText(pass, "src", tag);
    const TextString& src = source.decoded;
    const DocumentText alt = o.imgAltText ? AttributeText(pass, "Alt", tag) : DocumentText();
    if (!alt.decoded.IsEmpty()) {
      replacement = "[" + Inserted(pass, alt) + "]";
    } else if (!src.IsEmpty() && src.FindNoCase(":/") == nullptr) {
      replacement = "[Image " + Inserted(pass, source) + "]";
    } else if (!src.IsEmpty() && o.addUrlReferences) {
      bool added = false;
      replacement = "[Image {";
      replacement += pass.urls.FindOrAdd(src, added) + 1;
      replacement += "}]";
    } else if (!src.IsEmpty()) {
      replacement = "[Image]";
    }
  }
  Emit(engine, state, index, replacement);
  return HandlerResult::kUnchanged;
}

// --- Form controls ----------------------------------------------------------------------

namespace {

bool IsTagBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsAttributeNameChar(char c) {
  return !IsTagBlank(c) && c != '=' && c != '>' && c != '/' && c != '"' && c != '\'';
}

bool EqualsNoCase(std::string_view text, std::string_view word) {
  return text.size() == word.size() &&
         std::equal(text.begin(), text.end(), word.begin(),
                    [](char a, char b) { return ToAsciiLower(a) == ToAsciiLower(b); });
}

// Whether `tag` ("<option value=\"b\" selected>") has the attribute `name` (ignoring case),
// with a value or without. Values are passed over, so `value="selected"` is no such
// attribute.
bool HasAttribute(std::string_view tag, std::string_view name) {
  size_t at = 1;
  while (at < tag.size() && IsAttributeNameChar(tag[at])) ++at;  // the element's name
  bool valueNext = false;
  while (at < tag.size()) {
    const char c = tag[at];
    if (c == '=') {
      valueNext = true;
      ++at;
    } else if (c == '"' || c == '\'') {
      const size_t close = tag.find(c, at + 1);
      if (close == std::string_view::npos) return false;
      valueNext = false;
      at = close + 1;
    } else if (IsAttributeNameChar(c)) {
      const size_t start = at;
      while (at < tag.size() && IsAttributeNameChar(tag[at])) ++at;
      if (!valueNext && EqualsNoCase(tag.substr(start, at - start), name)) return true;
      valueNext = false;
    } else {
      ++at;
    }
  }
  return false;
}

// The caption a browser shows on a button input without a value.
const char* DefaultCaption(const TextString& type) {
  if (type.Length() == 6 && type.Equals("submit", LetterCase::kIgnored, Blanks::kCount))
    return "Submit";
  if (type.Length() == 5 && type.Equals("reset", LetterCase::kIgnored, Blanks::kCount))
    return "Reset";
  return "";
}

bool IsButtonType(const TextString& type) {
  return (type.Length() == 6 && type.Equals("button", LetterCase::kIgnored, Blanks::kCount)) ||
         *DefaultCaption(type) != '\0';
}

// One option of a select: its tag and the text that follows it up to the next tag.
struct Option {
  std::string_view tag;
  std::string_view text;
};

std::vector<Option> Options(std::string_view select) {
  std::vector<Option> options;
  for (size_t at = select.find('<'); at != std::string_view::npos; at = select.find('<', at + 1)) {
    const std::string_view rest = select.substr(at);
    if (rest.size() < 8 || !EqualsNoCase(rest.substr(0, 7), "<option") ||
        IsAttributeNameChar(rest[7])) {
      continue;
    }
    const size_t tagEnd = rest.find('>');
    if (tagEnd == std::string_view::npos) break;
    const std::string_view text = rest.substr(tagEnd + 1);
    options.push_back({rest.substr(0, tagEnd + 1), text.substr(0, text.find('<'))});
  }
  return options;
}

// `text` between blanks, so that it never runs into the words around the control.
void EmitCaption(PatternEngine& engine, const MatchState& state, int& index, TextString text) {
  text.Trim(TrimEnds::kBoth, " \t\r\n");
  Emit(engine, state, index, text.IsEmpty() ? "" : (" " + text + " ").Data());
}

}  // namespace

HandlerResult InputHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                           const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  const TextString tag = MatchText(state, working);
  const TextString type = AttributeText(pass, "type", tag).decoded;
  TextString caption;
  if (IsButtonType(type)) {
    const DocumentText value = AttributeText(pass, "value", tag);
    caption = value.decoded.IsEmpty() ? TextString(DefaultCaption(type)) : Inserted(pass, value);
  }
  EmitCaption(engine, state, index, caption);
  return HandlerResult::kUnchanged;
}

HandlerResult SelectHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                            const char* working, int& index, void*) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const std::vector<Option> options =
      Options(std::string_view(working + state.start, state.end - state.start + 1));
  const auto selected = std::find_if(options.begin(), options.end(), [](const Option& option) {
    return HasAttribute(option.tag, "selected");
  });
  const auto shown = selected != options.end() ? selected : options.begin();
  TextString caption;
  if (shown != options.end()) {
    caption.AssignBytes(shown->text.data(), static_cast<int>(shown->text.size()));
  }
  EmitCaption(engine, state, index, caption);
  return HandlerResult::kUnchanged;
}

// --- Superscripts and subscripts ----------------------------------------------------------

namespace {

bool IsBracketed(const TextString& text) {
  if (text.Length() < 2) return false;
  const char first = text[0];
  const char last = text[text.Length() - 1];
  return (first == '[' && last == ']') || (first == '(' && last == ')');
}

bool HoldsBlank(const TextString& text) {
  return text.View().find_first_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

HandlerResult RaisedTextHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                                const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const HandlerDatum& datum = *static_cast<HandlerDatum*>(userData);
  // The match runs from the opening tag to "</sup>" or "</sub>".
  const std::string_view element(working + state.start, state.end - state.start + 1);
  constexpr size_t kClosingLength = 6;
  const size_t contentStart = std::min(element.find('>') + 1, element.size() - kClosingLength);
  TextString content;
  content.AssignBytes(element.data() + contentStart,
                      static_cast<int>(element.size() - kClosingLength - contentStart));
  content.Trim(TrimEnds::kBoth, " \t\r\n");
  TextString shown = datum.pass->WithoutTags(content);
  shown.Trim(TrimEnds::kBoth, " \t\r\n");
  TextString replacement;
  if (shown.IsEmpty() || IsBracketed(shown)) {
    replacement = content;
  } else {
    replacement.AppendChar(datum.raisedMark);
    replacement += HoldsBlank(shown) ? "(" + content + ")" : content;
  }
  Emit(engine, state, index, replacement);
  return HandlerResult::kUnchanged;
}

// --- Links ------------------------------------------------------------------------------

namespace {

// The schemes whose host often repeats the scheme ("ftp://ftp.x.org"), with that prefix.
constexpr const char* kRepeatedSchemes[][2] = {{"ftp://", "ftp://ftp."},
                                               {"gopher://", "gopher://gopher."},
                                               {"telnet://", "telnet://telnet."},
                                               {"news://", "news://news."}};

// The web schemes; a display "www.x.org" matches the href "http://www.x.org/" or the same
// with "https://", which nearly every link of today's pages uses.
constexpr const char* kWebSchemes[] = {"http://", "https://"};

// Removes a web scheme that is followed by `host` ("www" or "www.").
void RemoveWebScheme(TextString& text, std::string_view host) {
  for (const char* scheme : kWebSchemes) {
    const std::string_view prefix(scheme);
    const std::string_view view = text.View();
    if (view.size() < prefix.size() + host.size()) continue;
    bool same = true;
    for (size_t i = 0; same && i < prefix.size() + host.size(); ++i) {
      const char wanted = i < prefix.size() ? prefix[i] : host[i - prefix.size()];
      same = ToAsciiLower(view[i]) == wanted;
    }
    if (same) RemovePrefix(text, scheme);
  }
}

// The link's href as the display is compared with it.
TextString NormalisedHref(TextString href, const TextString& display) {
  RemovePrefix(href, "mailto:");
  RemoveWebScheme(href, "www");
  for (const auto& scheme : kRepeatedSchemes) {
    if (StartsWithNoCase(href, scheme[1])) RemovePrefix(href, scheme[0]);
  }
  if (StartsWithNoCase(href, "news:") && !Contains(href, "://") &&
      !StartsWithNoCase(display, "news:")) {
    RemovePrefix(href, "news:");
  }
  DropFinalSlash(href);
  return href;
}

// The display text as it is compared with the href.
TextString NormalisedDisplay(TextString display) {
  display.Trim(TrimEnds::kBoth, " ");
  RemoveFirst(display, "URL:");
  RemoveFirst(display, "mailto:");
  RemoveWebScheme(display, "www.");
  for (const auto& scheme : kRepeatedSchemes) {
    if (StartsWithNoCase(display, scheme[1])) RemovePrefix(display, scheme[0]);
  }
  DropFinalSlash(display);
  display.RemoveChar(0, '>', 0);
  return display;
}

bool IsEmailLink(const TextString& href) {
  return StartsWithNoCase(href, "mailto:") && href.CountChar('@') == 1;
}

// The content of an anchor element without its tags, breaks kept; entities as written.
TextString ContentAsWritten(const TextString& element) {
  if (element.View().find("<br>") == std::string_view::npos) return WithoutTagsAsWritten(element);
  TextString withBreaks(element);
  withBreaks.ReplaceAll("<br>", GetMarkers().lineBreak.Data(), 0, LetterCase::kMatters);
  return WithoutTagsAsWritten(withBreaks);
}

// Display text with its ends trimmed and its runs of blanks collapsed.
TextString Tidied(TextString display) {
  display.Trim(TrimEnds::kBoth, "\t\n");
  display.CollapseBlanks();
  return display;
}

// An anchor written as an empty element ("<a id=x/>", as XHTML pages mark targets) holds
// nothing: the match narrows to its own tag, so the text up to the next "</a>" keeps its
// paragraphs and headings.
MatchState WithoutEmptyAnchorContent(const MatchState& state, const char* working) {
  MatchState narrowed = state;
  const char* tagEnd = static_cast<const char*>(
      std::memchr(working + state.start, '>', static_cast<size_t>(state.end - state.start) + 1));
  if (tagEnd != nullptr && tagEnd > working + state.start && tagEnd[-1] == '/') {
    narrowed.end = static_cast<int>(tagEnd - working);
  }
  return narrowed;
}

}  // namespace

namespace {

// What a link's address is: a mail address ("mailto:" and one at sign), one of a known
// scheme ("http://", "news:"), or a local one (neither; an empty address is none of them).
struct LinkAddress {
  bool email = false;
  bool known = false;
  bool local = false;
};

LinkAddress Classified(const TextString& href) {
  LinkAddress address;
  address.email = IsEmailLink(href);
  if (href.IsEmpty()) return address;
  address.known = StartsWithNoCase(href, "http://") || StartsWithNoCase(href, "https://") ||
                  StartsWithNoCase(href, "ftp://") || StartsWithNoCase(href, "gopher://") ||
                  StartsWithNoCase(href, "telnet://") || StartsWithNoCase(href, "news://");
  address.local = !address.known && !address.email;
  if (StartsWithNoCase(href, "news:") && !Contains(href, "://")) {
    address.local = false;
    address.known = true;
  }
  return address;
}

// Whether the user asked for the link to go: local links or mail links omitted. The
// address of an omitted mail link becomes the document's link address (and its author's,
// when that is unknown).
bool IsOmitted(PassState& pass, const TextString& href, const LinkAddress& address) {
  const QuorlOptions& o = pass.options;
  if (o.omitLocalLinks && !href.IsEmpty() && !Contains(href, "://") && !Contains(href, "news:") &&
      !address.email) {
    return true;
  }
  if (!o.omitEmailLinks || !address.email) return false;
  TextString mailAddress(href);
  mailAddress.ReplaceAll("mailto:", "", 0, LetterCase::kMatters);
  pass.info.linkEmail = mailAddress;
  if (DocumentInfo::IsUnknown(pass.info.authorEmail)) pass.info.authorEmail = mailAddress;
  return true;
}

// Whether a link's address may have a reference: an address of a known scheme with ":/", a
// news or mail address; never a place in the same page ("#top") nor a bare scheme.
bool IsReferable(const TextString& href, const LinkAddress& address) {
  return !href.IsEmpty() && !href.StartsWith("#", LetterCase::kMatters) &&
         ((address.known && Contains(href, ":/")) || Contains(href, "news:") || address.email) &&
         !href.Equals("http:///", LetterCase::kIgnored, Blanks::kCount) &&
         !href.Equals("http://", LetterCase::kIgnored, Blanks::kCount) &&
         !href.Equals("https:///", LetterCase::kIgnored, Blanks::kCount) &&
         !href.Equals("https://", LetterCase::kIgnored, Blanks::kCount);
}

// A link's entry in the URL references: its index (-1 when it has none), and whether this
// link added it.
struct Reference {
  int index = -1;
  bool newlyAdded = false;
};

// Whether the display text shows the link's address itself ("www.x.org" for the href
// "http://www.x.org/"), compared as normalised.
bool ShowsAddress(const TextString& display, const TextString& href, const TextString& normalHref) {
  const TextString normalDisplay = NormalisedDisplay(display);
  return !href.IsEmpty() && normalDisplay.Length() == normalHref.Length() &&
         normalDisplay.Equals(normalHref.Data(), LetterCase::kIgnored, Blanks::kCount);
}

// Follows a link's display text with its reference's number (" [3]") or, when addresses are
// displayed, with its address (" [x.org/a]"), one blank after the text; what follows the
// link (a full stop, a comma) follows the marker directly. A text that shows the address
// itself gets neither, and a reference that its link just added goes again.
void AddReferenceMarker(PassState& pass, const TextString& element, const TextString& href,
                        const LinkAddress& address, const Reference& reference,
                        TextString& display) {
  const QuorlOptions& o = pass.options;
  const TextString normalHref = NormalisedHref(href, display);
  if (ShowsAddress(display, href, normalHref)) {
    if (reference.newlyAdded) pass.urls.RemoveAt(reference.index);
    return;
  }
  TextString name;
  if (o.addUrlReferences && reference.index >= 0) {
    display += " [";
    display += reference.index + 1;
    display += "]";
  } else if (o.displayLinkUrls && (!address.local || address.email) &&
             !pass.extractor.GetAttribute("name", element, name)) {
    display += " [";
    display += normalHref;
    display += "]";
  }
}

}  // namespace

HandlerResult LinkHandler(PatternEngine& engine, WildcardPattern&, MatchState& match,
                          const char* working, int& index, void* userData) {
  if (!match.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const MatchState state = WithoutEmptyAnchorContent(match, working);
  PassState& pass = Pass(userData);
  const QuorlOptions& o = pass.options;
  const TextString element = MatchText(state, working);
  TextString href = AttributeText(pass, "href", element).decoded;
  ResolveUrl(href, pass.info.baseUrl, href);
  const LinkAddress address = Classified(href);
  // An omitted link leaves no reference behind: the user asked for its address to go.
  if (IsOmitted(pass, href, address)) {
    Emit(engine, state, index, o.removedLinkText);
    return HandlerResult::kUnchanged;
  }

  const bool replaced = o.convertToText || o.replaceLinksByDisplayValue;
  const TextString content = replaced ? ContentAsWritten(element) : TextString();
  // What the text shows: the link's text as written, or decoded and followed by its reference.
  DocumentText shown{Tidied(content), Tidied(pass.Decoded(content))};
  if (replaced && ShowsNothing(shown.decoded)) {
    // A link with nothing to show (an image without ALT text, a no-break space) has no
    // reference: a bare marker would point at nothing a reader can see. What spaced it
    // stays a blank.
    Emit(engine, state, index, shown.decoded.IsEmpty() ? "" : " ");
    return HandlerResult::kUnchanged;
  }

  // A link whose markup stays takes its reference all the same.
  Reference reference;
  if (IsReferable(href, address) && o.addUrlReferences) {
    reference.index = pass.urls.FindOrAdd(href, reference.newlyAdded);
  }
  if (!replaced) return HandlerResult::kUnchanged;
  AddReferenceMarker(pass, element, href, address, reference, shown.decoded);
  Emit(engine, state, index, Inserted(pass, shown));
  return HandlerResult::kUnchanged;
}

// --- Blocks and rules -------------------------------------------------------------------

namespace {

// What follows the word of a rule for the width of an "<hr>": a blank and the share of the
// page its "width" asks for as written ("50%"), or its pixels scaled to the page (800 pixels
// to the page's width) as columns; nothing when it asks for none, or for 0 columns.
TextString RuleWidth(PassState& pass, const TextString& tag) {
  TextString width;
  if (!pass.extractor.GetAttribute("width", tag, width)) return TextString();
  if (width.Contains('%')) return " " + width;
  int pixels = 0;
  if (!width.ParseNumber('1', pixels)) return TextString();
  const int page = pass.options.adjustTablesToPageWidth ? pass.options.pageWidth : 80;
  const long long columns = static_cast<long long>(pixels) * page / 800;
  if (columns == 0) return TextString();
  TextString text(" ");
  text += static_cast<int>(columns);
  return text;
}

}  // namespace

HandlerResult BlockHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                           const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  const Markers& m = GetMarkers();
  const TextString* marker = static_cast<HandlerDatum*>(userData)->marker;
  const TextString tag = MatchText(state, working);
  TextString replacement(tag);
  if (marker != nullptr) {
    replacement += "\n";
    replacement += *marker;
    replacement += "\n";
  } else {
    replacement += m.softBreak;
    replacement += kRuleLine;
    replacement += RuleWidth(pass, tag);
    replacement += m.softBreak;
  }
  Emit(engine, state, index, replacement);
  return HandlerResult::kUnchanged;
}

// --- Headings ---------------------------------------------------------------------------

namespace {

// Headings this wide or wider are written as a plain line, without an underline.
constexpr int kUnderlinedColumns = 120;

// The heading as the reader will see it: its tags gone, its entities decoded, its markers
// as blanks, its runs of blanks collapsed. This copy gives the title, the underline's length
// and the lines of a heading wider than the page; a heading that fits keeps its markup for
// the stages still to come.
TextString ShownHeading(PassState& pass, const TextString& heading) {
  TextString shown = pass.WithoutTags(WithMarkersAsBlanks(heading));
  shown.CollapseBlanks();
  shown.Trim(TrimEnds::kBoth, " ");
  return shown;
}

// The width the line writer wraps text lines to, when it wraps them at all (0 when it
// writes each line whole): the page width, at least kMinimumLineWidth.
int WrapWidth(const QuorlOptions& o) {
  const bool wraps = o.imposePageWidth && !o.singleLineParagraphs && !o.preserveWhiteSpace;
  return wraps ? std::max(o.pageWidth, kMinimumLineWidth) : 0;
}

TextString Underline(int level, int columns) {
  const char stroke = level <= 2 ? '=' : '-';
  TextString underline;
  underline.Reserve(columns);
  for (int i = columns; i > 0; --i) underline.AppendChar(stroke);
  return underline;
}

// A heading wider than the page, wrapped as the line writer wraps a paragraph: the lines
// of its shown copy, each followed by a break, then an underline as long as the longest.
// They go in as the shown copy reads, with '&', '<' and '>' written as entities for the
// second stage to decode once, like every text a handler inserts.
TextString WrappedHeading(int level, const TextString& shown, int width) {
  const Markers& m = GetMarkers();
  TextString lines;
  int longest = 0;
  TextString piece;
  for (int position = 0; position < shown.Length();) {
    if (!GetWrappedPiece(shown, width, position, BreakCharacters(), piece, position)) break;
    piece.Trim(TrimEnds::kBoth, " ");
    longest = std::max(longest, DisplayWidth(piece.View()));
    lines += Escaped(piece) + m.lineBreak;
  }
  return lines + Underline(level, longest);
}

// What takes the place of a heading: its text on lines of their own and an underline as
// long as the text shows, between the pre-formatted markers so that the line writer
// neither joins nor wraps them (nor ends a paragraph between them). A heading wider than
// the page is wrapped here, where the line writer would wrap it; one of kUnderlinedColumns
// or more is a plain line.
TextString FramedHeading(const QuorlOptions& o, int level, const TextString& heading,
                         const TextString& shown) {
  const Markers& m = GetMarkers();
  const int columns = DisplayWidth(shown.View());
  if (columns >= kUnderlinedColumns) return m.lineBreak + heading + m.lineBreak;
  const int width = WrapWidth(o);
  const TextString framed = width > 0 && columns > width
                                ? WrappedHeading(level, shown, width)
                                : heading + m.lineBreak + Underline(level, columns);
  return m.lineBreak + m.lineBreak + m.startPreformatted + framed + m.endPreformatted;
}

}  // namespace

HandlerResult HeadingHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                             const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = Pass(userData);
  const bool opening = static_cast<HandlerDatum*>(userData)->headingTag == HeadingTag::kOpening;
  if (opening) {
    pass.headingStart = state.start;
    const char digit = working[state.start + 2];
    if (digit >= '1' && digit <= '6') pass.headingLevel = digit - '0';
    return engine.ReplaceRange(state, index, "");
  }
  if (pass.headingStart < 0 || pass.headingStart > state.start) {
    return engine.ReplaceRange(state, index, "");
  }
  // The heading's own line breaks and runs of blanks make no sense once it stands on a
  // line of its own: they become single blanks.
  TextString heading;
  heading.AssignBytes(working + pass.headingStart, state.start - pass.headingStart);
  heading.ReplaceChar(0, '\n', ' ', 0);
  heading.ReplaceChar(0, '\r', ' ', 0);
  heading.ReplaceChar(0, '\t', ' ', 0);
  heading.CollapseBlanks();
  heading.Trim(TrimEnds::kBoth, " ");
  const TextString shown = ShownHeading(pass, heading);
  if (DocumentInfo::IsUnknown(pass.info.title)) pass.info.title = shown;
  const TextString replacement = FramedHeading(pass.options, pass.headingLevel, heading, shown);
  MatchState whole = state;
  whole.start = pass.headingStart;
  pass.headingStart = -1;
  return engine.ReplaceRange(whole, index, replacement.Data());
}

}  // namespace quorlex
