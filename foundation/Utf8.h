#pragma once

#include <string_view>

namespace quorlex {

class TextString;

// Recognising UTF-8 inside 8-bit text.
//
// Documents arrive in Windows-1252 as often as in UTF-8, and the byte-wise repairs of
// Windows punctuation must not touch the bytes of a UTF-8 character (0x91-0x97 and 0xA0 are
// also UTF-8 continuation bytes). A sequence is valid when it has a lead byte C2 to F4 and
// the right number of continuation bytes (80 to BF), encodes no code point in a shorter form
// than needed (no overlong forms), no surrogate (D800 to DFFF) and nothing above U+10FFFF.
// ASCII bytes are never part of a multi-byte sequence.
//
// Both operations are safe on any bytes: `pos` may lie anywhere, also outside the text, and
// nothing beyond text[length - 1] is read. A null text or a length below 1 holds no sequence.

// The length (2 to 4) of the valid multi-byte sequence that starts at `pos`, or 0 when none
// starts there (an ASCII byte, a continuation byte, a malformed or cut-off sequence, or
// `pos` outside the text).
[[nodiscard]] int Utf8SequenceLength(const char* text, int length, int pos);

// The position of the first byte above 127 at or after `from`, or `length` when there is
// none. Reads eight bytes at a time: most text is ASCII.
[[nodiscard]] int NextNonAscii(const char* text, int length, int from);

// --- Display columns -------------------------------------------------------------------
//
// Layout measures text in the columns a terminal or a fixed-width font gives it, one code
// point at a time (a grapheme cluster is the sum of its code points): East Asian wide and
// fullwidth characters take 2 columns; combining marks (general categories Mn, Mc, Me) and
// default-ignorable code points (the zero-width characters U+200B to U+200F, U+2060, U+FEFF,
// variation selectors, the soft hyphen) take 0; every other character, ambiguous-width
// ones included, takes 1. A byte outside a valid UTF-8 sequence is a character of 8-bit
// text and takes 1 column, so 8-bit text measures its bytes. The tables are Unicode's, from
// utf8proc.

// The zero-width space: a place where a line may break, written as nothing.
inline constexpr std::string_view kZeroWidthSpace = "\xE2\x80\x8B";
inline constexpr char32_t kZeroWidthSpaceCode = 0x200B;
// The no-break space (&nbsp;): no place to break.
inline constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
inline constexpr char32_t kNoBreakSpaceCode = 0xA0;

// One character of text that may mix UTF-8 with 8-bit bytes.
struct TextCharacter {
  char32_t codePoint = 0;  // for a byte outside a valid sequence: that byte's value
  int size = 0;            // its bytes, 1 to 4
  int width = 0;           // its display columns, 0 to 2
};

// The columns of one code point (U+0000 to U+10FFFF; anything above counts 1). ASCII, tab
// and other control characters included, takes 1.
[[nodiscard]] int CodePointWidth(char32_t codePoint);

// The character that starts at `pos`, which must lie inside the text. A byte that starts
// no valid sequence (a continuation byte, an 8-bit character) is a character of its own.
[[nodiscard]] TextCharacter CharacterAt(std::string_view text, int pos);

// The display columns of `text`: the sum of its characters' widths. ASCII runs are counted
// a byte a column without decoding.
[[nodiscard]] int DisplayWidth(std::string_view text);

// The byte length of the longest start of `text` that takes at most `columns` columns (0
// when `columns` is below 1, or the first character alone is wider). It never ends inside
// a character, and zero-width characters right after the last that fits (combining marks)
// belong to it. Reads no further than the columns asked for need.
[[nodiscard]] int FittingLength(std::string_view text, int columns);

// Takes a UTF-8 byte-order mark (EF BB BF) off the front of `line`, as text editors write
// one at the start of a file; returns whether there was one. Callers pass the first line of
// each file they read, so that the mark never sticks to the first word.
bool RemoveUtf8ByteOrderMark(TextString& line);

// Writes code point `codePoint` (at most U+10FFFF) as UTF-8 into `bytes`; returns how many
// bytes it took (1 to 4).
int EncodeUtf8(unsigned int codePoint, char (&bytes)[4]);

// Appends code point `codePoint` (at most U+10FFFF) as UTF-8.
void AppendUtf8(TextString& text, unsigned int codePoint);

}  // namespace quorlex
