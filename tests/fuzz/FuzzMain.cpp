// A libFuzzer program for one entry of FuzzEntries.h, named by QUORLEX_FUZZ_ENTRY.
#include "tests/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorlex::fuzz::QUORLEX_FUZZ_ENTRY(data, size);
  return 0;
}
