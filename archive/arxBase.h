#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StringList.h"
#include "arxCrypt.h"
#include "arxDecoder.h"
#include "arxDecompStream.h"
#include "arxDiskMan.h"
#include "arxReadAhead.h"
#include "arxZipRecords.h"

enum TArcType {
  atNA,
  atUnsupported,
  atFileOpenErr,
  atUnknown,
  atAce,
  atAceExe,
  atArc,
  atArcExe,
  atArj,
  atArjExe,
  atBh,
  atBhExe,
  atCab,
  atGZip,
  atHa,
  atJar,
  atJarExe,
  atLha,
  atLhaExe,
  atLzh,
  atLzhExe,
  atMsGZ,
  atPak,
  atPakExe,
  atRar,
  atRarExe,
  atTar,
  atUue,
  atZip,
  atZipExe,
  atZipMV,
  atZoo
};
enum TDateAttribute { daFileDate, daSysDate, daMaxFileDate };
enum TOverwriteMode { omOverwrite, omSkip };
enum TCpuType { cptAuto, cpt80286, cpt80386, cpt80486 };

// Bits of HeaderStatus.
enum : uint8_t { hsEndRecord = 0x01, hsCentral = 0x08, hsLocal = 0x10 };

// The header buffers (A = 0, B = 1) that a member's headers are read into.
inline uint8_t HeaderSetOf(uint16_t flags) {
  return (flags & kFlagStrongEncryption) ? 1 : 0;
}

// One selected member, as the directory scan (or the local header walk) found it. The
// sizes, CRC and flags are the directory's: they stand in for what a local header
// followed by a data descriptor leaves out, and they are what a listing shows.
struct TUnBaseHeader {
  uint32_t ExternalAttr = 0;
  uint32_t DiskNumber = 1;
  uint8_t HeaderSet = 0;
  uint64_t LocalOffset = 0;  // where the local header really is, leading bytes counted
  uint16_t Flags = 0, Method = 0;
  uint32_t DosDateTime = 0, Crc = 0;
  uint64_t PackedSize = 0, UnpackedSize = 0;
  std::string StoredName;
  bool MadeOnUnix = false;  // as the directory says; the local walk cannot tell
};
using TUnBaseHeaderObj = std::vector<TUnBaseHeader>;

// Elapsed time of a run with the time spent waiting on the caller paused out. Pauses nest.
class TarxTimer {
 public:
  void Start();
  void Stop();
  void Pause();
  void Resume();
  double ElapsedSeconds() const { return FElapsed; }

 private:
  using TClock = std::chrono::steady_clock;
  bool FRunning = false;
  int FPauseDepth = 0;
  TClock::time_point FStart;
  TClock::time_point FPauseStart;
  double FElapsed = 0;
};

// Where streamed output goes (a pipe, standard output): members follow one another, and
// only the block being written is held in memory.
class TOutputSink {
 public:
  virtual ~TOutputSink() = default;
  // Returns the bytes written, fewer only on an error.
  virtual uint32_t Write(const uint8_t* data, uint32_t count) = 0;
};

class TZipCommon;
// The reader's own notification; it does not link the windowing library, so its sender is
// the reader, not a window object.
using TZipNotifyEvent = std::function<void(TZipCommon* Sender)>;
using TOnBegin =
    std::function<void(TZipCommon* Sender, const std::string& FName, int Count, bool& Extract)>;
using TOnEnd = std::function<void(TZipCommon* Sender, const std::string& FN, bool CRC_PASS)>;
using TOnError =
    std::function<void(TZipCommon* Sender, const std::string& Filename,
                       const std::string& ExtendedMsg, const std::string& VolumeID, int ECode)>;
using TOnGetPassword = std::function<void(TZipCommon* Sender, const std::string& FN,
                                          std::string& Password, bool& TryAgain)>;
using TUnBase_OnFileExists =
    std::function<void(TZipCommon* Sender, const std::string& Filename, std::string& NewFilename,
                       TOverwriteMode& OverwriteMode)>;
using TOnProgress =
    std::function<void(TZipCommon* Sender, uint8_t ProgressByFile, uint8_t ProgressByArchive)>;
using TOnElapsedTime = std::function<void(TZipCommon* Sender, float ElapsedTime)>;
using TOnCorruptZipHeader = std::function<void(TZipCommon* Sender, uint8_t HeadFlag, bool& Cancel)>;
using TOnGetZipDisk = std::function<void(TZipCommon* Sender, bool& Cancel)>;
using TOnGetZipNextDisk =
    std::function<void(TZipCommon* Sender, const std::string& VolumeName, bool& Cancel)>;

// The archive file and its classification, the zip directory's location, the password
// and member lists, block reading and writing with the CRC registers and the cipher,
// error reporting and progress.
class TZipCommon : public TDecodeHost {
 public:
  TZipCommon();
  ~TZipCommon() override;
  TZipCommon(const TZipCommon&) = delete;
  TZipCommon& operator=(const TZipCommon&) = delete;

  // --- published ---
  TArcType ArcType() const { return FArcType; }
  // The value is ignored: the file is classified again.
  void SetArcType(TArcType) { DetectArcType(); }
  bool ConfirmOverwrites() const { return FConfirmOverwrites; }
  void SetConfirmOverwrites(bool value) { FConfirmOverwrites = value; }
  TDateAttribute DateAttribute() const { return FDateAttribute; }
  void SetDateAttribute(TDateAttribute value) { FDateAttribute = value; }
  const std::string& ExtractDir() const { return FExtractDir; }
  // "/" becomes "\", a trailing "\" is added; empty takes the archive's directory, and a
  // relative directory is taken from the current one.
  void SetExtractDir(const std::string& value);
  TStringList& FileSpec() { return FFileSpec; }
  const TStringList& FileSpec() const { return FFileSpec; }
  void SetFileSpec(const TStringList& value) { FFileSpec.Assign(value); }
  TOverwriteMode OverwriteMode() const { return FOverwriteMode; }
  void SetOverwriteMode(TOverwriteMode value) { FOverwriteMode = value; }
  int PasswordAttempts() const { return FPasswordAttempts; }
  void SetPasswordAttempts(int value) { FPasswordAttempts = value; }
  TStringList& Passwords() { return FPasswords; }
  const TStringList& Passwords() const { return FPasswords; }
  void SetPasswords(const TStringList& value) { FPasswords.Assign(value); }
  bool UseStoredDirs() const { return FUseStoredDirs; }
  void SetUseStoredDirs(bool value) { FUseStoredDirs = value; }
  int ZipCmntBufSize() const { return FZipCmntBufSize; }
  // Any value is clamped into 2000..32767.
  void SetZipCmntBufSize(int value);
  bool TranslateOemChar() const { return FTranslateOemChar; }
  void SetTranslateOemChar(bool value) { FTranslateOemChar = value; }
  TCpuType CpuType() const { return FCpuType; }
  void SetCpuType(TCpuType value) { FCpuType = value; }

  TZipNotifyEvent OnActivate;
  TZipNotifyEvent OnDeactivate;
  TOnError OnError;
  TOnGetPassword OnGetPassword;
  TOnProgress OnProgress;
  TOnElapsedTime OnElapsedTime;
  TOnCorruptZipHeader OnCorruptZipHeader;
  TOnGetZipDisk OnGetZipFirstDisk;  // spanned archives are not supported: never called
  TOnGetZipNextDisk OnGetZipNextDisk;
  TOnGetZipDisk OnGetZipLastDisk;

  // --- public ---
  // Remembers the path ("/" becomes "\") and classifies the file. Raises nothing; a file
  // that cannot be opened is reported (25235) and left as atFileOpenErr.
  virtual void SetArchiveFile(const std::string& path);
  const std::string& ArchiveFile() const { return FArchiveFile; }
  bool GetCancel() const override { return FCancel; }
  virtual void SetCancel(bool flag) { FCancel = flag; }

  uint8_t HeaderStatus() const { return FHeaderStatus; }
  uint64_t StartOffset() const { return FStartOffset; }
  // Bytes in front of the archive that its stored offsets do not count (a program or
  // other data it was appended to); 0 for an archive that starts the file.
  uint64_t LeadingBytes() const { return FShift; }
  int MemberCount() const { return FMemberCount; }
  const std::string& CurrentPassword() const { return FCurrentPassword; }
  const std::string& StoredName() const { return FStoredName; }
  const std::string& OutputName() const { return FOutputName; }

  // Member selection: FileSpec lines against a stored name ("\" separators).
  bool MatchFileSpec(const std::string& name) const;
  static bool MatchName(const std::string& name, const std::string& pattern);
  // Both sides may hold "*" and "?"; ASCII letters compare without case.
  static bool WildcardMatch(std::string a, std::string b);
  // x * 100 / y rounded to the nearest (ties to even), 0 when y is 0, within 0..100.
  static uint8_t Pct(int64_t x, int64_t y);
  // The value, or the nearest end of int64_t's range: the progress sums add sizes that a
  // damaged directory may set anywhere in 64 bits, and stop there rather than wrap.
  static int64_t Clamped(__int128 value);

  // --- TDecodeHost ---
  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) override;
  uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int crcMode, bool decrypt) override;
  void ResetCrc32() override { FCrc32 = 0xFFFFFFFFu; }
  void RaiseError(const std::string& fileName, int code) override;
  void ReportError(const std::string& fileName, const std::string& extendedMsg, int code) override;
  void ProgressStep(uint32_t count, uint64_t memberDone, uint64_t memberSize) override;
  uint8_t* OutputRoom(uint64_t size) override;

 protected:
  // otDiscard decodes a member only for its CRC, quietly: nothing is written, reported
  // or counted as progress.
  enum TOutputTarget { otNone, otMemory, otFile, otSink, otDiscard };

  // Switches to quiet trial decoding for a scope; FQuietFault tells whether an error
  // was reported meanwhile.
  class TQuietRun {
   public:
    explicit TQuietRun(TZipCommon& owner) : FOwner(owner), FTarget(owner.FTarget) {
      FOwner.FTarget = otDiscard;
    }
    ~TQuietRun() { FOwner.FTarget = FTarget; }
    TQuietRun(const TQuietRun&) = delete;
    TQuietRun& operator=(const TQuietRun&) = delete;

   private:
    TZipCommon& FOwner;
    TOutputTarget FTarget;
  };
  bool FQuietFault = false;

  // Classifies ArchiveFile: ArcType, HeaderStatus, StartOffset and the end record.
  void DetectArcType();
  // Finds the end record in the file's tail and checks the first central and local
  // headers; returns the directory's offset, a local header's offset or 0.
  uint64_t FindCentralDir(TArchiveFile& file);

  virtual void SetOutputName(const std::string& storedName);
  virtual void DecryptBuffer(uint8_t* buffer, uint32_t length);
  virtual void ExtractArchive() = 0;

  // A stored name as the reader uses it: cut at a NUL, translated to the ANSI code page,
  // "/" replaced by "\".
  std::string TranslateName(std::string raw, uint16_t flags, bool madeOnUnix = false) const;
  // A member that has passed through every other step: one progress step as complete.
  void SkipStep(uint64_t memberSize);
  // Messages first, then OnProgress with the archive's share done.
  void Progress(uint8_t byFile);
  // The name that events get for the current member.
  const std::string& EventName() const;
  bool IsZipFamily() const;

  // Archive and classification.
  std::string FArchiveFile;
  TArcType FArcType = atNA;
  uint8_t FHeaderStatus = 0;
  uint64_t FStartOffset = 1;
  TZipEndRecord FEndRecord;
  int64_t FEndRecordOffset = -1;  // where the end record was found, -1 when not
  // The directory as the end records give it (the 64-bit one's values where the other
  // holds escapes); FDirectoryOffset counts the leading bytes, FShift.
  uint64_t FDirectoryOffset = 0;
  uint64_t FDirectorySize = 0;
  uint64_t FShift = 0;
  TZipCentralHeader FCentral[2];
  TZipLocalHeader FLocal[2];
  TArchiveFile FArchive;
  TDiskManager FDiskManager;

  // Properties.
  bool FConfirmOverwrites = true;
  TDateAttribute FDateAttribute = daFileDate;
  std::string FExtractDir;
  TStringList FFileSpec;
  TOverwriteMode FOverwriteMode = omOverwrite;
  int FPasswordAttempts = 3;
  TStringList FPasswords;
  bool FUseStoredDirs = true;
  int FZipCmntBufSize = 0;
  bool FTranslateOemChar = true;
  TCpuType FCpuType = cptAuto;

  // Run state.
  bool FCancel = false;
  int FMemberCount = 0;
  std::string FStoredName;
  std::string FOutputName;
  std::string FCurrentPassword;
  TCurrentHeader FCurrentHeader;
  uint64_t FWalkStart = 0;
  int64_t FPackedSum = 0;
  int64_t FUnpackedSum = 0;
  int64_t FRemaining = 0;
  int32_t FLatestDate = 0;
  TOutputTarget FTarget = otNone;
  TDecompMemoryStream* FStream = nullptr;
  TOutputSink* FSink = nullptr;
  TOutputFile FOutFile;
  TarxTimer FTimer;

  // Decoding state of this reader: registers, keys, decoder.
  uint32_t FCrc32 = 0xFFFFFFFFu;
  uint32_t FCrc16 = 0;
  TZipKeys FKeys;
  std::unique_ptr<TDecoder> FDecoder;

  // Decrypting reads of the current member come from a helper thread when its packed
  // data reaches FReadAheadMin; smaller members are not worth a thread's start.
  void StartReadAhead(uint64_t length);
  void EndReadAhead() { FReadAhead.reset(); }
  uint64_t FReadAheadMin = uint64_t(1) << 20;
  // Declared after FArchive, so that the helper has stopped before the file closes.
  std::unique_ptr<TReadAhead> FReadAhead;

 private:
  TArcType Classify(TArchiveFile& file, const std::vector<uint8_t>& head);
  void FeedCrc(int crcMode, const uint8_t* buffer, uint32_t count);
};

// Pauses a run's timer for a scope.
class TTimerPause {
 public:
  explicit TTimerPause(TarxTimer& timer) : FTimer(timer) { FTimer.Pause(); }
  ~TTimerPause() { FTimer.Resume(); }
  TTimerPause(const TTimerPause&) = delete;
  TTimerPause& operator=(const TTimerPause&) = delete;

 private:
  TarxTimer& FTimer;
};

// One extraction run: the output target, the begin and overwrite decision, opening and
// closing the output, the CRC verdict.
class TUnBase : public TZipCommon {
 public:
  bool CreateStoredDirs() const { return FCreateStoredDirs; }
  void SetCreateStoredDirs(bool value) { FCreateStoredDirs = value; }
  bool RestoreFileAttr() const { return FRestoreFileAttr; }
  void SetRestoreFileAttr(bool value) { FRestoreFileAttr = value; }

  TOnBegin OnBegin;
  TOnEnd OnEnd;
  TUnBase_OnFileExists OnFileExists;

  // Extracts the members that match FileSpec into `stream`, after what it holds. Raises
  // E_RAISE for a missing stream and the run-level errors; the stream's position is 0
  // afterwards in every case. Returns the number of members written.
  int ExtractToMemoryStream(TDecompMemoryStream* stream);
  // The same into files below ExtractDir.
  int Extract();
  // The same into `sink`, block by block, whatever the members' sizes.
  int ExtractToSink(TOutputSink& sink);

  bool PasswordFailed() const { return FPasswordFailed; }

 protected:
  int RunExtraction();
  bool BeginMember(bool isDirOrVolume);
  bool OpenOutput();
  // The most output `packed` bytes of `method` can decode to.
  static uint64_t ExpansionBound(uint16_t method, uint64_t packed);
  void CloseOutput(uint32_t externalAttr, uint32_t dosDateTime);
  virtual bool CheckCrc(int mode, uint32_t storedCrc);
  // A stored CRC matches the register as it stands or inverted.
  static bool CrcMatches(uint32_t stored, uint32_t reg) {
    return stored == reg || stored == (reg ^ 0xFFFFFFFFu);
  }
  // True when the stored name can only land below ExtractDir.
  static bool IsSafeStoredName(const std::string& name);
  TOutputPath OutputPathOf(const std::string& outputName) const;

  bool FCreateStoredDirs = false;
  bool FRestoreFileAttr = true;
  bool FPasswordFailed = false;
  // The member's output is known to be incomplete or absent: its verdict is False.
  bool FOutputSpoiled = false;
  TUnBaseHeaderObj FMembers;

 private:
  void ExistingFileDialogue();
  void ReserveOutput();
};
