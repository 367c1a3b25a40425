#include "foundation/LineBuffer.h"

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

}  // namespace quorlex
