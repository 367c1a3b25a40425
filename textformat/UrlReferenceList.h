#pragma once

#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// The distinct URLs of a document in the order they were first met; a URL's reference
// number is its position counted from 1.
class UrlReferenceList {
 public:
  // The position (from 0) of `url`, appending it when absent; `added` tells whether it was.
  int FindOrAdd(const TextString& url, bool& added);
  // The position (from 0) of `url`, or -1.
  [[nodiscard]] int Find(const TextString& url) const;
  // Removes the URL at `position` (from 0); later URLs move up.
  void RemoveAt(int position);
  void Clear() { urls_.clear(); }
  int Count() const { return static_cast<int>(urls_.size()); }
  const TextString& At(int position) const { return urls_[static_cast<size_t>(position)]; }

 private:
  std::vector<TextString> urls_;
};

}  // namespace quorlex
