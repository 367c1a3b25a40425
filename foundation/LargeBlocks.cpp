#include "foundation/LargeBlocks.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quorlex {

void AdviseLargeBlock(void* block, size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr size_t kLargeBlock = size_t{2} << 20;
  if (bytes < kLargeBlock) return;
  // The whole pages the block touches: a large block is a mapping of its own, and advice
  // on part of it would cut it in pieces that could no longer grow by remapping.
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = begin & ~(page - 1);
  const uintptr_t last = (begin + bytes + page - 1) & ~(page - 1);
  // Advice the system does not take changes nothing: the answer is of no use.
  (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

}  // namespace quorlex
