#include "engine/OpenElementTracker.h"

#include "engine/HiddenElements.h"
#include "engine/TagText.h"
#include "foundation/Ascii.h"

namespace quorlex {
namespace {

constexpr std::string_view kCommentStart = "<!--";
constexpr std::string_view kCommentEnd = "-->";

// The elements that end at the first occurrence of a text, whatever they hold.
struct EndsAtText {
  std::string_view name;
  std::string_view end;
};
constexpr EndsAtText kEndsAtText[] = {
    {"script", "</script"}, {"style", "</style"}, {"head", "</head>"}};

// Where `needle` (lower case, starting with a character that has no case) first occurs in
// `text` at or after `from`, ignoring case; npos when it does not.
size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from) {
  for (size_t at = text.find(needle.front(), from); at != std::string_view::npos;
       at = text.find(needle.front(), at + 1)) {
    if (EqualsIgnoringCase(text.substr(at, needle.size()), needle)) return at;
  }
  return std::string_view::npos;
}

// The name that follows the "<" or "</" ending at text[at - 1], when a blank, ">" or "/"
// follows it (the end of the line counts as white space); otherwise empty.
std::string_view NameAt(std::string_view text, size_t at) {
  const std::string_view name = TagNameAt(text, at);
  const size_t end = at + name.size();
  const char after = end < text.size() ? text[end] : '\n';
  if (name.empty() || (!IsMarkupWhiteSpace(after) && after != '>' && after != '/')) return {};
  return name;
}

// The tag that starts at text[at]: up to its ">", or up to the next "<" or the end of the
// line when a "<" or the end comes first. (Never further than the next "<", which the scan
// goes on from: a line of "<a <a <a" is still looked at once.)
std::string_view TagAt(std::string_view text, size_t at) {
  const size_t stop = TagStop(text, at);
  return text.substr(at, stop < text.size() && text[stop] == '>' ? stop - at + 1 : stop - at);
}

// Whether the tag whose name starts `rest` may open an element: a quick test of the
// name's first letter and of the character after the name, which most tags of a page fail
// (any tag with attributes may hide its element).
bool MayOpen(std::string_view rest) {
  if (rest.empty()) return false;
  const char first = ToAsciiLower(rest.front());
  if (first == 's' || first == 'h' || first == 't') return true;
  size_t end = 0;
  while (end < rest.size() && IsTagNameCharacter(rest[end])) ++end;
  return end > 0 && end < rest.size() && IsMarkupWhiteSpace(rest[end]);
}

}  // namespace

OpenElementTracker::OpenElement OpenElementTracker::Opened(std::string_view tag,
                                                           std::string_view name) {
  OpenElement element;
  // As the patterns that remove them: "<script>" or "<script" and white space.
  const char after = tag.size() > name.size() + 1 ? tag[name.size() + 1] : '\n';
  for (const EndsAtText& candidate : kEndsAtText) {
    if (EqualsIgnoringCase(name, candidate.name) && (after == '>' || IsMarkupWhiteSpace(after))) {
      element.ending = Ending::kAtText;
      element.endText = candidate.end;
    }
  }
  if (!IsVoidElement(name) && !ClosesItself(tag) && HidesElement(tag, name)) {
    element.ending = Ending::kAtEndTag;
    element.name = AsciiLowerCase(name);
    element.depth = 1;
  }
  return element;
}

void OpenElementTracker::Feed(std::string_view line) {
  for (size_t pos = 0; pos < line.size();) {
    pos = Inside() ? SkipToEnd(line, pos) : SkipToElement(line, pos);
  }
}

size_t OpenElementTracker::SkipToElement(std::string_view text, size_t from) {
  for (size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (text.substr(at).starts_with(kCommentStart)) {
      open_ = OpenElement{Ending::kAtText, kCommentEnd, {}, 0};
      return at + kCommentStart.size();
    }
    if (!MayOpen(text.substr(at + 1))) continue;
    const std::string_view name = NameAt(text, at + 1);
    if (name.empty()) continue;
    OpenElement element = Opened(TagAt(text, at), name);
    if (element.ending != Ending::kNone) {
      open_ = std::move(element);
      return at + 1 + name.size();
    }
  }
  return text.size();
}

size_t OpenElementTracker::SkipToEnd(std::string_view text, size_t from) {
  if (open_.ending == Ending::kAtText) {
    const size_t end = FindIgnoringCase(text, open_.endText, from);
    if (end == std::string_view::npos) return text.size();
    const size_t after = end + open_.endText.size();
    Close();
    return after;
  }
  for (size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    const bool endTag = at + 1 < text.size() && text[at + 1] == '/';
    const size_t nameAt = endTag ? at + 2 : at + 1;
    if (!EqualsIgnoringCase(NameAt(text, nameAt), open_.name)) continue;
    if (!endTag) {
      if (!ClosesItself(TagAt(text, at))) ++open_.depth;
      continue;
    }
    if (--open_.depth == 0) {
      const size_t after = nameAt + open_.name.size();
      Close();
      return after;
    }
  }
  return text.size();
}

}  // namespace quorlex
