#pragma once

#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// The characters the line writer breaks lines at.
struct BreakCharacters {
  const char* blanks = "\n\t ";  // preferred; the blank ends the piece and is dropped
  const char* opening = "([{";   // a piece may end with one of these
  const char* closing = ")]},";  // a piece may end just before one of these
};

// The first place after the character at `from` where `line` may break, or the length of
// the line when there is none (also for `from` outside the line). Sets `isBlank` to whether
// it is a byte of `blanks` (the break drops it) rather than a place between two characters
// (the break drops nothing). A line may break between two characters when either is wide
// (CJK text has no blanks) or the first is U+200B (a zero-width space, which <wbr> becomes);
// never before a zero-width character or one of 、。，．：；？！）］｝」』】〕〉》ー…, never after
// a zero-width character other than U+200B or after one of （［｛「『【〔〈《, and never beside a
// no-break space. Widths are display columns (DisplayWidth).
[[nodiscard]] int NextBreakPoint(std::string_view line, int from, const char* blanks,
                                 bool& isBlank);

// The index of the last character of the next piece of `line` that begins at `start` and
// takes at most `width` display columns: the last break point within the width (a blank
// there ends the piece and is dropped; the end of the line counts as a blank), unless there
// is none or it lies more than 15 columns before the limit; then a later opening bracket
// (not followed by ".") ends the piece, or a piece ends just before a later closing
// character (a comma between two digits is none). When nothing fits, the word is wider
// than the page (a URL, a hash, a path): the piece runs whole to the next break point,
// since a cut address is a broken one. A piece holds at least one character.
[[nodiscard]] int FindBreak(const TextString& line, int start, int width,
                            const BreakCharacters& characters);

// Sets `piece` to the next piece of `line` from `start` (a space at its start and a space at
// its break left out) and `position` to the index after the break. Returns 0, with position
// -1, when start is not inside the line; else 1.
int GetWrappedPiece(const TextString& line, int width, int start, const BreakCharacters& characters,
                    TextString& piece, int& position);

}  // namespace quorlex
