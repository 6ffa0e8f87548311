// libFuzzer target for the Deflate decoder alone, its fast and careful ways side by side.
#include <cstddef>
#include <cstdint>

#include "InflateHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzOneStream(data, size);
  return 0;
}
