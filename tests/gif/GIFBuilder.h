#pragma once

// Byte-exact GIF streams for the cases producers will not write.
#include <cstdint>
#include <string>
#include <vector>

namespace gifbuild {

inline std::string Word(int value) {
  return {char(value & 0xFF), char((value >> 8) & 0xFF)};
}

// Codes packed least significant bit first, each at its given width.
class TCodeWriter {
 public:
  void Put(int code, int width) {
    FAccumulator |= uint64_t(code) << FCount;
    FCount += width;
    while (FCount >= 8) {
      FBytes.push_back(char(FAccumulator & 0xFF));
      FAccumulator >>= 8;
      FCount -= 8;
    }
  }
  std::string Finish() {
    if (FCount > 0) FBytes.push_back(char(FAccumulator & 0xFF));
    FAccumulator = 0;
    FCount = 0;
    return FBytes;
  }

 private:
  std::string FBytes;
  uint64_t FAccumulator = 0;
  int FCount = 0;
};

// Code bytes cut into sub-blocks of at most `block` bytes, with the terminator.
inline std::string SubBlocks(const std::string& bytes, size_t block = 255) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += block) {
    const size_t n = std::min(block, bytes.size() - i);
    out += char(n);
    out += bytes.substr(i, n);
  }
  return out + '\0';
}

// Every pixel as a literal code, a clear code before the code width would grow, so the
// stream stays at minimum + 1 bits. Ends with the end code.
inline std::string LiteralCodes(const std::vector<uint8_t>& pixels, int minimum) {
  const int clear = 1 << minimum;
  const int width = minimum + 1;
  TCodeWriter writer;
  writer.Put(clear, width);
  int sinceClear = 0;
  for (uint8_t pixel : pixels) {
    if (sinceClear == clear - 2) {
      writer.Put(clear, width);
      sinceClear = 0;
    }
    writer.Put(pixel, width);
    ++sinceClear;
  }
  writer.Put(clear + 1, width);
  return writer.Finish();
}

inline std::string ImageData(const std::vector<uint8_t>& pixels, int minimum) {
  return char(minimum) + SubBlocks(LiteralCodes(pixels, minimum));
}

inline std::string Header(int width, int height, int tableBits = 2, int background = 0,
                          const char* signature = "GIF89a") {
  std::string out = signature;
  out += Word(width) + Word(height);
  out += char(tableBits > 0 ? 0x80 | (tableBits - 1) : 0);
  out += char(background);
  out += '\0';
  // Colour i is (i, 2i, 3i) so that every entry differs.
  for (int i = 0; tableBits > 0 && i < (1 << tableBits); ++i) {
    out += char(i);
    out += char(2 * i);
    out += char(3 * i);
  }
  return out;
}

inline std::string GraphicControl(int disposal, int delay, int transparent = -1) {
  std::string out = "!\xF9\x04";
  out += char((disposal << 2) | (transparent >= 0 ? 1 : 0));
  out += Word(delay);
  out += char(transparent >= 0 ? transparent : 0);
  return out + '\0';
}

inline std::string Comment(const std::string& text) {
  return "!\xFE" + SubBlocks(text);
}

inline std::string Application(const std::string& identifier, const std::string& block) {
  return "!\xFF\x0B" + identifier + SubBlocks(block);
}

inline std::string PlainText() {
  return "!\x01\x0C" + std::string(12, '\0') + SubBlocks("text");
}

// An image descriptor without a local table, then its data.
inline std::string Image(int left, int top, int width, int height, const std::string& data,
                         int packed = 0) {
  return ',' + Word(left) + Word(top) + Word(width) + Word(height) + char(packed) + data;
}

// A w x h frame of the given pixels, as literal codes at minimum code size 2.
inline std::string Frame(int left, int top, int width, int height,
                         const std::vector<uint8_t>& pixels) {
  return Image(left, top, width, height, ImageData(pixels, 2));
}

}  // namespace gifbuild
