#include "arxCrc.h"

#include "LittleEndian.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ARX_CRC_CLMUL 1
#endif

namespace {

// Slicing by eight: table k advances a byte through k further zero bytes, so eight input
// bytes cost eight independent lookups instead of a chain of eight dependent ones.
using TSliceTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TSliceTables MakeSliceTables() {
  TSliceTables t{};
  t[0] = Crc32Table;
  for (int k = 1; k < 8; ++k)
    for (int n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ Crc32Table[t[k - 1][n] & 0xFF];
  return t;
}

constexpr TSliceTables Slices = MakeSliceTables();

uint32_t Crc32Sliced(uint32_t crc, const uint8_t* bytes, size_t n) {
  while (n >= 8) {
    const uint32_t lo = LoadLE32(bytes) ^ crc;
    const uint32_t hi = LoadLE32(bytes + 4);
    crc = Slices[7][lo & 0xFF] ^ Slices[6][(lo >> 8) & 0xFF] ^ Slices[5][(lo >> 16) & 0xFF] ^
          Slices[4][lo >> 24] ^ Slices[3][hi & 0xFF] ^ Slices[2][(hi >> 8) & 0xFF] ^
          Slices[1][(hi >> 16) & 0xFF] ^ Slices[0][hi >> 24];
    bytes += 8;
    n -= 8;
  }
  while (n-- > 0) crc = Crc32Byte(crc, *bytes++);
  return crc;
}

#ifdef ARX_CRC_CLMUL

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load(const uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

/* Carry-less multiplication folds four 128-bit lanes of the message forward 512 bits at
   a time, then folds them into one lane, then 128 to 64 bits, and ends with a Barrett
   reduction to the 32-bit remainder. The constants are x^k mod P for the folding
   distances and the Barrett quotient, all in the bit-reflected domain of 0xEDB88320:
   for a distance of d bits, x^(d+32) mod P for a lane's low half and x^(d-32) mod P for
   its high half, bit-reflected and shifted left by one. */
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldLanes(__m128i x1, __m128i x2, __m128i x3,
                                                            __m128i x4, const uint8_t* p,
                                                            size_t n) {
  const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);

  for (; n >= 64; p += 64, n -= 64) {
    x1 = Fold(x1, k1k2, Load(p));
    x2 = Fold(x2, k1k2, Load(p + 16));
    x3 = Fold(x3, k1k2, Load(p + 32));
    x4 = Fold(x4, k1k2, Load(p + 48));
  }
  x1 = Fold(x1, k3k4, x2);
  x1 = Fold(x1, k3k4, x3);
  x1 = Fold(x1, k3k4, x4);
  for (; n >= 16; p += 16, n -= 16) x1 = Fold(x1, k3k4, Load(p));

  __m128i x = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00), _mm_srli_si128(x, 4));
  __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
  q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), poly, 0x00);
  return uint32_t(_mm_extract_epi32(_mm_xor_si128(x, q), 1));
}

// `n` is a multiple of 16, at least 64.
__attribute__((target("pclmul,sse4.1"))) uint32_t Crc32Folded(uint32_t crc, const uint8_t* p,
                                                              size_t n) {
  const __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(crc)));
  return FoldLanes(x1, Load(p + 16), Load(p + 32), Load(p + 48), p + 64, n - 64);
}

#define ARX_CRC_VPCLMUL_TARGET "avx2,vpclmulqdq,pclmul,sse4.1"

__attribute__((target(ARX_CRC_VPCLMUL_TARGET))) inline __m256i Fold2(__m256i x, __m256i k,
                                                                     __m256i next) {
  return _mm256_xor_si256(
      _mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00), _mm256_clmulepi64_epi128(x, k, 0x11)),
      next);
}

__attribute__((target(ARX_CRC_VPCLMUL_TARGET))) inline __m256i Load2(const uint8_t* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// The same with two lanes to an instruction: eight lanes folded 1024 bits at a time, the
// first four then folded 512 bits onto the last four. `n` is a multiple of 16, at least 128.
__attribute__((target(ARX_CRC_VPCLMUL_TARGET))) uint32_t Crc32FoldedWide(uint32_t crc,
                                                                         const uint8_t* p,
                                                                         size_t n) {
  const __m256i k1024 = _mm256_set_epi64x(0x014a7fe880, 0x01e88ef372, 0x014a7fe880, 0x01e88ef372);
  const __m256i k512 = _mm256_set_epi64x(0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4);
  __m256i y1 = _mm256_xor_si256(Load2(p), _mm256_set_epi64x(0, 0, 0, crc));
  __m256i y2 = Load2(p + 32), y3 = Load2(p + 64), y4 = Load2(p + 96);
  for (p += 128, n -= 128; n >= 128; p += 128, n -= 128) {
    y1 = Fold2(y1, k1024, Load2(p));
    y2 = Fold2(y2, k1024, Load2(p + 32));
    y3 = Fold2(y3, k1024, Load2(p + 64));
    y4 = Fold2(y4, k1024, Load2(p + 96));
  }
  y3 = Fold2(y1, k512, y3);
  y4 = Fold2(y2, k512, y4);
  return FoldLanes(_mm256_castsi256_si128(y3), _mm256_extracti128_si256(y3, 1),
                   _mm256_castsi256_si128(y4), _mm256_extracti128_si256(y4, 1), p, n);
}

#define ARX_CRC_VPCLMUL512_TARGET "avx512f,vpclmulqdq,pclmul,sse4.1"

__attribute__((target(ARX_CRC_VPCLMUL512_TARGET))) inline __m512i Fold4(__m512i x, __m512i k,
                                                                        __m512i next) {
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                   _mm512_clmulepi64_epi128(x, k, 0x11), next, 0x96);
}

__attribute__((target(ARX_CRC_VPCLMUL512_TARGET))) inline __m512i Load4(const uint8_t* at) {
  return _mm512_loadu_si512(at);
}

// Four lanes to an instruction: sixteen lanes folded 2048 bits at a time, then each group
// of four folded 512 bits onto the next. `n` is a multiple of 16, at least 256.
__attribute__((target(ARX_CRC_VPCLMUL512_TARGET))) uint32_t Crc32FoldedWidest(uint32_t crc,
                                                                              const uint8_t* p,
                                                                              size_t n) {
  const __m512i k2048 = _mm512_set_epi64(0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a,
                                         0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a);
  const __m512i k512 = _mm512_set_epi64(0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4,
                                        0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4);
  __m512i z1 = _mm512_xor_si512(Load4(p), _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0, crc));
  __m512i z2 = Load4(p + 64), z3 = Load4(p + 128), z4 = Load4(p + 192);
  for (p += 256, n -= 256; n >= 256; p += 256, n -= 256) {
    z1 = Fold4(z1, k2048, Load4(p));
    z2 = Fold4(z2, k2048, Load4(p + 64));
    z3 = Fold4(z3, k2048, Load4(p + 128));
    z4 = Fold4(z4, k2048, Load4(p + 192));
  }
  z2 = Fold4(z1, k512, z2);
  z3 = Fold4(z2, k512, z3);
  z4 = Fold4(z3, k512, z4);
  // Through memory: the compiler's lane extractions warn of undefined vectors they use.
  alignas(64) uint8_t lanes[64];
  _mm512_store_si512(lanes, z4);
  return FoldLanes(Load(lanes), Load(lanes + 16), Load(lanes + 32), Load(lanes + 48), p, n);
}

const bool HasVpclmul512 =
    __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
const bool HasVpclmul = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
const bool HasClmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");

#endif

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* bytes, size_t n) {
#ifdef ARX_CRC_CLMUL
  if (HasClmul && n >= 64) {
    const size_t folded = n & ~size_t(15);
    if (HasVpclmul512 && n >= 256)
      crc = Crc32FoldedWidest(crc, bytes, folded);
    else if (HasVpclmul && n >= 128)
      crc = Crc32FoldedWide(crc, bytes, folded);
    else
      crc = Crc32Folded(crc, bytes, folded);
    bytes += folded;
    n -= folded;
  }
#endif
  return Crc32Sliced(crc, bytes, n);
}

uint32_t Crc16Update(uint32_t crc, const uint8_t* bytes, size_t n) {
  while (n-- > 0) crc = Crc16Table[(crc ^ *bytes++) & 0xFF] ^ (crc >> 8);
  return crc;
}
