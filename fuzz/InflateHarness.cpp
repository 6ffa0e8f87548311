#include "InflateHarness.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Err_Msgs.h"
#include "arxCrc.h"
#include "arxDecoder.h"

namespace {

constexpr uint32_t kMaxDeclared = 1u << 18;

struct TOutcome {
  std::vector<uint8_t> Output;
  std::vector<int> Errors;
  std::vector<uint32_t> Steps;
  uint32_t Crc = 0;
  bool Overrun = false;

  bool operator==(const TOutcome&) const = default;
};

// Reads the stream, writes into a vector, records what the reader would report. The room
// it lends is kept from run to run, so that a byte read before it is written differs
// between the ways.
class THost : public TDecodeHost {
 public:
  explicit THost(bool lendRoom) : FLendRoom(lendRoom) {}
  void Start(const uint8_t* in, size_t size, uint32_t cancelAt) {
    FIn = in;
    FSize = size;
    FPos = 0;
    FCancelAt = cancelAt;
    FCancel = false;
    Result = {};
  }

  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    const uint32_t n = uint32_t(std::min<size_t>(count, FSize - FPos));
    std::memcpy(buffer, FIn + FPos, n);
    FPos += n;
    return n;
  }
  uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    Result.Output.insert(Result.Output.end(), buffer, buffer + count);
    Result.Crc = Crc32Update(Result.Crc, buffer, count);
    return count;
  }
  void ResetCrc32() override { Result.Crc = 0xFFFFFFFF; }
  bool GetCancel() const override { return FCancel; }
  void RaiseError(const std::string& name, int code) override {
    ReportError(name, "", code);
    if (!FCancel) throw E_RAISE(code);
  }
  void ReportError(const std::string&, const std::string&, int code) override {
    Result.Errors.push_back(FCancel ? E_USERCANCEL : code);
  }
  void ProgressStep(uint32_t count, uint64_t, uint64_t) override {
    Result.Steps.push_back(count);
    if (Result.Steps.size() == FCancelAt) FCancel = true;
  }
  uint8_t* OutputRoom(uint64_t size) override {
    static std::vector<uint8_t> room(kMaxDeclared);
    return FLendRoom && size <= room.size() ? room.data() : nullptr;
  }

  TOutcome Result;

 private:
  const uint8_t* FIn = nullptr;
  size_t FSize = 0;
  size_t FPos = 0;
  bool FLendRoom;
  uint32_t FCancelAt = 0;
  bool FCancel = false;
};

// One way through the decoder, kept from input to input as a reader keeps its decoder.
struct TWay {
  TWay(bool fast, bool lendRoom) : Host(lendRoom), Decoder(Host) { Decoder.SetFastInflate(fast); }
  const TOutcome& Decode(const uint8_t* stream, size_t size, uint32_t declared, uint32_t cancelAt) {
    Host.Start(stream, size, cancelAt);
    Decoder.DecodeMember({0, 8, uint32_t(size), declared}, "member", false);
    Host.Result.Overrun = Decoder.Overrun();
    return Host.Result;
  }
  THost Host;
  TDecoder Decoder;
};

}  // namespace

void FuzzOneStream(const uint8_t* data, size_t size) {
  if (size < 4) return;
  const uint32_t cancelAt = data[0] & 3;
  const uint32_t declared = (data[1] | data[2] << 8 | uint32_t(data[3]) << 16) % (kMaxDeclared + 1);
  const uint8_t* stream = data + 4;
  const size_t streamSize = size - 4;
  static TWay careful(false, false), fast(true, false), intoRoom(true, true);
  const TOutcome& expected = careful.Decode(stream, streamSize, declared, cancelAt);
  if (expected.Output.size() > declared) __builtin_trap();
  if (fast.Decode(stream, streamSize, declared, cancelAt) != expected) __builtin_trap();
  if (intoRoom.Decode(stream, streamSize, declared, cancelAt) != expected) __builtin_trap();
}
