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

// Words of the marker lines.
inline constexpr const char* kStartListLine = "$_$_START_LIST";
inline constexpr const char* kEndListLine = "$_$_END_LIST";
inline constexpr const char* kStartPreLine = "$_$_START_PRE";
inline constexpr const char* kEndPreLine = "$_$_END_PRE";
inline constexpr const char* kStartBlockLine = "$_$_START_BLOCK";
inline constexpr const char* kEndBlockLine = "$_$_END_BLOCK";
inline constexpr const char* kStartDefinitionsLine = "$_$_START_DL";
inline constexpr const char* kEndDefinitionsLine = "$_$_END_DL";
inline constexpr const char* kListItemLabel = "[[LI]]";
// A rule: "$_$_LINE", optionally a blank and a width ("36" or "50%").
inline constexpr const char* kRuleLine = "$_$_LINE";
// A block of the text block store: "$_$_TEXTBLOCK " and its number.
inline constexpr const char* kTextBlockLine = "$_$_TEXTBLOCK ";
// Every marker line begins with this.
inline constexpr const char* kMarkerLinePrefix = "$_$_";
// The byte that frames the inline markers.
inline constexpr char kMarkerByte = static_cast<char>(0xFF);

}  // namespace quorlex
