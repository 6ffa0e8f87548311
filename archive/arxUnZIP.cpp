#include "arxUnZIP.h"

#include <algorithm>
#include <numeric>

#include "Err_Msgs.h"

namespace {

// The sizes that announce a 64-bit member; such members are not read.
bool IsZip64Member(const TUnBaseHeader& entry, const TZipLocalHeader& local) {
  return entry.PackedSize == 0xFFFFFFFFu || entry.UnpackedSize == 0xFFFFFFFFu ||
         local.PackedSize == 0xFFFFFFFFu || local.UnpackedSize == 0xFFFFFFFFu;
}

// Where a member's local header and data lie in the archive.
struct TSpan {
  uint64_t Start = 0;
  uint64_t End = 0;
};

// Members whose bytes lie inside an earlier member's: decoding the same bytes again and
// again would multiply a small archive's output without limit. The member that starts
// first keeps them.
std::vector<bool> Overlapping(const std::vector<TSpan>& spans) {
  std::vector<size_t> order(spans.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return spans[a].Start < spans[b].Start; });
  std::vector<bool> overlapping(spans.size());
  uint64_t reach = 0;
  bool first = true;
  for (size_t i : order) {
    if (!first && spans[i].Start < reach) {
      overlapping[i] = true;
      continue;
    }
    reach = spans[i].End;
    first = false;
  }
  return overlapping;
}

// The archive read through one large window, so that a directory of thousands of headers
// costs one read instead of two per header. Every request is checked against the window
// and the archive's size.
class TWindowReader {
 public:
  TWindowReader(TArchiveFile& file, uint64_t span) : FFile(file), FSpan(span) {}

  // `count` bytes at `offset`, or nullptr when the archive has fewer there.
  const uint8_t* At(uint64_t offset, uint32_t count) {
    if (offset >= FStart && count <= FData.size() && offset - FStart <= FData.size() - count)
      return FData.data() + (offset - FStart);
    const uint64_t size = FFile.Size();
    if (offset > size || count > size - offset) return nullptr;
    const uint64_t length = std::min(size - offset, std::max<uint64_t>(count, FSpan));
    FData.resize(size_t(length));
    FStart = offset;
    if (!FFile.ReadAt(offset, FData.data(), uint32_t(length))) {
      FData.clear();
      return nullptr;
    }
    return FData.data();
  }
  // What is there of `count` bytes at `offset`: fewer at the archive's end.
  std::string Text(uint64_t offset, uint32_t count) {
    const uint64_t size = FFile.Size();
    const uint32_t have = offset >= size ? 0 : uint32_t(std::min<uint64_t>(count, size - offset));
    const uint8_t* at = have ? At(offset, have) : nullptr;
    return at ? std::string(reinterpret_cast<const char*>(at), have) : std::string();
  }

 private:
  TArchiveFile& FFile;
  uint64_t FSpan;
  std::vector<uint8_t> FData;
  uint64_t FStart = 0;
};

// A forged directory size must not make the scan hold the whole archive at once.
constexpr uint64_t kMaxDirectoryWindow = 16u << 20;

}  // namespace

TUnBaseHeaderObj TUnZip::ListMembers() {
  FListing = true;
  FListed.clear();
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FListing};
  RunExtraction();
  return std::move(FListed);
}

void TUnZip::ExtractArchive() {
  FMembers.clear();
  try {
    if (FArchive.IsOpen()) {
      const int count = FHeaderStatus == hsLocal ? ReadLocalHeaders() : ReadCentralDirectory();
      if (FListing)
        FListed = FMembers;
      else if (count > 0)
        ExtractMembers();
    }
  } catch (...) {
    // A run ends quietly here; what went wrong has been reported.
  }
  FMembers.clear();
}

std::string TUnZip::ReadName(uint16_t length) {
  std::string raw(length, '\0');
  raw.resize(FArchive.Read(raw.data(), length));
  return raw;
}

void TUnZip::AddMember(const TUnBaseHeader& entry, int32_t dosDateTime) {
  FMembers.push_back(entry);
  FLatestDate = std::max(FLatestDate, dosDateTime);
  FPackedSum += int64_t(entry.PackedSize) - ((entry.Flags & 1) ? 12 : 0);
  FUnpackedSum += entry.UnpackedSize;
}

int TUnZip::ReadCentralDirectory() {
  TTimerPause pause(FTimer);
  // The directory and the first header after it, in one read.
  TWindowReader directory(
      FArchive, std::min<uint64_t>(uint64_t(FEndRecord.CentralSize) + TZipCentralHeader::kSize,
                                   kMaxDirectoryWindow));
  uint64_t pos = FEndRecord.CentralOffset;
  const uint8_t* buffer = directory.At(pos, TZipCentralHeader::kSize);
  if (!buffer) return 0;
  const uint8_t set = (TZipCentralHeader::Parse(buffer).Flags & 0x40) ? 1 : 0;
  std::vector<TUnBaseHeader> found;
  std::vector<TSpan> spans;
  for (;;) {
    const TZipCentralHeader& central = FCentral[set] = TZipCentralHeader::Parse(buffer);
    if (central.Signature != kCentralHeaderSig || FCancel) break;
    FStoredName = TranslateName(directory.Text(pos + TZipCentralHeader::kSize, central.NameLength),
                                central.Flags);
    if (!FStoredName.empty() && Selected(FStoredName)) {
      uint8_t local[TZipLocalHeader::kSize];
      const uint32_t wanted = set == 0 ? TZipLocalHeader::kSize : 4;
      if (FArchive.ReadAt(central.LocalOffset, local, wanted) &&
          TZipLocalHeader::Parse(local).Signature == kLocalHeaderSig) {
        if (set == 0) FLocal[0] = TZipLocalHeader::Parse(local);
        // A lower bound of the member's extent, so that damage to one size or one
        // extra field does not cost the following members.
        uint32_t packed = central.PackedSize;
        if (set == 0 && FLocal[0].PackedSize != 0) packed = std::min(packed, FLocal[0].PackedSize);
        if (packed == 0xFFFFFFFFu) packed = 0;
        const uint64_t start = central.LocalOffset;
        spans.push_back({start, start + TZipLocalHeader::kSize + central.NameLength + packed});
        found.push_back({central.ExternalAttr, uint16_t(central.DiskNumberStart + 1), set,
                         central.LocalOffset, central.Flags, central.Method, central.DosDateTime,
                         central.Crc, central.PackedSize, central.UnpackedSize, FStoredName});
      }
    }
    if (FCancel) break;
    pos += uint64_t(TZipCentralHeader::kSize) + central.NameLength + central.ExtraLength +
           central.CommentLength;
    if (!(buffer = directory.At(pos, TZipCentralHeader::kSize))) break;
  }
  const std::vector<bool> overlapping = Overlapping(spans);
  for (size_t i = 0; i < found.size(); ++i) {
    if (overlapping[i])
      ReportError(found[i].StoredName, "", E_BADBLOCK);
    else
      AddMember(found[i], int32_t(found[i].DosDateTime));
  }
  return int(FMembers.size());
}

int TUnZip::ReadLocalHeaders() {
  if (OnCorruptZipHeader) {
    bool cancel = true;
    OnCorruptZipHeader(this, FHeaderStatus, cancel);
    if (cancel) return 0;
  }
  TTimerPause pause(FTimer);
  uint8_t buffer[TZipLocalHeader::kSize];
  uint64_t pos = FWalkStart;
  bool got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  if (got && TZipLocalHeader::Parse(buffer).Signature == kSpannedSig) {
    pos += 4;
    got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  }
  // Every step moves on by at least a header's size, so the walk ends at the file's end
  // whatever sizes the headers claim.
  while (got && pos <= 0xFFFFFFFFu && !FCancel) {
    const uint8_t set = (TZipLocalHeader::Parse(buffer).Flags & 0x40) ? 1 : 0;
    const TZipLocalHeader& local = FLocal[set] = TZipLocalHeader::Parse(buffer);
    if (local.Signature != kLocalHeaderSig) break;
    FStoredName = TranslateName(ReadName(local.NameLength), local.Flags);
    if (!FStoredName.empty() && Selected(FStoredName)) {
      AddMember({0, 1, set, uint32_t(pos), local.Flags, local.Method, local.DosDateTime, local.Crc,
                 local.PackedSize, local.UnpackedSize, FStoredName},
                int32_t(local.DosDateTime));
    }
    pos +=
        uint64_t(TZipLocalHeader::kSize) + local.NameLength + local.ExtraLength + local.PackedSize;
    got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  }
  return int(FMembers.size());
}

bool TUnZip::LoadMember(const TUnBaseHeader& entry) {
  uint8_t buffer[TZipLocalHeader::kSize];
  if (!FArchive.ReadAt(entry.LocalOffset, buffer, sizeof buffer)) return false;
  const TZipLocalHeader& local = FLocal[entry.HeaderSet] = TZipLocalHeader::Parse(buffer);
  if (local.Signature != kLocalHeaderSig) return false;
  const std::string rawName = ReadName(local.NameLength);
  FArchive.SeekRelative(local.ExtraLength);

  // A local header followed by a data descriptor may leave sizes and CRC at 0: the
  // directory's values stand in, so that decoding stops at the member's declared size.
  const bool descriptor = local.Flags & 0x08;
  FCurrentHeader.Flags = local.Flags;
  FCurrentHeader.Method = local.Method;
  FCurrentHeader.PackedSize =
      (local.PackedSize == 0 && entry.PackedSize > 0) ? entry.PackedSize : local.PackedSize;
  FCurrentHeader.UnpackedSize =
      (descriptor && local.UnpackedSize == 0) ? entry.UnpackedSize : local.UnpackedSize;
  FStoredCrc = (descriptor && local.Crc == 0) ? entry.Crc : local.Crc;

  FStoredName = TranslateName(rawName, local.Flags);
  SetOutputName(FStoredName);
  return true;
}

void TUnZip::ExtractMembers() {
  FRemaining = FUnpackedSum;
  for (const TUnBaseHeader& entry : FMembers) {
    if (FCancel) break;
    if (!LoadMember(entry)) {
      ReportError(entry.StoredName, "", E_FREAD);
      continue;
    }
    ProcessMember(entry);
  }
}

void TUnZip::ProcessMember(const TUnBaseHeader& entry) {
  try {
    FOutputSpoiled = false;
    const uint32_t size = FCurrentHeader.UnpackedSize;
    if (IsZip64Member(entry, FLocal[entry.HeaderSet])) {
      ReportError(EventName(), "", E_UNKNMETH);
      SkipStep(size);
      return;
    }
    if (FTarget == otFile && !IsSafeStoredName(FStoredName)) {
      ReportError(FOutputName, "unsafe stored name", E_FOPEN);
      SkipStep(size);
      return;
    }
    const bool encrypted = FCurrentHeader.Flags & 1;
    bool searchedNow = false;
    if (encrypted && !FPasswordFailed && !CheckPassword(entry.HeaderSet)) {
      FPasswordFailed = true;
      searchedNow = true;
    }
    uint32_t attr = entry.ExternalAttr;
    if (!FStoredName.empty() && FStoredName.back() == '\\') attr |= 0x10;
    if (!BeginMember(attr & 0x18)) {
      SkipStep(size);
      return;
    }
    if (attr & 0x08) {
      ResetCrc32();
      return;
    }
    if (FArcType == atJar || FArcType == atJarExe)
      attr = FOutputName.empty() || FOutputName.back() == '\\' ? 0x10 : 0x20;
    if (attr & 0x10) {
      if (FTarget == otFile && FCreateStoredDirs && !CreateOutputDirs(OutputPathOf(FOutputName)))
        ReportError(FOutputName, "", E_MKDIR);
      return;
    }
    DecodeCurrent(encrypted, searchedNow);
    CloseOutput(attr, FLocal[entry.HeaderSet].DosDateTime);
    CheckCrc(crc32, FStoredCrc);
  } catch (...) {
    // The member is lost; the loop goes on with the next one.
  }
}

void TUnZip::DecodeCurrent(bool encrypted, bool searchedNow) {
  try {
    if (!OpenOutput()) {
      FOutputSpoiled = true;
      ReportError(FOutputName, "", E_FOPEN);
      SkipStep(FCurrentHeader.UnpackedSize);
    } else if (encrypted && FPasswordFailed) {
      FOutputSpoiled = true;
      --FMemberCount;
      // The search already told why for the member it failed on; later ones say it here.
      if (!searchedNow) ReportError(EventName(), "", E_BADPASSWORD);
      SkipStep(FCurrentHeader.UnpackedSize);
    } else {
      const bool decrypt = encrypted && IsZipFamily();
      // Stored members decrypt on the write side; they stay on the plain road.
      if (decrypt && FCurrentHeader.Method != 0) {
        const uint32_t packed = FCurrentHeader.PackedSize;
        StartReadAhead(packed > TZipKeys::kHeaderSize ? packed - TZipKeys::kHeaderSize : 0);
      }
      struct TEnd {
        TUnZip& Owner;
        ~TEnd() { Owner.EndReadAhead(); }
      } end{*this};
      FDecoder->DecodeMember(FCurrentHeader, EventName(), decrypt);
      if (FDecoder->Overrun()) FOutputSpoiled = true;
    }
  } catch (...) {
    FOutputSpoiled = true;
  }
}

bool TUnZip::CheckPassword(uint8_t headerSet) {
  const TZipLocalHeader& local = FLocal[headerSet];
  if (!(local.Flags & 1)) return true;
  TTimerPause pause(FTimer);
  uint8_t header[TZipKeys::kHeaderSize] = {};
  ReadBlock(header, sizeof header, crcNone, false);
  // With a data descriptor the CRC is not known yet, so the time stands in as the check.
  const uint8_t check =
      (local.Flags & 0x08) ? uint8_t(local.DosDateTime >> 8) : uint8_t(local.Crc >> 24);
  bool ok = FKeys.TryPassword(FCurrentPassword, header, check);
  for (int i = 0; !ok && i < FPasswords.Count(); ++i) {
    FCurrentPassword = FPasswords[i];
    ok = FKeys.TryPassword(FCurrentPassword, header, check);
  }
  if (ok) return true;
  if (!OnGetPassword) {
    ReportError(EventName(), "OnGetPassword", E_REQUIREDEVENT);
    return false;
  }
  bool tryAgain = true;
  for (int attempt = 0; attempt < FPasswordAttempts && !FCancel; ++attempt) {
    OnGetPassword(this, EventName(), FCurrentPassword, tryAgain);
    if (!tryAgain) break;
    if (FKeys.TryPassword(FCurrentPassword, header, check)) {
      FPasswords.Insert(0, FCurrentPassword);
      return true;
    }
    FCurrentPassword.clear();
    ReportError(EventName(), "", E_BADPASSWORD);
  }
  return false;
}
