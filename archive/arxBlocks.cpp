// TZipCommon and TUnBase (arxBase.h): the blocks read from the archive and written to the
// output, and the output's opening, reserving and closing.
#include <algorithm>
#include <exception>
#include <new>

#include "Err_Msgs.h"
#include "arxBase.h"
#include "arxCrc.h"

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
