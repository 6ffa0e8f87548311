#include "arxCrypt.h"

#include "arxCrc.h"

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
  for (size_t i = 0; i < length; ++i) buffer[i] = Decrypt(buffer[i]);
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
