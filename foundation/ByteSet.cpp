#include "foundation/ByteSet.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorlex {

void ByteSet::Add(unsigned char byte) {
  if (member_[byte]) return;
  member_[byte] = true;
  if (count_ < kFewBytes) few_[count_] = byte;
  ++count_;
}

int ByteSet::FindNext(const char* text, int length, int from) const {
  if (from >= length || count_ == 0) return length;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  if (count_ == 1) {
    const void* hit = std::memchr(bytes + from, few_[0], static_cast<size_t>(length - from));
    return hit == nullptr ? length
                          : static_cast<int>(static_cast<const unsigned char*>(hit) - bytes);
  }
  int i = from;
#if defined(__SSE2__)
  if (count_ <= kFewBytes) {
    // Unused lanes repeat the first byte, so they never add a false hit.
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(few_[0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(few_[1]));
    const __m128i b2 = _mm_set1_epi8(static_cast<char>(few_[count_ > 2 ? 2 : 0]));
    const __m128i b3 = _mm_set1_epi8(static_cast<char>(few_[count_ > 3 ? 3 : 0]));
    for (; i + 16 <= length; i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      const __m128i hits =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, b0), _mm_cmpeq_epi8(chunk, b1)),
                       _mm_or_si128(_mm_cmpeq_epi8(chunk, b2), _mm_cmpeq_epi8(chunk, b3)));
      const int mask = _mm_movemask_epi8(hits);
      if (mask != 0) return i + __builtin_ctz(static_cast<unsigned>(mask));
    }
  }
#endif
  for (; i < length; ++i) {
    if (member_[bytes[i]]) return i;
  }
  return length;
}

int ByteSet::FindNextFollowedBy(const char* text, int length, int from,
                                const ByteSet& followers) const {
  if (followers.count_ == 256) return FindNext(text, length, from);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const auto accepted = [&](int i) { return i + 1 >= length || followers.member_[bytes[i + 1]]; };
  int i = from < length ? from : length;
#if defined(__SSE2__)
  if (count_ >= 1 && count_ <= kFewBytes) {
    // As in FindNext, 32 bytes at a time; every hit is checked against the byte after it.
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(few_[0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(few_[count_ > 1 ? 1 : 0]));
    const __m128i b2 = _mm_set1_epi8(static_cast<char>(few_[count_ > 2 ? 2 : 0]));
    const __m128i b3 = _mm_set1_epi8(static_cast<char>(few_[count_ > 3 ? 3 : 0]));
    const auto hits = [&](int at) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
      return static_cast<unsigned>(_mm_movemask_epi8(
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, b0), _mm_cmpeq_epi8(chunk, b1)),
                       _mm_or_si128(_mm_cmpeq_epi8(chunk, b2), _mm_cmpeq_epi8(chunk, b3)))));
    };
    for (; i + 32 <= length; i += 32) {
      for (unsigned mask = hits(i) | hits(i + 16) << 16; mask != 0; mask &= mask - 1) {
        const int hit = i + __builtin_ctz(mask);
        if (accepted(hit)) return hit;
      }
    }
  }
#endif
  for (; i < length; ++i) {
    if (member_[bytes[i]] && accepted(i)) return i;
  }
  return length;
}

}  // namespace quorlex
