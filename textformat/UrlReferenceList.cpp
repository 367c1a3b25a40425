#include "textformat/UrlReferenceList.h"

namespace quorlex {

int UrlReferenceList::Find(const TextString& url) const {
  for (size_t i = 0; i < urls_.size(); ++i) {
    if (urls_[i].View() == url.View()) return static_cast<int>(i);
  }
  return -1;
}

int UrlReferenceList::FindOrAdd(const TextString& url, bool& added) {
  const int found = Find(url);
  added = found < 0;
  if (!added) return found;
  urls_.push_back(url);
  return Count() - 1;
}

void UrlReferenceList::RemoveAt(int position) {
  if (position < 0 || position >= Count()) return;
  urls_.erase(urls_.begin() + position);
}

}  // namespace quorlex
