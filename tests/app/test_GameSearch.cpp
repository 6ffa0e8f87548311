#include <gtest/gtest.h>

#include "GameSearch.h"

namespace {

const std::vector<std::string> kGames = {"Doom (PC)", "Dune (PC)", "Duke Nukem (PC)"};

struct Step {
  const char* text;
  int selected;  // -1: nothing changes
  int lastLen;
  int bestLen;
};

void Type(TGameSearch& search, const Step& step, const std::vector<std::string>& items) {
  const int hit = search.Change(step.text, items);
  if (hit >= 0) search.Commit(step.text);
  EXPECT_EQ(hit, step.selected) << step.text;
  EXPECT_EQ(search.SearchLastLen, step.lastLen) << step.text;
  EXPECT_EQ(search.SearchBestLen, step.bestLen) << step.text;
}

}  // namespace

TEST(GameSearch, AGrownTextOnlyTakesALongerMatch) {
  TGameSearch search;
  Type(search, {"D", 0, 1, 1}, kGames);
  Type(search, {"Du", 1, 2, 2}, kGames);
  // "Dux" matches two characters of Dune and Duke: not more than the last match.
  Type(search, {"Dux", -1, 2, 2}, kGames);
  Type(search, {"Duxe", -1, 2, 2}, kGames);
}

TEST(GameSearch, IgnoresWindows1251Case) {
  const std::vector<std::string> games = {"\xC0\xEB\xE0\xE4\xE8\xED (PC)",  // "Аладин"
                                          "\xC4\xF3\xEC (PC)"};             // "Дум"
  TGameSearch lower, upper;
  Type(lower, {"\xE4\xF3", 1, 2, 2}, games);  // "ду"
  Type(upper, {"\xC4\xD3", 1, 2, 2}, games);  // "ДУ"
  TGameSearch latin;
  Type(latin, {"D", 0, 1, 1}, kGames);
  Type(latin, {"dU", 1, 2, 2}, kGames);
  Type(latin, {"DuK", 2, 3, 3}, kGames);
}

TEST(GameSearch, TheTopmostItemWithAMatchWins) {
  const std::vector<std::string> games = {"Alpha", "Abc", "Abcd"};
  TGameSearch search;
  Type(search, {"a", 0, 1, 1}, games);
  // A pasted text: "Abc" is the first item beyond the last match, though "Abcd" fits better.
  Type(search, {"abcd", 1, 4, 3}, games);
}

TEST(GameSearch, NoItemMatchesLeavesEverything) {
  TGameSearch search;
  Type(search, {"x", -1, 0, 0}, kGames);
  Type(search, {"d", 0, 1, 1}, std::vector<std::string>{"Doom (PC)"});
  Type(search, {"z", -1, 1, 0}, kGames);  // a shorter text lowers the bar even without a hit
  Type(search, {"d", -1, 1, 0}, {});
}
