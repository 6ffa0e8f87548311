#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MemoryStream.h"

// One member written into a TDecompMemoryStream.
struct TDecompEntry {
  static constexpr size_t kMaxName = 255;

  int32_t Reserved1 = 0;
  int32_t Reserved2 = 0;
  // The member's declared uncompressed size. Sizes and offsets are kept 64-bit so that a
  // stream past 2 GiB cannot turn them negative.
  int64_t UnpackedSize = 0;
  // Stream position at which the member's bytes begin.
  int64_t Offset = 0;
  // The stored name, at most kMaxName bytes.
  std::string Name;
};

// A memory stream that also records which members were written into it, in order. Its
// data is the concatenation of those members, each starting at its entry's Offset.
class TDecompMemoryStream : public TMemoryStream {
 public:
  ~TDecompMemoryStream() override { ClearEntries(); }

  // Copies the entry (its name cut to 255 bytes) and counts it.
  void AddEntry(const TDecompEntry& entry);
  void ClearEntries() { FEntries.clear(); }
  // Entries and data both emptied; size and position 0.
  void Reset();

  int32_t Count() const { return int32_t(FEntries.size()); }
  const TDecompEntry& Entries(int index) const { return FEntries.at(size_t(index)); }

 private:
  std::vector<TDecompEntry> FEntries;
};
