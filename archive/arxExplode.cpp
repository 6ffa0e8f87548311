#include "arxExplode.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "Err_Msgs.h"
#include "arxBitReader.h"

// Format notes (implode, method 6).
//
// A sliding-dictionary coder with Shannon-Fano trees. Flags bit 1 gives an 8 KiB
// dictionary (distances have 7 plain low bits) instead of 4 KiB (6 bits); flags bit 2
// adds a literal tree of 256 symbols and makes the shortest match 3 bytes instead of 2.
//
// The trees come first, in the order literal, length, distance (64 symbols each). A tree
// is sent as bit lengths, run-length coded: a byte count - 1, then bytes whose low
// nibble is a bit length - 1 and high nibble a repeat count - 1, for consecutive symbols
// from 0. The codes follow from the lengths: sort the symbols by (length, symbol) and
// hand out codes counting upward from the last, the longest codes being the smallest.
// A code is read most significant bit first, one bit of the stream at a time.
//
// Then items, each after one flag bit: 1 is a literal (a literal-tree symbol, or 8 plain
// bits), 0 a match: the distance's low bits plain, its high 6 bits a distance symbol,
// then a length symbol (63 takes 8 more plain bits); the copy starts distance + 1 bytes
// back. The dictionary starts as zeros.
//
// Trees are node arrays: nodes below the symbol count are the leaves, the root is the
// last node, internal nodes are taken downward from below the root. Every child link
// points to a lower node, so a walk always ends within 16 steps. The first 8 steps of a
// walk come from a lookup table indexed by the next 8 bits.

namespace {

constexpr int kEmpty = -1;
constexpr int kMaxCodeLength = 16;

class TShannonFanoTree {
 public:
  // symbols is 64 or 256; the arrays fit the larger one.
  void Init(int symbols) {
    FSymbols = symbols;
    FRoot = 2 * symbols - 1;
    std::fill(&FChild[0][0], &FChild[0][0] + 2 * kMaxNodes, static_cast<int16_t>(kEmpty));
  }
  // False when the codes are ambiguous (25293 has been reported); raises 25293 when a
  // code lands on a place that another code holds already.
  bool Insert(TDecoder& decoder, int symbol, uint32_t code, int length, int& nextFree);
  // After the last Insert: the first-level lookup.
  void BuildLookup();
  // The next symbol, or TBitReader::kEnd at the end of the input.
  int Decode(TDecoder& decoder, TBitReader& bits) const {
    int node = FRoot;
    if (bits.Ensure(kLookupBits)) {
      const TLookup entry = FLookup[bits.Peek() & (kLookupSize - 1)];
      bits.Drop(entry.Bits);
      node = entry.Node;
      if (node == kEmpty) RaiseDecodeError(decoder, E_AMBIGUOUSTREE);
    }
    while (node >= FSymbols) {
      const int bit = bits.ReadBits(1);
      if (bit == TBitReader::kEnd) return bit;
      node = FChild[node][bit];
      if (node == kEmpty) RaiseDecodeError(decoder, E_AMBIGUOUSTREE);
    }
    return node;
  }
  int Root() const { return FRoot; }

 private:
  static constexpr int kMaxNodes = 512;
  static constexpr int kLookupBits = 8;
  static constexpr int kLookupSize = 1 << kLookupBits;
  // Where the walk from the root stands after up to kLookupBits bits (the next bits of
  // the stream, first bit lowest): a leaf, an internal node to walk on from, or kEmpty.
  struct TLookup {
    int16_t Node;
    uint8_t Bits;
  };

  int FSymbols = 0;
  int FRoot = 0;
  int16_t FChild[kMaxNodes][2];
  TLookup FLookup[kLookupSize];
};

// The walk one bit per step, done once for every possible next byte of the stream.
void TShannonFanoTree::BuildLookup() {
  for (int pattern = 0; pattern < kLookupSize; ++pattern) {
    int node = FRoot;
    int used = 0;
    while (node >= FSymbols && used < kLookupBits) {
      node = FChild[node][(pattern >> used) & 1];
      ++used;
      if (node == kEmpty) break;
    }
    FLookup[pattern] = {static_cast<int16_t>(node), static_cast<uint8_t>(used)};
  }
}

bool TShannonFanoTree::Insert(TDecoder& decoder, int symbol, uint32_t code, int length,
                              int& nextFree) {
  int node = FRoot;
  for (int i = length - 1; i > 0; --i) {
    const int bit = (code >> i) & 1;
    int child = FChild[node][bit];
    if (child == kEmpty) {
      child = nextFree--;
      FChild[node][bit] = static_cast<int16_t>(child);
    }
    // Running out of internal nodes, or passing through a symbol, means the lengths
    // describe no prefix code.
    if (child < FSymbols) {
      decoder.Host().ReportError(decoder.OutputName(), "", E_AMBIGUOUSTREE);
      return false;
    }
    node = child;
  }
  int16_t& leaf = FChild[node][code & 1];
  if (leaf != kEmpty) RaiseDecodeError(decoder, E_AMBIGUOUSTREE);
  leaf = static_cast<int16_t>(symbol);
  return true;
}

struct TImplodeTables {
  TShannonFanoTree Literal;
  TShannonFanoTree Length;
  TShannonFanoTree Distance;
  uint8_t Dictionary[8192];
};

class TExploder {
 public:
  TExploder(TDecoder& decoder, TImplodeTables& tables)
      : FDecoder(decoder),
        FBits(decoder),
        T(tables),
        FBigDictionary((decoder.Header().Flags & 2) != 0),
        FThreeTrees((decoder.Header().Flags & 4) != 0),
        FOut(decoder, tables.Dictionary, FBigDictionary ? 8192 : 4096) {}
  void Run();

 private:
  enum class TTreeResult { trOk, trEnd, trFailed };
  TTreeResult ReadTree(TShannonFanoTree& tree, int symbols);
  TTreeResult ReadLengths(int symbols, uint8_t* lengths);
  bool Item();

  TDecoder& FDecoder;
  TBitReader FBits;
  TImplodeTables& T;
  bool FBigDictionary;
  bool FThreeTrees;
  TSlidingOutput FOut;
};

// The run-length coded bit lengths of one tree; they must cover exactly its symbols.
TExploder::TTreeResult TExploder::ReadLengths(int symbols, uint8_t* lengths) {
  const int bytes = FBits.ReadBits(8);
  if (bytes == TBitReader::kEnd) return TTreeResult::trEnd;
  int symbol = 0;
  for (int i = 0; i <= bytes; ++i) {
    const int b = FBits.ReadBits(8);
    if (b == TBitReader::kEnd) return TTreeResult::trEnd;
    const int length = (b & 0x0F) + 1;
    const int repeat = (b >> 4) + 1;
    if (symbol + repeat > symbols) return TTreeResult::trFailed;
    std::fill(lengths + symbol, lengths + symbol + repeat, static_cast<uint8_t>(length));
    symbol += repeat;
  }
  return symbol == symbols ? TTreeResult::trOk : TTreeResult::trFailed;
}

TExploder::TTreeResult TExploder::ReadTree(TShannonFanoTree& tree, int symbols) {
  uint8_t lengths[256];
  const TTreeResult lengthsRead = ReadLengths(symbols, lengths);
  if (lengthsRead != TTreeResult::trOk) return lengthsRead;
  uint16_t order[256];
  for (int s = 0; s < symbols; ++s) order[s] = static_cast<uint16_t>(s);
  std::stable_sort(order, order + symbols,
                   [&](uint16_t a, uint16_t b) { return lengths[a] < lengths[b]; });
  tree.Init(symbols);
  int nextFree = tree.Root() - 1;
  uint32_t code = 0;
  uint32_t increment = 0;
  int previous = 0;
  for (int i = symbols - 1; i >= 0; --i) {
    const int symbol = order[i];
    const int length = lengths[symbol];
    code = (code + increment) & 0xFFFF;
    if (length != previous) {
      increment = uint32_t{1} << (kMaxCodeLength - length);
      previous = length;
    }
    if (!tree.Insert(FDecoder, symbol, code >> (kMaxCodeLength - length), length, nextFree)) {
      return TTreeResult::trFailed;
    }
  }
  tree.BuildLookup();
  return TTreeResult::trOk;
}

// One literal or match; false at the end of the input.
bool TExploder::Item() {
  const int flag = FBits.ReadBits(1);
  if (flag == TBitReader::kEnd) return false;
  if (flag == 1) {
    const int literal = FThreeTrees ? T.Literal.Decode(FDecoder, FBits) : FBits.ReadBits(8);
    if (literal == TBitReader::kEnd) return false;
    FOut.Put(static_cast<uint8_t>(literal));
    return true;
  }
  const int low = FBits.ReadBits(FBigDictionary ? 7 : 6);
  if (low == TBitReader::kEnd) return false;
  const int high = T.Distance.Decode(FDecoder, FBits);
  if (high == TBitReader::kEnd) return false;
  int length = T.Length.Decode(FDecoder, FBits);
  if (length == TBitReader::kEnd) return false;
  if (length == 63) {
    const int extra = FBits.ReadBits(8);
    if (extra == TBitReader::kEnd) return false;
    length += extra;
  }
  length += FThreeTrees ? 3 : 2;
  const uint32_t distance = static_cast<uint32_t>(low | (high << (FBigDictionary ? 7 : 6)));
  FOut.Copy(distance + 1, static_cast<uint32_t>(length));
  return true;
}

void TExploder::Run() {
  std::memset(T.Dictionary, 0, sizeof T.Dictionary);
  TShannonFanoTree* trees[] = {&T.Literal, &T.Length, &T.Distance};
  for (int i = FThreeTrees ? 0 : 1; i < 3; ++i) {
    const TTreeResult result = ReadTree(*trees[i], i == 0 ? 256 : 64);
    if (result == TTreeResult::trEnd) return;
    if (result == TTreeResult::trFailed) {
      FDecoder.Host().ReportError(FDecoder.OutputName(), "", E_BADBLOCK);
      return;
    }
  }
  const uint64_t limit = FDecoder.Header().UnpackedSize;
  while (FOut.Count() < limit && Item()) {
  }
}

}  // namespace

void Explode(TDecoder& decoder) {
  std::unique_ptr<TImplodeTables> tables(new (std::nothrow) TImplodeTables);
  if (!tables) return;
  TExploder(decoder, *tables).Run();
}
