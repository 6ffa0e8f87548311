// The older methods on real archives from old zip programs and other producers.
#include <gtest/gtest.h>

#include "LegacyHarness.h"

namespace {

using legacy::Decode;
using legacy::SharedMembers;

// Every PKZ*.ZIP holds the same 15 files; the all-stored one is the reference.
void ExpectSameAsStoredTwins(const std::string& archive, int expectedLegacyMembers) {
  const auto reference = SharedMembers("PKZ204E0.ZIP");
  const auto members = SharedMembers(archive);
  if (!reference || !members) GTEST_SKIP() << "no shared test archives";
  int legacyMembers = 0;
  for (const auto& m : *members) {
    if (m.Method == 0) continue;
    ++legacyMembers;
    const auto* twin = legacy::Find(*reference, m.Name);
    ASSERT_NE(twin, nullptr) << m.Name;
    const auto result = Decode(m);
    EXPECT_TRUE(result.Raised.empty() && result.Reported.empty()) << archive << " " << m.Name;
    EXPECT_EQ(result.Crc, m.Crc) << archive << " " << m.Name;
    EXPECT_TRUE(result.Output == twin->Data) << archive << " " << m.Name;
  }
  EXPECT_EQ(legacyMembers, expectedLegacyMembers);
}

TEST(LegacyArchives, ShrinkAndImplodeByPkzip110) {
  ExpectSameAsStoredTwins("PKZ110.ZIP", 8);
}

TEST(LegacyArchives, ShrinkWithPartialClears) {
  ExpectSameAsStoredTwins("PKZ110ES.ZIP", 8);
}

TEST(LegacyArchives, ReduceFactors1To4ByPkzip080) {
  for (const char* archive : {"PKZ80B1.ZIP", "PKZ80B2.ZIP", "PKZ80B3.ZIP", "PKZ80B4.ZIP"})
    ExpectSameAsStoredTwins(archive, 8);
}

// Archives without stored twins: the stored CRC and size are the reference.
TEST(LegacyArchives, OtherProducersPassTheirCrc) {
  for (const char* archive : {"IMPLODE.ZIP", "SHRUNK.ZIP", "imploding-4Kdict-2trees.zip",
                              "imploding-8Kdict-3trees.zip", "multizip.zip"}) {
    const auto members = SharedMembers(archive);
    if (!members) GTEST_SKIP() << "no shared test archives";
    for (const auto& m : *members) {
      if (m.Method < 1 || m.Method > 6) continue;
      const auto result = Decode(m);
      EXPECT_TRUE(result.Raised.empty() && result.Reported.empty()) << archive << " " << m.Name;
      EXPECT_EQ(result.Output.size(), m.UnpackedSize) << archive << " " << m.Name;
      EXPECT_EQ(result.Crc, m.Crc) << archive << " " << m.Name;
    }
  }
}

// f and g were written by an encoder that keyed the minimum match on the dictionary size;
// under the rule that it follows the number of trees they decode to other bytes.
TEST(LegacyArchives, ImplodeFlagCombinations) {
  const auto members = SharedMembers("legacy_implode_zip.zip");
  if (!members) GTEST_SKIP() << "no shared test archives";
  ASSERT_EQ(members->size(), 8u);
  for (const auto& m : *members) {
    const auto result = Decode(m);
    if (m.Name == "f" || m.Name == "g") {
      EXPECT_NE(result.Crc, m.Crc) << m.Name;
    } else {
      EXPECT_EQ(result.Text(), "aaaa1bbbb2aaaa3bbbb") << m.Name;
      EXPECT_EQ(result.Crc, m.Crc) << m.Name;
    }
  }
}

}  // namespace
