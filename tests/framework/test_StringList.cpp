#include "StringList.h"

#include <gtest/gtest.h>

#include "MemoryStream.h"

namespace {

TStringList Load(std::string_view bytes) {
  TMemoryStream stream;
  stream.Write(bytes.data(), int64_t(bytes.size()));
  stream.SetPosition(0);
  TStringList list;
  list.LoadFromStream(stream);
  return list;
}

TEST(StringListLoad, EveryTerminatorKindSplitsLines) {
  EXPECT_EQ(Load("a\r\nb\rc\nd"), (TStringList{"a", "b", "c", "d"}));
  // CR LF is one terminator, LF CR is two.
  EXPECT_EQ(Load("a\n\rb"), (TStringList{"a", "", "b"}));
  EXPECT_EQ(Load("a\r\n\r\nb"), (TStringList{"a", "", "b"}));
}

TEST(StringListLoad, TerminatorAtTheEndAddsNoEmptyLine) {
  EXPECT_EQ(Load("a\r\n"), (TStringList{"a"}));
  EXPECT_EQ(Load("a\r"), (TStringList{"a"}));
  EXPECT_EQ(Load("a\r\n\r\n"), (TStringList{"a", ""}));
  EXPECT_EQ(Load("\r\n"), (TStringList{""}));
  EXPECT_EQ(Load("").Count(), 0);
}

TEST(StringListLoad, NulByteEndsTheText) {
  EXPECT_EQ(Load(std::string_view("one\r\ntw\0o\r\nthree", 16)), (TStringList{"one", "tw"}));
  EXPECT_EQ(Load(std::string_view("\0abc", 4)).Count(), 0);
}

TEST(StringListLoad, ReadsFromThePositionAndLeavesTheStreamAtItsEnd) {
  TMemoryStream stream;
  stream.WriteString("skip\r\nkeep");
  stream.SetPosition(6);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(list, (TStringList{"keep"}));
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(StringListSave, WritesCrLfAfterEveryLine) {
  TStringList list{"a", "", "\xC0\xE1"};
  TMemoryStream stream;
  list.SaveToStream(stream);
  EXPECT_EQ(stream.ToString(), "a\r\n\r\n\xC0\xE1\r\n");
  EXPECT_EQ(Load(stream.ToString()), list);
}

TEST(StringListEdit, InsertDeleteAndIndexOfStayInRange) {
  TStringList list{"b"};
  list.Insert(0, "a");
  list.Insert(99, "c");
  list.Delete(-1);
  list.Delete(3);
  EXPECT_EQ(list, (TStringList{"a", "b", "c"}));
  EXPECT_EQ(list.IndexOf("c"), 2);
  EXPECT_EQ(list.IndexOf("z"), -1);
  EXPECT_THROW(list[3], std::out_of_range);
}

}  // namespace
