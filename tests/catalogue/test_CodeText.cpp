#include <gtest/gtest.h>

#include "CodeText.h"

using CodeText::ExpandTabs;

TEST(ExpandTabs, FillsToTheNextStopOfEightColumns) {
  EXPECT_EQ(ExpandTabs("a\tb"), "a       b");
  EXPECT_EQ(ExpandTabs("ab\tc"), "ab      c");
  EXPECT_EQ(ExpandTabs("\tx"), "        x");
  EXPECT_EQ(ExpandTabs("1234567\tx"), "1234567 x");            // tab in position 8: one space
  EXPECT_EQ(ExpandTabs("123456789\tx"), "123456789       x");  // position 10: seven
  EXPECT_EQ(ExpandTabs("\t\tx"), std::string(16, ' ') + "x");
}

TEST(ExpandTabs, NeverLooksAtTheLastCharacter) {
  EXPECT_EQ(ExpandTabs("\t"), "\t");
  EXPECT_EQ(ExpandTabs("ab\t"), "ab\t");
  // The first tab grows the line, the scan still stops before the final one.
  EXPECT_EQ(ExpandTabs("\t\t"), "        \t");
  EXPECT_EQ(ExpandTabs(""), "");
  EXPECT_EQ(ExpandTabs("plain"), "plain");
}

TEST(ExpandTabs, LeavesCyrillicBytesAlone) {
  const std::string word = "\xCA\xEE\xE4";  // "Код"
  EXPECT_EQ(ExpandTabs(word + "\t1"), word + "     1");
}
