// libFuzzer target for the shrink, reduce and implode decoders. The first input byte
// picks the method and flags, the next two the declared size; the rest is the member's
// compressed data.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Err_Msgs.h"
#include "arxDecoder.h"

namespace {

class TFuzzHost : public TDecodeHost {
 public:
  TFuzzHost(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, FSize - FPos));
    std::memcpy(buffer, FData + FPos, n);
    FPos += n;
    return n;
  }
  uint32_t WriteBlock(uint8_t*, uint32_t count, int, bool) override {
    Written += count;
    return count;
  }
  void ResetCrc32() override {}
  bool GetCancel() const override { return false; }
  void RaiseError(const std::string&, int code) override { throw E_RAISE(code); }
  void ReportError(const std::string&, const std::string&, int) override {}
  void ProgressStep(uint32_t, uint64_t, uint64_t) override {}

  uint64_t Written = 0;

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  TCurrentHeader header;
  header.Method = static_cast<uint16_t>(1 + data[0] % 6);
  header.Flags = static_cast<uint16_t>(data[0] & 0x06);
  header.UnpackedSize = static_cast<uint32_t>(data[1] | data[2] << 8) * 16;
  header.PackedSize = static_cast<uint32_t>(size - 3);
  TFuzzHost host(data + 3, size - 3);
  TDecoder decoder(host);
  decoder.DecodeMember(header, "member", false);
  if (host.Written > header.UnpackedSize) std::abort();
  return 0;
}
