#pragma once

#include <cstdint>

#include "arxDiskMan.h"
#include "arxZipRecords.h"

// Where an end record's central directory really lies. Archives appended to a program
// or to other data keep offsets that count from their own first byte; their directory is
// then found right before the end record (or the 64-bit end record), shifted by the
// leading bytes.
struct TDirectoryPlace {
  enum TFit { fitNone, fitShifted, fitStated };
  TFit Fit = fitNone;
  uint64_t Offset = 0;  // in the file, the shift included
  uint64_t Size = 0;
  uint64_t Shift = 0;  // to add to every offset the archive stores
};

// The directory of the end record at `recordOffset`, with the 64-bit end record's values
// in place of escaped fields when its locator precedes the record.
TDirectoryPlace PlaceDirectory(TArchiveFile& file, uint64_t recordOffset,
                               const TZipEndRecord& record);

// The first end record whose comment reaches exactly to the file's end and whose directory
// is found, searched within the longest comment the format allows; -1 when none is. When
// a comment holds a whole archive, its record ends the file as well: the one in front,
// whose comment it is, wins.
int64_t FindRecordBeforeComment(TArchiveFile& file);
