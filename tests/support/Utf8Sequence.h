#pragma once

#include "foundation/Utf8.h"

namespace quorlex::testing {

// True when the byte at `pos` belongs to a valid multi-byte sequence, as its lead byte or as
// one of its continuation bytes (the lead byte may stand up to three bytes earlier).
inline bool IsInUtf8Sequence(const char* text, int length, int pos) {
  if (text == nullptr || pos < 0 || pos >= length) return false;
  // A continuation byte belongs to the sequence whose lead stands at most three bytes back;
  // the lead byte itself is the case back == 0.
  for (int back = 0; back <= 3 && back <= pos; ++back) {
    if (Utf8SequenceLength(text, length, pos - back) > back) return true;
  }
  return false;
}

}  // namespace quorlex::testing
