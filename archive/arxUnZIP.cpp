#include "arxUnZIP.h"

#include <algorithm>
#include <numeric>

#include "Err_Msgs.h"
#include "LittleEndian.h"

namespace {

// Where a member's local header and data lie in the archive.
struct TSpan {
  uint64_t Start = 0;
  uint64_t End = 0;
};

// The end of `head` bytes and `data` bytes from `start`, kept within 64 bits whatever
// sizes a damaged directory claims.
uint64_t SpanEnd(uint64_t start, uint64_t head, uint64_t data) {
  const uint64_t room = UINT64_MAX - start;
  return head >= room || data >= room - head ? UINT64_MAX : start + head + data;
}

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

std::string TUnZip::ReadBytes(uint16_t length) {
  std::string raw(length, '\0');
  raw.resize(FArchive.Read(raw.data(), length));
  return raw;
}

void TUnZip::AddMember(const TUnBaseHeader& entry, int32_t dosDateTime) {
  FMembers.push_back(entry);
  FLatestDate = std::max(FLatestDate, dosDateTime);
  const uint64_t cipherHeader = (entry.Flags & kFlagEncrypted) ? TZipKeys::kHeaderSize : 0;
  FPackedSum = Clamped(__int128(FPackedSum) + entry.PackedSize - cipherHeader);
  FUnpackedSum = Clamped(__int128(FUnpackedSum) + entry.UnpackedSize);
}

int TUnZip::ReadCentralDirectory() {
  TTimerPause pause(FTimer);
  // The directory and the first header after it, in one read.
  TWindowReader directory(
      FArchive, std::min<uint64_t>(FDirectorySize + TZipCentralHeader::kSize, kMaxDirectoryWindow));
  uint64_t pos = FDirectoryOffset;
  const uint8_t* buffer = directory.At(pos, TZipCentralHeader::kSize);
  if (!buffer) return 0;
  const uint8_t set = HeaderSetOf(TZipCentralHeader::Parse(buffer, TZipCentralHeader::kSize).Flags);
  std::vector<TUnBaseHeader> found;
  std::vector<TSpan> spans;
  for (;;) {
    const TZipCentralHeader& central = FCentral[set] =
        TZipCentralHeader::Parse(buffer, TZipCentralHeader::kSize);
    if (central.Signature != kCentralHeaderSig || FCancel) break;
    const uint64_t namePos = pos + TZipCentralHeader::kSize;
    FStoredName = TranslateName(directory.Text(namePos, central.NameLength), central.Flags,
                                central.MadeOnUnix());
    if (!FStoredName.empty() && Selected(FStoredName)) {
      const std::string extra = directory.Text(namePos + central.NameLength, central.ExtraLength);
      const TZipWideFields wide = TZipWideFields::Of(
          central, reinterpret_cast<const uint8_t*>(extra.data()), uint32_t(extra.size()));
      const uint64_t localOffset = wide.LocalOffset + FShift;
      // Only set A keeps each member's local header here; set B's are merely looked for.
      uint8_t local[TZipLocalHeader::kSize];
      const uint32_t wanted = set == 0 ? TZipLocalHeader::kSize : 4;
      if (localOffset >= wide.LocalOffset && FArchive.ReadAt(localOffset, local, wanted) &&
          LoadLE32(local) == kLocalHeaderSig) {
        if (set == 0) FLocal[0] = TZipLocalHeader::Parse(local, wanted);
        // A lower bound of the member's extent, so that damage to one size or one
        // extra field does not cost the following members.
        uint64_t packed = TZipWideFields::Known(wide.PackedSize);
        if (set == 0 && FLocal[0].PackedSize != 0 && FLocal[0].PackedSize != kEscape32)
          packed = std::min<uint64_t>(packed, FLocal[0].PackedSize);
        spans.push_back(
            {localOffset,
             SpanEnd(localOffset, TZipLocalHeader::kSize + central.NameLength, packed)});
        found.push_back({central.DosAttributes(), uint32_t(wide.DiskNumberStart) + 1, set,
                         localOffset, central.Flags, central.Method, central.DosDateTime,
                         central.Crc, TZipWideFields::Known(wide.PackedSize),
                         TZipWideFields::Known(wide.UnpackedSize), FStoredName,
                         central.MadeOnUnix()});
      }
    }
    if (FCancel) break;
    pos = namePos + central.NameLength + central.ExtraLength + central.CommentLength;
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
  TTimerPause pause(FTimer);
  if (OnCorruptZipHeader) {
    bool cancel = true;
    OnCorruptZipHeader(this, FHeaderStatus, cancel);
    if (cancel) return 0;
  }
  uint8_t buffer[TZipLocalHeader::kSize];
  uint64_t pos = FWalkStart;
  bool got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  if (got && LoadLE32(buffer) == kSpannedSig) {
    pos += 4;
    got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  }
  // Every step moves on by at least a header's size, so the walk ends at the file's end
  // whatever sizes the headers claim.
  while (got && !FCancel) {
    const TZipLocalHeader parsed = TZipLocalHeader::Parse(buffer, sizeof buffer);
    const uint8_t set = HeaderSetOf(parsed.Flags);
    const TZipLocalHeader& local = FLocal[set] = parsed;
    if (local.Signature != kLocalHeaderSig) break;
    const std::string rawName = ReadBytes(local.NameLength);
    const std::string extra = ReadBytes(local.ExtraLength);
    const TZipWideFields wide = TZipWideFields::Of(
        local, reinterpret_cast<const uint8_t*>(extra.data()), uint32_t(extra.size()));
    TUnBaseHeader member;
    member.HeaderSet = set;
    member.LocalOffset = pos;
    member.Flags = local.Flags;
    member.Method = local.Method;
    member.DosDateTime = local.DosDateTime;
    member.Crc = local.Crc;
    member.PackedSize = TZipWideFields::Known(wide.PackedSize);
    member.UnpackedSize = TZipWideFields::Known(wide.UnpackedSize);
    const uint64_t data = FArchive.Position();
    uint64_t next = SpanEnd(data, 0, member.PackedSize);
    if (local.Flags & kFlagDescriptor) {
      // Sizes and CRC follow the data; without a size, the descriptor is found by its
      // signature and a packed size that matches the distance travelled.
      TZipDescriptor descriptor;
      const bool described =
          member.PackedSize != 0
              ? ReadDescriptor(next, member.PackedSize, wide.HasZip64Extra, descriptor)
              : FindDescriptor(data, wide.HasZip64Extra, descriptor);
      if (!described && member.PackedSize == 0) break;
      // A missing descriptor leaves the header's own fields standing.
      if (described) {
        member.Crc = descriptor.Crc;
        member.PackedSize = descriptor.PackedSize;
        member.UnpackedSize = descriptor.UnpackedSize;
        next = SpanEnd(data, descriptor.Length, descriptor.PackedSize);
      }
    }
    member.StoredName = FStoredName = TranslateName(rawName, local.Flags);
    if (!FStoredName.empty() && Selected(FStoredName))
      AddMember(member, int32_t(local.DosDateTime));
    pos = next;
    got = FArchive.ReadAt(pos, buffer, sizeof buffer);
  }
  return int(FMembers.size());
}

bool TUnZip::ReadDescriptor(uint64_t at, uint64_t packed, bool wide, TZipDescriptor& found) {
  uint8_t b[24] = {};
  const uint32_t have = FArchive.ReadFrom(at, b, sizeof b);
  // Some writers set the flag and leave the descriptor out: the next record follows.
  const uint32_t first = have >= 4 ? LoadLE32(b) : 0;
  if (first == kLocalHeaderSig || first == kCentralHeaderSig) return false;
  const bool signature = first == kSpannedSig;
  const uint8_t* fields = signature ? b + 4 : b;
  found.Length = (signature ? 4 : 0) + (wide ? 20 : 12);
  if (have < found.Length) return false;
  found.Crc = LoadLE32(fields);
  found.UnpackedSize = wide ? LoadLE64(fields + 12) : LoadLE32(fields + 8);
  // The local header's size stands: it is what the walk has already relied on.
  found.PackedSize = packed;
  return true;
}

bool TUnZip::FindDescriptor(uint64_t data, bool wide, TZipDescriptor& found) {
  constexpr uint32_t kBlock = 65536;
  constexpr uint32_t kLongest = 24 + 4;  // a wide descriptor and the next signature
  std::vector<uint8_t> block(kBlock + kLongest);
  for (uint64_t start = data; start < FArchive.Size() && !FCancel; start += kBlock) {
    const uint32_t have = FArchive.ReadFrom(start, block.data(), uint32_t(block.size()));
    for (uint32_t i = 0; i < kBlock && i + 16 <= have; ++i) {
      if (LoadLE32(block.data() + i) != kSpannedSig) continue;
      const uint64_t travelled = start + i - data;
      for (const bool eight : {wide, !wide}) {
        const uint32_t length = eight ? 24 : 16;
        if (i + length > have) continue;
        const uint8_t* b = block.data() + i;
        const uint64_t packed = eight ? LoadLE64(b + 8) : LoadLE32(b + 8);
        if (packed != travelled) continue;
        // What follows must be the next record or the file's end.
        const bool atEnd = start + i + length == FArchive.Size();
        const uint32_t next = i + length + 4 <= have ? LoadLE32(b + length) : 0;
        if (!atEnd && next != kLocalHeaderSig && next != kCentralHeaderSig && next != kSpannedSig)
          continue;
        found = {LoadLE32(b + 4), packed, eight ? LoadLE64(b + 16) : LoadLE32(b + 12), length};
        return true;
      }
    }
  }
  return false;
}

bool TUnZip::LoadMember(const TUnBaseHeader& entry) {
  uint8_t buffer[TZipLocalHeader::kSize];
  if (!FArchive.ReadAt(entry.LocalOffset, buffer, sizeof buffer)) return false;
  const TZipLocalHeader& local = FLocal[entry.HeaderSet] =
      TZipLocalHeader::Parse(buffer, sizeof buffer);
  if (local.Signature != kLocalHeaderSig) return false;
  const std::string rawName = ReadBytes(local.NameLength);
  const std::string extra = ReadBytes(local.ExtraLength);
  const TZipWideFields wide = TZipWideFields::Of(
      local, reinterpret_cast<const uint8_t*>(extra.data()), uint32_t(extra.size()));

  // A local header followed by a data descriptor may leave sizes and CRC at 0, and one
  // written to a pipe leaves them escaped: the directory's values stand in, so that
  // decoding stops at the member's declared size. Some writers leave the uncompressed size
  // at 0 without the descriptor flag; other readers take the directory's size then, and so
  // do we (on the local walk the entry's size is the local header's own).
  const bool descriptor = local.Flags & kFlagDescriptor;
  const uint64_t packed = TZipWideFields::Known(wide.PackedSize);
  const uint64_t unpacked = TZipWideFields::Known(wide.UnpackedSize);
  FCurrentHeader.Flags = local.Flags;
  FCurrentHeader.Method = local.Method;
  FCurrentHeader.PackedSize = (packed == 0 && entry.PackedSize > 0) ? entry.PackedSize : packed;
  FCurrentHeader.UnpackedSize = unpacked == 0 ? entry.UnpackedSize : unpacked;
  FStoredCrc = (descriptor && local.Crc == 0) ? entry.Crc : local.Crc;

  FStoredName = TranslateName(rawName, local.Flags, entry.MadeOnUnix);
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
    const uint64_t size = FCurrentHeader.UnpackedSize;
    if (FTarget == otFile && !IsSafeStoredName(FStoredName)) {
      ReportError(FOutputName, "unsafe stored name", E_FOPEN);
      SkipStep(size);
      return;
    }
    const bool encrypted = FCurrentHeader.Flags & kFlagEncrypted;
    bool searchedNow = false;
    if (encrypted && !FPasswordFailed && !CheckPassword(entry.HeaderSet)) {
      FPasswordFailed = true;
      searchedNow = true;
    }
    uint32_t attr = entry.ExternalAttr;
    if (!FStoredName.empty() && FStoredName.back() == '\\') attr |= kAttrDirectory;
    if (!BeginMember(attr & (kAttrVolume | kAttrDirectory))) {
      SkipStep(size);
      return;
    }
    if (attr & kAttrVolume) {
      ResetCrc32();
      return;
    }
    if (FArcType == atJar || FArcType == atJarExe)
      attr = FOutputName.empty() || FOutputName.back() == '\\' ? kAttrDirectory : kAttrArchive;
    if (attr & kAttrDirectory) {
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
      if (decrypt && !FSpareKeys.empty()) ChooseAmongPasswords();
      DecodeData(decrypt);
      if (FDecoder->Overrun()) FOutputSpoiled = true;
    }
  } catch (...) {
    FOutputSpoiled = true;
  }
}

void TUnZip::DecodeData(bool decrypt) {
  // Stored members decrypt on the write side; they stay on the plain road.
  if (decrypt && FCurrentHeader.Method != 0) {
    const uint64_t packed = FCurrentHeader.PackedSize;
    StartReadAhead(packed > TZipKeys::kHeaderSize ? packed - TZipKeys::kHeaderSize : 0);
  }
  struct TEnd {
    TUnZip& Owner;
    ~TEnd() { Owner.EndReadAhead(); }
  } end{*this};
  FDecoder->DecodeMember(FCurrentHeader, EventName(), decrypt);
}

void TUnZip::ChooseAmongPasswords() {
  // The check byte lets one wrong password in 256 through. When another password of the
  // list passes it as well, each is tried on the whole member, quietly and with nothing
  // written, before the first one is trusted; when none decodes to the stored CRC, the
  // first one decodes the member as it always would.
  const uint64_t data = FArchive.Position();
  std::vector<TZipKeys> candidates{FKeys};
  candidates.insert(candidates.end(), FSpareKeys.begin(), FSpareKeys.end());
  FSpareKeys.clear();
  size_t chosen = 0;
  {
    TQuietRun quiet(*this);
    for (size_t i = 0; i < candidates.size() && !FCancel; ++i) {
      FKeys = candidates[i];
      FArchive.Seek(data);
      FQuietFault = false;
      DecodeData(true);
      if (!FQuietFault && !FDecoder->Overrun() && CrcMatches(FStoredCrc, FCrc32)) {
        chosen = i;
        break;
      }
    }
  }
  FKeys = candidates[chosen];
  if (chosen > 0) FCurrentPassword = FSpareNames[chosen - 1];
  FSpareNames.clear();
  FArchive.Seek(data);
}

bool TUnZip::CheckPassword(uint8_t headerSet) {
  const TZipLocalHeader& local = FLocal[headerSet];
  FSpareKeys.clear();
  FSpareNames.clear();
  if (!(local.Flags & kFlagEncrypted)) return true;
  TTimerPause pause(FTimer);
  uint8_t header[TZipKeys::kHeaderSize] = {};
  ReadBlock(header, sizeof header, crcNone, false);
  // With a data descriptor the CRC is not known yet, so the time stands in as the check.
  const uint8_t check =
      (local.Flags & kFlagDescriptor) ? uint8_t(local.DosDateTime >> 8) : uint8_t(local.Crc >> 24);
  bool ok = FKeys.TryPassword(FCurrentPassword, header, check);
  int line = 0;
  for (; !ok && line < FPasswords.Count(); ++line) {
    FCurrentPassword = FPasswords[line];
    ok = FKeys.TryPassword(FCurrentPassword, header, check);
  }
  if (ok) {
    // Later lines that pass the check too are kept for the case that this one decodes
    // to garbage.
    for (; line < FPasswords.Count(); ++line) {
      TZipKeys keys;
      if (FPasswords[line] != FCurrentPassword &&
          keys.TryPassword(FPasswords[line], header, check)) {
        FSpareKeys.push_back(keys);
        FSpareNames.push_back(FPasswords[line]);
      }
    }
    return true;
  }
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
