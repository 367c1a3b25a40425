#pragma once

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

// True when the byte at `pos` belongs to a valid multi-byte sequence, as its lead byte or as
// one of its continuation bytes (the lead byte may stand up to three bytes earlier).
[[nodiscard]] bool IsInUtf8Sequence(const char* text, int length, int pos);

// The position of the first byte above 127 at or after `from`, or `length` when there is
// none. Reads eight bytes at a time: most text is ASCII.
[[nodiscard]] int NextNonAscii(const char* text, int length, int from);

// The number of characters the text shows on a page: one per valid multi-byte sequence and
// one per other byte (so 8-bit text counts its bytes).
[[nodiscard]] int ShownLength(const char* text, int length);

// Takes a UTF-8 byte-order mark (EF BB BF) off the front of `line`, as text editors write
// one at the start of a file; returns whether there was one. Callers pass the first line of
// each file they read, so that the mark never sticks to the first word.
bool RemoveUtf8ByteOrderMark(TextString& line);

// Appends code point `codePoint` (at most U+10FFFF) as UTF-8.
void AppendUtf8(TextString& text, unsigned int codePoint);

}  // namespace quorlex
