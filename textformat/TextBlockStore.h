#pragma once

#include <vector>

#include "foundation/LineBuffer.h"
#include "foundation/TextString.h"

namespace quorlex {

// Numbered blocks of pre-rendered lines (tables), each a text of lines separated by line
// feeds, numbered from 1.
class TextBlockStore {
 public:
  // Stores a copy and returns its number (the new count).
  int Add(const TextString& block);
  // Appends the lines of block n to `lines`. Returns 0 when n is outside 1..Count().
  int Write(int n, std::vector<TextString>& lines) const;
  int Write(int n, LineBuffer& lines) const;
  void Clear() { blocks_.clear(); }
  int Count() const { return static_cast<int>(blocks_.size()); }
  const TextString& Block(int n) const { return blocks_[static_cast<size_t>(n - 1)]; }

 private:
  std::vector<TextString> blocks_;
};

}  // namespace quorlex
