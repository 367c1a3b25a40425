#pragma once

#include "foundation/TextString.h"

namespace quorlex {

// The in-stream markers that the de-tagging phases leave in the text for later phases and
// for the line writer. The four inline ones are a word between two 0xFF bytes and become
// plain characters in the last phases; the structural ones end up on lines of their own.
struct Markers {
  TextString paragraph;          // 0xFF "P" 0xFF: two line feeds
  TextString lineBreak;          // 0xFF "BR" 0xFF: one line feed
  TextString softBreak;          // 0xFF "CBR" 0xFF: a line feed; next to another break, one
  TextString tab;                // 0xFF "TAB" 0xFF: a tab
  TextString startList;          // soft break "$_$_START_LIST" soft break
  TextString endList;            // soft break "$_$_END_LIST" soft break
  TextString startPreformatted;  // soft break "$_$_START_PRE" soft break
  TextString endPreformatted;    // soft break "$_$_END_PRE" soft break
  TextString startBlock;         // soft break "$_$_START_BLOCK" soft break
  TextString endBlock;           // soft break "$_$_END_BLOCK" soft break
  TextString listItem;           // soft break "[[LI]]": the item's label follows
  TextString startDefinitions;   // soft break "$_$_START_DL" soft break
  TextString endDefinitions;     // soft break "$_$_END_DL" soft break
  // 0xFF "EB" 0xFF at the end of a line: a break of the markup ended the line, not a line
  // end of the source, so nothing of the line is carried into the next.
  TextString endsAtBreak;
};

// The markers, built on first use and never changed.
const Markers& GetMarkers();

// `text` with each inline marker replaced by a blank, for text shown on its own (a heading
// that stands for the document's title). A marker byte without its closing one goes alone.
[[nodiscard]] TextString WithMarkersAsBlanks(const TextString& text);

// Removes the break marker that ends `line`, as the text is laid out, and says whether there
// was one. One found further in (where a later phase joined two lines) goes too.
bool TakeBreakEnd(TextString& line);

// Words of the marker lines. They are arrays, so that `sizeof kName - 1` is their length.
inline constexpr char kStartListLine[] = "$_$_START_LIST";
inline constexpr char kEndListLine[] = "$_$_END_LIST";
inline constexpr char kStartPreLine[] = "$_$_START_PRE";
inline constexpr char kEndPreLine[] = "$_$_END_PRE";
inline constexpr char kStartBlockLine[] = "$_$_START_BLOCK";
inline constexpr char kEndBlockLine[] = "$_$_END_BLOCK";
inline constexpr char kStartDefinitionsLine[] = "$_$_START_DL";
inline constexpr char kEndDefinitionsLine[] = "$_$_END_DL";
// The marker of a list item's label, in the case the handlers write it, and as a change of
// the text to lower case leaves it; both begin with kListItemLabelOpening.
inline constexpr char kListItemLabel[] = "[[LI]]";
inline constexpr char kListItemLabelLowerCase[] = "[[li]]";
inline constexpr char kListItemLabelOpening[] = "[[";
// A rule: "$_$_LINE", optionally a blank and a width ("36" or "50%").
inline constexpr char kRuleLine[] = "$_$_LINE";
// A block of the text block store: kTextBlockWord, a blank and its number.
inline constexpr char kTextBlockWord[] = "$_$_TEXTBLOCK";
inline constexpr char kTextBlockLine[] = "$_$_TEXTBLOCK ";
// A table written with delimiters, as text that is not laid out: between its opening line
// (one for comma-delimited tables, one for tab-delimited ones) and its end line.
inline constexpr char kBeginCommaTableLine[] = "$_$_BEGIN_COMMA_DELIMITED_TABLE";
inline constexpr char kBeginDelimitedTableLine[] = "$_$_BEGIN_DELIMITED_TABLE";
inline constexpr char kEndTableLine[] = "$_$_END_TABLE";
// A text fragment's definition: this word, a blank and the fragment's name on the first
// line, its lines, and kEndBlockLine.
inline constexpr char kDefineTextFragmentLine[] = "$_$_DEFINE_TEXT_FRAGMENT";
// Every marker line begins with this.
inline constexpr char kMarkerLinePrefix[] = "$_$_";
// The byte that frames the inline markers.
inline constexpr char kMarkerByte = static_cast<char>(0xFF);

}  // namespace quorlex
