#include "foundation/LineBuffer.h"

#include <algorithm>

#include "foundation/LargeBlocks.h"

namespace quorlex {

std::vector<TextString> LineBuffer::Lines() const {
  std::vector<TextString> lines;
  lines.reserve(count_);
  for (size_t start = 0; start < text_.size();) {
    const size_t end = text_.find('\n', start);
    TextString line;
    line.AssignBytes(text_.data() + start, static_cast<int>(end - start));
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void LineBuffer::Reserve(size_t bytes) {
  text_.reserve(text_.size() + bytes);
  AdviseLargeBlock(text_.data(), text_.capacity());
}

void LineBuffer::Grow(size_t bytes) { Reserve(std::max(bytes, text_.capacity())); }

}  // namespace quorlex
