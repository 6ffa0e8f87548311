#pragma once
// Runs TDecoder over byte buffers, makes real Deflate streams with zlib and hand-made ones
// bit by bit, for the decoder and inflate tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Err_Msgs.h"
#include "ZlibKit.h"
#include "arxCrc.h"
#include "arxDecoder.h"

namespace harness {

using Bytes = std::vector<uint8_t>;

// The stand-in "cipher" of these tests: enough to see on which side bytes are decrypted.
constexpr uint8_t kCipherKey = 0x5A;

// A host whose archive is a byte buffer and whose output target is another one; errors are
// recorded as the reader reports them, cancel replacing the code. With OfferRoom it lends
// the decoder room to decode into, as a memory target with reserved room does; the room
// starts as filler, so that a byte read before it is written shows.
class THost : public TDecodeHost {
 public:
  explicit THost(Bytes input) : FInput(std::move(input)) {}

  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int, bool decrypt) override {
    const auto n = uint32_t(std::min<size_t>(count, FInput.size() - FPos));
    std::memcpy(buffer, FInput.data() + FPos, n);
    FPos += n;
    if (decrypt) Decrypt(buffer, n);
    ReadDecrypting += decrypt;
    return n;
  }
  uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) override {
    if (FailWrites) throw E_RAISE(E_WRITE);
    // Bytes from the room come where they lie: right after what the room already gave.
    if (buffer >= Room.data() && buffer < Room.data() + Room.size()) {
      EXPECT_EQ(buffer, Room.data() + (Output.size() - FRoomStart));
    }
    if (decrypt) Decrypt(buffer, count);
    Output.insert(Output.end(), buffer, buffer + count);
    if (crcMode == crc32) Crc = Crc32Update(Crc, buffer, count);
    return count;
  }
  void ResetCrc32() override { Crc = 0xFFFFFFFF; }
  bool GetCancel() const override { return Cancel; }
  void RaiseError(const std::string& name, int code) override {
    ReportError(name, "", code);
    if (!Cancel) throw E_RAISE(code);
  }
  void ReportError(const std::string&, const std::string&, int code) override {
    Errors.push_back(Cancel ? E_USERCANCEL : code);
  }
  void ProgressStep(uint32_t count, uint64_t, uint64_t) override {
    Steps.push_back(count);
    if (OnStep) OnStep(*this);
  }
  uint8_t* OutputRoom(uint64_t size) override {
    if (!OfferRoom) return nullptr;
    Room.assign(size, 0xEE);
    FRoomStart = Output.size();
    return Room.data();
  }

  size_t Consumed() const { return FPos; }

  Bytes Output;
  uint32_t Crc = 0xFFFFFFFF;
  std::vector<int> Errors;
  std::vector<uint32_t> Steps;
  bool Cancel = false;
  bool FailWrites = false;
  bool OfferRoom = false;
  Bytes Room;
  int ReadDecrypting = 0;
  std::function<void(THost&)> OnStep;

 private:
  static void Decrypt(uint8_t* p, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) p[i] ^= kCipherKey;
  }
  Bytes FInput;
  size_t FPos = 0;
  size_t FRoomStart = 0;
};

using zlibkit::Deflate;
using zlibkit::DeflateWithFlushes;
inline uint32_t ZlibCrc(const Bytes& b) {
  return zlibkit::Crc32(b);
}

// Deflate's ways through the decoder: every symbol with every check, the fast loop into the
// decoder's history buffer, the fast loop into room the output target lends.
enum class TPath { Careful, Fast, IntoRoom };
constexpr TPath kPaths[] = {TPath::Careful, TPath::Fast, TPath::IntoRoom};
inline const char* PathName(TPath p) {
  return p == TPath::Careful ? "careful" : p == TPath::Fast ? "fast" : "into room";
}

struct TMember {
  uint16_t Method = 8;
  uint16_t Flags = 0;
  Bytes Data;           // the member's data after any encryption header
  uint32_t Packed = 0;  // 0: the data's size (plus the header when encrypted)
  uint32_t Unpacked = 0;
  bool Decrypt = false;
  TPath Path = TPath::Fast;
};

struct TOutcome {
  Bytes Output;
  uint32_t Crc = 0;  // the final value, comparable with a member's stored CRC
  std::vector<int> Errors;
  bool Overrun = false;
};

inline TOutcome Decode(const TMember& m, THost& host) {
  TDecoder decoder(host);
  decoder.SetFastInflate(m.Path != TPath::Careful);
  host.OfferRoom = m.Path == TPath::IntoRoom;
  TCurrentHeader header;
  header.Method = m.Method;
  header.Flags = m.Flags;
  header.PackedSize = m.Packed ? m.Packed : uint32_t(m.Data.size()) + (m.Flags & 1 ? 12 : 0);
  header.UnpackedSize = m.Unpacked;
  decoder.DecodeMember(header, "member.txt", m.Decrypt);
  return {host.Output, host.Crc ^ 0xFFFFFFFF, host.Errors, decoder.Overrun()};
}

inline TOutcome Decode(const TMember& m) {
  THost host(m.Data);
  return Decode(m, host);
}

// A deflated member expected to give `plain`, with room for exactly that.
inline TOutcome Inflated(const Bytes& stream, size_t plainSize, TPath path = TPath::Fast) {
  return Decode({8, 0, stream, 0, uint32_t(plainSize), false, path});
}

// Deterministic test data: text-like runs, binary noise and long repeats mixed.
inline Bytes MixedData(size_t size, uint32_t seed) {
  static const char* const words[] = {"код ",   "жизни ",   "level ", "GOD MODE ", "\r\n",
                                      "IDDQD ", "патроны ", "\t",     "99 ",       "секрет "};
  Bytes out;
  out.reserve(size);
  uint32_t x = seed * 2654435761u + 1;
  auto next = [&x] { return x = x * 1664525u + 1013904223u; };
  while (out.size() < size) {
    const uint32_t kind = (next() >> 24) % 8;
    if (kind < 5) {
      const char* w = words[(next() >> 20) % 10];
      out.insert(out.end(), w, w + std::strlen(w));
    } else if (kind < 7) {
      for (uint32_t n = (next() >> 24) % 64; n > 0; --n) out.push_back(uint8_t(next() >> 24));
    } else {
      out.insert(out.end(), (next() >> 22) % 700, uint8_t(next() >> 24));
    }
  }
  out.resize(size);
  return out;
}

inline Bytes Noise(size_t size, uint32_t seed) {
  Bytes out(size);
  uint32_t x = seed;
  for (auto& b : out) b = uint8_t((x = x * 1103515245u + 12345u) >> 23);
  return out;
}

// Bits in Deflate order: fields least significant bit first, Huffman codes most first.
class TBitWriter {
 public:
  void Put(uint32_t value, uint32_t bits) {
    for (uint32_t i = 0; i < bits; ++i) PutBit((value >> i) & 1);
  }
  void Code(uint32_t code, uint32_t bits) {
    for (uint32_t i = bits; i-- > 0;) PutBit((code >> i) & 1);
  }
  void AlignToByte() { FUsed = 0; }
  void Byte(uint8_t b) {
    AlignToByte();
    FOut.push_back(b);
  }
  const Bytes& Out() const { return FOut; }

 private:
  void PutBit(uint32_t bit) {
    if (FUsed == 0) FOut.push_back(0);
    FOut.back() |= uint8_t(bit << FUsed);
    FUsed = (FUsed + 1) & 7;
  }
  Bytes FOut;
  uint32_t FUsed = 0;
};

}  // namespace harness
