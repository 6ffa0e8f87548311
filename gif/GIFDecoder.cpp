#include "GIFDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "GIFMessages.h"
#include "GIFReader.h"

// Format notes. The image data is a minimum code size byte, then LZW codes packed least
// significant bit first into sub-blocks. Codes below 2^minimum are pixel values; the
// clear code (2^minimum) resets the table, the next one ends the data. Every further code
// names a string: the previous code's string plus the first pixel of the current one.
// Codes start one bit wider than the minimum and widen as the table fills, up to 12 bits;
// a full table (4096 entries) takes no more entries until the next clear code. Interlaced
// images send rows in four passes: every 8th row from 0, every 8th from 4, every 4th from
// 2, every 2nd from 1.

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;
// The copy loop moves whole 8-byte words and may write this far past the last pixel.
constexpr size_t kSlack = 16;

uint8_t* AllocateZeroed(size_t count) {
  auto* buffer = static_cast<uint8_t*>(std::calloc(count + kSlack, 1));
  if (!buffer) throw EGIFError(gmOutOfMemory);
  return buffer;
}

// The code stream without its sub-block lengths, followed by eight zero bytes so that the
// bit reader may load whole words. A sub-block cut short sets `cut`.
std::vector<uint8_t> JoinSubBlocks(const std::string& imageData, size_t from, bool& cut) {
  std::vector<uint8_t> joined;
  joined.reserve(imageData.size() + 8);
  const auto* data = reinterpret_cast<const uint8_t*>(imageData.data());
  size_t pos = from;
  while (pos < imageData.size()) {
    const size_t length = data[pos++];
    if (length == 0) break;
    const size_t available = std::min(length, imageData.size() - pos);
    cut |= available < length;
    joined.insert(joined.end(), data + pos, data + pos + available);
    pos += available;
  }
  const size_t codeBytes = joined.size();
  joined.resize(codeBytes + 8, 0);
  return joined;
}

class TLZWDecoder {
 public:
  TLZWDecoder(const std::vector<uint8_t>& codes, int minimumCodeSize, int bitsPerPixel,
              const TGIFProgress& progress);

  // Fills out[0, total) as far as the data goes; true when the data was damaged.
  bool Decode(uint8_t* out, size_t total);

 private:
  // Loads whole bytes into the bit buffer until it holds at least 56 bits.
  void Refill() {
    if (FBytePos >= FNextReport) Report();
    uint64_t word;
    std::memcpy(&word, FCodes + FBytePos, 8);
    FBits |= word << FBitCount;
    FBytePos += size_t(63 - FBitCount) >> 3;
    FBitCount |= 56;
  }

  void Report() {
    FProgress(int(std::min<uint64_t>(FBytePos * 100 / std::max<uint64_t>(FTotalBits / 8, 1), 100)));
    FNextReport = FBytePos + FReportStep;
  }

  const uint8_t* FCodes;
  uint64_t FTotalBits;
  const TGIFProgress& FProgress;
  // Sixteen reports over the data; none at all without a listener.
  size_t FReportStep;
  size_t FNextReport;
  int FMinimum;
  uint64_t FBits = 0;
  int FBitCount = 0;
  size_t FBytePos = 0;
  // Every code's string as a place to copy from and a length. A table entry's string
  // already stands in the output; a pixel code's one byte stands in FPixels. So pixel and
  // table codes take the same copy, and photographs, which mix the two at random, do not
  // pay for guessing which comes next.
  const uint8_t* FString[kMaxCodes];
  uint32_t FLength[kMaxCodes];
  uint8_t FPixels[512 + 8];
};

TLZWDecoder::TLZWDecoder(const std::vector<uint8_t>& codes, int minimumCodeSize, int bitsPerPixel,
                         const TGIFProgress& progress)
    : FCodes(codes.data()),
      FTotalBits(uint64_t(codes.size() - 8) * 8),
      FProgress(progress),
      FReportStep(std::max<size_t>((codes.size() - 8) / 16, 1)),
      FNextReport(progress ? FReportStep : SIZE_MAX),
      FMinimum(minimumCodeSize) {
  const uint8_t mask = uint8_t((1u << std::clamp(bitsPerPixel, 1, 8)) - 1);
  std::memset(FPixels, 0, sizeof FPixels);
  for (uint32_t code = 0; code < (1u << FMinimum); ++code) {
    FPixels[code] = uint8_t(code) & mask;
    FString[code] = FPixels + code;
    FLength[code] = 1;
  }
}

// Copies a string from earlier output (or the pixel codes' bytes) that ends at or before
// the destination, a word at a time. Bytes past `length` are scratch: later strings
// overwrite them.
inline void CopyString(uint8_t* dst, const uint8_t* src, uint32_t length) {
  for (uint32_t i = 0; i < length; i += 8) {
    uint64_t word;
    std::memcpy(&word, src + i, 8);
    std::memcpy(dst + i, &word, 8);
  }
}

bool TLZWDecoder::Decode(uint8_t* out, size_t total) {
  const uint32_t clear = 1u << FMinimum;
  int codeSize = FMinimum + 1;
  uint32_t codeMask = (1u << codeSize) - 1;
  uint32_t next = clear + 2;
  const uint8_t* previous = nullptr;  // the previous code's string in the output
  uint32_t previousLength = 0;
  uint64_t consumedBits = 0;
  size_t pos = 0;
  bool damaged = false;

  while (pos < total) {
    consumedBits += uint64_t(codeSize);
    if (consumedBits > FTotalBits) {
      // The data ends before the end code: keep the rows decoded so far.
      damaged = true;
      break;
    }
    if (FBitCount < codeSize) Refill();
    const uint32_t code = uint32_t(FBits) & codeMask;
    FBits >>= codeSize;
    FBitCount -= codeSize;

    uint32_t length;
    if (code < next && code - clear >= 2) {
      length = FLength[code];
      if (length > total - pos) {
        std::memcpy(out + pos, FString[code], total - pos);
        pos = total;
        break;
      }
      CopyString(out + pos, FString[code], length);
    } else if (code == clear) {
      codeSize = FMinimum + 1;
      codeMask = (1u << codeSize) - 1;
      next = clear + 2;
      previous = nullptr;
      continue;
    } else if (code == clear + 1) {
      break;
    } else if (code == next && previous) {
      // The string being defined by this very code: the previous string and its own
      // first pixel. Source and destination overlap, so byte by byte.
      length = previousLength + 1;
      const size_t count = std::min<size_t>(length, total - pos);
      for (size_t i = 0; i < count; ++i) out[pos + i] = previous[i];
      if (count < length) {
        pos = total;
        break;
      }
    } else {
      // A code the table does not hold yet: following it would read entries that were
      // never written.
      damaged = true;
      break;
    }

    if (previous && next < kMaxCodes) {
      // The new entry is the previous string followed by this one's first pixel, which
      // is exactly where the previous string stands in the output.
      FString[next] = previous;
      FLength[next] = previousLength + 1;
      ++next;
      if (next > codeMask && codeSize < kMaxCodeBits) {
        ++codeSize;
        codeMask = (1u << codeSize) - 1;
      }
    }
    previous = out + pos;
    previousLength = length;
    pos += length;
  }
  // The word copies may have left scratch bytes past the last string.
  std::memset(out + pos, 0, std::min(kSlack, total - pos));
  return damaged;
}

// The rows of an interlaced frame in the order they were sent.
void Deinterlace(const uint8_t* sent, uint8_t* rows, int width, int height) {
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) {
      std::memcpy(rows + size_t(y) * size_t(width), sent, size_t(width));
      sent += width;
    }
  }
}

}  // namespace

int GIFBitmapDepth(int bitsPerPixel) {
  if (bitsPerPixel == 1) return 1;
  if (bitsPerPixel >= 2 && bitsPerPixel <= 4) return 4;
  if (bitsPerPixel >= 5 && bitsPerPixel <= 8) return 8;
  throw EGIFError(gmWrongColorCount);
}

TGIFPixels DecodeGIFFrame(const TGIFItem& item, const TGIFProgress& progress) {
  TGIFPixels pixels;
  pixels.Width = item.Width;
  pixels.Height = item.Height;
  const size_t total = size_t(item.Width) * size_t(item.Height);
  // The reader keeps screens within the limit; a frame made some other way is held to it
  // here, so no allocation is ever sized beyond it.
  if (total > size_t(GIFMaxPixels)) throw EGIFError(gmTooLarge);
  pixels.Indices.reset(AllocateZeroed(total));
  pixels.Corrupted = item.Corrupted;
  if (total == 0) return pixels;
  if (item.ImageData.empty()) {
    pixels.Corrupted = true;
    return pixels;
  }

  int minimum = uint8_t(item.ImageData[0]);
  if (minimum < 2 || minimum > 9) {
    pixels.Corrupted = true;
    minimum = std::clamp(minimum, 2, 9);
  }
  const std::vector<uint8_t> codes = JoinSubBlocks(item.ImageData, 1, pixels.Corrupted);
  auto decoder = std::make_unique<TLZWDecoder>(codes, minimum, item.BitsPerPixel, progress);
  if (!item.Interlaced) {
    pixels.Corrupted |= decoder->Decode(pixels.Indices.get(), total);
    return pixels;
  }
  std::unique_ptr<uint8_t, TGIFPixels::TFree> sent(AllocateZeroed(total));
  pixels.Corrupted |= decoder->Decode(sent.get(), total);
  Deinterlace(sent.get(), pixels.Indices.get(), item.Width, item.Height);
  return pixels;
}
