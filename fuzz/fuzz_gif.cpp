// libFuzzer target for the GIF reader and the LZW decoder: the input is the file.
#include <cstddef>
#include <cstdint>

#include "GIFHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzOneGIF(data, size);
  return 0;
}
