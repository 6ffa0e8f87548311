// Classifying files and locating the zip directory, against archives made by real tools.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "Err_Msgs.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;

namespace {

struct TDetectFixture : ::testing::Test {
  TTempDir dir;
  TUnZip zip;
  std::vector<int> errors;

  void SetUp() override {
    zip.OnError = [this](TZipCommon*, const std::string&, const std::string&,
                         const std::string& volume, int code) {
      EXPECT_EQ(volume, "0");
      errors.push_back(code);
    };
    WriteFile(dir / "games.txt", "Doom\r\nQuake\r\n");
    WriteFile(dir / "codes.txt", std::string(3000, 'x'));
  }
  std::string Plain(const std::string& name = "a.zip") {
    return MakeZip(dir, name, {"-0"}, {"games.txt", "codes.txt"});
  }
  std::string Extract(const std::string& member) {
    TDecompMemoryStream stream;
    zip.FileSpec().Clear();
    zip.FileSpec().Add(member);
    zip.ExtractToMemoryStream(&stream);
    return stream.ToString();
  }
};

TEST_F(TDetectFixture, PlainZipUsesItsCentralDirectory) {
  const std::string path = Plain();
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  const std::string bytes = ReadFile(path);
  EXPECT_EQ(int64_t(zip.StartOffset()), FindSignature(bytes, 0x02014B50));
  EXPECT_EQ(zip.ArchiveFile().find('/'), std::string::npos) << "kept with \\ separators";
  EXPECT_TRUE(errors.empty());
}

TEST_F(TDetectFixture, CommentHidesTheEndRecordUntilTheBufferIsWidened) {
  const std::string path =
      MakeZip(dir, "c.zip", {"-0", "-z"}, {"games.txt", "codes.txt"}, std::string(100, 'c'));
  EXPECT_EQ(zip.ZipCmntBufSize(), 0);
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.HeaderStatus(), hsLocal) << "walked from the local headers";
  EXPECT_EQ(zip.StartOffset(), 0u);
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");

  zip.SetZipCmntBufSize(2000);
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  EXPECT_EQ(Extract("codes.txt"), std::string(3000, 'x'));
}

TEST_F(TDetectFixture, CorruptHeaderHandlerDecidesWhetherToWalk) {
  const std::string path =
      MakeZip(dir, "c.zip", {"-0", "-z"}, {"games.txt"}, std::string("comment"));
  std::vector<int> flags;
  bool cancel = true;
  zip.OnCorruptZipHeader = [&](TZipCommon*, uint8_t headFlag, bool& Cancel) {
    EXPECT_TRUE(Cancel);
    flags.push_back(headFlag);
    Cancel = cancel;
  };
  zip.SetArchiveFile(path);
  EXPECT_EQ(Extract("games.txt"), "");
  cancel = false;
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");
  EXPECT_EQ(flags, (std::vector<int>{hsLocal, hsLocal}));
}

TEST_F(TDetectFixture, CommentBufferSizeIsClamped) {
  zip.SetZipCmntBufSize(1);
  EXPECT_EQ(zip.ZipCmntBufSize(), 2000);
  zip.SetZipCmntBufSize(40000);
  EXPECT_EQ(zip.ZipCmntBufSize(), 32767);
  zip.SetZipCmntBufSize(5000);
  EXPECT_EQ(zip.ZipCmntBufSize(), 5000);
}

TEST_F(TDetectFixture, ZeroPrefixedZipIsReadBehindTheZeros) {
  // The directory is found behind the leading bytes its offsets do not count.
  const std::string bytes = ReadFile(Plain());
  WriteFile(dir / "z.zip", std::string(100, '\0') + bytes);
  zip.SetArchiveFile(dir / "z.zip");
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  EXPECT_EQ(zip.LeadingBytes(), 100u);
  EXPECT_EQ(int64_t(zip.StartOffset()), 100 + FindSignature(bytes, 0x02014B50));
  EXPECT_EQ(Extract("codes.txt"), std::string(3000, 'x'));

  // Without its end record in reach, it is walked from its first byte.
  const std::string commented = ReadFile(
      MakeZip(dir, "c.zip", {"-0", "-z"}, {"games.txt", "codes.txt"}, std::string(100, 'c')));
  WriteFile(dir / "zc.zip", std::string(100, '\0') + commented);
  zip.SetArchiveFile(dir / "zc.zip");
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.HeaderStatus(), hsLocal);
  EXPECT_EQ(zip.StartOffset(), 100u);
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");
}

TEST_F(TDetectFixture, DirectoryPointingNowhereFallsBackToTheWalkFromTheFirstMember) {
  const std::string path = Plain();
  const std::string bytes = ReadFile(path);
  const int64_t record = FindSignature(bytes, 0x06054B50);
  // A wrong offset alone: the directory still ends right before the record.
  Patch32(path, record + 16, 7);
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  EXPECT_EQ(zip.LeadingBytes(), 0u) << "the members are where they say";
  EXPECT_EQ(Extract("codes.txt"), std::string(3000, 'x'));

  Patch32(path, record + 12, 7);  // and a wrong size
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.HeaderStatus(), hsLocal);
  EXPECT_EQ(zip.StartOffset(), 0u);
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");
}

TEST_F(TDetectFixture, JarExtensionInAnyCase) {
  const std::string bytes = ReadFile(Plain());
  WriteFile(dir / "LIB.JAR", bytes);
  WriteFile(dir / "lib.jar", bytes);
  zip.SetArchiveFile(dir / "LIB.JAR");
  EXPECT_EQ(zip.ArcType(), atJar);
  zip.SetArchiveFile(dir / "lib.jar");
  EXPECT_EQ(zip.ArcType(), atJar);
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");
}

TEST_F(TDetectFixture, OtherFamiliesBySignature) {
  const std::string pad(40, 'p');
  const std::pair<std::string, TArcType> cases[] = {
      {"Rar!\x1a\x07\x00" + pad, atRar},
      {"MSCF" + pad, atCab},
      {"\x60\xea" + pad, atArj},
      {std::string("\x1f\x8b", 2) + pad, atGZip},
      {"ZOO 2.10 Archive" + pad, atZoo},
      {"xx-lh5-" + pad, atLha},
      {"begin 644 file.txt\n" + pad, atUue},
      {"just some text" + pad, atUnknown},
      {"MZ\x90\x00" + pad, atUnsupported},
      {"Rar!" + pad.substr(0, 10), atFileOpenErr},  // 14 bytes: too short to read
  };
  for (const auto& [content, type] : cases) {
    WriteFile(dir / "f.bin", content);
    zip.SetArchiveFile(dir / "f.bin");
    EXPECT_EQ(zip.ArcType(), type) << content;
  }
  WriteFile(dir / "f.bin", "\xB7\x92" + pad);
  zip.SetArchiveFile(dir / "f.bin");
  EXPECT_EQ(zip.ArcType(), atArcExe);
  EXPECT_EQ(zip.StartOffset(), 7717u);
  if (HaveTool("tar")) {
    RunTool({"tar", "cf", dir / "t.tar", "-C", dir.Path(), "games.txt"});
    zip.SetArchiveFile(dir / "t.tar");
    EXPECT_EQ(zip.ArcType(), atTar);
  }
}

TEST_F(TDetectFixture, MissingFileIsReportedThenRefusedAtRunTime) {
  zip.SetArchiveFile(dir / "nothing.zip");
  EXPECT_EQ(zip.ArcType(), atFileOpenErr);
  EXPECT_EQ(errors, std::vector<int>{E_FOPEN});
  TDecompMemoryStream stream;
  zip.FileSpec().Add("*.*");
  try {
    zip.ExtractToMemoryStream(&stream);
    FAIL() << "no exception";
  } catch (const E_RAISE& e) {
    EXPECT_EQ(e.Message(), "Invalid or unsupported archive type for this operation");
  }
  EXPECT_EQ(errors, (std::vector<int>{E_FOPEN, E_BADARCTYPE}));
}

TEST_F(TDetectFixture, FoldersAndPipesAreNotArchives) {
  zip.SetArchiveFile(dir.Path());
  EXPECT_EQ(zip.ArcType(), atFileOpenErr);
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  zip.SetArchiveFile(dir / "pipe");  // must not wait for a writer
  EXPECT_EQ(zip.ArcType(), atFileOpenErr);
  EXPECT_EQ(errors, (std::vector<int>{E_FOPEN, E_FOPEN}));
}

TEST_F(TDetectFixture, EmptyNameAndMissingStreamRaise) {
  TDecompMemoryStream stream;
  try {
    zip.ExtractToMemoryStream(&stream);
    FAIL();
  } catch (const E_RAISE& e) {
    EXPECT_EQ(e.Message(), "File not found");
  }
  zip.SetArchiveFile(Plain());
  try {
    zip.ExtractToMemoryStream(nullptr);
    FAIL();
  } catch (const E_RAISE& e) {
    EXPECT_EQ(e.Message(), "Uninitialized TMemoryStream object");
  }
  EXPECT_EQ(errors, (std::vector<int>{E_FILENOTFOUND, E_NOSTREAM}));
}

TEST_F(TDetectFixture, WritingArcTypeClassifiesAgain) {
  const std::string path = Plain();
  zip.SetArchiveFile(path);
  WriteFile(path, "Rar!" + std::string(40, 'r'));
  zip.SetArcType(atZip);
  EXPECT_EQ(zip.ArcType(), atRar);
}

TEST_F(TDetectFixture, DamagedZip64EndRecordFallsBackToTheWalk) {
  // With the directory's offset escaped, only the 64-bit record knows where it is.
  const std::string path = MakeZip(dir, "fz.zip", {"-fz", "-0"}, {"games.txt", "codes.txt"});
  const std::string bytes = ReadFile(path);
  Patch32(path, FindSignature(bytes, 0x06064B50), 0x06064B51);
  zip.SetArchiveFile(path);
  EXPECT_EQ(zip.ArcType(), atZip);
  EXPECT_EQ(zip.HeaderStatus(), hsLocal);
  EXPECT_EQ(Extract("codes.txt"), std::string(3000, 'x'));

  // Escapes in fields the reader does not use change nothing.
  const std::string plain = Plain();
  Patch16(plain, FindSignature(ReadFile(plain), 0x06054B50) + 10, 0xFFFF);  // total entries
  zip.SetArchiveFile(plain);
  EXPECT_EQ(zip.HeaderStatus(), hsEndRecord | hsCentral | hsLocal);
  EXPECT_EQ(Extract("games.txt"), "Doom\r\nQuake\r\n");
  EXPECT_TRUE(errors.empty());
}

}  // namespace
