#include "arxCentralDir.h"

#include <algorithm>
#include <vector>

#include "LittleEndian.h"

namespace {

bool HasSignature(TArchiveFile& file, uint64_t offset, uint32_t signature) {
  uint8_t b[4];
  return file.ReadAt(offset, b, sizeof b) && LoadLE32(b) == signature;
}

}  // namespace

TDirectoryPlace PlaceDirectory(TArchiveFile& file, uint64_t recordOffset,
                               const TZipEndRecord& record) {
  uint64_t offset = record.CentralOffset;
  uint64_t size = record.CentralSize;
  uint64_t directoryEnd = recordOffset;
  uint8_t b[TZip64EndRecord::kSize];
  if (recordOffset >= TZip64Locator::kSize &&
      file.ReadAt(recordOffset - TZip64Locator::kSize, b, TZip64Locator::kSize) &&
      LoadLE32(b) == kZip64LocatorSig) {
    // The locator's offset is stale in the same way as the directory's when bytes were
    // put in front; the record then stands right before the locator.
    uint64_t at = TZip64Locator::Parse(b, TZip64Locator::kSize).EndRecordOffset;
    const uint64_t adjacent = recordOffset - TZip64Locator::kSize - TZip64EndRecord::kSize;
    bool found = file.ReadAt(at, b, sizeof b) && LoadLE32(b) == kZip64EndRecordSig;
    if (!found && recordOffset >= TZip64Locator::kSize + TZip64EndRecord::kSize) {
      at = adjacent;
      found = file.ReadAt(at, b, sizeof b) && LoadLE32(b) == kZip64EndRecordSig;
    }
    if (found) {
      const TZip64EndRecord wide = TZip64EndRecord::Parse(b, sizeof b);
      if (record.CentralOffset == kEscape32) offset = wide.CentralOffset;
      if (record.CentralSize == kEscape32) size = wide.CentralSize;
      directoryEnd = at;
    }
  }
  TDirectoryPlace place;
  place.Size = size;
  place.Offset = offset;
  if (HasSignature(file, offset, kCentralHeaderSig)) {
    place.Fit = TDirectoryPlace::fitStated;
  } else if (directoryEnd >= size && directoryEnd - size != offset &&
             HasSignature(file, directoryEnd - size, kCentralHeaderSig)) {
    place.Fit = TDirectoryPlace::fitShifted;
    place.Offset = directoryEnd - size;
    // Leading bytes only ever move an archive further into the file; a record that points past its
    // own directory is merely damaged, and its members lie where their offsets say.
    place.Shift = place.Offset > offset ? place.Offset - offset : 0;
  }
  return place;
}

int64_t FindRecordBeforeComment(TArchiveFile& file) {
  constexpr uint64_t kLongestTail = 0xFFFF + TZipEndRecord::kSize;
  const uint64_t size = file.Size();
  const uint64_t length = std::min(size, kLongestTail);
  std::vector<uint8_t> tail(length);
  if (length < TZipEndRecord::kSize || !file.ReadAt(size - length, tail.data(), uint32_t(length)))
    return -1;
  // From the front: a record inside another one's comment is that comment's text.
  for (size_t at = 0; at + TZipEndRecord::kSize <= length; ++at) {
    if (LoadLE32(tail.data() + at) != kEndRecordSig) continue;
    const TZipEndRecord record = TZipEndRecord::Parse(tail.data() + at, length - at);
    const uint64_t offset = size - length + at;
    if (offset + TZipEndRecord::kSize + record.CommentLength == size &&
        PlaceDirectory(file, offset, record).Fit != TDirectoryPlace::fitNone)
      return int64_t(offset);
  }
  return -1;
}
