#pragma once

#include "engine/PassState.h"
#include "foundation/TextString.h"

namespace quorlex {

// The de-tagging phases: ordered whole-text transformations, most of them one run of a
// pattern list of the pass (BuildPatternLists must have built them). In text mode every
// phase runs and the text comes out marker-structured for the line writer; when the output
// stays HTML only the phases the tag policies ask for run. Each list that changes the text
// reports its INFO line as a status line.

// The first stage, on one chunk of the input (numbered from 1; the META, title, style-sheet
// link, base URL and HEAD phases only see chunk 1). Transforms `text` in place.
void RunFirstStage(int chunkNumber, PassState& pass, TextString& text);

// The second stage, once on the whole text: tables, the remaining tags and entities, the
// joining of source lines into paragraphs, the markers turned into line breaks, the by-line
// and e-mail search and the sentence gap.
void RunSecondStage(PassState& pass, TextString& text);

// Whether a character-set name is one of the 8-bit sets whose bytes 0x85 and 0x91 to 0x97
// are letters rather than Windows punctuation ("koi8-r", "windows-1251", "iso-8859-5", ...).
bool IsNonWesternCharacterSet(const TextString& name);

}  // namespace quorlex
