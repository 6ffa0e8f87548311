#pragma once
// Hand encoding of the report stream's primitives, for tests that write streams byte by
// byte to compare with what the writer records or to feed the replayer.
#include <cstdint>
#include <cstring>
#include <string>

struct TBytes {
  std::string b;
  TBytes& Byte(int v) {
    b += char(uint8_t(v));
    return *this;
  }
  TBytes& Short(int v) { return Byte(v & 0xFF).Byte((v >> 8) & 0xFF); }
  TBytes& Int(int64_t v) {
    for (int i = 0; i < 4; ++i) Byte(int((uint64_t(v) >> (8 * i)) & 0xFF));
    return *this;
  }
  TBytes& Real(double v) {
    const float f = float(v);
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return Int(u);
  }
  // Lengths up to 191 take one byte; longer ones two, the first offset by 0xC0.
  TBytes& Str(const std::string& s) {
    if (s.size() <= 191)
      Byte(int(s.size()));
    else
      Byte(0xC0 + int(s.size() >> 8)).Byte(int(s.size() & 0xFF));
    b += s;
    return *this;
  }
  TBytes& Text(int code, double y, const std::string& s, double x) {
    return Byte(code).Real(y).Str(s).Real(x);
  }
  int64_t Size() const { return int64_t(b.size()); }
};
