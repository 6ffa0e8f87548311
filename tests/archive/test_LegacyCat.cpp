// trickfolio-cat list, cat and extract on the real archives of old zip programs, run as
// the built program. Skipped when the tool or the shared archives are absent.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "LegacyHarness.h"
#include "ZipTestKit.h"

namespace {

const std::string kTool = std::string(TRICKFOLIO_BIN_DIR) + "/trickfolio-cat";

ziptest::TRunResult Tool(std::vector<std::string> args) {
  args.insert(args.begin(), kTool);
  return ziptest::RunTool(args);
}

std::string AsText(const legacy::Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

struct TLegacyCat : ::testing::Test {
  std::vector<legacy::TMember> reference;  // PKZ204E0.ZIP: the 15 files stored
  void SetUp() override {
    if (!std::filesystem::exists(kTool)) GTEST_SKIP() << "trickfolio-cat is not built";
    const auto members = legacy::SharedMembers("PKZ204E0.ZIP");
    if (!members) GTEST_SKIP() << "no shared test archives";
    reference = *members;
  }
};

TEST_F(TLegacyCat, ListShowsEveryMethod) {
  const auto r = Tool({"list", legacy::SharedArchive("multizip.zip")});
  EXPECT_EQ(r.ExitCode, 0);
  std::istringstream lines(r.Out);
  std::string methods;
  for (std::string line; std::getline(lines, line);) methods += std::to_string(std::stoi(line));
  EXPECT_EQ(methods, "012345668");
}

TEST_F(TLegacyCat, CatGivesTheStoredTwinsBytes) {
  std::vector<std::string> names;
  std::string expected;
  for (const auto& m : reference) {
    names.push_back(m.Name);
    expected += AsText(m.Data);
  }
  for (const char* archive :
       {"PKZ110.ZIP", "PKZ110ES.ZIP", "PKZ80B1.ZIP", "PKZ80B2.ZIP", "PKZ80B3.ZIP", "PKZ80B4.ZIP"}) {
    std::vector<std::string> args = {"cat", legacy::SharedArchive(archive)};
    args.insert(args.end(), names.begin(), names.end());
    const auto r = Tool(args);
    EXPECT_EQ(r.ExitCode, 0) << archive << ": " << r.Err;
    EXPECT_TRUE(r.Out == expected) << archive;
  }
}

TEST_F(TLegacyCat, ExtractWritesEveryMember) {
  ziptest::TTempDir dir;
  const auto r = Tool({"extract", legacy::SharedArchive("PKZ80B3.ZIP"), "-d", dir.Path()});
  EXPECT_EQ(r.ExitCode, 0) << r.Err;
  for (const auto& m : reference)
    EXPECT_TRUE(ziptest::ReadFile(dir / m.Name) == AsText(m.Data)) << m.Name;
}

// f and g fail under the rule that the minimum match follows the number of trees.
TEST_F(TLegacyCat, ImplodeQuirkMembersFail) {
  const std::string archive = legacy::SharedArchive("legacy_implode_zip.zip");
  for (const char* name : {"a", "b", "c", "d", "e", "h"}) {
    const auto r = Tool({"cat", archive, name});
    EXPECT_EQ(r.ExitCode, 0) << name;
    EXPECT_EQ(r.Out, "aaaa1bbbb2aaaa3bbbb") << name;
  }
  const auto f = Tool({"cat", archive, "f"});
  EXPECT_EQ(f.ExitCode, 1);
  EXPECT_EQ(f.Err, "trickfolio-cat: f: Bad block\n");
  const auto g = Tool({"cat", archive, "g"});
  EXPECT_EQ(g.ExitCode, 1);
  EXPECT_EQ(g.Err, "trickfolio-cat: g: File fails CRC check\n");
}

}  // namespace
