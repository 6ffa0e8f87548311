#include "arxDecoder.h"

#include <algorithm>
#include <cstring>

#include "Err_Msgs.h"
#include "arxExplode.h"
#include "arxInflate.h"
#include "arxUnreduce.h"
#include "arxUnshrink.h"
#include "arxZipRecords.h"

namespace {

// The traditional cipher's header in front of the member's data, counted in its packed size.
constexpr uint32_t kCryptHeaderSize = 12;

// Methods 1 to 6: shrink, reduce (factor = method - 1), implode. False leaves the method
// unsupported.
bool DecodeOlderMethod(TDecoder& decoder) {
  switch (decoder.Header().Method) {
    case 1:
      Unshrink(decoder);
      return true;
    case 2:
    case 3:
    case 4:
    case 5:
      Unreduce(decoder, decoder.Header().Method - 1);
      return true;
    case 6:
      Explode(decoder);
      return true;
    default:
      return false;
  }
}

}  // namespace

TDecoder::TDecoder(TDecodeHost& host)
    : FHost(host),
      FInput(std::make_unique<uint8_t[]>(kInputCarry + kBlockSize)),
      FWindow(std::make_unique<uint8_t[]>(kWindowSize)) {}

TDecoder::~TDecoder() = default;

void TDecoder::DecodeMember(const TCurrentHeader& header, const std::string& outputName,
                            bool decrypt) {
  FHeader = header;
  FOutputName = outputName;
  FDecrypt = decrypt;
  FOverrun = false;
  FFaulted = false;
  FInputFill = FInputIndex = 0;
  FInputExhausted = false;
  FWindowPos = 0;
  FWritten = 0;
  OutputCount = 0;
  // A packed size smaller than the cipher header would wrap around and let the reader run
  // on into the following members; such a member simply has no data.
  if (FHeader.Flags & kFlagEncrypted)
    FHeader.PackedSize =
        FHeader.PackedSize > kCryptHeaderSize ? FHeader.PackedSize - kCryptHeaderSize : 0;
  FUnread = FHeader.PackedSize;
  FHost.ResetCrc32();

  // Decoder errors have reached OnError through RaiseError before they were thrown; what
  // is left to do is keep every byte decoded up to the fault.
  try {
    switch (FHeader.Method) {
      case 0:
        CopyStored();
        break;
      case 8:
        Inflate(*this);
        break;
      default:
        if (!DecodeOlderMethod(*this)) FHost.ReportError(FOutputName, "", E_UNKNMETH);
    }
  } catch (...) {
    FFaulted = true;
  }
  try {
    FlushWindow();
  } catch (...) {
  }
}

int TDecoder::NextByte() {
  if (FHost.GetCancel()) {
    FUnread = 0;
    FInputIndex = FInputFill;
    FInputExhausted = true;
    return -1;
  }
  if (FInputIndex == FInputFill && !RefillInput()) {
    FInputExhausted = true;
    return -1;
  }
  FInputExhausted = false;
  return FInput[FInputIndex++];
}

bool TDecoder::RefillInput() {
  FInputIndex = FInputFill = kInputCarry;
  return TopUpInput() > 0;
}

// Reads go on in blocks of the usual size: what is left moves into the carry area in
// front of the block.
uint32_t TDecoder::TopUpInput() {
  const uint32_t left = InputAvailable();
  if (left >= kInputCarry || FUnread == 0) return left;
  std::memmove(FInput.get() + kInputCarry - left, InputNext(), left);
  FInputIndex = kInputCarry - left;
  FInputFill = kInputCarry;
  const uint32_t want = uint32_t(std::min<uint64_t>(FUnread, kBlockSize));
  const uint32_t got =
      std::min(FHost.ReadBlock(FInput.get() + kInputCarry, want, crcNone, FDecrypt), want);
  // A failed read ends the member's data; asking again would only repeat the failure.
  FUnread = got == 0 ? 0 : FUnread - got;
  FInputFill += got;
  return InputAvailable();
}

uint8_t* TDecoder::Scratch() {
  // Not cleared: small members never touch most of it.
  if (!FScratch) FScratch = std::make_unique_for_overwrite<uint8_t[]>(kScratchSize);
  return FScratch.get();
}

void TDecoder::FlushWindow() {
  const uint32_t count = FWindowPos;
  FWindowPos = 0;
  WriteOutput(FWindow.get(), count);
}

void TDecoder::WriteOutput(uint8_t* bytes, uint32_t count) {
  if (count == 0 || FOverrun) return;
  // The declared size bounds the output, so damaged or hostile data cannot grow the
  // target without limit; the cut member fails like any other damaged one.
  const uint64_t room = FHeader.UnpackedSize - FWritten;
  const bool overrun = count > room;
  if (overrun) {
    count = uint32_t(room);
    FOverrun = true;
  }
  if (count > 0) {
    FHost.WriteBlock(bytes, count, crc32, false);
    FWritten += count;
    FHost.ProgressStep(count, FWritten, FHeader.UnpackedSize);
  }
  // A member already reported as damaged is not reported again for what it left behind.
  if (overrun && !FFaulted) FHost.RaiseError(FOutputName, E_BADBLOCK);
}

// Stored members bypass the window: blocks go from the archive straight to the target,
// decrypted on the write side so that the CRC sees the plain bytes.
void TDecoder::CopyStored() {
  const uint64_t packed = FHeader.PackedSize;
  uint64_t remaining = packed;
  while (remaining > 0) {
    const uint32_t want = uint32_t(std::min<uint64_t>(remaining, kBlockSize));
    const uint32_t got = std::min(FHost.ReadBlock(FInput.get(), want, crcNone, false), want);
    if (got == 0) return;
    remaining -= got;
    const uint64_t room = FHeader.UnpackedSize - FWritten;
    const bool overrun = got > room;
    const uint32_t count = overrun ? uint32_t(room) : got;
    if (count > 0) {
      FHost.WriteBlock(FInput.get(), count, crc32, FDecrypt);
      FWritten += count;
    }
    FHost.ProgressStep(count, packed - remaining, packed);
    if (overrun) {
      FOverrun = true;
      FHost.RaiseError(FOutputName, E_BADBLOCK);
      return;
    }
    if (FHost.GetCancel()) return;
  }
}
