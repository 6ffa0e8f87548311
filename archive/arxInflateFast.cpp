#include "arxInflateFast.h"

#include <cstring>

using namespace huff;

namespace {

inline void Move8(uint8_t* to, const uint8_t* from) {
  uint64_t v;
  std::memcpy(&v, from, sizeof v);
  std::memcpy(to, &v, sizeof v);
}

inline uint32_t Low(uint64_t bits, uint32_t n) {
  return uint32_t(bits) & ((1u << n) - 1);
}

// Copies a match as a byte-by-byte copy would (a source overlapping the destination
// repeats the bytes just written), in whole words that may write up to 37 bytes past its
// end. From 8 bytes back, five words take nearly every match without a branch on its
// length, each load reading only bytes already written (eight-byte words measured faster
// here than 16- or 32-byte moves).
//
// A distance below 8 repeats its bytes with that period: the word is the distance's bytes
// over and over (a multiplication places the copies, which do not overlap), and each next
// word is the one before moved on by 8 bytes, that is by 8 mod distance within the period.
inline void CopyMatch(uint8_t* out, uint32_t len, uint32_t distance) {
  const uint8_t* src = out - distance;
  if (distance >= 8) {
    Move8(out, src);
    Move8(out + 8, src + 8);
    Move8(out + 16, src + 16);
    Move8(out + 24, src + 24);
    Move8(out + 32, src + 32);
    if (len <= 40) return;
    uint8_t* const end = out + len;
    out += 40;
    src += 40;
    do {
      Move8(out, src);
      Move8(out + 8, src + 8);
      out += 16;
      src += 16;
    } while (out < end);
    return;
  }
  // By the distance, 1 to 7.
  static constexpr uint64_t kKeep[8] = {0,
                                        0xFF,
                                        0xFFFF,
                                        0xFFFFFF,
                                        0xFFFFFFFF,
                                        0xFFFFFFFFFFull,
                                        0xFFFFFFFFFFFFull,
                                        0xFFFFFFFFFFFFFFull};
  static constexpr uint64_t kRepeat[8] = {0,
                                          0x0101010101010101ull,
                                          0x0001000100010001ull,
                                          0x0001000001000001ull,
                                          0x0000000100000001ull,
                                          0x0000010000000001ull,
                                          0x0001000000000001ull,
                                          0x0100000000000001ull};
  static constexpr uint8_t kStep[8] = {0, 0, 0, 16, 0, 24, 16, 8};  // 8 * (8 mod distance)
  uint64_t word = (LoadLE64(src) & kKeep[distance]) * kRepeat[distance];
  StoreLE64(out, word);
  if (len <= 8) return;
  uint8_t* const end = out + len;
  out += 8;
  const uint32_t step = kStep[distance];
  const uint32_t back = 8 * distance - step;
  do {
    word = word >> step | word << back;
    StoreLE64(out, word);
    out += 8;
  } while (out < end);
}

// The entry's bits of the buffer (the entry's low byte is their number). BMI2 does it in
// one instruction that takes the entry as it is, which the compiler does not see by itself.
template <bool kBmi2>
__attribute__((always_inline)) inline uint64_t EntryBits(uint64_t bits, uint32_t e) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  if constexpr (kBmi2) {
    uint64_t r;
    asm("bzhi %2, %1, %0" : "=r"(r) : "r"(bits), "r"(uint64_t(e)));
    return r;
  }
#endif
  return bits & ((uint64_t(1) << Bits(e)) - 1);
}

// ValueAt for a length or distance entry, whose kind bits are zero: the shift by the leading
// bits takes the entry's second byte as it is, and the processor keeps the low six bits.
template <bool kBmi2>
__attribute__((always_inline)) inline uint32_t CodedValue(uint32_t e, uint64_t bits) {
  return Value(e) + uint32_t(EntryBits<kBmi2>(bits, e) >> ((e >> 8) & 63));
}

// The loop body, compiled once for every processor and once more for those with BMI2,
// whose shifts by a register and bit-field extraction shorten the chain from one code's
// entry to the next. `kNear`: the output is within a window of its origin, so that a
// distance may reach before it; further on no distance can.
template <bool kBmi2, bool kNear>
__attribute__((always_inline)) inline TFastStop Loop(TFastRun& run, const THuffTable& lit,
                                                     const THuffTable& dist) {
  constexpr uint64_t kLitMask = (uint64_t(1) << kFastLitBits) - 1;
  constexpr uint64_t kDistMask = (uint64_t(1) << kFastDistBits) - 1;
  const uint8_t* in = run.In;
  const uint8_t* const inLast = run.InLast;
  uint8_t* out = run.Out;
  uint8_t* const outStop = run.OutStop;
  const uint8_t* const origin = run.OutOrigin;
  uint64_t bits = run.Bits;
  // Only the low byte is the count: whole entries are subtracted from it, which leaves the
  // bits above it undefined, and saves taking each entry's low byte apart.
  uint32_t count = run.Count;
  const uint32_t* const lt = lit.Entries.data();
  const uint32_t* const dt = dist.Entries.data();
  auto consume = [&](uint32_t e) {
    bits >>= Bits(e);
    count -= e;
  };
  // Loads eight bytes: all 64 bits of the buffer are input bits after it, though the count
  // says 56 to 63, so that the whole bytes it takes are known. The bits already there stay
  // as they are, so that an entry looked up before stays valid. Then there are enough for
  // a length, a distance and their extra bits (at most 48) and the next entry's look-up.
  // One literal per refill: taking two or three in a row was slower, the branches on
  // whether the next code is one more literal being hard to foresee.
  auto refill = [&] {
    bits |= LoadLE64(in) << (count & 63);
    in += 7 - ((count >> 3) & 7);
    count |= 56;
  };

  TFastStop stop;
  if (in > inLast) {
    stop = TFastStop::fsInput;
  } else if (out >= outStop) {
    stop = TFastStop::fsOutput;
  } else {
    refill();
    uint32_t e = lt[bits & kLitMask];
    // The literal of e, then the entry of the code after it.
    auto literal = [&] {
      *out++ = uint8_t(Value(e));
      consume(e);
      e = lt[bits & kLitMask];
    };
    for (;;) {
      // Here the buffer was just refilled and e is the entry of the next code.
      if (e & kLiteral) {
        literal();
        goto next;
      }
      if (e & kKindMask) {
        if (Kind(e) == kLink) e = lt[Value(e) + Low(bits >> kFastLitBits, Lead(e))];
        if (e & kLiteral) {
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
        const uint32_t len = CodedValue<kBmi2>(e, bits);
        consume(e);
        uint32_t d = dt[bits & kDistMask];
        if (d & kKindMask) {
          if (Kind(d) == kLink) d = dt[Value(d) + Low(bits >> kFastDistBits, Lead(d))];
          if (d & kKindMask) {
            stop = TFastStop::fsBadCode;
            break;
          }
        }
        const uint32_t distance = CodedValue<kBmi2>(d, bits);
        consume(d);
        if (kNear && distance > uint32_t(out - origin)) {
          stop = TFastStop::fsBadDistance;
          break;
        }
        // The next entry is looked up before the copy, so that the two overlap.
        e = lt[bits & kLitMask];
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
  run.Count = count & 0xFF;
  return stop;
}

// The longest distance: from this far into the output on, no match reaches before it.
constexpr uint32_t kMaxDistance = 32768;

template <bool kBmi2>
__attribute__((always_inline)) inline TFastStop Run(TFastRun& run, const THuffTable& lit,
                                                    const THuffTable& dist) {
  if (run.Out - run.OutOrigin >= kMaxDistance) return Loop<kBmi2, false>(run, lit, dist);
  return Loop<kBmi2, true>(run, lit, dist);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("bmi2"))) TFastStop RunBmi2(TFastRun& run, const THuffTable& lit,
                                                  const THuffTable& dist) {
  return Run<true>(run, lit, dist);
}
#define ARX_INFLATE_BMI2 1
#endif

TFastStop RunPlain(TFastRun& run, const THuffTable& lit, const THuffTable& dist) {
  return Run<false>(run, lit, dist);
}

}  // namespace

TFastStop InflateFast(TFastRun& run, const THuffTable& lit, const THuffTable& dist) {
#ifdef ARX_INFLATE_BMI2
  static const bool bmi2 = __builtin_cpu_supports("bmi2");
  if (bmi2) return RunBmi2(run, lit, dist);
#endif
  return RunPlain(run, lit, dist);
}
