#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The fields of a member's local header that decoding works from.
struct TCurrentHeader {
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint64_t PackedSize = 0;
  // The most the member may produce: its declared size (the central directory's when
  // the local header carries none).
  uint64_t UnpackedSize = 0;
};

// CRC modes of block reading and writing.
enum : int { crcNone = 0, crc16 = 16, crc32 = 32 };

// What decoding needs from the reader that drives it. TZipCommon implements it; tests
// may implement it over plain buffers.
class TDecodeHost {
 public:
  virtual ~TDecodeHost() = default;
  // Up to count bytes of the archive from its current position (0 on a read error),
  // decrypted when asked, fed into the CRC register of crcMode.
  virtual uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) = 0;
  // Decrypts first when asked, writes to the output target, then feeds the written bytes
  // into the CRC register of crcMode. Throws E_RAISE(25136) on a short write.
  virtual uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) = 0;
  // Sets the CRC-32 register to 0xFFFFFFFF at the start of a member.
  virtual void ResetCrc32() = 0;
  virtual bool GetCancel() const = 0;
  // Reports through OnError, then throws E_RAISE unless the run is cancelled.
  virtual void RaiseError(const std::string& fileName, int code) = 0;
  virtual void ReportError(const std::string& fileName, const std::string& extendedMsg,
                           int code) = 0;
  // One progress step after an output block of `count` bytes; `memberDone` of
  // `memberSize` bytes of this member are written. Processes pending messages first.
  virtual void ProgressStep(uint32_t count, uint64_t memberDone, uint64_t memberSize) = 0;
  // The output target's own memory for its next `size` bytes, when it already has that
  // much room and can take bytes written there in place: a decoder may decode straight
  // into it and pass each finished part to WriteBlock where it lies. Null otherwise
  // (files, a target without the room). Valid until the member's output is closed.
  virtual uint8_t* OutputRoom(uint64_t size) {
    (void)size;
    return nullptr;
  }
};

// One member's decoding: the shared input reader, the 32 KiB output window (the Deflate
// history and the output buffer of every method but stored), the method dispatch.
// One instance per reader, so readers in different threads do not share state.
class TDecoder {
 public:
  static constexpr uint32_t kBlockSize = 32768;
  static constexpr uint32_t kWindowSize = 32768;

  explicit TDecoder(TDecodeHost& host);
  ~TDecoder();

  // Decodes the member whose data starts at the archive's current position (after the
  // encryption header). Decoder errors are reported through the host and end the
  // member; the bytes decoded before the fault are written. Never throws.
  void DecodeMember(const TCurrentHeader& header, const std::string& outputName, bool decrypt);
  // True when the member tried to produce more than its declared size: its output was
  // cut there and its CRC verdict must be False.
  bool Overrun() const { return FOverrun; }

  // --- shared with every method's decoder ---
  // The next compressed byte (0..255) or -1 at the end of the member's data.
  int NextByte();
  bool InputExhausted() const { return FInputExhausted; }
  // Direct access to the input block for decoders that take several bytes at once:
  // the bytes read from the archive but not yet handed out, and handing out n of them.
  const uint8_t* InputNext() const { return FInput.get() + FInputIndex; }
  uint32_t InputAvailable() const { return FInputFill - FInputIndex; }
  void SkipInput(uint32_t n) { FInputIndex += n < InputAvailable() ? n : InputAvailable(); }
  // When fewer than kInputCarry bytes are at hand and the member's data goes on, reads the
  // next block behind them, so that they stay contiguous. Returns the bytes at hand.
  uint32_t TopUpInput();
  static constexpr uint32_t kInputCarry = 16;
  // Appends one byte to the output window, flushing it when full.
  void PutByte(uint8_t b) {
    ++OutputCount;
    FWindow[FWindowPos++] = b;
    if (FWindowPos == kWindowSize) FlushWindow();
  }
  // Writes the window's pending bytes to the output (as WriteOutput), then position 0.
  void FlushWindow();
  // Writes decoded bytes to the output, at most up to the declared size (an overrun is
  // reported as damaged data and raised), with a progress step.
  void WriteOutput(uint8_t* bytes, uint32_t count);
  // Bytes handed to PutByte/the window in this member (the older methods' counter).
  uint64_t OutputCount = 0;

  const TCurrentHeader& Header() const { return FHeader; }
  const std::string& OutputName() const { return FOutputName; }
  TDecodeHost& Host() { return FHost; }
  bool Cancelled() const { return FHost.GetCancel(); }

  // Raw window access for decoders that copy matches themselves (Deflate).
  uint8_t* Window() { return FWindow.get(); }
  uint32_t& WindowPos() { return FWindowPos; }
  // A buffer of kScratchSize bytes kept from member to member, for a decoder that wants
  // more room than the window (Deflate's history). Throws std::bad_alloc.
  static constexpr uint32_t kScratchSize = 8 * kWindowSize + 1024;
  uint8_t* Scratch();

  // Deflate takes its fast loop wherever the data allows (the default), or decodes every
  // symbol with every check; both give the same bytes and errors.
  void SetFastInflate(bool on) { FFastInflate = on; }
  bool FastInflate() const { return FFastInflate; }

 private:
  bool RefillInput();
  void CopyStored();

  TDecodeHost& FHost;
  TCurrentHeader FHeader;
  std::string FOutputName;
  bool FDecrypt = false;
  bool FOverrun = false;
  bool FFaulted = false;  // an error has ended this member's decoding
  bool FFastInflate = true;

  // kInputCarry bytes for what is left of one block, then the block.
  std::unique_ptr<uint8_t[]> FInput;
  uint32_t FInputFill = 0;
  uint32_t FInputIndex = 0;
  uint64_t FUnread = 0;  // compressed bytes of the member not yet read from the archive
  bool FInputExhausted = false;

  std::unique_ptr<uint8_t[]> FWindow;
  uint32_t FWindowPos = 0;
  uint64_t FWritten = 0;  // bytes of this member written to the target
  std::unique_ptr<uint8_t[]> FScratch;
};
