// The LZW decoder on hand-built code streams: widths, limits and damaged data.
#include <gtest/gtest.h>

#include "GIFBuilder.h"
#include "GIFDecoder.h"
#include "GIFMessages.h"

using namespace gifbuild;

namespace {

TGIFItem Item(int width, int height, std::string imageData, int bitsPerPixel = 8) {
  TGIFItem item;
  item.Width = width;
  item.Height = height;
  item.BitsPerPixel = bitsPerPixel;
  item.ColorTable = std::make_shared<TGIFColorTable>();
  item.ImageData = std::move(imageData);
  return item;
}

std::vector<uint8_t> Indices(const TGIFPixels& pixels) {
  const uint8_t* p = pixels.Indices.get();
  return {p, p + size_t(pixels.Width) * size_t(pixels.Height)};
}

// Codes at explicit widths, as a damaged or unusual writer would send them.
std::string Codes(int minimum, std::initializer_list<std::pair<int, int>> codes) {
  TCodeWriter writer;
  for (auto [code, width] : codes) writer.Put(code, width);
  return char(minimum) + SubBlocks(writer.Finish());
}

TEST(GIFDecoder, LiteralCodesAtEveryMinimumCodeSize) {
  for (int minimum = 2; minimum <= 8; ++minimum) {
    SCOPED_TRACE(minimum);
    std::vector<uint8_t> pixels(37 * 11);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i * 7) % (1u << minimum));
    const TGIFPixels out = DecodeGIFFrame(Item(37, 11, ImageData(pixels, minimum)));
    EXPECT_FALSE(out.Corrupted);
    EXPECT_EQ(Indices(out), pixels);
  }
}

struct TDamage {
  const char* Name;
  std::string Data;
  std::vector<uint8_t> Expected;  // 2 x 2 frame
  bool Corrupted;
};

TEST(GIFDecoder, DamagedAndShortData) {
  const std::string literal = ImageData({1, 2, 3, 1}, 2);
  const TDamage cases[] = {
      {"whole", literal, {1, 2, 3, 1}, false},
      {"end code after two pixels keeps index 0",
       Codes(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}),
       {1, 2, 0, 0},
       false},
      {"data ends before the end code", Codes(7, {{128, 8}, {1, 8}, {2, 8}}), {1, 2, 0, 0}, true},
      {"no code at all", std::string("\x02\x00", 2), {0, 0, 0, 0}, true},
      {"no minimum code size", "", {0, 0, 0, 0}, true},
      {"code not yet in the table", Codes(2, {{4, 3}, {3, 3}, {7, 3}, {1, 3}}), {3, 0, 0, 0}, true},
      {"table code right after a clear", Codes(2, {{4, 3}, {6, 3}, {1, 3}}), {0, 0, 0, 0}, true},
      {"more data than rows", ImageData({1, 2, 3, 1, 2, 2, 2}, 2), {1, 2, 3, 1}, false},
      {"string running past the last row",
       Codes(2, {{4, 3}, {1, 3}, {1, 3}, {6, 3}, {6, 3}}),
       {1, 1, 1, 1},
       false},
      {"minimum code size 1 is clamped to 2", char(1) + literal.substr(1), {1, 2, 3, 1}, true},
      {"minimum code size 0 is clamped to 2", char(0) + literal.substr(1), {1, 2, 3, 1}, true},
      {"minimum code size 12 is clamped to 9",
       char(12) + ImageData({1, 2, 3, 1}, 9).substr(1),
       {1, 2, 3, 1},
       true},
      {"sub-block longer than the data", literal.substr(0, 3), {1, 0, 0, 0}, true},
  };
  for (const TDamage& c : cases) {
    SCOPED_TRACE(c.Name);
    const TGIFPixels out = DecodeGIFFrame(Item(2, 2, c.Data));
    EXPECT_EQ(out.Corrupted, c.Corrupted);
    EXPECT_EQ(Indices(out), c.Expected);
  }
}

TEST(GIFDecoder, PixelsAreMaskedToTheFrameDepth) {
  // Minimum code size 8 in a frame whose table has 4 entries.
  const TGIFPixels out = DecodeGIFFrame(Item(4, 1, ImageData({0xFF, 0x05, 0x82, 0x03}, 8), 2));
  EXPECT_EQ(Indices(out), (std::vector<uint8_t>{3, 1, 2, 3}));
}

TEST(GIFDecoder, InterlacedRowsGoWhereTheirPassPutsThem) {
  const int height = 11;
  // Row r of the stream is filled with r: the decoded picture shows the pass order.
  std::vector<uint8_t> sent;
  for (int r = 0; r < height; ++r) sent.insert(sent.end(), 3, uint8_t(r));
  TGIFItem item = Item(3, height, ImageData(sent, 4));
  item.Interlaced = true;
  const TGIFPixels out = DecodeGIFFrame(item);
  const int passOrder[height] = {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
  for (int r = 0; r < height; ++r) {
    SCOPED_TRACE(passOrder[r]);
    EXPECT_EQ(out.At(0, passOrder[r]), r);
    EXPECT_EQ(out.At(2, passOrder[r]), r);
  }
}

TEST(GIFDecoder, LongestChainsAndAFullTable) {
  // 1, then every code the next free one: strings of length 1, 2, 3, ... until the table
  // holds 4096 entries; then the last entry twice more at 12 bits, then the end code.
  TCodeWriter writer;
  int width = 3;
  writer.Put(4, width);
  writer.Put(1, width);
  size_t total = 1;
  for (int next = 6; next < 4096; ++next) {
    writer.Put(next, width);
    total += size_t(next - 4);
    if (next + 1 == (1 << width) && width < 12) ++width;
  }
  writer.Put(4095, 12);
  writer.Put(4095, 12);
  writer.Put(5, 12);
  total += 2 * 4091;
  const int frameWidth = 4096;
  const int frameHeight = int((total + frameWidth - 1) / frameWidth) + 1;
  const TGIFPixels out =
      DecodeGIFFrame(Item(frameWidth, frameHeight, char(2) + SubBlocks(writer.Finish())));
  EXPECT_FALSE(out.Corrupted);
  const std::vector<uint8_t> indices = Indices(out);
  EXPECT_EQ(std::count(indices.begin(), indices.end(), 1), ptrdiff_t(total));
  EXPECT_EQ(std::count(indices.begin() + ptrdiff_t(total), indices.end(), 0),
            ptrdiff_t(indices.size() - total));
}

TEST(GIFDecoder, FramesBeyondThePixelLimitAreRefused) {
  try {
    DecodeGIFFrame(Item(65535, 1025, ImageData({0}, 2)));
    ADD_FAILURE();
  } catch (const EGIFError& error) {
    EXPECT_EQ(error.Kind(), gmTooLarge);
  }
  EXPECT_EQ(DecodeGIFFrame(Item(65536, 1024, ImageData({1}, 2))).At(0, 0), 1);
}

TEST(GIFDecoder, DepthRule) {
  const int depths[] = {1, 4, 4, 4, 8, 8, 8, 8};
  for (int bits = 1; bits <= 8; ++bits) EXPECT_EQ(GIFBitmapDepth(bits), depths[bits - 1]) << bits;
  for (int bits : {0, 9, -1}) {
    try {
      GIFBitmapDepth(bits);
      ADD_FAILURE() << bits;
    } catch (const EGIFError& error) {
      EXPECT_EQ(error.Kind(), gmWrongColorCount);
    }
  }
}

}  // namespace
