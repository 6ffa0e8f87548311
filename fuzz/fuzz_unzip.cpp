#include "UnzipHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzOneArchive(data, size);
  return 0;
}
