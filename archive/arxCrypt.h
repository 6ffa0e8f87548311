#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The traditional zip stream cipher: three 32-bit keys driven by the CRC-32 step. One
// instance per reader, so readers on different threads never share keys.
class TZipKeys {
 public:
  static constexpr size_t kHeaderSize = 12;  // the encryption header before member data

  // The initial keys, then every character of the password. Only the low 8 bits of the
  // length count, as with the short strings the format was born with.
  void InitKeys(const std::string& password);
  void UpdateKeys(uint8_t b);
  // The next key-stream byte.
  uint8_t DecryptByte() const;

  uint8_t Decrypt(uint8_t c) {
    const uint8_t p = c ^ DecryptByte();
    UpdateKeys(p);
    return p;
  }
  uint8_t Encrypt(uint8_t p) {
    const uint8_t c = p ^ DecryptByte();
    UpdateKeys(p);
    return c;
  }
  void DecryptBuffer(uint8_t* buffer, size_t length);
  void EncryptBuffer(uint8_t* buffer, size_t length);

  // Loads `password` and decrypts the stored encryption header with it; true when the
  // last decrypted byte equals `checkByte`. The keys are then ready for the member's
  // data. An empty password fails without touching the keys.
  bool TryPassword(const std::string& password, const uint8_t (&header)[kHeaderSize],
                   uint8_t checkByte);

 private:
  uint32_t FKeys[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};
