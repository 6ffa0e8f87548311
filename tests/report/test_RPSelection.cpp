// Page selection strings and status text codes.
#include <gtest/gtest.h>

#include "Exception.h"
#include "RPSelection.h"

namespace {

TEST(RPSelection, ItemsSelectPages) {
  struct Case {
    const char* selection;
    std::vector<int> selected;  // among pages 1..8
  };
  const Case cases[] = {
      {"1,3-4", {1, 3, 4}},
      {"2-", {2, 3, 4, 5, 6, 7, 8}},
      {"ODD", {1, 3, 5, 7}},
      {"o", {1, 3, 5, 7}},
      {"E", {2, 4, 6, 8}},
      {"even", {2, 4, 6, 8}},
      {"A", {1, 2, 3, 4, 5, 6, 7, 8}},
      {"all", {1, 2, 3, 4, 5, 6, 7, 8}},
      {"-3", {1, 2, 3}},
      {"R", {}},
      {"R,2", {2}},
      {"7, 2 - 3", {2, 3, 7}},
      {"5-", {5, 6, 7, 8}},
      {"6,1-2,E", {1, 2, 4, 6, 8}},
  };
  for (const Case& c : cases) {
    std::vector<int> got;
    for (int page = 1; page <= 8; ++page)
      if (SelectionSelects(c.selection, page)) got.push_back(page);
    EXPECT_EQ(got, c.selected) << c.selection;
  }
}

TEST(RPSelection, ABadTokenRaisesTheIntegerConversionError) {
  struct Case {
    const char* selection;
    const char* message;
  };
  const Case cases[] = {
      {"X", "'X' is not a valid integer value"},
      {"1-Z", "'Z' is not a valid integer value"},
      {"Q-4", "'Q' is not a valid integer value"},
      {"3,EVENS", "'EVENS' is not a valid integer value"},
      {"99999999999", "'99999999999' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    try {
      SelectionSelects(c.selection, 1000);
      ADD_FAILURE() << c.selection;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  // Reading stops at the first item that selects the page, before a bad token.
  EXPECT_TRUE(SelectionSelects("1,X", 1));
}

TEST(RPSelection, StatusCodes) {
  TStringList lines{"zero", "one"};
  TStatusFields f;
  f.Lines = &lines;
  f.CurrentCopy = 2;
  f.Device = "pdf";
  f.FirstPage = 3;
  f.LastPage = 40;
  f.CurrentPage = 7;
  f.Driver = "Generic PDF";
  f.TotalCopies = 5;
  f.Port = "file:/out";
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"Printing page %p", "Printing page 7"},
      {"Page %p of %x", "Page 7 of <ERROR-%X>"},
      {"%%%0/%1/%2|", "%zero/one/|"},
      {"%c of %S", "2 of 5"},
      {"%d|%r|%t", "pdf|Generic PDF|file:/out"},
      {"%F-%l", "3-40"},
      {"a%nb", "a\nb"},
      {"50%", "50%"},
      {"%z%?", "<ERROR-%Z><ERROR-%?>"},
      {"%\xe0", "<ERROR-%\xc0>"},  // Cyrillic a, upper-cased in the code page
  };
  for (const Case& c : cases) EXPECT_EQ(FormatStatusText(c.format, f), c.text) << c.format;
}

}  // namespace
