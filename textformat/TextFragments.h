#pragma once

#include <vector>

#include "foundation/MessageChannel.h"
#include "foundation/TextString.h"
#include "foundation/Version.h"
#include "textformat/DocumentInfo.h"

namespace quorlex {

class ConversionContext;

// A calendar date, as TIMESTAMP prints it ("7-Dec-2026").
struct FragmentDate {
  int year = 1970;
  int month = 1;  // 1 to 12; another month prints as its number
  int day = 1;

  // Today's date in the local time zone.
  static FragmentDate Today();
};

// Everything the expansion of fragment tags reads. Build it when the fragment is emitted:
// the page width and the document facts are those of that moment (the header is made last
// so that it can show the output size).
struct FragmentSettings {
  // "Target Page width": the width W of the header box. Values below 0 count as 0 and values
  // above kMaximumBoxWidth as that width.
  int pageWidth = 72;
  // The "Start tag delimiter" and "End tag delimiter" policies. An empty delimiter means no
  // tag can be found: lines are then emitted as they stand.
  TextString startDelimiter = "[[";
  TextString endDelimiter = "]]";
  // The facts the header items print (not owned; null: every fact is empty).
  const DocumentInfo* info = nullptr;
  // Where TAG ERROR messages go (level 10); none are issued when empty.
  MessageFunction report;
  // The date TIMESTAMP prints; today's local date unless set.
  FragmentDate date = FragmentDate::Today();
  // VERSION prints "Converted by : ", the program name, a blank and the version.
  TextString programName = kProgramName;
  TextString programVersion = kProgramVersion;

  static constexpr int kMaximumBoxWidth = 32767;
};

// The settings of a conversion context: the page width from its de-tagging policies, the
// delimiters from its general policies (an empty one stands for its default, since no tag
// could be written without it), its reporter and the given facts; today's date and this
// program's name and version. The context and `info` must outlive the settings.
FragmentSettings MakeFragmentSettings(ConversionContext& context, const DocumentInfo& info);

// Limits that keep the expansion of one line finite and small whatever the fragment and the
// document facts hold.
inline constexpr int kMaximumTagsPerLine = 1000;
inline constexpr int kMaximumLineGrowth = 1 << 20;

// Expands the tags of one line in place.
//
// A tag is the text from a start delimiter through the first end delimiter after the scan
// position, when the start delimiter comes first. The scan begins at the start of the line;
// each tag is replaced by its expansion where it was found and the scan goes on:
//  - from where the tag began when the expansion is fragment text (COMMENT) or nothing, so
//    a tag written inside a comment is expanded in turn;
//  - after the expansion otherwise: text made from document facts (a title, a file name)
//    is data and is never taken for tags, even when it holds the delimiters.
// It stops when no start delimiter stands before the next end delimiter. At most
// kMaximumTagsPerLine tags are expanded in one line, and none once the line has grown by
// more than kMaximumLineGrowth characters; the rest of the line is then left as it stands
// and a TAG ERROR says so.
//
// Tag kinds and items are the blank-separated words inside the delimiters, compared
// ignoring case:
//  - TEXT_HEADER items give labelled lines framed to the box (BOX_TOP and BOX_BOTTOM are
//    the unframed corners); an unknown item gives the message
//    `TAG ERROR: Unknown TEXT_HEADER tag type "<tag>"` and nothing. A framed line is "| ",
//    the text, blanks up to W - 2 display columns and " |". A text wider than W - 4
//    columns breaks at its last blank within W - 4 and goes on, trimmed, in a line that begins with
//    13 blanks and ": " (a continuation breaks only after those 15 characters, and nothing is left
//    for it when only blanks followed the break); a text that cannot break sticks out;
//  - the general tags give plain values: TIMESTAMP the date ("7-Dec-2026"), VERSION the
//    program name and version, SOURCE_FILE the input file name, LINERULE a rule of W
//    dashes, VARIABLE nothing (a conversion defines no variables);
//  - the tags of HTML output (NEXT_PAGE, RULEWIDTH, ...) mean nothing in text and give
//    nothing;
//  - any other kind gives `TAG ERROR: Unknown fragment tag "<tag>"` and nothing.
// An expansion of several lines holds them separated by line feeds.
void ExpandFragmentTags(TextString& line, const FragmentSettings& settings);

// Named lists of lines (TEXT_HEADER, TEXT_FOOTER, ...) whose tags are expanded when the
// fragment is emitted. Names compare ignoring case.
class TextFragmentStore {
 public:
  // Starts the definition of fragment `name`; lines added from now on go to it. A fragment
  // of that name defined before is emptied and redefined, so a document's own TEXT_HEADER
  // replaces the built-in one.
  void Begin(const TextString& name);
  // Adds a copy of `line` to the fragment begun last; nothing happens when none has been
  // begun since construction or Clear.
  void AddLine(const TextString& line);
  // Appends the lines of fragment `name`, with their tags expanded, to `out`: every line
  // feed of an expanded line ends an output line, so a framed item of several lines gives
  // several output lines, and an empty line gives one empty line. Returns 0 (leaving `out`
  // alone) when there is no such fragment, else 1.
  int Emit(const char* name, std::vector<TextString>& out, const FragmentSettings& settings) const;
  // Forgets every fragment.
  void Clear();

 private:
  struct Fragment {
    TextString name;
    std::vector<TextString> lines;
  };

  const Fragment* Find(const char* name) const;

  std::vector<Fragment> fragments_;
  int current_ = -1;  // index of the fragment begun last, -1 for none
};

// The built-in definitions that the input reader delivers ahead of a document in text mode:
// the TEXT_HEADER box (title, output file name and size, date) followed by an empty line,
// and an empty TEXT_FOOTER, in the "$_$_DEFINE_TEXT_FRAGMENT" ... "$_$_END_BLOCK" form.
// The header's tags are written with the delimiters in force, so that the built-in box
// still comes out when a policy file changes them.
std::vector<TextString> BuiltInFragmentDefinitions(const TextString& startDelimiter = "[[",
                                                   const TextString& endDelimiter = "]]");

}  // namespace quorlex
