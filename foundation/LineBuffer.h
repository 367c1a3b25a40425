#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// Lines kept end to end in one buffer, each followed by a line feed: the text of a document
// with a million short lines takes its own size in memory, not a million allocations.
class LineBuffer {
 public:
  void Add(std::string_view line) {
    if (text_.capacity() - text_.size() <= line.size()) Grow(line.size() + 1);
    text_.append(line);
    text_ += '\n';
    ++count_;
    lastEmpty_ = line.empty();
  }
  void Add(const TextString& line) { Add(line.View()); }

  [[nodiscard]] size_t Count() const { return count_; }
  [[nodiscard]] bool IsEmpty() const { return count_ == 0; }
  [[nodiscard]] bool LastIsEmpty() const { return count_ > 0 && lastEmpty_; }
  // Every line followed by a line feed.
  [[nodiscard]] const std::string& Text() const { return text_; }
  // The lines one by one.
  [[nodiscard]] std::vector<TextString> Lines() const;

  // Makes room for `bytes` more bytes of lines at once.
  void Reserve(size_t bytes);

 private:
  // Makes room for at least `bytes` more, doubling the buffer.
  void Grow(size_t bytes);

  std::string text_;
  size_t count_ = 0;
  bool lastEmpty_ = false;
};

}  // namespace quorlex
