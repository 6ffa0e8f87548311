#include "arxUnshrink.h"

#include <memory>
#include <new>

#include "Err_Msgs.h"
#include "arxBitReader.h"

// Format notes (shrink, method 1).
//
// LZW over a table of 8192 codes: 0..255 stand for the single bytes, 256 is a control
// code, 257..8191 are strings, each one an earlier code (its prefix) followed by one byte
// (its suffix). Codes are 9 bits wide at first. After each code the decoder defines the
// next free code as the previous code's string plus the first byte of this code's
// string; so a code may name the entry that this very step defines ("KwKwK"): its string
// is the previous string plus that string's own first byte.
//
// Control code 256 is followed by one code of the current width: 1 widens codes by one
// bit (13 at most), 2 is a partial clear: every string code that is no prefix of another
// is freed, and new codes are taken from the free codes in increasing order. The entry
// defined right after a clear takes the previous code as its prefix even when the clear
// has just freed it, and that code may later get a new string: the encoder does the
// same, so the decoder follows the links as they are at the time of use.
//
// Damaged data can link codes into a cycle; the decoding stack (8192 bytes, more than
// the longest string a sound table can hold) bounds every walk.

namespace {

constexpr int kCodes = 8192;
constexpr int kControl = 256;
constexpr int kFirstFree = 257;
constexpr int kFree = -1;
constexpr int kStackSize = 8192;
constexpr int kMaxCodeSize = 13;

struct TShrinkEntry {
  int16_t Prefix;  // kFree for a free code; a byte code is its own prefix
  uint8_t Suffix;
};

struct TShrinkTables {
  TShrinkEntry Entry[kCodes];
  // How many codes in use have this code as their prefix.
  uint16_t Children[kCodes];
  // The free codes, in the order they will be taken: [FNextFree, FFreeEnd).
  uint16_t FreeList[kCodes];
  uint8_t Stack[kStackSize];  // filled from the end, so a string lies in order
};

class TUnshrinker {
 public:
  TUnshrinker(TDecoder& decoder, TShrinkTables& tables)
      : FDecoder(decoder), FBits(decoder), T(tables) {}
  void Run();

 private:
  void Reset();
  void Control();
  void PartialClear();
  void Decode(int code);
  void Push(uint8_t b);
  void PutStack();
  void AddCode(uint8_t first);
  void Put(uint8_t b) {
    FDecoder.PutByte(b);
    ++FCount;
  }

  TDecoder& FDecoder;
  TBitReader FBits;
  TShrinkTables& T;
  int FCodeSize = 9;
  int FNextFree = 0;
  int FFreeEnd = 0;
  int FOld = 0;
  uint8_t FLast = 0;           // first byte of the previous code's string
  int FStackTop = kStackSize;  // the first byte in use
  uint64_t FCount = 0;
};

void TUnshrinker::Reset() {
  for (int code = 0; code < kCodes; ++code) {
    const bool byte = code < kControl;
    T.Entry[code] = {static_cast<int16_t>(byte ? code : kFree),
                     static_cast<uint8_t>(byte ? code : 0)};
    T.Children[code] = 0;
  }
  for (int code = kFirstFree; code < kCodes; ++code)
    T.FreeList[FFreeEnd++] = static_cast<uint16_t>(code);
}

void TUnshrinker::Run() {
  Reset();
  const uint64_t limit = FDecoder.Header().UnpackedSize;
  FOld = FBits.ReadBits(FCodeSize);
  if (FOld == TBitReader::kEnd) {
    if (limit == 0) return;  // an empty member has no codes at all
    RaiseDecodeError(FDecoder, E_BADBLOCK);
  }
  if (FOld >= kControl) RaiseDecodeError(FDecoder, E_BADBLOCK);
  FLast = static_cast<uint8_t>(FOld);
  Put(FLast);
  while (FCount < limit) {
    const int code = FBits.ReadBits(FCodeSize);
    if (code == TBitReader::kEnd) return;
    if (code == kControl) {
      Control();
      continue;
    }
    Decode(code);
    FOld = code;
  }
}

void TUnshrinker::Control() {
  // The control code promises a subcode: data that ends here was cut short.
  const int value = FBits.ReadBits(FCodeSize);
  if (value == TBitReader::kEnd) RaiseDecodeError(FDecoder, E_BADBLOCK);
  if (value == 1 && FCodeSize < kMaxCodeSize) {
    ++FCodeSize;
  } else if (value == 2) {
    PartialClear();
  } else {
    RaiseDecodeError(FDecoder, E_BADBLOCK);
  }
}

// The leaves are chosen first and freed afterwards, so a code whose last child goes in
// this clear stays. A code that is free already stays in the list even when it has
// children: the entry defined right after a clear takes the freed previous code as its
// prefix.
void TUnshrinker::PartialClear() {
  FNextFree = FFreeEnd = 0;
  for (int code = kFirstFree; code < kCodes; ++code)
    if (T.Entry[code].Prefix == kFree || T.Children[code] == 0)
      T.FreeList[FFreeEnd++] = static_cast<uint16_t>(code);
  for (int i = 0; i < FFreeEnd; ++i) {
    TShrinkEntry& entry = T.Entry[T.FreeList[i]];
    if (entry.Prefix == kFree) continue;
    --T.Children[entry.Prefix];
    entry = {kFree, 0};
  }
}

void TUnshrinker::Push(uint8_t b) {
  if (FStackTop == 0) {
    FDecoder.FlushWindow();
    RaiseDecodeError(FDecoder, E_STACKOVERFLOW);
  }
  T.Stack[--FStackTop] = b;
}

void TUnshrinker::PutStack() {
  const uint32_t n = kStackSize - FStackTop;
  PutBytes(FDecoder, T.Stack + FStackTop, n);
  FCount += n;
  FStackTop = kStackSize;
}

void TUnshrinker::Decode(int code) {
  if (code >= kCodes) RaiseDecodeError(FDecoder, E_BADBLOCK);
  int current = code;
  if (current > kControl && T.Entry[current].Prefix == kFree) {
    Push(FLast);
    current = FOld;
  }
  while (current > kControl) {
    const TShrinkEntry entry = T.Entry[current];
    if (entry.Prefix == kFree) RaiseDecodeError(FDecoder, E_BADBLOCK);
    Push(entry.Suffix);
    current = entry.Prefix;
  }
  // A chain ends at a byte code; 256 is never stored as a prefix, and is refused here
  // whatever the data.
  if (current == kControl) RaiseDecodeError(FDecoder, E_BADBLOCK);
  const uint8_t first = T.Entry[current].Suffix;
  Put(first);
  PutStack();
  AddCode(first);
  FLast = first;
}

void TUnshrinker::AddCode(uint8_t first) {
  if (FNextFree == FFreeEnd) return;
  const int code = T.FreeList[FNextFree++];
  T.Entry[code] = {static_cast<int16_t>(FOld), first};
  ++T.Children[FOld];
}

}  // namespace

void Unshrink(TDecoder& decoder) {
  std::unique_ptr<TShrinkTables> tables(new (std::nothrow) TShrinkTables);
  if (!tables) return;
  TUnshrinker(decoder, *tables).Run();
}
