#include "arxUnreduce.h"

#include <cstring>
#include <memory>
#include <new>

#include "Err_Msgs.h"
#include "arxBitReader.h"

// Format notes (reduce, methods 2..5, compression factor = method - 1).
//
// Two layers. The outer layer is a byte stream made of probabilistic codes: each byte
// value has a "follower set" of up to 63 bytes that often come after it, sent first (for
// 255 down to 0: a 6-bit count, then the 8-bit bytes). A byte whose predecessor has a
// non-empty set starts with a flag bit: 0 means an index into the set follows, in just
// enough bits for the set's size; 1 (or an empty set) means a plain 8-bit byte.
//
// The inner layer runs those bytes through a small state machine around DLE (0x90):
// DLE 0 is a literal 0x90; DLE V [extra] C is a match. The low (8 - factor) bits of V
// are a length, saturated at their mask, in which case one more byte adds to it; the
// high factor bits of V and the byte C make the distance. A match copies length + 3
// bytes from that far back in a 4 KiB dictionary that starts as zeros.
//
// The stream does not say where it ends: the last byte's unused bits may read as more
// followers, so decoding stops at the member's declared size.

namespace {

constexpr uint32_t kDictSize = 4096;
constexpr int kSets = 256;
constexpr int kMaxFollowers = 64;  // a 6-bit count: 0..63
constexpr uint8_t kDLE = 0x90;

struct TReduceTables {
  uint8_t Count[kSets];
  uint8_t Followers[kSets][kMaxFollowers];
  uint8_t Dictionary[kDictSize];
};

// Bits of an index into a follower set of count bytes (count >= 1).
int IndexBits(int count) {
  int bits = 1;
  while ((1 << bits) < count) ++bits;
  return bits;
}

class TUnreducer {
 public:
  TUnreducer(TDecoder& decoder, TReduceTables& tables, int factor)
      : FDecoder(decoder),
        FBits(decoder),
        T(tables),
        FOut(decoder, tables.Dictionary, kDictSize),
        FFactor(factor),
        FLengthMask(0xFF >> factor) {}
  void Run();

 private:
  bool ReadFollowerSets();
  int NextByte(uint8_t last);
  void Feed(uint8_t c);

  TDecoder& FDecoder;
  TBitReader FBits;
  TReduceTables& T;
  TSlidingOutput FOut;
  int FFactor;
  uint32_t FLengthMask;
  int FState = 0;
  uint8_t FV = 0;
  uint32_t FLength = 0;
};

bool TUnreducer::ReadFollowerSets() {
  for (int set = kSets - 1; set >= 0; --set) {
    const int count = FBits.ReadBits(6);
    if (count == TBitReader::kEnd) return false;
    T.Count[set] = static_cast<uint8_t>(count);
    for (int i = 0; i < count; ++i) {
      const int b = FBits.ReadBits(8);
      if (b == TBitReader::kEnd) return false;
      T.Followers[set][i] = static_cast<uint8_t>(b);
    }
  }
  return true;
}

// The next byte of the outer layer, or kEnd.
int TUnreducer::NextByte(uint8_t last) {
  const int count = T.Count[last];
  if (count == 0) return FBits.ReadBits(8);
  const int flag = FBits.ReadBits(1);
  if (flag != 0) return flag == TBitReader::kEnd ? flag : FBits.ReadBits(8);
  const int index = FBits.ReadBits(IndexBits(count));
  if (index == TBitReader::kEnd) return index;
  // An index past the set's end points at no byte the encoder sent.
  if (index >= count) RaiseDecodeError(FDecoder, E_BADBLOCK);
  return T.Followers[last][index];
}

void TUnreducer::Feed(uint8_t c) {
  switch (FState) {
    case 0:
      if (c == kDLE) {
        FState = 1;
      } else {
        FOut.Put(c);
      }
      break;
    case 1:
      if (c == 0) {
        FOut.Put(kDLE);
        FState = 0;
      } else {
        FV = c;
        FLength = c & FLengthMask;
        FState = FLength == FLengthMask ? 2 : 3;
      }
      break;
    case 2:
      FLength += c;
      FState = 3;
      break;
    default: {
      const uint32_t distance = ((static_cast<uint32_t>(FV) >> (8 - FFactor)) << 8) + c + 1;
      FOut.Copy(distance, FLength + 3);
      FState = 0;
      break;
    }
  }
}

void TUnreducer::Run() {
  std::memset(T.Count, 0, sizeof T.Count);
  std::memset(T.Dictionary, 0, sizeof T.Dictionary);
  if (!ReadFollowerSets()) return;
  const uint64_t limit = FDecoder.Header().UnpackedSize;
  uint8_t last = 0;
  while (FOut.Count() < limit) {
    const int c = NextByte(last);
    if (c == TBitReader::kEnd) return;
    Feed(static_cast<uint8_t>(c));
    last = static_cast<uint8_t>(c);
  }
}

}  // namespace

void Unreduce(TDecoder& decoder, int factor) {
  if (factor < 1 || factor > 4) return;
  std::unique_ptr<TReduceTables> tables(new (std::nothrow) TReduceTables);
  if (!tables) return;
  TUnreducer(decoder, *tables, factor).Run();
}
