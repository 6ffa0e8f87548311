// Member selection by name and the progress percentage.
#include <gtest/gtest.h>

#include "arxUnZIP.h"

namespace {

TEST(ZipMatch, WildcardsOnEitherSide) {
  EXPECT_TRUE(TZipCommon::WildcardMatch("GAMES.TXT", "games.txt"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("g?mes.txt", "games.TXT"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("games.txt", "g*"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("g*.txt", "games.t?t"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("", ""));
  EXPECT_TRUE(TZipCommon::WildcardMatch("", "**"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("abc.", "abc")) << "one trailing dot is dropped";
  EXPECT_FALSE(TZipCommon::WildcardMatch("", "a"));
  EXPECT_FALSE(TZipCommon::WildcardMatch("games.txt", "games.tx"));
  EXPECT_FALSE(TZipCommon::WildcardMatch("abc", "abcd*e"));
}

TEST(ZipMatch, OnlyAsciiLettersFoldCase) {
  // Cyrillic "а" (0xE0) and "А" (0xC0) in code page 1251 stay different.
  EXPECT_FALSE(TZipCommon::WildcardMatch("\xE0.txt", "\xC0.txt"));
  EXPECT_TRUE(TZipCommon::WildcardMatch("\xE0.txt", "\xE0.TXT"));
}

TEST(ZipMatch, HostileStarPatternsFinishQuickly) {
  const std::string name = std::string(4000, 'a') + "b";
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  EXPECT_FALSE(TZipCommon::WildcardMatch(name, pattern + "*c"));
  EXPECT_TRUE(TZipCommon::WildcardMatch(name, pattern + "*b"));
}

TEST(ZipMatch, NamesWithAndWithoutFolders) {
  EXPECT_TRUE(TZipCommon::MatchName("games.txt", "games.txt"));
  EXPECT_TRUE(TZipCommon::MatchName("GAMES.TXT", "games.txt"));
  EXPECT_TRUE(TZipCommon::MatchName("data\\games.txt", "games.txt"));
  EXPECT_TRUE(TZipCommon::MatchName("data\\games.txt", "data\\games.txt"));
  EXPECT_TRUE(TZipCommon::MatchName("data\\games.txt", "d*\\*.txt"));
  EXPECT_FALSE(TZipCommon::MatchName("other\\games.txt", "data\\games.txt"));
  EXPECT_FALSE(TZipCommon::MatchName("games.txt", "data\\games.txt"));
  EXPECT_FALSE(TZipCommon::MatchName("games.dat", "games.txt"));
  EXPECT_TRUE(TZipCommon::MatchName("games.dat", "games.*"));
  EXPECT_FALSE(TZipCommon::MatchName("games.dat", "*")) << "the extension must match too";
}

TEST(ZipMatch, FileSpecLines) {
  TUnZip zip;
  EXPECT_FALSE(zip.MatchFileSpec("games.txt")) << "an empty FileSpec selects nothing";
  zip.FileSpec().Add("codes.txt");
  zip.FileSpec().Add("*.*");
  EXPECT_TRUE(zip.MatchFileSpec("anything\\at.all"));
  zip.FileSpec().Delete(1);
  EXPECT_FALSE(zip.MatchFileSpec("games.txt"));
  EXPECT_TRUE(zip.MatchFileSpec("x\\codes.txt"));
}

TEST(ZipMatch, PercentRoundsTiesToEven) {
  EXPECT_EQ(TZipCommon::Pct(0, 0), 0);
  EXPECT_EQ(TZipCommon::Pct(1, 200), 0);  // 0.5 -> 0
  EXPECT_EQ(TZipCommon::Pct(3, 200), 2);  // 1.5 -> 2
  EXPECT_EQ(TZipCommon::Pct(5, 200), 2);  // 2.5 -> 2
  EXPECT_EQ(TZipCommon::Pct(1, 3), 33);
  EXPECT_EQ(TZipCommon::Pct(2, 3), 67);
  EXPECT_EQ(TZipCommon::Pct(-5, 10), 0);
  EXPECT_EQ(TZipCommon::Pct(15, 10), 100);
  EXPECT_EQ(TZipCommon::Pct(INT64_MAX / 2, INT64_MAX), 50);  // 49.99... -> 50
  EXPECT_EQ(TZipCommon::Pct(INT64_MAX - 1, INT64_MAX), 100);
}

TEST(ZipMatch, PropertyDefaults) {
  TUnZip zip;
  EXPECT_EQ(zip.ArcType(), atNA);
  EXPECT_TRUE(zip.ConfirmOverwrites());
  EXPECT_FALSE(zip.CreateStoredDirs());
  EXPECT_EQ(zip.DateAttribute(), daFileDate);
  EXPECT_EQ(zip.ExtractDir(), "");
  EXPECT_EQ(zip.OverwriteMode(), omOverwrite);
  EXPECT_EQ(zip.PasswordAttempts(), 3);
  EXPECT_TRUE(zip.RestoreFileAttr());
  EXPECT_TRUE(zip.UseStoredDirs());
  EXPECT_EQ(zip.ZipCmntBufSize(), 0);
  EXPECT_TRUE(zip.TranslateOemChar());
  EXPECT_EQ(zip.CpuType(), cptAuto);
  EXPECT_EQ(zip.StartOffset(), 1u);
  zip.SetExtractDir("/tmp/out");
  EXPECT_EQ(zip.ExtractDir(), "\\tmp\\out\\");
}

}  // namespace
