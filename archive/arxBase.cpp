#include "arxBase.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <string_view>

#include "Codepage.h"
#include "Err_Msgs.h"
#include "Finally.h"
#include "LittleEndian.h"
#include "MessageHook.h"
#include "arxCentralDir.h"
#include "arxCrc.h"

namespace {

bool IsArchiveType(TArcType type) {
  return type != atNA && type != atUnsupported && type != atFileOpenErr && type != atUnknown;
}

// Directory and file parts as file-name matching splits them: at the last "\" or ":".
size_t MatchSplit(const std::string& name) {
  const size_t cut = name.find_last_of("\\:");
  return cut == std::string::npos ? 0 : cut + 1;
}
std::string MatchExt(const std::string& file) {
  const size_t dot = file.rfind('.');
  return dot == std::string::npos ? std::string() : file.substr(dot);
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

// Well-formed UTF-8 as far as lead and continuation bytes go.
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const uint8_t lead = uint8_t(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x06 ? 2
                          : (lead >> 4) == 0x0E ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || length > text.size() - i) return false;
    for (size_t k = 1; k < length; ++k)
      if ((uint8_t(text[i + k]) >> 6) != 0x02) return false;
    i += length;
  }
  return true;
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

// ---------------------------------------------------------------------------- timer

void TarxTimer::Start() {
  FRunning = true;
  FPauseDepth = 0;
  FElapsed = 0;
  FStart = TClock::now();
}

void TarxTimer::Stop() {
  if (!FRunning) return;
  const TClock::time_point end = FPauseDepth > 0 ? FPauseStart : TClock::now();
  FElapsed = std::chrono::duration<double>(end - FStart).count();
  FRunning = false;
}

void TarxTimer::Pause() {
  if (FRunning && FPauseDepth++ == 0) FPauseStart = TClock::now();
}

void TarxTimer::Resume() {
  if (!FRunning || FPauseDepth == 0) return;
  if (--FPauseDepth == 0) FStart += TClock::now() - FPauseStart;
}

// ---------------------------------------------------------------------- TZipCommon

TZipCommon::TZipCommon() : FDecoder(std::make_unique<TDecoder>(*this)) {}

TZipCommon::~TZipCommon() = default;

void TZipCommon::SetExtractDir(const std::string& value) {
  std::string dir = FromNativePath(value);
  if (dir.empty()) dir = DirPart(FArchiveFile);
  if (dir.empty()) {
    FExtractDir.clear();
    return;
  }
  // Drive-relative names mean nothing here: a relative directory hangs below the current.
  if (dir[0] != '\\') dir = CurrentDirectory() + dir;
  if (dir.back() != '\\') dir += '\\';
  FExtractDir = dir;
}

void TZipCommon::SetZipCmntBufSize(int value) {
  FZipCmntBufSize = std::clamp(value, 2000, 32767);
}

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

std::string TZipCommon::TranslateName(std::string raw, uint16_t flags, bool madeOnUnix) const {
  const size_t nul = raw.find('\0');
  if (nul != std::string::npos) raw.resize(nul);
  // Names flagged as UTF-8 are not in the OEM code page whatever TranslateOemChar says, and
  // Unix zip programs store the system's own names, UTF-8 today, without the flag.
  if ((flags & kFlagUtf8) || (madeOnUnix && IsUtf8(raw)))
    raw = Codepage::Utf8ToCp1251(raw);
  else if (FTranslateOemChar)
    raw = Codepage::OemToAnsi(raw);
  std::replace(raw.begin(), raw.end(), '/', '\\');
  return raw;
}

// ------------------------------------------------------------------------ matching

namespace {

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// What WildcardMatch decides when neither side holds a wildcard, without its table.
bool SamePlain(std::string_view a, std::string_view b) {
  if (!a.empty() && a.back() == '.') a.remove_suffix(1);
  if (!b.empty() && b.back() == '.') b.remove_suffix(1);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Codepage::AsciiUpperChar(a[i]) != Codepage::AsciiUpperChar(b[i])) return false;
  return true;
}

size_t MatchSplitView(std::string_view name) {
  const size_t cut = name.find_last_of("\\:");
  return cut == std::string_view::npos ? 0 : cut + 1;
}

std::string_view MatchExtView(std::string_view file) {
  const size_t dot = file.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : file.substr(dot);
}

// MatchName for a name and a pattern that hold no wildcard: the catalogue asks for one
// member by its exact name among thousands, so this is the common case.
bool MatchPlainName(std::string_view name, std::string_view pattern) {
  const size_t nameCut = MatchSplitView(name);
  const size_t patternCut = MatchSplitView(pattern);
  if (pattern.find('\\') != std::string_view::npos &&
      !SamePlain(name.substr(0, nameCut ? nameCut - 1 : 0),
                 pattern.substr(0, patternCut ? patternCut - 1 : 0)))
    return false;
  const std::string_view nameFile = name.substr(nameCut);
  const std::string_view patternFile = pattern.substr(patternCut);
  return SamePlain(MatchExtView(nameFile), MatchExtView(patternFile)) &&
         SamePlain(nameFile, patternFile);
}

}  // namespace

bool TZipCommon::MatchFileSpec(const std::string& name) const {
  const bool plainName = !HasWildcard(name);
  for (const std::string& line : FFileSpec.Lines()) {
    if (line == "*.*") return true;
    if (plainName && !HasWildcard(line) ? MatchPlainName(name, line) : MatchName(name, line))
      return true;
  }
  return false;
}

bool TZipCommon::MatchName(const std::string& name, const std::string& pattern) {
  const size_t nameCut = MatchSplit(name);
  const size_t patternCut = MatchSplit(pattern);
  if (pattern.find('\\') != std::string::npos &&
      !WildcardMatch(name.substr(0, nameCut ? nameCut - 1 : 0),
                     pattern.substr(0, patternCut ? patternCut - 1 : 0)))
    return false;
  const std::string nameFile = name.substr(nameCut);
  const std::string patternFile = pattern.substr(patternCut);
  return WildcardMatch(MatchExt(nameFile), MatchExt(patternFile)) &&
         WildcardMatch(nameFile, patternFile);
}

bool TZipCommon::WildcardMatch(std::string a, std::string b) {
  if (!a.empty() && a.back() == '.') a.pop_back();
  if (!b.empty() && b.back() == '.') b.pop_back();
  // Both sides may carry wildcards, and stored names come from the archive: a table over
  // every pair of positions keeps hostile patterns from backtracking without end.
  const size_t n = a.size(), m = b.size();
  std::vector<uint8_t> next(m + 1), row(m + 1);
  for (size_t i = n + 1; i-- > 0;) {
    for (size_t j = m + 1; j-- > 0;) {
      bool match;
      if (i == n && j == m)
        match = true;
      else if (i < n && a[i] == '*')
        match = next[j] || (j < m && row[j + 1]);
      else if (j < m && b[j] == '*')
        match = row[j + 1] || (i < n && next[j]);
      else if (i < n && j < m)
        match = (a[i] == '?' || b[j] == '?' ||
                 Codepage::AsciiUpperChar(a[i]) == Codepage::AsciiUpperChar(b[j])) &&
                next[j + 1];
      else
        match = false;
      row[j] = match;
    }
    std::swap(next, row);
  }
  return next[0];
}

uint8_t TZipCommon::Pct(int64_t x, int64_t y) {
  if (y <= 0 || x <= 0) return 0;
  if (x >= y) return 100;
  const int64_t scaled = x * 100;
  int64_t q = scaled / y;
  const int64_t twice = 2 * (scaled % y);
  if (twice > y || (twice == y && (q & 1))) ++q;
  return uint8_t(q);
}

// ------------------------------------------------------------------ blocks and CRC

void TZipCommon::FeedCrc(int crcMode, const uint8_t* buffer, uint32_t count) {
  if (crcMode == crc32)
    FCrc32 = Crc32Update(FCrc32, buffer, count);
  else if (crcMode == crc16)
    FCrc16 = Crc16Update(FCrc16, buffer, count);
}

uint32_t TZipCommon::ReadBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) {
  uint32_t got = 0;
  if (FReadAhead && decrypt) {
    got = FReadAhead->Read(buffer, count);
    FArchive.Seek(FArchive.Position() + got);
    if (got < count) {
      // The helper's data has ended and its keys stand where reading here would have
      // left them: whatever is asked beyond comes the plain way.
      FKeys = FReadAhead->Keys();
      FReadAhead.reset();
      const uint32_t more = FArchive.Read(buffer + got, count - got);
      DecryptBuffer(buffer + got, more);
      got += more;
    }
  } else {
    got = FArchive.Read(buffer, count);
    if (decrypt) DecryptBuffer(buffer, got);
  }
  FeedCrc(crcMode, buffer, got);
  return got;
}

void TZipCommon::StartReadAhead(uint64_t length) {
  FReadAhead.reset();
  if (length < FReadAheadMin || !IsZipFamily()) return;
  try {
    FReadAhead = std::make_unique<TReadAhead>(FArchive, FArchive.Position(), length, FKeys);
  } catch (const std::exception&) {
    // Without a second thread or its buffers the member is read and decrypted here, as
    // small ones are.
  }
}

uint32_t TZipCommon::WriteBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) {
  if (decrypt) DecryptBuffer(buffer, count);
  uint32_t written = 0;
  if (FTarget == otMemory && FStream)
    written = uint32_t(FStream->Write(buffer, count));
  else if (FTarget == otFile)
    written = FOutFile.Write(buffer, count);
  else if (FTarget == otSink && FSink)
    written = FSink->Write(buffer, count);
  else if (FTarget == otDiscard)
    written = count;
  if (written < count) throw E_RAISE(E_WRITE);
  FeedCrc(crcMode, buffer, written);
  return written;
}

// Only room past the stream's end is lent: a member that fails half-way must not have
// touched bytes the stream already holds.
uint8_t* TZipCommon::OutputRoom(uint64_t size) {
  if (FTarget != otMemory || !FStream || FStream->Position() != FStream->Size() ||
      uint64_t(FStream->Capacity() - FStream->Position()) < size)
    return nullptr;
  return FStream->Memory() + FStream->Position();
}

bool TZipCommon::IsZipFamily() const {
  return FArcType == atBh || FArcType == atBhExe || FArcType == atJar || FArcType == atZip ||
         FArcType == atZipExe || FArcType == atZipMV;
}

void TZipCommon::DecryptBuffer(uint8_t* buffer, uint32_t length) {
  // Only the zip family carries the traditional cipher; nothing else is decrypted here.
  if (IsZipFamily()) FKeys.DecryptBuffer(buffer, length);
}

// ---------------------------------------------------------- errors and progress

void TZipCommon::ReportError(const std::string& fileName, const std::string& extendedMsg,
                             int code) {
  if (FTarget == otDiscard) {
    FQuietFault = true;
    return;
  }
  TTimerPause pause(FTimer);
  if (FCancel) code = E_USERCANCEL;
  if (OnError) OnError(this, fileName, extendedMsg, "0", code);
}

void TZipCommon::RaiseError(const std::string& fileName, int code) {
  ReportError(fileName, "", code);
  if (!FCancel) throw E_RAISE(code);
}

void TZipCommon::ProgressStep(uint32_t count, uint64_t memberDone, uint64_t memberSize) {
  if (FTarget == otDiscard) return;
  FRemaining -= count;
  Progress(Pct(memberDone, memberSize));
}

void TZipCommon::SkipStep(uint64_t memberSize) {
  FRemaining -= memberSize;
  Progress(100);
}

void TZipCommon::Progress(uint8_t byFile) {
  // Stored members are counted in packed bytes, as their copy reads them.
  const int64_t total = FCurrentHeader.Method == 0 ? FPackedSum : FUnpackedSum;
  const uint8_t byArchive = Pct(total - FRemaining, total);
  TTimerPause pause(FTimer);
  MessageHook::ProcessMessages();
  if (OnProgress) OnProgress(this, byFile, byArchive);
}

const std::string& TZipCommon::EventName() const {
  return FTarget == otFile ? FOutputName : FStoredName;
}

void TZipCommon::SetOutputName(const std::string& storedName) {
  if (storedName.empty()) {
    FOutputName.clear();
    return;
  }
  if (FExtractDir.empty()) SetExtractDir("");
  if (FExtractDir.empty()) SetExtractDir(CurrentDirectory());
  std::string name = storedName;
  std::string dir = FExtractDir;
  if (FUseStoredDirs) {
    if (name.size() >= 2 && name[1] == ':') {
      name.erase(0, 2);
      if (!name.empty() && name[0] == '\\') name.erase(0, 1);
    } else if (name[0] == '\\') {
      name.erase(0, 1);
    }
    dir += DirPart(name);
  }
  FOutputName = dir + FilePart(name);
}

// ------------------------------------------------------------------------- TUnBase

namespace {

bool IsExtractableType(TArcType type) {
  switch (type) {
    case atAce:
    case atAceExe:
    case atArc:
    case atArcExe:
    case atArj:
    case atArjExe:
    case atBh:
    case atBhExe:
    case atCab:
    case atGZip:
    case atJar:
    case atLha:
    case atLhaExe:
    case atLzh:
    case atLzhExe:
    case atRar:
    case atRarExe:
    case atTar:
    case atUue:
    case atZip:
    case atZipExe:
    case atZipMV:
    case atZoo:
      return true;
    default:
      return false;
  }
}

// Types whose own readers open the archive themselves.
bool OpensItself(TArcType type) {
  return type == atAce || type == atAceExe || type == atCab || type == atRar || type == atRarExe;
}

}  // namespace

int TUnBase::ExtractToMemoryStream(TDecompMemoryStream* stream) {
  if (!stream) {
    RaiseError(FArchiveFile, E_NOSTREAM);
    return 0;
  }
  TFinally restore([this, stream] {
    stream->SetPosition(0);
    FStream = nullptr;
    FTarget = otNone;
  });
  FTarget = otMemory;
  FStream = stream;
  // The previous run left the position at 0; writing there would overwrite members whose
  // entries the stream still holds.
  stream->SetPosition(stream->Size());
  return RunExtraction();
}

int TUnBase::ExtractToSink(TOutputSink& sink) {
  TFinally restore([this] {
    FSink = nullptr;
    FTarget = otNone;
  });
  FTarget = otSink;
  FSink = &sink;
  return RunExtraction();
}

int TUnBase::Extract() {
  TFinally restore([this] { FTarget = otNone; });
  FTarget = otFile;
  return RunExtraction();
}

int TUnBase::RunExtraction() {
  FCancel = false;
  FMemberCount = 0;
  FPasswordFailed = false;
  FPackedSum = FUnpackedSum = FRemaining = 0;
  FLatestDate = 0;
  if (FCpuType == cpt80486) FCpuType = cptAuto;

  const std::string archiveFile = FArchiveFile;
  TFinally restore([this, archiveFile] {
    FArchive.Close();
    FOutFile.Close();
    FArchiveFile = archiveFile;
  });
  if (archiveFile.empty()) {
    RaiseError(archiveFile, E_FILENOTFOUND);
    return 0;
  }
  if (!IsExtractableType(FArcType)) {
    RaiseError(archiveFile, E_BADARCTYPE);
    return 0;
  }
  if (!OpensItself(FArcType) && !FArchive.Open(archiveFile)) {
    ReportError(archiveFile, "", E_FOPEN);
    RaiseError(archiveFile, E_FOPEN);
    return 0;
  }

  if (OnActivate) OnActivate(this);
  FCurrentPassword.clear();
  FOutputName.clear();
  FWalkStart = FStartOffset;
  if (OnElapsedTime) FTimer.Start();
  if (FTarget == otFile) FDiskManager.Query(FExtractDir);

  ExtractArchive();

  if (OnElapsedTime) {
    FTimer.Stop();
    OnElapsedTime(this, float(FTimer.ElapsedSeconds()));
  }
  FArchive.Close();
  if (OnDeactivate) OnDeactivate(this);
  return FMemberCount;
}

bool TUnBase::BeginMember(bool isDirOrVolume) {
  if (isDirOrVolume) return true;
  bool extract = true;
  if (FOverwriteMode == omOverwrite && OnBegin) {
    TTimerPause pause(FTimer);
    OnBegin(this, EventName(), FMemberCount, extract);
  }
  if (FCancel || !extract) return false;
  bool accepted;
  if (FConfirmOverwrites) {
    if (FTarget == otFile) ExistingFileDialogue();
    accepted = !FCancel && FOverwriteMode == omOverwrite && !FOutputName.empty();
  } else {
    accepted = FOverwriteMode == omOverwrite;
  }
  if (accepted) ++FMemberCount;
  return accepted;
}

void TUnBase::ExistingFileDialogue() {
  if (!OnFileExists) {
    // Without a handler nothing that exists is replaced.
    if (PathExists(FOutputName)) {
      ReportError(FOutputName, "OnFileExists", E_REQUIREDEVENT);
      FOverwriteMode = omSkip;
    }
    return;
  }
  TTimerPause pause(FTimer);
  FOverwriteMode = omOverwrite;
  while (!FCancel && FOverwriteMode != omSkip && PathExists(FOutputName)) {
    std::string newName;
    OnFileExists(this, FOutputName, newName, FOverwriteMode);
    if (FOverwriteMode != omOverwrite) continue;
    // Overwrite with no new name means this very file; asking again would never end.
    if (newName.empty()) break;
    newName = FromNativePath(newName);
    if (Codepage::AsciiUpperCase(newName) == Codepage::AsciiUpperCase(FOutputName)) break;
    FOutputName = newName;
  }
}

bool TUnBase::IsSafeStoredName(const std::string& name) {
  if (name.empty() || name[0] == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

TOutputPath TUnBase::OutputPathOf(const std::string& outputName) const {
  TOutputPath path;
  std::string below = outputName;
  if (!FExtractDir.empty() && outputName.compare(0, FExtractDir.size(), FExtractDir) == 0) {
    path.Base = FExtractDir;
    below = outputName.substr(FExtractDir.size());
  } else {
    // A name that an OnFileExists handler chose: its directory is the handler's choice.
    path.Base = DirPart(outputName);
    below = FilePart(outputName);
  }
  size_t start = 0;
  for (size_t cut; (cut = below.find('\\', start)) != std::string::npos; start = cut + 1)
    path.Dirs.push_back(below.substr(start, cut - start));
  path.File = below.substr(start);
  return path;
}

bool TUnBase::OpenOutput() {
  if ((FCurrentHeader.Flags & kFlagEncrypted) && FPasswordFailed) return true;
  if (FOutputName.empty()) return false;
  if (FTarget == otMemory) {
    TDecompEntry entry;
    entry.UnpackedSize = FCurrentHeader.UnpackedSize;
    entry.Offset = FStream->Position();
    entry.Name = FStoredName;
    FStream->AddEntry(entry);
    ReserveOutput();
    return true;
  }
  if (FTarget == otSink) return true;
  return FTarget == otFile && FOutFile.Create(OutputPathOf(FOutputName));
}

uint64_t TUnBase::ExpansionBound(uint16_t method, uint64_t packed) {
  // Deflate's best case comes to about 1032 output bytes per packed byte; stored is one
  // to one. Shrink's long strings can go further, but then the stream simply grows past
  // what was reserved.
  constexpr uint64_t kDeflateRatio = 1032;
  constexpr uint64_t kSlack = 64 * 1024;
  return method == 0 ? packed
                     : std::min(packed, UINT64_MAX / kDeflateRatio) * kDeflateRatio + kSlack;
}

void TUnBase::ReserveOutput() {
  // Room for the whole member at once spares the copies of a growing stream. Only the
  // packed bytes really present in the archive can vouch for it, so a forged size
  // reserves no more than the data could ever expand to; beyond that the stream grows.
  const uint64_t left =
      FArchive.Size() > FArchive.Position() ? FArchive.Size() - FArchive.Position() : 0;
  const uint64_t packed = std::min<uint64_t>(FCurrentHeader.PackedSize, left);
  const uint64_t room =
      std::min(FCurrentHeader.UnpackedSize, ExpansionBound(FCurrentHeader.Method, packed));
  if (room == 0 || room > uint64_t(INT64_MAX - FStream->Position())) return;
  const int64_t wanted = FStream->Position() + int64_t(room);
  if (wanted <= FStream->Capacity()) return;
  try {
    FStream->SetCapacity(wanted);
  } catch (const std::bad_alloc&) {
    // Without the room the member is written as before, growing the stream step by step.
  }
}

void TUnBase::CloseOutput(uint32_t externalAttr, uint32_t dosDateTime) {
  if (FTarget != otFile || !FOutFile.IsOpen()) return;
  if (FRestoreFileAttr || FDateAttribute != daSysDate) {
    uint32_t mode = 0;
    if (FRestoreFileAttr) {
      if ((externalAttr >> 16) & 0777)
        mode = (externalAttr >> 16) & 0777;
      else if (externalAttr & kAttrReadOnly)
        mode = 0444;
    }
    int64_t modified = -1;
    if (FDateAttribute == daFileDate) modified = DosDateTimeToUnix(dosDateTime);
    if (FDateAttribute == daMaxFileDate) modified = DosDateTimeToUnix(uint32_t(FLatestDate));
    FOutFile.SetAttributes(mode, modified);
  }
  if (!FOutFile.Close()) ReportError(FOutputName, "", E_CLOSE);
}

bool TUnBase::CheckCrc(int mode, uint32_t storedCrc) {
  const uint32_t reg = mode == crc16 ? FCrc16 : FCrc32;
  const bool pass = !FOutputSpoiled && CrcMatches(storedCrc, reg);
  if (OnEnd) {
    TTimerPause pause(FTimer);
    OnEnd(this, EventName(), pass);
  } else if (!pass && OnError) {
    ReportError(EventName(), "", E_CRCERROR);
  }
  return pass;
}
