// Every input that once made the fuzzer fail is replayed here, so that a fault fixed
// stays fixed. Run under the sanitizer build, these catch out-of-bounds reads too.
#include <gtest/gtest.h>

#include "FuzzReplay.h"
#include "InflateHarness.h"
#include "UnzipHarness.h"

namespace {

TEST(FuzzRegressions, EveryKeptInputRunsToTheEnd) {
  ReplayKeptInputs("", FuzzOneArchive);
}

TEST(FuzzRegressions, EveryKeptDeflateStreamDecodesAlikeEveryWay) {
  ReplayKeptInputs("inflate", FuzzOneStream);
}

}  // namespace
