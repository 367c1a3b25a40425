#pragma once

namespace quorlex {

// A set of byte values with a fast search for the next byte of the set in a text. The
// pattern engines use it to skip, in one call, over text where no pattern can move.
class ByteSet {
 public:
  void Add(unsigned char byte);
  bool Contains(unsigned char byte) const { return member_[byte]; }
  bool IsEmpty() const { return count_ == 0; }
  int Count() const { return count_; }

  // Index of the first byte of the set in text[from, length), or length when there is
  // none. One byte is found with memchr, up to four with 16-byte vector compares, larger
  // sets with a table walk.
  int FindNext(const char* text, int length, int from) const;
  // The same for a byte of the set that the end of the text or a byte of `followers`
  // follows: the others are passed over in the same loop.
  int FindNextFollowedBy(const char* text, int length, int from, const ByteSet& followers) const;

 private:
  static constexpr int kFewBytes = 4;
  class FewBytesProbe;

  bool member_[256] = {};
  int count_ = 0;
  unsigned char few_[kFewBytes] = {};  // the members while there are at most kFewBytes
};

}  // namespace quorlex
