// Hostile data for the older methods: random and mutated streams must end, stay within
// the declared size and fail only with the methods' own codes. Run it under the
// sanitizer build to catch out-of-bounds access.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "LegacyHarness.h"

namespace {

using legacy::Bytes;

struct TMethod {
  uint16_t Method;
  uint16_t Flags;
};

const TMethod kMethods[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {6, 2}, {6, 4}, {6, 6}};

const std::set<int> kCodes = {E_BADBLOCK, E_AMBIGUOUSTREE, E_STACKOVERFLOW};

void ExpectContained(const legacy::TResult& r, uint32_t declared, const std::string& what) {
  ASSERT_LE(r.Output.size(), declared) << what;
  for (int code : r.Raised) ASSERT_TRUE(kCodes.count(code)) << what << " raised " << code;
  for (int code : r.Reported) ASSERT_TRUE(kCodes.count(code)) << what << " reported " << code;
}

TEST(LegacyRobustness, RandomStreams) {
  std::mt19937 random(20260807);
  for (int i = 0; i < 3000; ++i) {
    const TMethod m = kMethods[i % std::size(kMethods)];
    Bytes data(random() % 3000);
    for (auto& b : data) b = static_cast<uint8_t>(random());
    // Mostly-zero and mostly-one streams make long runs of the shortest codes.
    if (i % 7 == 0) std::fill(data.begin(), data.end() - data.size() / 4, 0);
    if (i % 11 == 0) std::fill(data.begin(), data.end() - data.size() / 4, 0xFF);
    const uint32_t declared = random() % 70000;
    ExpectContained(legacy::Decode(m.Method, m.Flags, data, declared), declared,
                    "random " + std::to_string(i));
  }
}

// Real members with bytes changed, cut short or with a wrong declared size: damage deep
// inside streams whose tables are sound.
TEST(LegacyRobustness, MutatedRealMembers) {
  std::vector<legacy::TMember> pool;
  for (const char* archive :
       {"PKZ110.ZIP", "PKZ80B1.ZIP", "PKZ80B2.ZIP", "PKZ80B3.ZIP", "PKZ80B4.ZIP", "SHRUNK.ZIP",
        "multizip.zip", "imploding-8Kdict-3trees.zip", "legacy_implode_zip.zip"}) {
    const auto members = legacy::SharedMembers(archive);
    if (!members) GTEST_SKIP() << "no shared test archives";
    for (const auto& m : *members)
      if (m.Method >= 1 && m.Method <= 6 && m.UnpackedSize <= 40000) pool.push_back(m);
  }
  ASSERT_GE(pool.size(), 20u);
  std::mt19937 random(4242);
  for (int i = 0; i < 3000; ++i) {
    legacy::TMember m = pool[i % pool.size()];
    const int flips = 1 + random() % 8;
    for (int f = 0; f < flips && !m.Data.empty(); ++f)
      m.Data[random() % m.Data.size()] ^= static_cast<uint8_t>(1 + random() % 255);
    if (i % 5 == 0) m.Data.resize(random() % (m.Data.size() + 1));
    if (i % 9 == 0) m.UnpackedSize = random() % (2 * m.UnpackedSize + 1);
    ExpectContained(legacy::Decode(m), m.UnpackedSize, m.Name + " #" + std::to_string(i));
  }
}

}  // namespace
