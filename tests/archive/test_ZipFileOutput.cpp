// Extraction into files: folders, attributes, dates, overwriting, and names that try to
// leave the target folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Err_Msgs.h"
#include "ZipTestKit.h"
#include "arxUnZIP.h"

using namespace ziptest;
namespace fs = std::filesystem;

namespace {

struct TFileFixture : ::testing::Test {
  TTempDir dir;
  TTempDir out;
  TUnZip zip;
  std::vector<std::pair<std::string, int>> errors;

  void SetUp() override {
    zip.OnError = [this](TZipCommon*, const std::string& name, const std::string&,
                         const std::string&, int code) { errors.emplace_back(name, code); };
    zip.SetExtractDir(out.Path());
    WriteFile(dir / "games.txt", "Doom\r\n");
    WriteFile(dir / "sub/deep/codes.txt", "IDDQD\r\n");
    fs::create_directories(dir / "empty");
  }
  int Extract(const std::string& path, const std::string& pattern = "*.*") {
    zip.SetArchiveFile(path);
    zip.FileSpec().Clear();
    zip.FileSpec().Add(pattern);
    return zip.Extract();
  }
  std::string Hostile() {
    return MakePyZip(dir, "h.zip",
                     "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                     "for n in ['../evil1.txt', '/tmp/evil2.txt', 'C:/evil3.txt',\n"
                     "          'a/../../evil4.txt', 'ok/fine.txt']:\n"
                     "  i = zipfile.ZipInfo('x'); i.filename = n\n"
                     "  z.writestr(i, b'evil')\n"
                     "z.close()\n");
  }
};

TEST_F(TFileFixture, FilesLandBelowExtractDirWithTheirFolders) {
  const std::string path = MakeZip(dir, "a.zip", {"-r", "-9"}, {"games.txt", "sub", "empty"});
  EXPECT_EQ(Extract(path), 2);
  EXPECT_EQ(ReadFile(out / "games.txt"), "Doom\r\n");
  EXPECT_EQ(ReadFile(out / "sub/deep/codes.txt"), "IDDQD\r\n");
  EXPECT_FALSE(fs::exists(out / "empty")) << "stored folders only with CreateStoredDirs";
  EXPECT_TRUE(errors.empty());

  zip.SetCreateStoredDirs(true);
  zip.SetConfirmOverwrites(false);
  Extract(path);
  EXPECT_TRUE(fs::is_directory(out / "empty"));
}

TEST_F(TFileFixture, WithoutStoredDirsEverythingLandsInExtractDir) {
  const std::string path = MakeZip(dir, "a.zip", {"-r"}, {"sub"});
  zip.SetUseStoredDirs(false);
  EXPECT_EQ(Extract(path), 1);
  EXPECT_EQ(ReadFile(out / "codes.txt"), "IDDQD\r\n");
}

TEST_F(TFileFixture, AttributesAndDate) {
  chmod((dir / "games.txt").c_str(), 0640);
  const std::string path = MakeZip(dir, "a.zip", {}, {"games.txt"});
  Extract(path);
  struct stat original, written;
  ASSERT_EQ(stat((dir / "games.txt").c_str(), &original), 0);
  ASSERT_EQ(stat((out / "games.txt").c_str(), &written), 0);
  EXPECT_EQ(written.st_mode & 0777, 0640u);
  EXPECT_LE(std::abs(double(written.st_mtime - original.st_mtime)), 2.0);

  fs::remove(out / "games.txt");
  zip.SetRestoreFileAttr(false);
  zip.SetDateAttribute(daSysDate);
  Extract(path);
  ASSERT_EQ(stat((out / "games.txt").c_str(), &written), 0);
  EXPECT_GE(written.st_mtime, original.st_mtime);
}

TEST_F(TFileFixture, ExistingFilesNeedAHandlerOrConfirmOverwritesOff) {
  const std::string path = MakeZip(dir, "a.zip", {}, {"games.txt"});
  WriteFile(out / "games.txt", "old");
  EXPECT_EQ(Extract(path), 0);
  EXPECT_EQ(ReadFile(out / "games.txt"), "old");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].second, E_REQUIREDEVENT);
  EXPECT_EQ(zip.OverwriteMode(), omSkip);

  zip.SetOverwriteMode(omOverwrite);
  zip.OnFileExists = [&](TZipCommon*, const std::string& name, std::string& newName,
                         TOverwriteMode& mode) {
    EXPECT_EQ(name, zip.ExtractDir() + "games.txt");
    newName = zip.ExtractDir() + "renamed.txt";
    mode = omOverwrite;
  };
  EXPECT_EQ(Extract(path), 1);
  EXPECT_EQ(ReadFile(out / "games.txt"), "old");
  EXPECT_EQ(ReadFile(out / "renamed.txt"), "Doom\r\n");

  zip.OnFileExists = nullptr;
  zip.SetConfirmOverwrites(false);
  EXPECT_EQ(Extract(path), 1);
  EXPECT_EQ(ReadFile(out / "games.txt"), "Doom\r\n");
}

TEST_F(TFileFixture, NamesLeavingTheFolderAreRefused) {
  const std::string path = Hostile();
  zip.SetConfirmOverwrites(false);
  EXPECT_EQ(Extract(path), 1);
  EXPECT_EQ(ReadFile(out / "ok/fine.txt"), "evil");
  for (const char* evil : {"evil1.txt", "evil2.txt", "evil3.txt", "evil4.txt"}) {
    EXPECT_FALSE(fs::exists(fs::path(out.Path()).parent_path() / evil)) << evil;
    EXPECT_FALSE(fs::exists(fs::path("/tmp") / evil)) << evil;
  }
  EXPECT_FALSE(fs::exists(out / "tmp/evil2.txt"));
  ASSERT_EQ(errors.size(), 4u);
  for (const auto& [name, code] : errors) EXPECT_EQ(code, E_FOPEN) << name;
}

TEST_F(TFileFixture, SymbolicLinksBelowTheFolderAreNeverFollowed) {
  TTempDir outside;
  WriteFile(outside / "target.txt", "keep");
  fs::create_directory_symlink(outside.Path(), out / "sub");
  fs::create_symlink(outside / "target.txt", out / "games.txt");
  const std::string path = MakeZip(dir, "a.zip", {"-r"}, {"games.txt", "sub"});
  zip.SetConfirmOverwrites(false);
  EXPECT_EQ(Extract(path), 2);
  EXPECT_EQ(ReadFile(outside / "target.txt"), "keep");
  EXPECT_FALSE(fs::exists(outside / "deep"));
  // Each refused member: the open failure, then its failed check.
  const std::vector<std::pair<std::string, int>> expected = {
      {zip.ExtractDir() + "games.txt", E_FOPEN},
      {zip.ExtractDir() + "games.txt", E_CRCERROR},
      {zip.ExtractDir() + "sub\\deep\\codes.txt", E_FOPEN},
      {zip.ExtractDir() + "sub\\deep\\codes.txt", E_CRCERROR}};
  EXPECT_EQ(errors, expected);
}

TEST_F(TFileFixture, MemoryRunsDoNotRefuseOddNames) {
  TDecompMemoryStream stream;
  zip.SetArchiveFile(Hostile());
  zip.FileSpec().Add("*.*");
  EXPECT_EQ(zip.ExtractToMemoryStream(&stream), 5) << "nothing is written to disk";
  EXPECT_EQ(stream.Entries(0).Name, "..\\evil1.txt");
}

}  // namespace
