#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "MemoryStream.h"

namespace {

TEST(MemoryStream, WritesGrowAndReadsStopAtTheEnd) {
  TMemoryStream stream;
  stream.WriteString("hello");
  EXPECT_EQ(stream.Size(), 5);
  EXPECT_EQ(stream.Position(), 5);
  stream.SetPosition(3);
  stream.WriteString("p!!");  // overwrites two bytes, appends one
  EXPECT_EQ(stream.ToString(), "help!!");
  stream.SetPosition(4);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  EXPECT_EQ(std::string(buffer), "!!");
  EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.SetPosition(3);
  stream.WriteString("x");
  EXPECT_EQ(stream.ToString(), std::string("\0\0\0x", 4));
}

// A decoder may fill reserved room itself and then write those bytes where they lie.
TEST(MemoryStream, BytesPutInPlaceInReservedRoomAreTakenAsWritten) {
  TMemoryStream stream;
  stream.WriteString("ab");
  stream.SetCapacity(64);
  uint8_t* room = stream.Memory() + stream.Position();
  std::memcpy(room, "cdef", 4);
  EXPECT_EQ(stream.Write(room, 2), 2);
  EXPECT_EQ(stream.Write(room + 2, 2), 2);
  EXPECT_EQ(stream.ToString(), "abcdef");
  EXPECT_EQ(stream.Memory() + 2, room);  // the room did not move
}

TEST(MemoryStream, SetSizeClampsThePositionAndClearEmptiesAll) {
  TMemoryStream stream;
  stream.WriteString("abcdef");
  stream.SetSize(2);
  EXPECT_EQ(stream.Position(), 2);
  EXPECT_EQ(stream.ToString(), "ab");
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
}

TEST(MemoryStream, LargeStreamsGrowWithoutDoublingTheirCapacity) {
  TMemoryStream stream;
  std::string block(1 << 20, 'z');
  for (int i = 0; i < 64; ++i) stream.WriteString(block);
  EXPECT_EQ(stream.Size(), 64 << 20);
  EXPECT_LE(stream.Capacity(), stream.Size() + stream.Size() / 4 + 8192);
}

TEST(MemoryStream, FilesRoundTripAndAMissingFileLeavesTheContent) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "trickfolio-memstream.bin").string();
  TMemoryStream out;
  out.WriteString(std::string("a\0b", 3));
  ASSERT_TRUE(out.SaveToFile(path));
  TMemoryStream in;
  ASSERT_TRUE(in.LoadFromFile(path));
  EXPECT_EQ(in.ToString(), std::string("a\0b", 3));
  EXPECT_EQ(in.Position(), 0);
  std::remove(path.c_str());
  EXPECT_FALSE(in.LoadFromFile(path));
  EXPECT_EQ(in.Size(), 3);
}

}  // namespace
