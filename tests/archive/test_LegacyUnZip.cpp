// The real archives of old zip programs through the whole reader: TUnZip extracts every
// member into memory with its CRC verdict.
#include <gtest/gtest.h>

#include <map>

#include "Err_Msgs.h"
#include "LegacyHarness.h"
#include "arxUnZIP.h"

namespace {

struct TExtracted {
  std::map<std::string, std::string> Bytes;  // by stored name
  std::map<std::string, bool> Verdicts;
  std::vector<int> Errors;
};

// Every member of a shared archive; nothing when the shared folder is absent.
std::optional<TExtracted> ExtractAll(const std::string& archive) {
  const std::string path = legacy::SharedArchive(archive);
  if (!legacy::ReadFile(path)) return std::nullopt;
  TExtracted out;
  TUnZip zip;
  zip.OnEnd = [&](TZipCommon*, const std::string& name, bool pass) { out.Verdicts[name] = pass; };
  zip.OnError = [&](TZipCommon*, const std::string&, const std::string&, const std::string&,
                    int code) { out.Errors.push_back(code); };
  zip.SetArchiveFile(path);
  zip.FileSpec().Add("*.*");
  TDecompMemoryStream stream;
  zip.ExtractToMemoryStream(&stream);
  const std::string all = stream.ToString();
  for (int i = 0; i < stream.Count(); ++i) {
    const TDecompEntry& e = stream.Entries(i);
    const int64_t end = i + 1 < stream.Count() ? stream.Entries(i + 1).Offset : stream.Size();
    out.Bytes[e.Name] = all.substr(size_t(e.Offset), size_t(end - e.Offset));
  }
  return out;
}

TEST(LegacyUnZip, PkzipArchivesMatchTheirStoredTwins) {
  const auto reference = ExtractAll("PKZ204E0.ZIP");
  if (!reference) GTEST_SKIP() << "no shared test archives";
  ASSERT_EQ(reference->Bytes.size(), 15u);
  for (const char* archive :
       {"PKZ110.ZIP", "PKZ110ES.ZIP", "PKZ80B1.ZIP", "PKZ80B2.ZIP", "PKZ80B3.ZIP", "PKZ80B4.ZIP"}) {
    const auto extracted = ExtractAll(archive);
    ASSERT_TRUE(extracted);
    EXPECT_TRUE(extracted->Errors.empty()) << archive;
    EXPECT_TRUE(extracted->Bytes == reference->Bytes) << archive;
    ASSERT_EQ(extracted->Verdicts.size(), 15u) << archive;
    for (const auto& [name, pass] : extracted->Verdicts) EXPECT_TRUE(pass) << archive << name;
  }
}

TEST(LegacyUnZip, OtherProducersPassTheirCrc) {
  for (const char* archive : {"IMPLODE.ZIP", "SHRUNK.ZIP", "imploding-4Kdict-2trees.zip",
                              "imploding-8Kdict-3trees.zip", "multizip.zip"}) {
    const auto extracted = ExtractAll(archive);
    if (!extracted) GTEST_SKIP() << "no shared test archives";
    const auto members = legacy::SharedMembers(archive);
    ASSERT_EQ(extracted->Verdicts.size(), members->size()) << archive;
    for (const auto& m : *members) {
      EXPECT_TRUE(extracted->Verdicts.at(m.Name)) << archive << " " << m.Name;
      EXPECT_EQ(extracted->Bytes.at(m.Name).size(), m.UnpackedSize) << archive << " " << m.Name;
    }
    EXPECT_TRUE(extracted->Errors.empty()) << archive;
  }
}

TEST(LegacyUnZip, ImplodeQuirkMembersFailOnlyTheirCrc) {
  const auto extracted = ExtractAll("legacy_implode_zip.zip");
  if (!extracted) GTEST_SKIP() << "no shared test archives";
  const std::map<std::string, bool> expected = {{"a", true},  {"b", true}, {"c", true},
                                                {"d", true},  {"e", true}, {"f", false},
                                                {"g", false}, {"h", true}};
  EXPECT_EQ(extracted->Verdicts, expected);
  for (const char* name : {"a", "b", "c", "d", "e", "h"})
    EXPECT_EQ(extracted->Bytes.at(name), "aaaa1bbbb2aaaa3bbbb") << name;
  // f's longer matches run past its declared 19 bytes: cut there, reported as damage.
  EXPECT_EQ(extracted->Bytes.at("f").size(), 19u);
  EXPECT_EQ(extracted->Errors, std::vector<int>{E_BADBLOCK});
}

}  // namespace
