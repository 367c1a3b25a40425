#include "engine/HiddenElements.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/PassState.h"
#include "engine/TagText.h"
#include "foundation/Ascii.h"

namespace quorlex {
namespace {

constexpr std::string_view kVoidElements[] = {"img",   "input",  "br",   "hr",   "meta",
                                              "link",  "source", "wbr",  "area", "col",
                                              "embed", "track",  "param"};

// The elements whose content never shows, whatever their attributes.
constexpr std::string_view kContentNeverShown[] = {"template", "svg"};

// Whether `text` spells "hidden" or "none", in any case: every way of hiding does, and most
// tags of a page do not. One look at each character.
bool SpellsHiding(std::string_view text) {
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = ToAsciiLower(text[at]);
    if ((c == 'h' && EqualsIgnoringCase(text.substr(at, 6), "hidden")) ||
        (c == 'n' && EqualsIgnoringCase(text.substr(at, 4), "none"))) {
      return true;
    }
  }
  return false;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsMarkupWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsMarkupWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

struct Attribute {
  std::string_view name;
  std::string_view value;  // without its quotes; empty when the attribute has none
};

// Reads the next attribute of `text` (a tag after its name) from `pos`; false at the tag's
// end. A quoted value runs to the same quote (or to the end when it is never closed), an
// unquoted one to white space or ">".
bool NextAttribute(std::string_view text, size_t& pos, Attribute& attribute) {
  while (pos < text.size() && (IsMarkupWhiteSpace(text[pos]) || text[pos] == '/')) ++pos;
  if (pos >= text.size() || text[pos] == '>') return false;
  const size_t nameStart = pos;
  // A stray "=" is taken into the name, so that every call moves on.
  do {
    ++pos;
  } while (pos < text.size() && !IsMarkupWhiteSpace(text[pos]) && text[pos] != '=' &&
           text[pos] != '>' && text[pos] != '/');
  attribute = Attribute{text.substr(nameStart, pos - nameStart), {}};
  size_t after = pos;
  while (after < text.size() && IsMarkupWhiteSpace(text[after])) ++after;
  if (after >= text.size() || text[after] != '=') return true;
  pos = after + 1;
  while (pos < text.size() && IsMarkupWhiteSpace(text[pos])) ++pos;
  if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
    const size_t close = text.find(text[pos], pos + 1);
    const size_t end = close == std::string_view::npos ? text.size() : close;
    attribute.value = text.substr(pos + 1, end - pos - 1);
    pos = end + 1;
    return true;
  }
  const size_t valueStart = pos;
  while (pos < text.size() && !IsMarkupWhiteSpace(text[pos]) && text[pos] != '>') ++pos;
  attribute.value = text.substr(valueStart, pos - valueStart);
  return true;
}

// Whether a style attribute's declarations take the element off the page:
// "Display : None", "visibility:hidden !important".
bool StyleHides(std::string_view style) {
  while (!style.empty()) {
    const size_t semicolon = style.find(';');
    const std::string_view declaration = style.substr(0, semicolon);
    style = semicolon == std::string_view::npos ? std::string_view() : style.substr(semicolon + 1);
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view property = Trimmed(declaration.substr(0, colon));
    std::string_view value = declaration.substr(colon + 1);
    value = Trimmed(value.substr(0, value.find('!')));  // "none !important" is "none"
    if ((EqualsIgnoringCase(property, "display") && EqualsIgnoringCase(value, "none")) ||
        (EqualsIgnoringCase(property, "visibility") && EqualsIgnoringCase(value, "hidden"))) {
      return true;
    }
  }
  return false;
}

bool AttributeHides(const Attribute& attribute) {
  if (EqualsIgnoringCase(attribute.name, "hidden")) {
    return !EqualsIgnoringCase(Trimmed(attribute.value), "until-found");
  }
  if (EqualsIgnoringCase(attribute.name, "aria-hidden")) {
    return EqualsIgnoringCase(Trimmed(attribute.value), "true");
  }
  return EqualsIgnoringCase(attribute.name, "style") && StyleHides(attribute.value);
}

bool IsOneOf(std::string_view name, const auto& lowerNames) {
  for (const std::string_view candidate : lowerNames) {
    if (EqualsIgnoringCase(name, candidate)) return true;
  }
  return false;
}

// The elements open while ElementEnds reads a page, innermost last, each with its index
// in the list of elements.
class OpenElementStack {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  // Opens element number `element` (kNone: one that is not recorded), called `name`
  // (lower case).
  void Push(std::string name, size_t element) {
    ++CountOf(name);
    open_.push_back(Open{std::move(name), element});
  }

  // Closes the innermost open element called `name` (lower case) and returns its number;
  // the elements opened inside it end with it, unclosed. kNone when none of that name is
  // open (the end tag is ignored) or the element closed has no number.
  size_t Close(const std::string& name) {
    if (CountOf(name) == 0) return kNone;
    while (true) {
      Open top = std::move(open_.back());
      open_.pop_back();
      --CountOf(top.name);
      if (top.name == name) return top.element;
    }
  }

 private:
  struct Open {
    std::string name;
    size_t element;
  };

  // How many elements of a name are open: an end tag of a name with none is ignored
  // without a look down the stack, so that stray end tags cost nothing. A page uses a few
  // dozen names, so a list is quicker to look through than a table to hash into.
  int& CountOf(const std::string& name) {
    for (auto& [known, count] : counts_) {
      if (known == name) return count;
    }
    return counts_.emplace_back(name, 0).second;
  }

  std::vector<Open> open_;
  std::vector<std::pair<std::string, int>> counts_;
};

}  // namespace

bool IsVoidElement(std::string_view name) { return IsOneOf(name, kVoidElements); }

bool HidesElement(std::string_view tag, std::string_view name) {
  if (IsOneOf(name, kContentNeverShown)) return true;
  const std::string_view attributes = tag.substr(std::min(tag.size(), name.size() + 1));
  if (!SpellsHiding(attributes)) return false;
  Attribute attribute;
  for (size_t pos = 0; NextAttribute(attributes, pos, attribute);) {
    if (AttributeHides(attribute)) return true;
  }
  return false;
}

int ElementEnds::EndOf(std::string_view text, int start) {
  if (!read_) Read(text);
  const auto found = std::lower_bound(
      starts_.begin(), starts_.end(), start,
      [](const Element& element, int position) { return element.start < position; });
  return found != starts_.end() && found->start == start ? found->end : -1;
}

void ElementEnds::Read(std::string_view text) {
  read_ = true;
  starts_.clear();
  OpenElementStack open;
  for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    const bool endTag = at + 1 < text.size() && text[at + 1] == '/';
    const size_t nameAt = at + (endTag ? 2 : 1);
    if (nameAt >= text.size() || !IsAsciiLetter(text[nameAt])) continue;
    const size_t close = TagEnd(text, at);
    if (close == std::string_view::npos) continue;
    const std::string_view written = TagNameAt(text, nameAt);
    std::string name = AsciiLowerCase(written);
    const std::string_view tag = text.substr(at, close - at + 1);
    if (!endTag && !IsVoidElement(name) && !ClosesItself(tag)) {
      if (recorded_ == nullptr || recorded_(tag, written)) {
        open.Push(std::move(name), starts_.size());
        starts_.push_back(Element{static_cast<int>(at), -1});
      } else {
        open.Push(std::move(name), OpenElementStack::kNone);
      }
    } else if (endTag) {
      const size_t element = open.Close(name);
      if (element != OpenElementStack::kNone) starts_[element].end = static_cast<int>(close + 1);
    }
    at = close;
  }
}

bool RemoveHiddenElements(PassState& pass, TextString& text) {
  const std::string_view view = text.View();
  // What is kept goes into the pass's spare buffer, which then holds the old text: a large
  // page costs no third buffer.
  TextString& kept = pass.spareBuffer;
  kept.Clear();
  size_t copied = 0;  // the text before this is in `kept` or removed
  bool removed = false;
  pass.elementEnds.Clear();
  for (size_t at = view.find('<'); at != std::string_view::npos; at = view.find('<', at + 1)) {
    if (at + 1 >= view.size() || !IsAsciiLetter(view[at + 1])) continue;
    const size_t close = TagEnd(view, at);
    if (close == std::string_view::npos) continue;
    const std::string_view tag = view.substr(at, close - at + 1);
    const std::string_view name = TagNameAt(tag, 1);
    size_t end = close + 1;  // just after what goes
    if (!HidesElement(tag, name)) {
      at = close;
      continue;
    }
    if (!IsVoidElement(name) && !ClosesItself(tag)) {
      const int elementEnd = pass.elementEnds.EndOf(view, static_cast<int>(at));
      if (elementEnd < 0) {
        const std::string warning =
            "WARNING: No end tag for hidden <" + AsciiLowerCase(name) + "> - only the tag removed";
        pass.Message(warning.c_str(), 10);
      } else {
        end = static_cast<size_t>(elementEnd);
      }
    }
    if (!removed) kept.Reserve(text.Length());
    removed = true;
    kept.AppendBytes(view.data() + copied, static_cast<int>(at - copied));
    copied = end;
    at = end - 1;
  }
  if (!removed) return false;
  kept.AppendBytes(view.data() + copied, static_cast<int>(view.size() - copied));
  text.Swap(kept);
  return true;
}

}  // namespace quorlex
