#pragma once

#include <span>
#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// Character entities: "&eacute;", "&amp;", "&#233;", "&#xE9;" and the like turned into the
// characters they stand for, written as UTF-8, as 8-bit text, or in a document's own charset.

// One named entity: its whole text (ampersand, name, semicolon) and the code points it stands
// for: one, or two for a few names ("&NotEqualTilde;" is U+2242 U+0338; secondCodePoint is 0
// for the others).
struct EntityRow {
  std::string_view text;
  int codePoint;
  int secondCodePoint;
};

// The named character references of HTML5 that end in ";" (2,125 rows: "&check;", "&lbrace;",
// "&NewLine;", "&AMP;" ...), generated from the standard's table by
// scripts/generate-entities.py. Sorted by text in byte order; case matters, so "&Eacute;" and
// "&eacute;" are different rows. Fixed at compile time.
[[nodiscard]] std::span<const EntityRow> EntityTable();

// The characters an entity stands for: `first`, then `second` unless that is 0.
struct EntityCharacters {
  int first = -1;
  int second = 0;
};

// Returns 1 and sets `characters` for a whole entity text, "&" ... ";":
//  - "&#" and decimal digits, or "&#x" (or "&#X") and hexadecimal digits, as a browser reads
//    them: 128 to 159 are the characters of those bytes in windows-1252 ("&#147;" is U+201C);
//    the five bytes windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), 0, the
//    UTF-16 surrogates and anything above U+10FFFF, however many digits, give U+FFFD;
//  - any other text is looked up in EntityTable() by exact text.
// Returns 0 with characters.first -1 for a text without the ampersand or the final semicolon,
// an unknown name, and a number without digits or with anything else before its ";" ("&#;",
// "&#x;", "&# 65;", "&#65a;").
[[nodiscard]] int EntityValue(std::string_view entity, EntityCharacters& characters);

// How ConvertEntities writes the characters it decodes.
struct EntityWriting {
  // UTF-8 output (the default): every character is written as UTF-8, "&shy;" as nothing; the
  // three 8-bit fields below have no effect. Otherwise the output is 8-bit text, written as
  // those fields say.
  bool utf8Output = true;
  // 8-bit output: single bytes 128 to 255 may be written.
  bool allow8Bit = false;
  // 8-bit output: near ASCII look-alikes replace some typographic characters.
  bool alternatives = false;
  // 8-bit output: the document itself is UTF-8, so single bytes 128 to 255 would corrupt it.
  bool utf8Document = false;
  // Output that stays HTML: the entities of '<', '>', '&', '"' and '\'' stay as written
  // (decoded, "&lt;script&gt;" would become a live tag). In UTF-8 output the other characters
  // are written in `documentCharset`.
  bool keepMarkup = false;
  // The charset of a document whose markup is kept, by its WHATWG name ("windows-1252",
  // "EUC-KR", "Shift_JIS", ...; empty means UTF-8). An entity whose characters that charset
  // cannot hold stays as written.
  std::string_view documentCharset;
};

// Writes to `out` the text `in` with its character entities replaced, and returns the number
// of replacements. `out` may be `in`.
//
// A text without both "&" and ";" is copied unchanged. In 8-bit output with `alternatives`,
// every "&nbsp;" first becomes a blank (counted). Then the text is scanned left to right:
// the candidate of each "&" runs to the next ";", and is taken when it is numeric ("&#...;")
// or at most 33 characters long (the longest name) and has an EntityValue; the entity is then
// replaced as below and the scan continues after it, so decoded text is never decoded again
// ("&amp;lt;" gives "&lt;"). Otherwise the "&" stays and the scan moves one character on. A
// name without its ";" ("&copy 2024") is never an entity.
//
// Each character c is written:
//  - in UTF-8 output: as UTF-8 (one to four bytes), except U+00AD (a soft hyphen), which is
//    left out; with `keepMarkup`, in `documentCharset` instead (ASCII as itself);
//  - in 8-bit output: c below 128 as that byte; with `alternatives`, a near ASCII look-alike
//    for some typographic characters: U+2022 "o"; U+00AD and U+2013 "-"; U+2014 "--"; U+00A0
//    a blank; U+00A6 ":"; U+00B4, U+2019, U+201C and U+201D "'"; U+2018 "`"; and U+00FF the
//    byte 0xFD (except in a UTF-8 document); 128 to 255 with `allow8Bit` as that byte, unless
//    `utf8Document` is set; otherwise as UTF-8.
// unicodeTextProduced is set to 1 when a character is written as UTF-8 beyond ASCII (it is
// never cleared here).
//
// The work is linear in the length of the text: an entity repeated throughout it is found in a
// small cache of recent decodings rather than decoded at every occurrence.
int ConvertEntities(const TextString& in, TextString& out, const EntityWriting& writing,
                    int& unicodeTextProduced);

}  // namespace quorlex
