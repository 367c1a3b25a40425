#include "engine/OpenElementTracker.h"

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

// The elements that end at their matching end tag.
constexpr std::string_view kEndsAtEndTag[] = {"template", "svg"};

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == ':' || c == '_' ||
         c == '.';
}

// The name that follows the "<" or "</" ending at text[at - 1], when a blank, ">" or "/"
// follows it (the end of a line is a line feed); otherwise empty.
std::string_view NameAt(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && IsNameCharacter(text[end])) ++end;
  if (end == at || end == text.size()) return {};
  const char after = text[end];
  if (!IsWhiteSpace(after) && after != '>' && after != '/') return {};
  return text.substr(at, end - at);
}

// The tag that starts at text[at]: up to its ">", or up to the next "<" or the end of the
// line when a "<" or the end comes first. (Never further than the next "<", which the scan
// goes on from: a line of "<a <a <a" is still looked at once.)
std::string_view TagAt(std::string_view text, size_t at) {
  const size_t stop = text.find_first_of("<>", at + 1);
  if (stop == std::string_view::npos) return text.substr(at);
  return text.substr(at, text[stop] == '>' ? stop - at + 1 : stop - at);
}

bool ClosesItself(std::string_view tag) { return tag.ends_with("/>"); }

}  // namespace

OpenElementTracker::OpenElement OpenElementTracker::Opened(std::string_view tag,
                                                           std::string_view name) {
  OpenElement element;
  // As the patterns that remove them: "<script>" or "<script" and white space.
  const char after = tag.size() > name.size() + 1 ? tag[name.size() + 1] : '\n';
  for (const EndsAtText& candidate : kEndsAtText) {
    if (name == candidate.name && (after == '>' || IsWhiteSpace(after))) {
      element.ending = Ending::kAtText;
      element.endText = candidate.end;
    }
  }
  for (const std::string_view candidate : kEndsAtEndTag) {
    if (name == candidate && !ClosesItself(tag)) {
      element.ending = Ending::kAtEndTag;
      element.name = name;
      element.depth = 1;
    }
  }
  return element;
}

void OpenElementTracker::Feed(std::string_view line) {
  lowered_.AssignBytes(line.data(), static_cast<int>(line.size()));
  lowered_.AppendChar('\n');
  lowered_.ToLower();
  const std::string_view text = lowered_.View();
  for (size_t pos = 0; pos < text.size();) {
    pos = Inside() ? SkipToEnd(text, pos) : SkipToElement(text, pos);
  }
}

size_t OpenElementTracker::SkipToElement(std::string_view text, size_t from) {
  for (size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (text.substr(at).starts_with(kCommentStart)) {
      open_ = OpenElement{Ending::kAtText, kCommentEnd, {}, 0};
      return at + kCommentStart.size();
    }
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
    const size_t end = text.find(open_.endText, from);
    if (end == std::string_view::npos) return text.size();
    const size_t after = end + open_.endText.size();
    Close();
    return after;
  }
  for (size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    const bool endTag = at + 1 < text.size() && text[at + 1] == '/';
    const size_t nameAt = endTag ? at + 2 : at + 1;
    if (NameAt(text, nameAt) != open_.name) continue;
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
