#include "Codepage.h"

#include <gtest/gtest.h>

#include "MessageHook.h"

namespace {

using namespace Codepage;

TEST(Codepage, Cp1251RoundTripsThroughUtf8) {
  const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xB8 \xB9";  // "Привет, Ёё №"
  EXPECT_EQ(Cp1251ToUtf8(cp1251), "Привет, Ёё №");
  EXPECT_EQ(Utf8ToCp1251("Привет, Ёё №"), cp1251);
  EXPECT_EQ(Utf8ToCp1251("日本 ok"), "?? ok");
  EXPECT_EQ(Utf8ToCp1251("a\xFF" "b"), "a?b");
}

TEST(Codepage, OemNamesBecomeAnsi) {
  // "Игра" in code page 866 is 88 A3 E0 A0.
  EXPECT_EQ(OemToAnsi("\x88\xA3\xE0\xA0.txt"), "\xC8\xE3\xF0\xE0.txt");
  EXPECT_EQ(OemToAnsiChar('\xF0'), '\xA8');  // Ё
  EXPECT_EQ(OemToAnsiChar('A'), 'A');
}

TEST(Codepage, AnsiUpperCaseCoversCyrillic) {
  EXPECT_EQ(AnsiUpperCase("abc \xE0\xFF\xB8"), "ABC \xC0\xDF\xA8");  // а я ё
  EXPECT_EQ(AnsiUpperChar('\xB3'), '\xB2');  // і
  EXPECT_EQ(AnsiUpperChar('\xC0'), '\xC0');
  EXPECT_EQ(AnsiUpperChar('1'), '1');
}

TEST(Codepage, ArchiveFoldingTouchesAsciiOnly) {
  EXPECT_EQ(AsciiUpperCase("games.txt \xE0"), "GAMES.TXT \xE0");
}

TEST(MessageHook, CallsTheInstalledHookAndNothingByDefault) {
  MessageHook::ProcessMessages();
  int calls = 0;
  MessageHook::SetProcessMessages([&] { ++calls; });
  MessageHook::ProcessMessages();
  MessageHook::SetProcessMessages(nullptr);
  MessageHook::ProcessMessages();
  EXPECT_EQ(calls, 1);
}

}  // namespace
