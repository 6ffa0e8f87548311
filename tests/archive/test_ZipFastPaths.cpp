// The reader's shortcuts give the results of its plain road: output room reserved from
// what the packed data can vouch for, the directory read in large windows, and names
// without wildcards matched without the general matcher.
#include <gtest/gtest.h>

#include <random>

#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

std::string Lines(size_t bytes) {
  std::string out;
  for (int i = 0; out.size() < bytes; ++i)
    out += "CODE" + std::to_string(i * 7919 % 100003) + "\r\n";
  out.resize(bytes);
  return out;
}

struct TFastPathFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  TDecompMemoryStream stream;

  int Run(const std::string& path, const std::string& line) {
    zip.SetArchiveFile(path);
    zip.FileSpec().Clear();
    zip.FileSpec().Add(line);
    return zip.ExtractToMemoryStream(&stream);
  }
};

TEST_F(TFastPathFixture, OutputRoomIsReservedOnceForAnHonestMember) {
  const std::string codes = Lines(1500000);
  WriteFile(dir / "codes.txt", codes);
  stream.WriteString("before");
  ASSERT_EQ(Run(MakeZip(dir, "a.zip", {"-6"}, {"codes.txt"}), "codes.txt"), 1);
  EXPECT_EQ(stream.ToString(), "before" + codes);
  EXPECT_EQ(stream.Capacity(), stream.Size()) << "no growth step after the reservation";
}

TEST_F(TFastPathFixture, AForgedSizeReservesNoMoreThanThePackedDataCanGive) {
  const std::string codes = Lines(200000);
  WriteFile(dir / "codes.txt", codes);
  const std::string path = MakeZip(dir, "a.zip", {"-9"}, {"codes.txt"});
  const std::string bytes = ReadFile(path);
  const int64_t central = FindSignature(bytes, 0x02014B50);
  const uint32_t packed = Read32(bytes, 18);
  const uint64_t archiveSize = bytes.size();
  Patch32(path, 22, 0xFFFFFF00u);
  Patch32(path, central + 24, 0xFFFFFF00u);
  ASSERT_EQ(Run(path, "codes.txt"), 1);
  EXPECT_EQ(stream.ToString(), codes) << "the member still decodes whole";
  EXPECT_LE(stream.Capacity(), int64_t(packed) * 1032 + 65536);

  // A forged packed size as well: only the bytes left in the archive count.
  Patch32(path, 18, 0xFFFFFF00u);
  Patch32(path, central + 20, 0xFFFFFF00u);
  stream.Reset();
  Run(path, "codes.txt");
  EXPECT_LE(stream.Capacity(), int64_t(archiveSize) * 1032 + 65536);
  EXPECT_GE(stream.Size(), int64_t(codes.size()));

  // Stored data never expands.
  stream.Reset();
  const std::string storedPath = MakeZip(dir, "s.zip", {"-0"}, {"codes.txt"});
  Patch32(storedPath, 22, 0xFFFFFF00u);
  Run(storedPath, "codes.txt");
  EXPECT_EQ(stream.ToString(), codes);
  EXPECT_LE(stream.Capacity(), int64_t(codes.size()) + 8192);
}

TEST_F(TFastPathFixture, DirectoryWindowsEndAnywhereInAHeader) {
  std::vector<std::string> inputs;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "dir" + std::to_string(i % 7) + "/game" + std::to_string(i) + ".txt";
    WriteFile(dir / name, "codes of " + name);
    inputs.push_back(name);
  }
  const std::string path = MakeZip(dir, "many.zip", {"-1"}, inputs);
  zip.SetArchiveFile(path);
  const TUnBaseHeaderObj whole = zip.ListMembers();
  ASSERT_EQ(whole.size(), inputs.size());

  // A directory size of 0 in the end record leaves a window of one header at a time, so
  // names and headers keep crossing window ends.
  const std::string bytes = ReadFile(path);
  Patch32(path, FindSignature(bytes, 0x06054B50) + 12, 0);
  zip.SetArchiveFile(path);
  const TUnBaseHeaderObj patched = zip.ListMembers();
  ASSERT_EQ(patched.size(), whole.size());
  for (size_t i = 0; i < whole.size(); ++i) {
    EXPECT_EQ(patched[i].StoredName, whole[i].StoredName);
    EXPECT_EQ(patched[i].LocalOffset, whole[i].LocalOffset);
    EXPECT_EQ(patched[i].Crc, whole[i].Crc);
  }
  EXPECT_EQ(Run(path, "dir3\\game200.txt"), 0);
  EXPECT_EQ(Run(path, "dir4\\game200.txt"), 1);
  EXPECT_EQ(stream.ToString(), "codes of dir4/game200.txt");
}

// Names and patterns over an alphabet that holds every character the matcher treats
// specially, and Cyrillic letters whose case must not fold.
std::string RandomText(std::mt19937& random, const std::string& alphabet, size_t maxLength) {
  std::string text(random() % (maxLength + 1), ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

// A pattern close to the name: letters in other case, a dot added or dropped, a folder cut.
std::string Variant(std::mt19937& random, std::string name) {
  for (char& c : name)
    if (random() % 3 == 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
  switch (random() % 5) {
    case 0:
      name += '.';
      break;
    case 1:
      if (!name.empty()) name.pop_back();
      break;
    case 2:
      if (const size_t cut = name.find_last_of("\\:"); cut != std::string::npos)
        name.erase(0, cut + 1);
      break;
    default:
      break;
  }
  return name;
}

TEST(ZipFastMatch, PlainSpecLinesMatchAsTheGeneralMatcherDoes) {
  const std::string alphabet = std::string("aAbB..\\\\:") + "\xE0\xC0";
  std::mt19937 random(1251);
  TUnZip zip;
  int matches = 0, checked = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::string name = RandomText(random, alphabet, 7);
    const std::string pattern = i % 2 ? Variant(random, name) : RandomText(random, alphabet, 7);
    zip.FileSpec().Clear();
    zip.FileSpec().Add(pattern);
    if (zip.FileSpec().Count() != 1 || zip.FileSpec()[0] != pattern) continue;
    const bool expected = TZipCommon::MatchName(name, pattern);
    ASSERT_EQ(zip.MatchFileSpec(name), expected)
        << "name \"" << name << "\" pattern \"" << pattern << "\"";
    matches += expected;
    ++checked;
  }
  EXPECT_GT(checked, 150000);
  EXPECT_GT(matches, 20000) << "the cases must reach the matching side too";
}

TEST(ZipFastMatch, WildcardsOnEitherSideStillTakeTheGeneralMatcher) {
  TUnZip zip;
  zip.FileSpec().Add("games.txt");
  EXPECT_TRUE(zip.MatchFileSpec("g?mes.txt")) << "a stored name may hold wildcards too";
  EXPECT_TRUE(zip.MatchFileSpec("*.txt"));
  EXPECT_FALSE(zip.MatchFileSpec("games.txt.bak"));
  zip.FileSpec().Add("data\\*.dat");
  EXPECT_TRUE(zip.MatchFileSpec("Data\\x.dat"));
  EXPECT_FALSE(zip.MatchFileSpec("other\\x.dat"));
}

}  // namespace
