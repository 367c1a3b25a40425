#include "engine/TagRemover.h"

#include <vector>

#include "engine/Entities.h"
#include "engine/TagKnowledge.h"
#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// ASCII white space, which ends a tag's name and separates its attributes: "<td\talign=x>"
// is a td tag.

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

// One attribute of a tag as written: the white space before it, its name, and its value
// text ("=" and the value, quotes included; empty when it has no value).
struct TagAttribute {
  std::string_view space;
  std::string_view name;
  std::string value;
};

// A tag taken apart: its name, its attributes, and whether it was closed by '>'.
struct ParsedTag {
  std::string_view name;
  bool nameEndedBySpace = false;
  std::vector<TagAttribute> attributes;
  bool closed = false;
};

// Reads an attribute value from `pos` (just after '=' and the white space after it): a
// quoted value to the same quote, both included (or to the end of the tag when the quote
// is never closed), an unquoted one to white space or '>', without the quotes inside it.
std::string ReadValue(std::string_view tag, size_t& pos) {
  std::string value = "=";
  if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
    const size_t close = tag.find(tag[pos], pos + 1);
    size_t end = close == std::string_view::npos ? tag.size() : close + 1;
    if (close == std::string_view::npos && tag.back() == '>') --end;
    value += tag.substr(pos, end - pos);
    pos = end;
    return value;
  }
  for (; pos < tag.size() && !IsMarkupWhiteSpace(tag[pos]) && tag[pos] != '>'; ++pos) {
    if (tag[pos] != '"' && tag[pos] != '\'') value += tag[pos];
  }
  return value;
}

// The first index at or after pos that is not markup white space (or the end).
size_t SkipWhiteSpace(std::string_view tag, size_t pos) {
  while (pos < tag.size() && IsMarkupWhiteSpace(tag[pos])) ++pos;
  return pos;
}

// Where the word that begins at pos ends: at white space, '>', the end of the tag, or for
// an attribute name also at '='.
size_t WordEnd(std::string_view tag, size_t pos, bool attributeName) {
  while (pos < tag.size() && !IsMarkupWhiteSpace(tag[pos]) && tag[pos] != '>' &&
         !(attributeName && tag[pos] == '=')) {
    ++pos;
  }
  return pos;
}

// Reads the attribute at pos (the white space before it first) and moves pos past it;
// false, with pos past the white space, when the tag ends there instead.
bool ReadAttribute(std::string_view tag, size_t& pos, TagAttribute& attribute) {
  const size_t spaceEnd = SkipWhiteSpace(tag, pos);
  attribute.space = tag.substr(pos, spaceEnd - pos);
  pos = spaceEnd;
  // White space before the end is no attribute.
  if (pos >= tag.size() || tag[pos] == '>') return false;
  const size_t nameEnd = WordEnd(tag, pos, true);
  attribute.name = tag.substr(pos, nameEnd - pos);
  pos = nameEnd;
  const size_t next = SkipWhiteSpace(tag, pos);
  if (next < tag.size() && tag[next] == '=') {
    pos = SkipWhiteSpace(tag, next + 1);
    attribute.value = ReadValue(tag, pos);
  }
  return true;
}

ParsedTag ParseTag(std::string_view tag) {
  ParsedTag parsed;
  size_t pos = tag.find('<');
  pos = pos == std::string_view::npos ? tag.size() : pos + 1;
  const size_t nameEnd = WordEnd(tag, pos, false);
  parsed.name = tag.substr(pos, nameEnd - pos);
  pos = nameEnd;
  parsed.nameEndedBySpace = pos < tag.size() && tag[pos] != '>';
  while (pos < tag.size() && tag[pos] != '>') {
    TagAttribute attribute;
    if (!ReadAttribute(tag, pos, attribute)) break;
    parsed.attributes.push_back(std::move(attribute));
  }
  parsed.closed = pos < tag.size() && tag[pos] == '>';
  return parsed;
}

// The name in the case the options ask for (lower case wins when both are on).
std::string CasedName(const QuorlOptions& options, std::string_view name) {
  std::string cased(name);
  if (options.upperCaseTags) cased = Upper(cased);
  if (options.lowerCaseTags) cased = Lower(cased);
  return cased;
}

bool IsStyleAttribute(std::string_view name) {
  return EqualsNoCase(name, "id") || EqualsNoCase(name, "style") || EqualsNoCase(name, "class");
}

// Whether an attribute goes, with the line it adds to the tally.
bool DropsAttribute(const QuorlOptions& options, MessageTally& tally, std::string_view tag,
                    std::string_view attribute) {
  // The '/' that closes an XHTML element ("<br />") is no attribute.
  if (attribute == "/") return false;
  const TextString tagAndAttribute((Upper(tag) + "/" + Upper(attribute)).c_str());
  if (options.removeNonStandardAttributes) {
    const AttributeClass kind = TagKnowledge::Html40().ClassifyAttribute(tag, attribute);
    if (kind == AttributeClass::kDeprecated && !options.keepDeprecatedAttributes) {
      tally.Add("INFO: Removing deprecated tag/attr " + tagAndAttribute);
      return true;
    }
    if (kind == AttributeClass::kUnknown) {
      tally.Add("INFO: Removing unknown tag/attr " + tagAndAttribute);
      return true;
    }
  }
  if (options.removeOfficeTags && attribute.find(':') != std::string_view::npos) {
    tally.Add("INFO: Removing unknown tag/attr " + tagAndAttribute);
    return true;
  }
  return options.removeStyleSheet && IsStyleAttribute(attribute);
}

// The tag written anew: its name and the attributes that stay, in the asked-for case.
void RebuildTag(const QuorlOptions& options, MessageTally& tally, const ParsedTag& parsed,
                TextString& out) {
  // Appended rather than written "<" + name: g++ 12 warns (-Wrestrict) about a memcpy
  // inside std::string's operator+ that cannot overlap.
  std::string text = "<";
  text += CasedName(options, parsed.name);
  for (const TagAttribute& attribute : parsed.attributes) {
    if (DropsAttribute(options, tally, parsed.name, attribute.name)) continue;
    text += attribute.space.empty() ? std::string(" ") : std::string(attribute.space);
    text += CasedName(options, attribute.name);
    text += attribute.value;
  }
  if (parsed.closed) text += '>';
  out.AssignBytes(text.data(), static_cast<int>(text.size()));
}

// Whether a match "<...>" is a tag. `first` is the match up to its first white space. A long first
// word holding an at sign, a full stop or "://" is a mail address or URL in angle brackets; "<",
// "<=" and "<<" are comparisons or quotes.
bool LooksLikeTag(std::string_view first) {
  if (first == "<" || first.substr(0, 2) == "<=" || first.substr(0, 2) == "<<") return false;
  const bool addressLike = first.find_first_of("@.") != std::string_view::npos ||
                           first.find("://") != std::string_view::npos;
  return !(first.size() >= 8 && addressLike);
}

// The match up to its first white space: the tag's "<" and name.
std::string_view FirstWord(std::string_view match) {
  size_t end = 0;
  while (end < match.size() && !IsMarkupWhiteSpace(match[end])) ++end;
  return match.substr(0, end);
}

// Text mode without the pattern engine: every stretch from a "<" to the next ">" is a
// match, and a match that looks like a tag goes. The scan goes on after each match, as the
// pattern "<**>" does. Returns the number of matches.
int DeleteTags(std::string_view text, TextString& out) {
  int matches = 0;
  size_t copied = 0;
  for (size_t from = 0;;) {
    const size_t open = text.find('<', from);
    if (open == std::string_view::npos) break;
    const size_t close = text.find('>', open + 1);
    if (close == std::string_view::npos) break;
    ++matches;
    if (LooksLikeTag(FirstWord(text.substr(open, close - open + 1)))) {
      if (matches == 1) out.Reserve(static_cast<int>(text.size()));
      out.AppendBytes(text.data() + copied, static_cast<int>(open - copied));
      copied = close + 1;
    }
    from = close + 1;
  }
  if (copied > 0) out.AppendBytes(text.data() + copied, static_cast<int>(text.size() - copied));
  return copied > 0 ? matches : -matches;
}

// Whether the text holds a character beyond ASCII. The 0xFF bytes of the inline markers,
// which no UTF-8 text holds, do not count.
bool HoldsTextBeyondAscii(const TextString& text) {
  for (int i = NextNonAscii(text.Data(), text.Length(), 0); i < text.Length();
       i = NextNonAscii(text.Data(), text.Length(), i + 1)) {
    if (text[i] != kMarkerByte) return true;
  }
  return false;
}

// A soft hyphen (U+00AD) only marks where a word may be hyphenated, which plain text cannot
// show: UTF-8 text output leaves it out. Returns whether `text` held one; `out` is then the
// text without them.
bool RemoveSoftHyphens(std::string_view text, TextString& out) {
  constexpr std::string_view kSoftHyphen = "\xC2\xAD";
  size_t found = text.find(kSoftHyphen);
  if (found == std::string_view::npos) return false;
  out.Reserve(static_cast<int>(text.size()));
  size_t copied = 0;
  for (; found != std::string_view::npos; found = text.find(kSoftHyphen, copied)) {
    out.AppendBytes(text.data() + copied, static_cast<int>(found - copied));
    copied = found + kSoftHyphen.size();
  }
  out.AppendBytes(text.data() + copied, static_cast<int>(text.size() - copied));
  return true;
}

// The name a tag is looked up by in the name lists: "</p>", "<p class=x>" and "<br/>" give
// "p", "p" and "br"; "<!--[if" gives "!--[if".
std::string ListKey(std::string_view first) {
  std::string key(first);
  const size_t closing = key.find("</");
  if (closing != std::string::npos) {
    key.erase(closing, 2);
  } else if (const size_t open = key.find('<'); open != std::string::npos) {
    key.erase(open, 1);
  }
  if (const size_t end = key.find('>'); end != std::string::npos) key.erase(end, 1);
  return key.substr(0, key.find('/'));
}

// Whether markup mode deletes a tag whose list key is `key`: a tag on a name list goes when
// the policy for that list is on, a comment with "Remove HTML-style comments".
bool DeletesInMarkupMode(const QuorlOptions& options, const std::string& key) {
  if (IsListed(NameList::kHtmlTags, key)) return options.removeAllHtmlTags != 0;
  if (IsListed(NameList::kMailXTags, key)) return options.removeMailXTags != 0;
  if (IsListed(NameList::kOfficeTags, key)) return options.removeOfficeTags != 0;
  if (key.compare(0, 3, "!--") == 0) return options.removeComments != 0;
  return false;
}

bool RewritesTags(const QuorlOptions& options) {
  return options.removeNonStandardTags || options.removeNonStandardAttributes ||
         options.removeStyleSheet || options.lowerCaseTags || options.upperCaseTags;
}

HandlerResult TagHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                         const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  TagRemover::Call& call = *static_cast<TagRemover::Call*>(userData);
  const QuorlOptions& options = *call.options;
  const std::string_view match(working + state.start,
                               static_cast<size_t>(state.end - state.start + 1));
  const std::string_view first = FirstWord(match);
  // What does not look like a tag ("a < b and c > d", "<ann@example.org>") stays as it is.
  if (!LooksLikeTag(first)) return HandlerResult::kUnchanged;
  auto& copier = static_cast<CopyPatternEngine&>(engine);
  if (options.convertToText || DeletesInMarkupMode(options, ListKey(first))) {
    copier.EmitReplacement(state, index, "");
    return HandlerResult::kUnchanged;
  }
  if (!RewritesTags(options)) return HandlerResult::kUnchanged;
  TextString rewritten;
  RewriteTag(options, call.tally, match, rewritten);
  copier.EmitReplacement(state, index, rewritten.Data());
  return HandlerResult::kUnchanged;
}

}  // namespace

void RewriteTag(const QuorlOptions& options, MessageTally& tally, std::string_view tag,
                TextString& out) {
  const ParsedTag parsed = ParseTag(tag);
  const std::string_view name = parsed.name;
  const auto copy = [&]() { out.AssignBytes(tag.data(), static_cast<int>(tag.size())); };
  if (parsed.nameEndedBySpace && (name.substr(0, 3) == "!--" || EqualsNoCase(name, "!DOCTYPE"))) {
    copy();
    return;
  }
  const TextString upperName(Upper(name).c_str());
  out.Clear();
  if (options.removeOfficeTags && name.find(':') != std::string_view::npos) {
    tally.Add("INFO: Removing unknown tag " + upperName);
    return;
  }
  switch (TagKnowledge::Html40().ClassifyTag(name)) {
    case TagClass::kStandard:
      break;
    case TagClass::kDeprecated:
      // Only "Remove non-standard tags" treats deprecated tags apart; "Keep deprecated tags"
      // then keeps them, rebuilt like the others.
      if (!options.removeNonStandardTags) break;
      if (!options.keepDeprecatedTags) {
        tally.Add("INFO: Removing deprecated tag " + upperName);
        return;
      }
      tally.Add("WARNING: Deprecated tag " + upperName);
      break;
    case TagClass::kSpecial:
    case TagClass::kUnknown:
      // A custom element (or <?xml ...>) stays as written unless non-standard tags go.
      if (options.removeNonStandardTags) {
        tally.Add("INFO: Removing unknown tag " + upperName);
      } else {
        copy();
      }
      return;
  }
  RebuildTag(options, tally, parsed, out);
}

void MessageTally::Add(const TextString& message) {
  for (auto& entry : entries_) {
    if (entry.first.View() == message.View()) {
      ++entry.second;
      return;
    }
  }
  entries_.emplace_back(message, 1);
}

void MessageTally::Report(const MessageFunction& report, int level) const {
  if (!report) return;
  for (const auto& [text, count] : entries_) {
    TextString line(text);
    if (count > 1) {
      line += " (";
      line += count;
      line += " times)";
    }
    report(line.Data(), level);
  }
}

TagRemover::TagRemover(bool usePatterns)
    : usePatterns_(usePatterns || PatternEngine::PlainScanRequested()) {
  tags_.AddPattern(PatternType::kCopyHandler, "<**>", nullptr, 0, TagHandler, &call_);
  tags_.locked = true;
}

int TagRemover::Run(const MessageFunction& report, const QuorlOptions& options,
                    DocumentEncoding& encoding, const TextString& in, TextString& out) {
  TextString spare;
  return Run(report, options, encoding, in, out, spare);
}

int TagRemover::Run(const MessageFunction& report, const QuorlOptions& options,
                    DocumentEncoding& encoding, const TextString& in, TextString& out,
                    TextString& spare) {
  call_ = Call();
  call_.options = &options;
  int handled = 0;
  // The text is copied only when a step changes it (`in` and `out` may be one string). A
  // step writes into the spare buffer; its result then takes the place of `out`, and what
  // `out` held, no longer needed, is the buffer the next step writes into. A large text is
  // held at most twice, and no step takes a new buffer once the spare one is large enough.
  TextString into;
  into.Swap(spare);
  into.Clear();
  const TextString* text = &in;
  const auto keep = [&]() {
    out.Swap(into);
    into.Clear();
    text = &out;
  };
  if (options.convertToText && !usePatterns_) {
    // Text mode deletes every tag: no decisions, no tally.
    const int matches = DeleteTags(in.View(), into);
    handled = matches < 0 ? -matches : matches;
    if (matches > 0) keep();
  } else if (in.Contains('<') && in.Contains('>')) {
    const RunOptions options;
    handled = tags_.Run(in, &options);
    if (handled > 0) {
      tags_.TakeResult(into);
      keep();
    }
    call_.tally.Report(report, 8);
  }
  if (options.convertToText || options.replaceEntities) {
    const int count = DecodeEntities(options, encoding, *text, into);
    if (count > 0) {
      handled += count;
      keep();
    }
    into.Clear();
  }
  if (options.convertToText && options.utf8Output) {
    if (RemoveSoftHyphens(text->View(), into)) keep();
    if (HoldsTextBeyondAscii(*text)) encoding.unicodeTextProduced = true;
  }
  if (text == &in && &out != &in) out = in;
  spare.Swap(into);
  return handled;
}

int DecodeEntities(const QuorlOptions& options, DocumentEncoding& encoding, const TextString& in,
                   TextString& out) {
  EntityWriting writing;
  writing.utf8Output = options.utf8Output != 0;
  writing.allow8Bit = options.allow8BitAnsi != 0;
  writing.alternatives = options.allowAnsiAlternatives != 0;
  writing.utf8Document = encoding.utf8Document;
  writing.keepMarkup = options.convertToText == 0;
  writing.documentCharset = encoding.charset.View();
  int unicodeTextProduced = 0;
  const int count = ConvertEntities(in, out, writing, unicodeTextProduced);
  if (unicodeTextProduced) encoding.unicodeTextProduced = true;
  return count;
}

TextString WithoutTagsAsWritten(const TextString& in) {
  TextString out;
  if (DeleteTags(in.View(), out) <= 0) return in;
  return out;
}

}  // namespace quorlex
