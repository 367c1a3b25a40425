#include "textformat/TextBlockStore.h"

namespace quorlex {

int TextBlockStore::Add(const TextString& block) {
  blocks_.push_back(block);
  return Count();
}

int TextBlockStore::Write(int n, std::vector<TextString>& lines) const {
  if (n < 1 || n > Count()) return 0;
  const TextString& block = Block(n);
  TextString line;
  for (int pos = 0; block.GetNextToken(pos, '\n', line);) lines.push_back(line);
  return 1;
}

}  // namespace quorlex
