#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "arxCrypt.h"
#include "arxDiskMan.h"

// A member's packed data read and decrypted on a helper thread, a few blocks ahead of the
// decoder. The cipher is one serial chain through every byte; on a second core it runs
// beside the decoding instead of before it. The bytes handed out are exactly those that
// reading the archive from `offset` and decrypting them in order would give.
class TReadAhead {
 public:
  static constexpr uint32_t kBlockSize = 32768;
  static constexpr uint32_t kSlots = 8;

  // Starts the helper on `length` bytes at `offset`, decrypted with a copy of `keys`.
  // Throws std::system_error when no thread can be started.
  TReadAhead(const TArchiveFile& file, uint64_t offset, uint64_t length, const TZipKeys& keys);
  // Stops the helper wherever it is and waits for it.
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // Up to count bytes of the data in order; fewer only where the data ends (its length,
  // the archive's end or a read error). Once it returns fewer, the helper has stopped and
  // Keys() are the keys after the last byte handed out.
  uint32_t Read(uint8_t* buffer, uint32_t count);
  const TZipKeys& Keys() const { return FKeys; }

 private:
  struct TSlot {
    std::unique_ptr<uint8_t[]> Data;
    uint32_t Size = 0;
  };

  void Run();
  // Fills the next free slot; false when the data has ended or a stop was asked.
  bool Produce();

  const TArchiveFile& FFile;
  uint64_t FOffset;
  uint64_t FLeft;
  TZipKeys FKeys;  // the helper's alone until it has finished

  std::mutex FLock;
  std::condition_variable FChanged;
  TSlot FSlots[kSlots];
  uint64_t FFilled = 0;    // slots ever filled (helper)
  uint64_t FConsumed = 0;  // slots ever emptied (reader)
  bool FEnded = false;     // the helper will fill no more
  bool FStop = false;

  uint32_t FSlotPos = 0;  // bytes of the current slot already handed out (reader)
  std::thread FThread;
};
