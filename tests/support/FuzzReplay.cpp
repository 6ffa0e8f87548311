#include "FuzzReplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

void ReplayKeptInputs(const char* subfolder, void (*harness)(const uint8_t* data, size_t size)) {
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
