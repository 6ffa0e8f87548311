// Every input that once made the fuzzer fail is replayed here, so that a fault fixed
// stays fixed. Run under the sanitizer build, these catch out-of-bounds reads too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "InflateHarness.h"
#include "UnzipHarness.h"

namespace {

// Runs every kept input of a folder below fuzz/regressions through its harness.
template <typename THarness>
void Replay(const char* subfolder, THarness harness) {
  const std::filesystem::path folder =
      std::filesystem::path(TRICKFOLIO_SOURCE_DIR) / "fuzz" / "regressions" / subfolder;
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    SCOPED_TRACE(entry.path().filename().string());
    harness(bytes.data(), bytes.size());
    ++replayed;
  }
  ::testing::Test::RecordProperty("replayed", replayed);
}

TEST(FuzzRegressions, EveryKeptInputRunsToTheEnd) {
  Replay("", FuzzOneArchive);
}

TEST(FuzzRegressions, EveryKeptDeflateStreamDecodesAlikeEveryWay) {
  Replay("inflate", FuzzOneStream);
}

}  // namespace
