#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

#include "Exception.h"

namespace {

TEST(ListError, MessageNamesTheIndexAndOnlyIndicesOutsideTheListRaise) {
  for (const auto& [index, count, message] :
       std::initializer_list<std::tuple<int, int, const char*>>{
           {-1, 3, "List index out of bounds (-1)"},
           {3, 3, "List index out of bounds (3)"},
           {0, 0, "List index out of bounds (0)"}}) {
    try {
      CheckListIndex(index, count);
      ADD_FAILURE() << index << " of " << count << " raised nothing";
    } catch (const Exception& error) {
      EXPECT_NE(dynamic_cast<const EListError*>(&error), nullptr);
      EXPECT_EQ(error.Message(), message);
    }
  }
  EXPECT_NO_THROW(CheckListIndex(0, 1));
  EXPECT_NO_THROW(CheckListIndex(2, 3));
}

}  // namespace
