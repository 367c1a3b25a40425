#pragma once

#include <string>
#include <string_view>

namespace quorlex {

// Follows the input line by line as it is gathered into a chunk for the first stage, and
// tells whether the text so far ends inside an element that the first stage must see whole:
// a comment, a script, a style sheet, a head, a template, an inline svg or an element
// hidden by its attributes (HidesElement). Each of these goes with one pattern match, and a
// match never reaches across the end of a chunk; so the chunk goes on until the element has
// ended.
//
// An element ends where the pattern that removes it stops: a comment at the first "-->"
// after its "<!--", a script at "</script", a style sheet at "</style", a head at
// "</head>"; a template, svg or hidden element at its matching end tag, nested start tags
// of the same name counted ("<svg/>" and void elements open nothing). Names and ends are found
// ignoring case. Inside an open element nothing else is looked for: a "<!--" in a script is script.
//
// Every line is looked at once, when it is fed, so the work stays linear in the input
// however long an element stays open; one that never ends keeps the tracker inside it to
// the end of the input. Start tags are recognised by Opened(), which sees the tag up to
// its ">" or the end of its line (attributes on a later line are not seen).
class OpenElementTracker {
 public:
  // Takes the next line of the text, without its line feed.
  void Feed(std::string_view line);
  // Whether the text fed so far ends inside an element.
  [[nodiscard]] bool Inside() const { return open_.ending != Ending::kNone; }

 private:
  enum class Ending {
    kNone,      // no element is open
    kAtText,    // at the first occurrence of `endText`
    kAtEndTag,  // at the end tag of `name` that matches its start tag
  };
  struct OpenElement {
    Ending ending = Ending::kNone;
    std::string_view endText;  // kAtText: "-->", "</script", ...
    std::string name;          // kAtEndTag: the tag name in lower case
    int depth = 0;             // kAtEndTag: its start tags still open
  };

  // The element that the start tag `tag` (from its "<" to its ">" when that comes on the
  // line before another "<") opens, or none. `name` is the tag's name, in any case.
  static OpenElement Opened(std::string_view tag, std::string_view name);
  // Scans `text` (a line) from `from` while no element is open; returns where the scan stopped:
  // just after the start of an element, or the end.
  size_t SkipToElement(std::string_view text, size_t from);
  // Scans `text` from `from` while an element is open; returns where it stopped: just after
  // the element's end, or the end of the text.
  size_t SkipToEnd(std::string_view text, size_t from);
  void Close() { open_ = OpenElement(); }

  OpenElement open_;
};

}  // namespace quorlex
