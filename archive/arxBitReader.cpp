#include "arxBitReader.h"

#include "Err_Msgs.h"

void TBitReader::Refill() {
  // Whole bytes are taken ahead into a 64-bit buffer; 56 keeps room for one more byte.
  while (!FInputEnded && FBitCount <= 56) {
    const int b = FDecoder.NextByte();
    if (b < 0) {
      FInputEnded = true;
      break;
    }
    FBits |= static_cast<uint64_t>(b) << FBitCount;
    FBitCount += 8;
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
