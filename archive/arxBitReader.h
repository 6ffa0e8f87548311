#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "arxDecoder.h"

// Bits of a member's compressed data, least significant bit of each byte first, for the
// shrink, reduce and implode decoders.
//
// Format notes: these methods pack their codes into bytes starting at bit 0, a code's
// low bits first, and a code may straddle bytes. The last byte of a member is padded
// with unused high bits, so a decoder cannot tell the end of its data from the bits
// alone: every method here stops at the member's declared size or at the end of input.
//
// End handling: a read that finds all of its bits returns them even when they were the
// last bits of the member; a read that finds fewer returns kEnd, and from then on every
// read returns kEnd (the leftover bits are never handed out). An empty member gives kEnd
// at the first read.
class TBitReader {
 public:
  static constexpr int kEnd = -1;
  static constexpr int kMaxBits = 24;

  explicit TBitReader(TDecoder& decoder) : FDecoder(decoder) {}

  // True when n (<= kMaxBits) bits are at hand for Peek; false near the end of input.
  bool Ensure(int n) {
    if (FBitCount < n) Refill();
    return FBitCount >= n;
  }
  // The bits at hand, next bit lowest; only as many as Ensure confirmed are meaningful.
  uint32_t Peek() const { return static_cast<uint32_t>(FBits); }
  // Takes n bits that Ensure confirmed.
  void Drop(int n) {
    FBits >>= n;
    FBitCount -= n;
  }

  // The next n bits (0 <= n <= kMaxBits) as a value, or kEnd.
  int ReadBits(int n) {
    if (FBitCount < n) {
      Refill();
      if (FBitCount < n) return Fail();
    }
    const int value = static_cast<int>(FBits & ((uint64_t{1} << n) - 1));
    FBits >>= n;
    FBitCount -= n;
    return value;
  }

 private:
  void Refill();
  int Fail();

  TDecoder& FDecoder;
  uint64_t FBits = 0;
  int FBitCount = 0;
  bool FInputEnded = false;
};

// Reports code through the host's OnError and ends the member's decoding by an
// exception (DecodeMember catches it). A cancelled run reports without raising, so the
// exception is thrown here in that case too.
[[noreturn]] void RaiseDecodeError(TDecoder& decoder, int code);

// Appends n bytes to the decoder's output window (as n PutByte calls would), flushing it
// whenever it fills.
inline void PutBytes(TDecoder& decoder, const uint8_t* bytes, uint32_t n) {
  while (n > 0) {
    uint32_t& windowPos = decoder.WindowPos();
    const uint32_t run = std::min(n, TDecoder::kWindowSize - windowPos);
    std::memcpy(decoder.Window() + windowPos, bytes, run);
    windowPos += run;
    decoder.OutputCount += run;
    bytes += run;
    n -= run;
    if (windowPos == TDecoder::kWindowSize) decoder.FlushWindow();
  }
}

// The output of reduce and implode: every byte goes to the member's output window and to
// a circular dictionary of `size` bytes (a power of two), which matches copy from. The
// dictionary starts as zeros, so a match that reaches back before the first byte
// copies zeros, as the old encoders assumed.
class TSlidingOutput {
 public:
  // size is 4096 or 8192.
  TSlidingOutput(TDecoder& decoder, uint8_t* dictionary, uint32_t size)
      : FDecoder(decoder), FDict(dictionary), FMask(size - 1) {}

  void Put(uint8_t b) {
    FDict[FPos] = b;
    FPos = (FPos + 1) & FMask;
    ++FCount;
    FDecoder.PutByte(b);
  }
  // Copies length bytes starting distance bytes back (1 = the byte just written, at
  // most the dictionary's size); an overlapping copy repeats what it has just written.
  void Copy(uint32_t distance, uint32_t length) {
    // The formats' distances are in range by construction; a distance of 0 would make
    // the overlapping copy below stand still.
    if (distance == 0 || distance > FMask + 1) return;
    uint32_t from = (FPos - distance) & FMask;
    while (length > 0) {
      // A run ends where the dictionary wraps on either side or the window fills.
      uint32_t& windowPos = FDecoder.WindowPos();
      uint32_t run = std::min(length, TDecoder::kWindowSize - windowPos);
      run = std::min(run, FMask + 1 - std::max(from, FPos));
      uint8_t* window = FDecoder.Window() + windowPos;
      if (run <= kShortRun) {
        for (uint32_t i = 0; i < run; ++i) window[i] = FDict[FPos + i] = FDict[from + i];
      } else {
        CopyInDictionary(from, distance, run);
        std::memcpy(window, FDict + FPos, run);
      }
      windowPos += run;
      FDecoder.OutputCount += run;
      FCount += run;
      FPos = (FPos + run) & FMask;
      from = (from + run) & FMask;
      length -= run;
      if (windowPos == TDecoder::kWindowSize) FDecoder.FlushWindow();
    }
  }
  // Bytes produced for this member.
  uint64_t Count() const { return FCount; }

 private:
  // Most matches are a few bytes long, for which block moves cost more than they save.
  static constexpr uint32_t kShortRun = 32;

  // One run of a copy, wrapping on neither side. A source closer than the run's length
  // lies just behind the destination (a wrapped source would leave no room for the run),
  // and the bytes repeat with the period `distance`: each piece copies what is already
  // there, doubling in size.
  void CopyInDictionary(uint32_t from, uint32_t distance, uint32_t run) {
    if (distance >= run) {
      std::memmove(FDict + FPos, FDict + from, run);
      return;
    }
    for (uint32_t done = 0; done < run;) {
      const uint32_t piece = std::min(FPos + done - from, run - done);
      std::memcpy(FDict + FPos + done, FDict + from, piece);
      done += piece;
    }
  }

  TDecoder& FDecoder;
  uint8_t* FDict;
  uint32_t FMask;
  uint32_t FPos = 0;
  uint64_t FCount = 0;
};
