#include "arxCrypt.h"

#include <array>

#include "arxCrc.h"

namespace {

// Keeps the compiler from folding a value back into the chain it was taken out of.
inline uint32_t Pinned(uint32_t value) {
#if defined(__GNUC__) || defined(__clang__)
  asm("" : "+r"(value));
#endif
  return value;
}

// The key byte's factors t = k2 | 2 and t ^ 1 are, in either order, v = k2 | 3 and v ^ 1.
// Tables of the CRC step with those bits already set let the loop take both factors of
// the next byte straight from the step's lookup: (a ^ b) | 3 == (a | 3) ^ (b & ~3).
constexpr std::array<uint32_t, 256> MakeFactorTable(uint32_t flip) {
  std::array<uint32_t, 256> table{};
  for (size_t n = 0; n < 256; ++n) table[n] = (Crc32Table[n] | 3) ^ flip;
  return table;
}
constexpr std::array<uint32_t, 256> kFactorV = MakeFactorTable(0);
constexpr std::array<uint32_t, 256> kFactorW = MakeFactorTable(1);

}  // namespace

void TZipKeys::InitKeys(const std::string& password) {
  FKeys[0] = 0x12345678u;
  FKeys[1] = 0x23456789u;
  FKeys[2] = 0x34567890u;
  const size_t length = password.size() & 0xFF;
  for (size_t i = 0; i < length; ++i) UpdateKeys(uint8_t(password[i]));
}

void TZipKeys::UpdateKeys(uint8_t b) {
  FKeys[0] = Crc32Byte(FKeys[0], b);
  FKeys[1] = (FKeys[1] + (FKeys[0] & 0xFF)) * 134775813u + 1;
  FKeys[2] = Crc32Byte(FKeys[2], uint8_t(FKeys[1] >> 24));
}

uint8_t TZipKeys::DecryptByte() const {
  const uint32_t t = (FKeys[2] & 0xFFFF) | 2;
  return uint8_t((t * (t ^ 1)) >> 8);
}

void TZipKeys::DecryptBuffer(uint8_t* buffer, size_t length) {
  // One serial chain runs through every byte, so the loop is written for its latency:
  // the keys stay in registers (kept in the object, every byte stored to the buffer could
  // alias them), and whatever does not wait for the plain byte is worked out beside the
  // chain. Only bits 8..15 of the factors' product count; (k1 + b) * M + 1 is
  // k1 * M + 1 + b * M modulo 2^32.
  constexpr uint32_t kMultiplier = 134775813u;
  uint32_t k0 = FKeys[0], k1 = FKeys[1], k2 = FKeys[2];
  uint32_t v = k2 | 3, w = v ^ 1;
  for (size_t i = 0; i < length; ++i) {
    const uint32_t product = v * w;
    const uint32_t cipher = buffer[i];
    buffer[i] = uint8_t(cipher ^ (product >> 8));
    const uint32_t k0Index = ((Pinned((k0 ^ cipher) << 8) ^ product) >> 8) & 0xFF;
    const uint32_t k0Shifted = k0 >> 8;
    const uint32_t k1Base = Pinned(k1 * kMultiplier + 1);
    const uint32_t k2Low = Pinned(k2 & 0xFF);
    const uint32_t k2Shifted = k2 >> 8;
    const uint32_t k2Rest = Pinned(k2Shifted & ~3u);
    k0 = Crc32Table[k0Index] ^ k0Shifted;
    k1 = k1Base + (k0 & 0xFF) * kMultiplier;
    const uint32_t k2Index = (k1 >> 24) ^ k2Low;
    k2 = Crc32Table[k2Index] ^ k2Shifted;
    v = kFactorV[k2Index] ^ k2Rest;
    w = kFactorW[k2Index] ^ k2Rest;
  }
  FKeys[0] = k0;
  FKeys[1] = k1;
  FKeys[2] = k2;
}

void TZipKeys::EncryptBuffer(uint8_t* buffer, size_t length) {
  for (size_t i = 0; i < length; ++i) buffer[i] = Encrypt(buffer[i]);
}

bool TZipKeys::TryPassword(const std::string& password, const uint8_t (&header)[kHeaderSize],
                           uint8_t checkByte) {
  if (password.empty()) return false;
  InitKeys(password);
  uint8_t last = 0;
  for (uint8_t c : header) last = Decrypt(c);
  return last == checkByte;
}
