#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// The distinct URLs of a document in the order they were first met; a URL's reference
// number is its position counted from 1. Finding and adding take constant time, so a page of
// a hundred thousand links is listed in linear time.
class UrlReferenceList {
 public:
  // The position (from 0) of `url`, appending it when absent; `added` tells whether it was.
  int FindOrAdd(const TextString& url, bool& added);
  // The position (from 0) of `url`, or -1.
  [[nodiscard]] int Find(const TextString& url) const;
  // Removes the URL at `position` (from 0); later URLs move up. Removing the last one takes
  // constant time.
  void RemoveAt(int position);
  void Clear();
  int Count() const { return static_cast<int>(urls_.size()); }
  const TextString& At(int position) const { return urls_[static_cast<size_t>(position)]; }

 private:
  std::vector<TextString> urls_;
  std::unordered_map<std::string, int> positions_;  // of every URL in urls_
};

}  // namespace quorlex
