#pragma once

#include <span>
#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// Character entities: "&eacute;", "&amp;", "&#233;" and the like turned into the characters
// they stand for, written as 8-bit text or, where a character has no single byte, as UTF-8.

// One named entity: its whole text (ampersand, name, semicolon) and its code point.
struct EntityRow {
  std::string_view text;
  int codePoint;
};

// The named entities: the 252 of HTML 4.01 (its Latin-1, symbol and special sets) and the
// upper-case spellings "&AMP;", "&LT;", "&GT;" and "&NBSP;". Sorted by text in byte order
// (case matters, so "&Eacute;" and "&eacute;" are different rows). Fixed at compile time.
[[nodiscard]] std::span<const EntityRow> EntityTable();

// Returns 1 and sets codePoint to the character of a whole entity text, "&" ... ";".
// After "&#" the characters up to the final ";" are read as a decimal number the forgiving
// way of TextString::ParseNumber('1') ("&# 65;" reads 65; "&#x41;" does not read, as hex
// entities are not taken). Any other text is looked up in EntityTable() by exact text.
// Returns 0 with codePoint -1 for a text without the ampersand or the final semicolon, an
// unknown name, a number that does not read, and a code point that cannot be written as
// text: below 1 (a NUL byte would cut the text short for C-string callers; a negative one
// would become a stray byte), a UTF-16 surrogate (U+D800 to U+DFFF, never valid in UTF-8),
// or above 65535.
[[nodiscard]] int EntityValue(std::string_view entity, int& codePoint);

// Writes to `out` the text `in` with its character entities replaced, and returns the number
// of replacements. `out` may be `in`.
//
// A text without both "&" and ";" is copied unchanged. With `alternatives`, every "&nbsp;"
// first becomes a blank (counted). Then the text is scanned left to right: each "&" whose
// next ";" lies at most 8 characters on (so the candidate is at most 9 characters long) and
// whose candidate has an EntityValue is replaced by the character chosen below; otherwise the
// "&" stays and the scan moves one character on. The scan continues after the replaced
// entity, so decoded text is never decoded again: "&amp;lt;" gives "&lt;", wherever and
// however often it stands.
//
// The character for code point c:
//  - c below 128: that byte;
//  - with `alternatives`, a near ASCII look-alike for some typographic characters: U+0095
//    "o"; U+0096, U+00AD and U+2013 "-"; U+0097 and U+2014 "--"; U+00A0 a blank; U+00A6
//    ":"; U+00B4, U+2019, U+201C and U+201D "'"; U+2018 "`"; and U+00FF the byte 0xFD
//    (except in a UTF-8 document, below);
//  - 128 to 255 with `allow8Bit`: that byte, unless `utf8Document` is set;
//  - otherwise the UTF-8 encoding of c (two or three bytes), and unicodeTextProduced is set to
//    1 (it is never cleared here). `utf8Document` says the document itself is UTF-8, so
//    single bytes 128 to 255 would corrupt it: those code points, U+00FF included, are then
//    always written as UTF-8 and set the flag like every other UTF-8 character.
//
// The work is linear in the length of the text: an entity repeated throughout it is found in a
// small cache of recent decodings rather than decoded at every occurrence.
//
// With `keepMarkup` (output that stays HTML) the entities of '<', '>', '&' and '"' stay as
// written: decoded, "&lt;script&gt;" would become a live tag.
struct EntityWriting {
  bool allow8Bit = false;
  bool alternatives = false;
  bool utf8Document = false;
  bool keepMarkup = false;
};
int ConvertEntities(const TextString& in, TextString& out, const EntityWriting& writing,
                    int& unicodeTextProduced);

}  // namespace quorlex
