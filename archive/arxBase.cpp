#include "arxBase.h"

#include <algorithm>

#include "Codepage.h"
#include "Err_Msgs.h"
#include "Finally.h"
#include "MessageHook.h"

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

uint8_t TZipCommon::Pct(int64_t x, int64_t y) {
  if (y <= 0 || x <= 0) return 0;
  if (x >= y) return 100;
  // In 128 bits: x may be anywhere below 2^63, so x * 100 may not fit in 64.
  const unsigned __int128 scaled = static_cast<unsigned __int128>(x) * 100;
  uint64_t q = uint64_t(scaled / uint64_t(y));
  const unsigned __int128 twice = 2 * (scaled % uint64_t(y));
  if (twice > uint64_t(y) || (twice == uint64_t(y) && (q & 1))) ++q;
  return uint8_t(q);
}

int64_t TZipCommon::Clamped(__int128 value) {
  return int64_t(std::clamp<__int128>(value, INT64_MIN, INT64_MAX));
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
  FRemaining = Clamped(__int128(FRemaining) - count);
  Progress(Pct(memberDone, memberSize));
}

void TZipCommon::SkipStep(uint64_t memberSize) {
  FRemaining = Clamped(__int128(FRemaining) - memberSize);
  Progress(100);
}

void TZipCommon::Progress(uint8_t byFile) {
  // Stored members are counted in packed bytes, as their copy reads them.
  const int64_t total = FCurrentHeader.Method == 0 ? FPackedSum : FUnpackedSum;
  const uint8_t byArchive = Pct(Clamped(__int128(total) - FRemaining), total);
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
