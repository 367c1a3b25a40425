#pragma once

#include <cstddef>

namespace quorlex {

// Asks the system to back a large block with huge pages where it can. A conversion fills
// buffers of tens of megabytes once each; with ordinary pages every 4 KB of them costs a
// page fault, which is a tenth of the time of a large page's conversion. Blocks under a
// few megabytes are left alone, and so is everything on systems without the advice.
void AdviseLargeBlock(void* block, size_t bytes);

}  // namespace quorlex
