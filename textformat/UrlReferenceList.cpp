#include "textformat/UrlReferenceList.h"

namespace quorlex {

int UrlReferenceList::Find(const TextString& url) const {
  const auto found = positions_.find(std::string(url.View()));
  return found == positions_.end() ? -1 : found->second;
}

int UrlReferenceList::FindOrAdd(const TextString& url, bool& added) {
  const auto [entry, inserted] = positions_.emplace(std::string(url.View()), Count());
  added = inserted;
  if (inserted) urls_.push_back(url);
  return entry->second;
}

void UrlReferenceList::RemoveAt(int position) {
  if (position < 0 || position >= Count()) return;
  positions_.erase(std::string(urls_[static_cast<size_t>(position)].View()));
  urls_.erase(urls_.begin() + position);
  for (int moved = position; moved < Count(); ++moved) {
    positions_[std::string(urls_[static_cast<size_t>(moved)].View())] = moved;
  }
}

void UrlReferenceList::Clear() {
  urls_.clear();
  positions_.clear();
}

}  // namespace quorlex
