// Every GIF that once made the fuzzer fail is replayed here, so that a fault fixed stays
// fixed. Run under the sanitizer build, these catch out-of-bounds reads too.
#include <gtest/gtest.h>

#include "FuzzReplay.h"
#include "GIFHarness.h"

namespace {

TEST(GIFFuzzRegressions, EveryKeptInputRunsToTheEnd) {
  ReplayKeptInputs("gif", FuzzOneGIF);
}

}  // namespace
