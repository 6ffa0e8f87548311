#include "arxReadAhead.h"

#include <algorithm>
#include <cstring>

TReadAhead::TReadAhead(const TArchiveFile& file, uint64_t offset, uint64_t length,
                       const TZipKeys& keys)
    : FFile(file), FOffset(offset), FLeft(length), FKeys(keys) {
  for (TSlot& slot : FSlots) slot.Data = std::make_unique<uint8_t[]>(kBlockSize);
  FThread = std::thread([this] { Run(); });
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FStop = true;
  }
  FChanged.notify_all();
  if (FThread.joinable()) FThread.join();
}

void TReadAhead::Run() {
  while (Produce()) {
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FEnded = true;
  }
  FChanged.notify_all();
}

bool TReadAhead::Produce() {
  TSlot* slot;
  {
    std::unique_lock<std::mutex> lock(FLock);
    FChanged.wait(lock, [this] { return FStop || FFilled - FConsumed < kSlots; });
    if (FStop || FLeft == 0) return false;
    slot = &FSlots[FFilled % kSlots];
  }
  // The slot is the helper's until it is counted as filled.
  const uint32_t want = uint32_t(std::min<uint64_t>(FLeft, kBlockSize));
  const uint32_t got = FFile.ReadFrom(FOffset, slot->Data.get(), want);
  FKeys.DecryptBuffer(slot->Data.get(), got);
  FOffset += got;
  FLeft -= got;
  if (got > 0) {
    std::lock_guard<std::mutex> lock(FLock);
    slot->Size = got;
    ++FFilled;
  }
  FChanged.notify_all();
  return got == want;
}

uint32_t TReadAhead::Read(uint8_t* buffer, uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    TSlot* slot;
    {
      std::unique_lock<std::mutex> lock(FLock);
      FChanged.wait(lock, [this] { return FConsumed < FFilled || FEnded; });
      if (FConsumed == FFilled) break;
      slot = &FSlots[FConsumed % kSlots];
    }
    const uint32_t n = std::min(count - done, slot->Size - FSlotPos);
    std::memcpy(buffer + done, slot->Data.get() + FSlotPos, n);
    done += n;
    FSlotPos += n;
    if (FSlotPos == slot->Size) {
      FSlotPos = 0;
      {
        std::lock_guard<std::mutex> lock(FLock);
        ++FConsumed;
      }
      FChanged.notify_all();
    }
  }
  // Joined, the helper's keys can be read.
  if (done < count && FThread.joinable()) FThread.join();
  return done;
}
