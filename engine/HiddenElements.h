#pragma once

// Content a reader of the page never sees: elements hidden by an attribute or a style, and
// the content of <template> and of inline <svg>. In text mode the first stage removes each
// such element with everything it holds, before the later lists can turn any of it into
// text. <noscript> is not hidden: we read as a
// browser without scripts does.

#include <string_view>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

struct PassState;

// Whether `name` (any case) is a void element: one that has no end tag and holds nothing
// (img, input, br, hr, meta, link, source, wbr, area, col, embed, track, param).
[[nodiscard]] bool IsVoidElement(std::string_view name);

// Whether the start tag `tag` (from its "<" up to and including its ">", `name` its name in
// any case) hides its element: the name is template or svg, or the tag has the `hidden`
// attribute (with any value but "until-found"), `aria-hidden="true"`, or a style attribute
// declaring `display: none` or `visibility: hidden` (names and values in any case, any white
// space around them, "!important" or not).
[[nodiscard]] bool HidesElement(std::string_view tag, std::string_view name);

// Where the elements of one text end, found in one pass over all its tags: a start tag is
// matched with the end tag of its name that closes it, nested start tags of that name
// counted. An end tag closes the innermost open element of its name and, with it, every
// element opened inside that one and still open: those have no end tag. An end tag with no
// open element of its name is ignored. Void elements and tags closing themselves ("<x/>")
// open nothing. A tag runs from its "<" to the next ">", unless another "<" comes first.
class ElementEnds {
 public:
  // Which start tags (the whole tag and its name) EndOf is asked about.
  using Recorded = bool (*)(std::string_view tag, std::string_view name);

  // Only the elements whose start tag `recorded` accepts (every element without it) are
  // remembered, so that a page of a million elements of which a few are asked about costs
  // no table of a million; EndOf answers -1 for the others.
  explicit ElementEnds(Recorded recorded = nullptr) : recorded_(recorded) {}

  // Forgets the text: the next EndOf reads the text it is given.
  void Clear() {
    read_ = false;
    starts_.clear();
  }
  // Where the element whose start tag begins at text[start] ends: the position just after
  // its end tag's ">"; -1 when it has no end tag (or no start tag begins there). The text
  // is read on the first call after Clear and must not change until the next Clear.
  [[nodiscard]] int EndOf(std::string_view text, int start);

 private:
  struct Element {
    int start = 0;
    int end = -1;
  };
  void Read(std::string_view text);

  Recorded recorded_;
  bool read_ = false;
  std::vector<Element> starts_;  // the elements opened and recorded, in text order
};

// Removes from `text` every element whose start tag hides it, with all it holds, in one pass
// over the tags (most of which hide nothing); an element without an end tag loses only its
// start tag, with a warning to the pass's messages. Returns whether anything went. The
// pass's ElementEnds serves the run; the text kept is written into the pass's spare buffer,
// which afterwards holds the old text (`text` must not be that buffer).
bool RemoveHiddenElements(PassState& pass, TextString& text);

}  // namespace quorlex
