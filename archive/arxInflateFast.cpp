#include "arxInflateFast.h"

#include <algorithm>
#include <bit>
#include <cstring>

using namespace huff;

namespace {

inline void StoreLE64(uint8_t* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, sizeof v);
}

inline void Move16(uint8_t* to, const uint8_t* from) {
  uint8_t v[16];
  std::memcpy(v, from, sizeof v);
  std::memcpy(to, v, sizeof v);
}

inline void Move8(uint8_t* to, const uint8_t* from) {
  uint64_t v;
  std::memcpy(&v, from, sizeof v);
  std::memcpy(to, &v, sizeof v);
}

inline uint32_t Low(uint64_t bits, uint32_t n) {
  return uint32_t(bits) & ((1u << n) - 1);
}

// One or two literals; the second byte is written either way.
inline uint8_t* PutLiterals(uint8_t* out, uint32_t e) {
  const uint16_t bytes = uint16_t(Value(e));
  if constexpr (std::endian::native == std::endian::big) {
    out[0] = uint8_t(bytes);
    out[1] = uint8_t(bytes >> 8);
  } else {
    std::memcpy(out, &bytes, sizeof bytes);
  }
  return out + ((e >> 12) & 3);
}

// Copies a match as a byte-by-byte copy would (a source overlapping the destination
// repeats the bytes just written), in whole words that may write up to 30 bytes past its
// end. From 16 bytes back, two 16-byte moves take nearly every match without a branch on
// its length, each load reading only bytes already written. Nearer, the first word is
// made without a branch on the distance.
//
// A distance below 8 repeats its bytes with that period: the word is the distance's bytes
// over and over (a multiplication places the copies, which do not overlap), and each next
// word is the one before moved on by 8 bytes, that is by 8 mod distance within the period.
inline void CopyMatch(uint8_t* out, uint32_t len, uint32_t distance) {
  // By the distance up to 8; 8 stands for every distance from 8 on.
  static constexpr uint64_t kKeep[9] = {0,
                                        0xFF,
                                        0xFFFF,
                                        0xFFFFFF,
                                        0xFFFFFFFF,
                                        0xFFFFFFFFFFull,
                                        0xFFFFFFFFFFFFull,
                                        0xFFFFFFFFFFFFFFull,
                                        ~0ull};
  static constexpr uint64_t kRepeat[9] = {0,
                                          0x0101010101010101ull,
                                          0x0001000100010001ull,
                                          0x0001000001000001ull,
                                          0x0000000100000001ull,
                                          0x0000010000000001ull,
                                          0x0001000000000001ull,
                                          0x0100000000000001ull,
                                          1};
  const uint8_t* src = out - distance;
  if (distance >= 16) {
    Move16(out, src);
    Move16(out + 16, src + 16);
    if (len <= 32) return;
    uint8_t* const end = out + len;
    do {
      out += 32;
      src += 32;
      Move16(out, src);
      Move16(out + 16, src + 16);
    } while (out + 32 < end);
    return;
  }
  const uint32_t near = std::min(distance, 8u);
  uint64_t word = (LoadLE64(src) & kKeep[near]) * kRepeat[near];
  StoreLE64(out, word);
  if (len <= 8) return;
  uint8_t* const end = out + len;
  out += 8;
  if (distance >= 8) {
    src += 8;
    do {
      Move8(out, src);
      Move8(out + 8, src + 8);
      out += 16;
      src += 16;
    } while (out < end);
    return;
  }
  static constexpr uint8_t kStep[8] = {0, 0, 0, 16, 0, 24, 16, 8};  // 8 * (8 mod distance)
  const uint32_t step = kStep[distance];
  const uint32_t back = 8 * distance - step;
  do {
    word = word >> step | word << back;
    StoreLE64(out, word);
    out += 8;
  } while (out < end);
}

// The loop body, compiled once for every processor and once more for those with BMI2,
// whose shifts by a register and bit-field extraction shorten the chain from one code's
// entry to the next.
__attribute__((always_inline)) inline TFastStop Loop(TFastRun& run, const THuffTable& lit,
                                                     const THuffTable& dist) {
  const uint8_t* in = run.In;
  const uint8_t* const inLast = run.InLast;
  uint8_t* out = run.Out;
  uint8_t* const outStop = run.OutStop;
  const uint8_t* const origin = run.OutOrigin;
  uint64_t bits = run.Bits;
  uint32_t count = run.Count;
  const uint32_t* const lt = lit.Entries.data();
  const uint32_t* const dt = dist.Entries.data();
  const uint32_t litRoot = lit.RootBits;
  const uint32_t distRoot = dist.RootBits;
  const uint64_t litMask = (uint64_t(1) << litRoot) - 1;
  const uint64_t distMask = (uint64_t(1) << distRoot) - 1;
  auto consume = [&](uint32_t e) {
    bits >>= Bits(e);
    count -= Bits(e);
  };
  // At least 56 bits: two literal entries (at most 15 bits each) and the next entry's
  // bits, or a length, a distance and their extra bits (at most 48). The bits already
  // there stay as they are, so an entry looked up before stays valid.
  auto refill = [&] {
    bits |= LoadLE64(in) << count;
    in += (63 - count) >> 3;
    count |= 56;
  };

  TFastStop stop;
  if (in > inLast) {
    stop = TFastStop::fsInput;
  } else if (out >= outStop) {
    stop = TFastStop::fsOutput;
  } else {
    refill();
    uint32_t e = lt[bits & litMask];
    // The literal (or pair) of e, then the entry of the code after it.
    auto literal = [&] {
      out = PutLiterals(out, e);
      consume(e);
      e = lt[bits & litMask];
    };
    for (;;) {
      // Here the bits hold at least 48 real bits and e is the entry of the next code.
      if (e & kLiterals) {
        literal();
        if (e & kLiterals) literal();
        goto next;
      }
      if (e & kKindMask) {
        if (Kind(e) == kLink) e = lt[Value(e) + Low(bits >> litRoot, Lead(e))];
        if (e & kLiterals) {
          literal();
          goto next;
        }
        if (e & kKindMask) {
          if (Kind(e) == kEnd) {
            consume(e);
            stop = TFastStop::fsEndOfBlock;
          } else {
            stop = TFastStop::fsBadCode;
          }
          break;
        }
      }
      {
        const uint32_t len = ValueAt(e, bits);
        consume(e);
        uint32_t d = dt[bits & distMask];
        if (d & kKindMask) {
          if (Kind(d) == kLink) d = dt[Value(d) + Low(bits >> distRoot, Lead(d))];
          if (d & kKindMask) {
            stop = TFastStop::fsBadCode;
            break;
          }
        }
        const uint32_t distance = ValueAt(d, bits);
        consume(d);
        if (distance > uint32_t(out - origin)) {
          stop = TFastStop::fsBadDistance;
          break;
        }
        // The next entry is looked up before the copy, so that the two overlap.
        e = lt[bits & litMask];
        CopyMatch(out, len, distance);
        out += len;
      }
    next:
      if (in > inLast) {
        stop = TFastStop::fsInput;
        break;
      }
      if (out >= outStop) {
        stop = TFastStop::fsOutput;
        break;
      }
      refill();
    }
  }

  run.In = in;
  run.Out = out;
  run.Bits = bits;
  run.Count = count;
  return stop;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("bmi2"))) TFastStop LoopBmi2(TFastRun& run, const THuffTable& lit,
                                                   const THuffTable& dist) {
  return Loop(run, lit, dist);
}
#define ARX_INFLATE_BMI2 1
#endif

TFastStop LoopPlain(TFastRun& run, const THuffTable& lit, const THuffTable& dist) {
  return Loop(run, lit, dist);
}

}  // namespace

TFastStop InflateFast(TFastRun& run, const THuffTable& lit, const THuffTable& dist) {
#ifdef ARX_INFLATE_BMI2
  static const bool bmi2 = __builtin_cpu_supports("bmi2");
  if (bmi2) return LoopBmi2(run, lit, dist);
#endif
  return LoopPlain(run, lit, dist);
}
