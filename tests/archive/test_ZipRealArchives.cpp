// The whole reading road over archives written by old DOS zip programs and other
// producers: directory (or local header walk), every compression method, CRC verdicts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "Err_Msgs.h"
#include "arxUnZIP.h"

namespace {

const std::string kShared = std::string(TRICKFOLIO_SHARED_DIR) + "/test-archives/";

struct TReadAll {
  TUnZip zip;
  TDecompMemoryStream stream;
  std::map<std::string, bool> verdicts;
  std::vector<int> errors;

  explicit TReadAll(const std::string& path) {
    zip.OnEnd = [this](TZipCommon*, const std::string& name, bool pass) { verdicts[name] = pass; };
    zip.OnError = [this](TZipCommon*, const std::string&, const std::string&, const std::string&,
                         int code) { errors.push_back(code); };
    zip.SetArchiveFile(path);
    zip.FileSpec().Add("*.*");
    zip.ExtractToMemoryStream(&stream);
  }
  std::map<std::string, std::string> Members() const {
    std::map<std::string, std::string> members;
    const std::string data = stream.ToString();
    for (int i = 0; i < stream.Count(); ++i) {
      const TDecompEntry& e = stream.Entries(i);
      const int64_t end = i + 1 < stream.Count() ? stream.Entries(i + 1).Offset : stream.Size();
      members[e.Name] = data.substr(size_t(e.Offset), size_t(end - e.Offset));
    }
    return members;
  }
};

bool Shared(const std::string& name) {
  return std::filesystem::exists(kShared + name);
}

TEST(ZipRealArchives, OldPkzipArchivesGiveTheStoredReferenceBytes) {
  if (!Shared("PKZ204E0.ZIP")) GTEST_SKIP() << "shared test archives absent";
  const TReadAll reference(kShared + "PKZ204E0.ZIP");
  ASSERT_EQ(reference.stream.Count(), 15);
  const auto expected = reference.Members();
  for (const char* name : {"PKZ110.ZIP", "PKZ80B1.ZIP", "PKZ80B4.ZIP"}) {
    const TReadAll run(kShared + name);
    EXPECT_EQ(run.stream.Count(), 15) << name;
    EXPECT_TRUE(run.errors.empty()) << name;
    for (const auto& [member, pass] : run.verdicts) EXPECT_TRUE(pass) << name << " " << member;
    EXPECT_TRUE(run.Members() == expected) << name;
  }
}

TEST(ZipRealArchives, EveryMethodOfOneArchiveAndACommentedOne) {
  if (!Shared("multizip.zip")) GTEST_SKIP() << "shared test archives absent";
  for (const char* name : {"multizip.zip", "IMPLODE.ZIP"}) {
    const TReadAll run(kShared + name);
    EXPECT_GT(run.stream.Count(), 1) << name;
    EXPECT_EQ(int(run.verdicts.size()), run.stream.Count()) << name;
    for (const auto& [member, pass] : run.verdicts) EXPECT_TRUE(pass) << name << " " << member;
  }
}

}  // namespace
