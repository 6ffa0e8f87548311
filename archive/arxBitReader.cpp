#include "arxBitReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Err_Msgs.h"

// Whole bytes are taken ahead into the 64-bit buffer, straight from the decoder's input
// block while it has some; NextByte refills the block (and sees a cancelled run).
void TBitReader::Refill() {
  while (!FInputEnded && FBitCount <= 56) {
    const uint32_t available = FDecoder.InputAvailable();
    if (available == 0) {
      const int b = FDecoder.NextByte();
      if (b < 0) {
        FInputEnded = true;
        break;
      }
      FBits |= static_cast<uint64_t>(b) << FBitCount;
      FBitCount += 8;
      continue;
    }
    const uint8_t* next = FDecoder.InputNext();
    const uint32_t take = std::min<uint32_t>(available, (64 - FBitCount) / 8);
    uint64_t bytes = 0;
    if (std::endian::native == std::endian::little && available >= 8) {
      std::memcpy(&bytes, next, 8);
      if (take < 8) bytes &= (uint64_t{1} << (8 * take)) - 1;
    } else {
      for (uint32_t i = 0; i < take; ++i) bytes |= static_cast<uint64_t>(next[i]) << (8 * i);
    }
    FBits |= bytes << FBitCount;
    FBitCount += 8 * take;
    FDecoder.SkipInput(take);
  }
}

int TBitReader::Fail() {
  FBits = 0;
  FBitCount = 0;
  FInputEnded = true;
  return kEnd;
}

void RaiseDecodeError(TDecoder& decoder, int code) {
  decoder.Host().RaiseError(decoder.OutputName(), code);
  throw E_RAISE(E_USERCANCEL);
}
