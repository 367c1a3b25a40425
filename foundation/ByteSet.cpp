#include "foundation/ByteSet.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorlex {

#if defined(__SSE2__)
// The members of a set of at most four bytes in 16 bytes of text, one bit per byte.
class ByteSet::FewBytesProbe {
 public:
  // Unused lanes repeat the first byte, so they never add a false hit.
  explicit FewBytesProbe(const ByteSet& set)
      : b0_(Lane(set, 0)), b1_(Lane(set, 1)), b2_(Lane(set, 2)), b3_(Lane(set, 3)) {}

  unsigned Hits(const unsigned char* at) const {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, b0_), _mm_cmpeq_epi8(chunk, b1_)),
                     _mm_or_si128(_mm_cmpeq_epi8(chunk, b2_), _mm_cmpeq_epi8(chunk, b3_)))));
  }

 private:
  static __m128i Lane(const ByteSet& set, int k) {
    return _mm_set1_epi8(static_cast<char>(set.few_[set.count_ > k ? k : 0]));
  }

  __m128i b0_, b1_, b2_, b3_;
};
#endif

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
    const FewBytesProbe probe(*this);
    for (; i + 16 <= length; i += 16) {
      const unsigned mask = probe.Hits(bytes + i);
      if (mask != 0) return i + __builtin_ctz(mask);
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
    // 32 bytes at a time; every hit is checked against the byte after it.
    const FewBytesProbe probe(*this);
    for (; i + 32 <= length; i += 32) {
      for (unsigned mask = probe.Hits(bytes + i) | probe.Hits(bytes + i + 16) << 16; mask != 0;
           mask &= mask - 1) {
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
