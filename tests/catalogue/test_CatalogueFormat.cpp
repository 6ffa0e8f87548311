#include <gtest/gtest.h>

#include "CatalogueFormat.h"

using CatalogueFormat::OnlineMarker;

namespace {

std::string Marker() {
  return std::string(OnlineMarker);
}

}  // namespace

TEST(CatalogueFormat, OnlineOnlyIdIsTheRestOfTheOneMarkedLine) {
  EXPECT_EQ(Marker(), "***\xCD\xEE\xEC\xE5\xF0:");  // "***Номер:"
  std::string id;
  EXPECT_TRUE(CatalogueFormat::OnlineOnlyId(TStringList{Marker() + "12345"}, id));
  EXPECT_EQ(id, "12345");
  EXPECT_TRUE(CatalogueFormat::OnlineOnlyId(TStringList{Marker()}, id));
  EXPECT_EQ(id, "");
}

TEST(CatalogueFormat, AnythingElseIsOrdinaryCodes) {
  const TStringList cases[] = {
      TStringList{Marker() + "1", "more"},
      TStringList{"x" + Marker() + "1"},
      TStringList{"***\xED\xEE\xEC\xE5\xF0:1"},  // "номер", small letter
      TStringList{},
  };
  for (const TStringList& lines : cases) {
    std::string id = "kept";
    EXPECT_FALSE(CatalogueFormat::OnlineOnlyId(lines, id)) << lines.Text();
    EXPECT_EQ(id, "kept");
  }
}

TEST(CatalogueFormat, OnlyAPlainOneAsksForFixedPitch) {
  const struct {
    const char* flag;
    bool fixed;
  } cases[] = {{"1", true}, {"0", false}, {"1 ", false}, {"01", false}, {"", false}, {" 1", false}};
  for (const auto& c : cases) EXPECT_EQ(CatalogueFormat::FixedPitch(c.flag), c.fixed) << c.flag;
}

TEST(CatalogueFormat, TheVersionLineIsTheFirstLineExactly) {
  EXPECT_TRUE(CatalogueFormat::VersionMatches(TStringList{"Trickfolio v1.29", "anything"}));
  EXPECT_FALSE(CatalogueFormat::VersionMatches(TStringList{}));
  EXPECT_FALSE(CatalogueFormat::VersionMatches(TStringList{"Trickfolio v1.29 "}));
  EXPECT_FALSE(CatalogueFormat::VersionMatches(TStringList{"", "Trickfolio v1.29"}));
}

TEST(CatalogueFormat, AGamesLineSplitsAtItsFirstParenthesis) {
  const struct {
    const char *line, *name, *platform;
  } cases[] = {{"Wolfenstein 3D (PC)", "Wolfenstein 3D", "PC"},
               {"A (B) (C)", "A", "B) (C"},
               {"DOOM(PC)", "DOO", "PC"},
               {"(PC)", "", "PC"},
               {"DOOM", "", "DOO"},
               {"", "", ""}};
  for (const auto& c : cases) {
    const CatalogueFormat::TGameLine line = CatalogueFormat::SplitGameLine(c.line);
    EXPECT_EQ(line.Name, c.name) << c.line;
    EXPECT_EQ(line.Platform, c.platform) << c.line;
  }
}
