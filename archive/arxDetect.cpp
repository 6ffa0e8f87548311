// TZipCommon (arxBase.h): what kind of archive a file is, and where a zip archive's
// directory lies.
#include <algorithm>
#include <cstring>
#include <vector>

#include "Codepage.h"
#include "Err_Msgs.h"
#include "LittleEndian.h"
#include "arxBase.h"
#include "arxCentralDir.h"

namespace {

bool IsArchiveType(TArcType type) {
  return type != atNA && type != atUnsupported && type != atFileOpenErr && type != atUnknown;
}

bool HasAt(const std::vector<uint8_t>& data, size_t at, const char* text) {
  const size_t n = std::strlen(text);
  return at + n <= data.size() && std::memcmp(data.data() + at, text, n) == 0;
}

// The file-start column of the signature table; `pk0708` tells a spanned archive's mark.
TArcType SignatureType(const std::vector<uint8_t>& head, size_t at, bool& pk0708) {
  pk0708 = false;
  if (at + 4 > head.size()) return atUnknown;
  const uint8_t* b = head.data() + at;
  if (b[0] == 'P' && b[1] == 'K') {
    if (b[2] == 7 && b[3] == 8) {
      pk0708 = true;
      return atZip;
    }
    if ((b[2] == 1 && b[3] == 2) || (b[2] == 'G' && b[3] == '4')) return atNA;
    return atZip;
  }
  if (HasAt(head, at, "MSCF")) return atCab;
  if (b[0] == 'B' && b[1] == 'H' && b[2] == 5 && b[3] == 7) return atBh;
  if (b[0] == 0x13 && b[1] == 0x5D && b[2] == 0x65 && b[3] == 0x8C) return atMsGZ;
  if (b[0] == 0x1F &&
      (b[1] == 0x1E || b[1] == 0x8B || b[1] == 0x9D || b[1] == 0x9E || b[1] == 0xA0))
    return atGZip;
  if (b[0] == 0x25 && b[1] == 0x21) return atGZip;
  if (b[0] == 'H' && b[1] == 'A') return atHa;
  if (b[0] == 'Z' && b[1] == 'O') return atZoo;
  if (b[0] == 0x60 && b[1] == 0xEA) return atArj;
  if (b[2] == '-' && b[3] == 'l') return atLha;
  if (HasAt(head, at, "Rar!")) return atRar;
  if (b[0] == 0x1A) {
    if (b[1] == 0x02 || b[1] == 0x1E || b[1] == 0x08 || b[1] == 0x09) return atArc;
    if (b[1] == 0x0A || b[1] == 0x0B) return atPak;
  }
  if (b[0] == 0xB7 && (b[1] == 0x92 || b[1] == 0xDF)) return atArcExe;
  return atUnknown;
}

bool IsUueStart(const std::vector<uint8_t>& head) {
  const size_t limit = std::min<size_t>(head.size(), 5000);
  for (size_t i = 0; i + 6 <= limit; ++i)
    if ((i == 0 || head[i - 1] == '\n' || head[i - 1] == '\r') && HasAt(head, i, "begin "))
      return true;
  return false;
}

// A tar header's checksum: the octal digits of bytes 148..155 equal the byte sum with
// those eight bytes counted as spaces.
bool IsTarHeader(const uint8_t* block) {
  uint32_t stored = 0;
  bool digits = false;
  for (int i = 148; i < 156; ++i)
    if (block[i] >= '0' && block[i] <= '7') {
      stored = stored * 8 + uint32_t(block[i] - '0');
      digits = true;
    }
  uint32_t sum = 0;
  for (int i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? uint32_t(' ') : block[i];
  return digits && stored == sum;
}

}  // namespace

void TZipCommon::SetArchiveFile(const std::string& path) {
  FArchiveFile = FromNativePath(path);
  if (FArchiveFile.empty()) {
    FArcType = atNA;
    return;
  }
  FMemberCount = 0;
  DetectArcType();
}

void TZipCommon::DetectArcType() {
  FEndRecord = {};
  FEndRecordOffset = -1;
  if (FArchiveFile.empty()) {
    FArcType = atNA;
    return;
  }
  FArcType = atFileOpenErr;
  FDiskManager.Query(DirPart(FArchiveFile));
  TArchiveFile file;
  if (!file.Open(FArchiveFile)) {
    ReportError(FArchiveFile, "", E_FOPEN);
    return;
  }
  FStartOffset = 1;
  FHeaderStatus = 0;
  if (file.Size() <= 19) return;
  std::vector<uint8_t> head(size_t(std::min<uint64_t>(file.Size(), 32767)));
  file.ReadAt(0, head.data(), uint32_t(head.size()));
  FArcType = Classify(file, head);
  if (FArcType == atZip) {
    const std::string upper = Codepage::AsciiUpperCase(FArchiveFile);
    if (upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".JAR") == 0) FArcType = atJar;
  }
}

TArcType TZipCommon::Classify(TArchiveFile& file, const std::vector<uint8_t>& head) {
  // A self-extracting program: only a zip archive appended to it is looked for.
  if (HasAt(head, 0, "MZ")) {
    FStartOffset = FindCentralDir(file);
    return (FHeaderStatus & (hsLocal | hsEndRecord)) == (hsLocal | hsEndRecord) ? atZipExe
                                                                                : atUnsupported;
  }
  size_t skipped = 0;
  while (skipped < head.size() && head[skipped] == 0) ++skipped;
  bool pk0708 = false;
  TArcType type = SignatureType(head, skipped, pk0708);
  const bool ace = HasAt(head, 7, "**ACE**");
  // This family's own reader starts past the program that carries it.
  if (type == atArcExe) FStartOffset = 7717;
  if (type == atZip) {
    FStartOffset = FindCentralDir(file);
    if (!(FHeaderStatus & hsLocal) && FStartOffset == 0) {
      FStartOffset = uint32_t(skipped);
      FHeaderStatus |= hsLocal;
    }
    if (pk0708) FHeaderStatus |= hsLocal;
  } else if (ace) {
    type = atAce;
  }
  if (!IsArchiveType(type)) {
    if (IsUueStart(head)) {
      type = atUue;
    } else if (file.Size() > 512) {
      const bool second = head.size() > 156 && head[156] == 'V';
      uint8_t block[512];
      if (file.ReadAt(second ? 512 : 0, block, 512) && IsTarHeader(block)) type = atTar;
    }
    if (!IsArchiveType(type)) {
      const uint64_t start = FindCentralDir(file);
      if ((FHeaderStatus & (hsLocal | hsEndRecord)) == (hsLocal | hsEndRecord)) {
        type = atZip;
        FStartOffset = start;
      }
    }
  }
  return type;
}

uint64_t TZipCommon::FindCentralDir(TArchiveFile& file) {
  FHeaderStatus = 0;
  FEndRecordOffset = -1;
  FDirectoryOffset = FDirectorySize = FShift = 0;
  const uint64_t size = file.Size();
  const uint64_t wanted = uint64_t(FZipCmntBufSize) + 23;
  uint64_t tail = wanted;
  if (size < wanted) tail = FZipCmntBufSize == 0 ? 23 : size > 32768 ? 32768 : size - 1;
  if (size <= tail) return 0;

  std::vector<uint8_t> buffer(static_cast<size_t>(tail));
  file.Seek(size - tail);
  const uint32_t got = file.Read(buffer.data(), uint32_t(tail));
  if (got < TZipEndRecord::kSize + 1) return 0;
  // Position 0 of the tail is never a candidate, as the tail is always one byte longer
  // than the record it must hold. A comment may hold the signature too, even a whole
  // archive: the record whose comment runs exactly to the file's end wins (the first of
  // them, as the others lie in its comment), then the nearest record whose directory
  // lies where it says, then the nearest whose directory was found elsewhere, then simply
  // the nearest.
  constexpr int kMostCandidates = 64;
  int64_t chosenAt = -1;
  TDirectoryPlace chosen;
  int candidates = 0;
  for (size_t at = got - TZipEndRecord::kSize; at >= 1 && candidates < kMostCandidates; --at) {
    if (LoadLE32(buffer.data() + at) != kEndRecordSig) continue;
    ++candidates;
    const uint64_t offset = size - tail + at;
    const TDirectoryPlace place =
        PlaceDirectory(file, offset, TZipEndRecord::Parse(buffer.data() + at, got - at));
    if (chosenAt < 0 || place.Fit > chosen.Fit) {
      chosenAt = int64_t(offset);
      chosen = place;
    }
    if (place.Fit == TDirectoryPlace::fitStated) break;
  }
  if (chosenAt < 0) return 0;
  const int64_t outermost = FindRecordBeforeComment(file);
  if (outermost >= 0) chosenAt = outermost;
  uint8_t record[TZipEndRecord::kSize];
  if (!file.ReadAt(uint64_t(chosenAt), record, sizeof record)) return 0;
  FEndRecord = TZipEndRecord::Parse(record, sizeof record);
  FEndRecordOffset = chosenAt;
  chosen = PlaceDirectory(file, uint64_t(chosenAt), FEndRecord);
  FHeaderStatus |= hsEndRecord;

  if (chosen.Fit != TDirectoryPlace::fitNone) {
    FDirectoryOffset = chosen.Offset;
    FDirectorySize = chosen.Size;
    FShift = chosen.Shift;
    FHeaderStatus |= hsCentral;
    uint8_t central[TZipCentralHeader::kSize];
    if (!file.ReadAt(FDirectoryOffset, central, sizeof central)) return FDirectoryOffset;
    const TZipCentralHeader parsed = TZipCentralHeader::Parse(central, sizeof central);
    const uint8_t set = HeaderSetOf(parsed.Flags);
    const TZipCentralHeader& first = FCentral[set] = parsed;
    std::vector<uint8_t> extra(first.ExtraLength);
    const bool haveExtra =
        file.ReadAt(FDirectoryOffset + TZipCentralHeader::kSize + first.NameLength, extra.data(),
                    uint32_t(extra.size()));
    const uint64_t stored =
        TZipWideFields::Of(first, extra.data(), haveExtra ? uint32_t(extra.size()) : 0).LocalOffset;
    // A directory found away from where the record says has either moved with the whole
    // archive, or only the record's offset is damaged: the first member tells which.
    uint8_t local[TZipLocalHeader::kSize];
    bool found =
        file.ReadAt(stored + FShift, local, sizeof local) && LoadLE32(local) == kLocalHeaderSig;
    if (!found && FShift != 0 && file.ReadAt(stored, local, sizeof local) &&
        LoadLE32(local) == kLocalHeaderSig) {
      FShift = 0;
      found = true;
    }
    if (found) {
      FLocal[set] = TZipLocalHeader::Parse(local, sizeof local);
      FHeaderStatus |= hsLocal;
    }
    return FDirectoryOffset;
  }

  // The record points nowhere useful: walk from the first local header instead. Offset 0
  // counts too, or a damaged directory would cost the archive its first member.
  std::vector<uint8_t> start(size_t(std::min<uint64_t>(size, 4 * 32768 + 3)));
  const uint32_t have =
      file.ReadAt(0, start.data(), uint32_t(start.size())) ? uint32_t(start.size()) : 0;
  for (uint32_t i = 0; i + 4 <= have; ++i)
    if (LoadLE32(start.data() + i) == kLocalHeaderSig) {
      FHeaderStatus = hsLocal;
      return i;
    }
  return 0;
}
