#include <gtest/gtest.h>

#include "Catalogue.h"
#include "CatalogueMaker.h"

using namespace CatalogueMaker;

namespace {

// Loads the index of an archive made from `members`.
bool Load(const TMembers& members, TStringList* games = nullptr,
          const std::string& password = Password) {
  TFolder folder;
  EXPECT_TRUE(folder.Zip(members, password));
  TCatalogue catalogue(folder.Dir());
  TStringList list;
  const bool ok = catalogue.LoadIndex(list);
  if (games) *games = list;
  return ok;
}

TMembers With(TMembers members, const std::string& name, const std::string& bytes) {
  members[name] = bytes;
  return members;
}

TMembers Without(TMembers members, const std::string& name) {
  members.erase(name);
  return members;
}

}  // namespace

TEST(Catalogue, ReadsTheFourIndexMembers) {
  TFolder folder;
  ASSERT_TRUE(folder.Zip(Standard()));
  TCatalogue catalogue(folder.Dir());
  EXPECT_TRUE(catalogue.ArchiveExists());
  TStringList games;
  ASSERT_TRUE(catalogue.LoadIndex(games));
  ASSERT_EQ(games.Count(), 6);
  EXPECT_EQ(games[4], Cp("Квейк (PC)"));
  EXPECT_EQ((*catalogue.FileNames)[2], "duke.txt");
  EXPECT_EQ(catalogue.VersionLines->Count(), 2);
  EXPECT_TRUE(catalogue.FixedPitch(0));
  for (int i : {1, 2, 3, 4}) EXPECT_FALSE(catalogue.FixedPitch(i)) << i;  // "0", "1 ", "01", ""

  TStringList codes;
  ASSERT_TRUE(catalogue.ExtractCodes(3, codes));
  EXPECT_EQ(codes, (TStringList{"\tx", "ab\tc", "a\t"}));
  EXPECT_FALSE(catalogue.ExtractCodes(5, codes));  // lost.txt is not in the archive
  EXPECT_EQ(codes.Count(), 3) << "a failed extraction leaves the target alone";
  EXPECT_FALSE(catalogue.ExtractCodes(-1, codes));
  EXPECT_FALSE(catalogue.ExtractCodes(6, codes));
}

TEST(Catalogue, TheVersionLineMustMatchExactly) {
  EXPECT_TRUE(Load(With(Standard(), "version.txt", "Trickfolio v1.29")));  // no terminator
  for (const char* version : {"Trickfolio v1.29 ", "trickfolio v1.29", "Trickfolio v1.30",
                              " Trickfolio v1.29", "\r\nTrickfolio v1.29", ""})
    EXPECT_FALSE(Load(With(Standard(), "version.txt", version))) << '"' << version << '"';
}

TEST(Catalogue, AMissingOrUnreadableMemberFailsTheLoad) {
  for (const char* member : {"games.txt", "files.txt", "pitches.txt", "version.txt"})
    EXPECT_FALSE(Load(Without(Standard(), member))) << member;
  EXPECT_FALSE(Load(Standard(), nullptr, "another password"));
  EXPECT_TRUE(Load(Standard(), nullptr, ""));  // members without the cipher need no password
}

TEST(Catalogue, AMissingMemberDoesNotStopTheOthers) {
  TFolder folder;
  ASSERT_TRUE(folder.Zip(Without(Standard(), "files.txt")));
  TCatalogue catalogue(folder.Dir());
  TStringList games;
  EXPECT_FALSE(catalogue.LoadIndex(games));
  EXPECT_EQ(games.Count(), 6);
  EXPECT_EQ(catalogue.Pitches->Count(), 6);
  EXPECT_EQ(catalogue.VersionLines->Count(), 2);
}

TEST(Catalogue, ListsThatCannotServeEveryGameAreRefused) {
  EXPECT_FALSE(Load(With(Standard(), "games.txt", "")));
  EXPECT_FALSE(Load(With(Standard(), "files.txt", Lines({"doom.txt", "dune.txt"}))));
  EXPECT_FALSE(Load(With(Standard(), "pitches.txt", Lines({"1", "0", "1", "1", "1"}))));
  // Longer lists are fine: only the games' lines are used.
  EXPECT_TRUE(Load(With(Standard(), "pitches.txt", Lines({"1", "0", "1", "1", "1", "0", "1"}))));
}

TEST(Catalogue, ANameMustSelectExactlyOneMember) {
  // Names ignore the stored folder, so a second games.txt in a folder is a second match.
  EXPECT_FALSE(Load(With(Standard(), "old/games.txt", Lines({"Doom (PC)"}))));
  TStringList games;
  EXPECT_TRUE(Load(With(Without(Standard(), "games.txt"), "lists/games.txt", Lines({"Doom (PC)"})),
                   &games));
  EXPECT_EQ(games, TStringList{"Doom (PC)"});
}

TEST(Catalogue, NoArchiveOrNotAnArchive) {
  TFolder folder;
  TCatalogue catalogue(folder.Dir());
  TStringList games;
  EXPECT_FALSE(catalogue.ArchiveExists());
  EXPECT_FALSE(catalogue.LoadIndex(games));
  EXPECT_EQ(catalogue.LastRead().Failure, "Invalid or unsupported archive type for this operation");
  folder.WriteFile(folder.Archive(), "this is not a zip archive at all");
  EXPECT_TRUE(catalogue.ArchiveExists());
  EXPECT_FALSE(catalogue.LoadIndex(games));
  folder.WriteFile(folder.Archive(), "");
  EXPECT_FALSE(catalogue.LoadIndex(games));
}

TEST(Catalogue, ReadsWhatTheCatalogueToolPacks) {
  TFolder folder;
  TMembers members = Standard();
  members.erase("lost.txt");
  members["files.txt"] =
      Lines({"doom.txt", "dune.txt", "duke.txt", "wolf.txt", "quake.txt", "doom.txt"});
  if (!folder.Pack(members)) GTEST_SKIP() << "trickfolio-cat is not built";
  TCatalogue catalogue(folder.Dir());
  TStringList games, codes;
  ASSERT_TRUE(catalogue.LoadIndex(games));
  EXPECT_EQ(games.Count(), 6);
  ASSERT_TRUE(catalogue.ExtractCodes(4, codes));
  EXPECT_EQ(codes, TStringList{Cp("***Номер:777")});
  ASSERT_TRUE(catalogue.ExtractCodes(0, codes));
  EXPECT_EQ(codes, (TStringList{"IDDQD\tgod mode", "IDKFA\tall keys"}));
}
