#pragma once
// Drives the older zip methods through the real TDecoder over byte buffers, and cuts
// members out of real archives by their central directory, for the legacy decoder tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Err_Msgs.h"
#include "arxCrc.h"
#include "arxDecoder.h"

namespace legacy {

using Bytes = std::vector<uint8_t>;

// A host whose archive is a byte buffer and whose output target is another one.
class TBufferHost : public TDecodeHost {
 public:
  explicit TBufferHost(const Bytes& input) : FInput(input) {}

  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, FInput.size() - FPos));
    std::memcpy(buffer, FInput.data() + FPos, n);
    FPos += n;
    return n;
  }
  uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    Output.insert(Output.end(), buffer, buffer + count);
    Crc = Crc32Update(Crc, buffer, count);
    return count;
  }
  void ResetCrc32() override { Crc = 0xFFFFFFFF; }
  bool GetCancel() const override { return false; }
  void RaiseError(const std::string&, int code) override {
    Raised.push_back(code);
    throw E_RAISE(code);
  }
  void ReportError(const std::string&, const std::string&, int code) override {
    Reported.push_back(code);
  }
  void ProgressStep(uint32_t, uint64_t, uint64_t) override {}

  Bytes Output;
  uint32_t Crc = 0xFFFFFFFF;
  std::vector<int> Raised;
  std::vector<int> Reported;

 private:
  const Bytes& FInput;
  size_t FPos = 0;
};

struct TResult {
  Bytes Output;
  uint32_t Crc = 0;  // final value, comparable with a header's CRC
  std::vector<int> Raised;
  std::vector<int> Reported;
  std::string Text() const { return std::string(Output.begin(), Output.end()); }
};

// Decodes `data` as one member of `method` that declares `unpackedSize` bytes.
inline TResult Decode(uint16_t method, uint16_t flags, const Bytes& data, uint32_t unpackedSize) {
  TBufferHost host(data);
  TDecoder decoder(host);
  TCurrentHeader header;
  header.Method = method;
  header.Flags = flags;
  header.PackedSize = static_cast<uint32_t>(data.size());
  header.UnpackedSize = unpackedSize;
  decoder.DecodeMember(header, "member", false);
  return {host.Output, host.Crc ^ 0xFFFFFFFF, host.Raised, host.Reported};
}

// Writes bit fields least significant bit first, as the older methods read them.
class TBitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = 0; i < bits; ++i) PutBit((value >> i) & 1);
  }
  // A Shannon-Fano code: its most significant bit goes first.
  void PutCode(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) PutBit((code >> i) & 1);
  }
  void PutBit(uint32_t bit) {
    if (FCount % 8 == 0) FBytes.push_back(0);
    FBytes.back() |= static_cast<uint8_t>(bit << (FCount % 8));
    ++FCount;
  }
  const Bytes& Data() const { return FBytes; }

 private:
  Bytes FBytes;
  size_t FCount = 0;
};

// --- real archives -------------------------------------------------------------------

inline std::string SharedArchive(const std::string& name) {
  return std::string(TRICKFOLIO_SHARED_DIR) + "/test-archives/" + name;
}

inline std::optional<Bytes> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct TMember {
  std::string Name;
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint32_t Crc = 0;
  uint32_t PackedSize = 0;
  uint32_t UnpackedSize = 0;
  Bytes Data;  // the compressed bytes
};

inline uint32_t Le(const Bytes& b, size_t at, int bytes) {
  if (at + bytes > b.size()) throw std::out_of_range("short archive");
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

// The members of a zip archive, by its central directory; local headers give the data.
inline std::vector<TMember> Members(const Bytes& zip) {
  size_t end = zip.size() >= 22 ? zip.size() - 22 : 0;
  while (end > 0 && Le(zip, end, 4) != 0x06054b50) --end;
  std::vector<TMember> members;
  size_t at = Le(zip, end + 16, 4);
  for (uint32_t n = Le(zip, end + 10, 2); n > 0; --n) {
    TMember m;
    m.Flags = static_cast<uint16_t>(Le(zip, at + 8, 2));
    m.Method = static_cast<uint16_t>(Le(zip, at + 10, 2));
    m.Crc = Le(zip, at + 16, 4);
    m.PackedSize = Le(zip, at + 20, 4);
    m.UnpackedSize = Le(zip, at + 24, 4);
    const uint32_t nameLength = Le(zip, at + 28, 2);
    m.Name.assign(zip.begin() + at + 46, zip.begin() + at + 46 + nameLength);
    const size_t local = Le(zip, at + 42, 4);
    const size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
    m.Data.assign(zip.begin() + data, zip.begin() + data + m.PackedSize);
    at += 46 + nameLength + Le(zip, at + 30, 2) + Le(zip, at + 32, 2);
    members.push_back(std::move(m));
  }
  return members;
}

inline TResult Decode(const TMember& m) {
  return Decode(m.Method, m.Flags, m.Data, m.UnpackedSize);
}

// The members of a shared archive, or nothing when the shared folder is absent (the
// caller skips).
inline std::optional<std::vector<TMember>> SharedMembers(const std::string& name) {
  const auto file = ReadFile(SharedArchive(name));
  if (!file) return std::nullopt;
  return Members(*file);
}

}  // namespace legacy
