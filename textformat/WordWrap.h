#pragma once

#include "foundation/TextString.h"

namespace quorlex {

// The characters the line writer breaks lines at.
struct BreakCharacters {
  const char* blanks = "\n\t ";  // preferred; the blank ends the piece and is dropped
  const char* opening = "([{";   // a piece may end with one of these
  const char* closing = ")]},";  // a piece may end just before one of these
};

// The index of the last character of the next piece of `line` that begins at `start` and
// holds at most `width` characters: the last blank within the width (the end of the line
// counts as one), unless there is none or it lies more than 15 characters before the limit;
// then a later opening bracket (not followed by ".") ends the piece, or a piece ends just
// before a later closing character (a comma between two digits is none); when nothing fits
// the piece is cut after `width` characters, moved back so that it never splits a UTF-8
// character.
[[nodiscard]] int FindBreak(const TextString& line, int start, int width,
                            const BreakCharacters& characters);

// Sets `piece` to the next piece of `line` from `start` (a space at its start and a space at
// its break left out) and `position` to the index after the break. Returns 0, with position
// -1, when start is not inside the line; else 1.
int GetWrappedPiece(const TextString& line, int width, int start, const BreakCharacters& characters,
                    TextString& piece, int& position);

}  // namespace quorlex
