#include "textformat/TextBlockStore.h"

#include <type_traits>

namespace quorlex {

int TextBlockStore::Add(const TextString& block) {
  blocks_.push_back(block);
  return Count();
}

namespace {

template <typename Lines>
int WriteBlock(const TextBlockStore& store, int n, Lines& lines) {
  if (n < 1 || n > store.Count()) return 0;
  const TextString& block = store.Block(n);
  TextString line;
  for (int pos = 0; block.GetNextToken(pos, '\n', line);) {
    if constexpr (std::is_same_v<Lines, LineBuffer>) {
      lines.Add(line);
    } else {
      lines.push_back(line);
    }
  }
  return 1;
}

}  // namespace

int TextBlockStore::Write(int n, std::vector<TextString>& lines) const {
  return WriteBlock(*this, n, lines);
}

int TextBlockStore::Write(int n, LineBuffer& lines) const { return WriteBlock(*this, n, lines); }

}  // namespace quorlex
