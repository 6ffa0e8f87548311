#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CatalogueFormat.h"
#include "MemoryStream.h"
#include "StringList.h"

class TUnZip;
class TDecompMemoryStream;

// What one extraction came to, kept for messages and tests.
struct TMemberRead {
  // Members the reader opened for output: 1 when the name selected exactly one.
  int Count = 0;
  // An encrypted member that no password opened.
  bool PasswordFailed = false;
  // The message codes the reader reported on the way (damage, CRC, a missing handler).
  std::vector<int> Errors;
  // Why the extraction failed as a whole (an exception's message); empty when it did not.
  std::string Failure;
};

// One game's codes as the viewer shows them and prints them.
struct TGameCodes {
  // The code member's lines, tabs expanded.
  TStringList Lines;
  // The game's display flag asks for the fixed-pitch, unwrapped presentation.
  bool FixedPitch = false;
  // The member only names the game's page on the web site, by this id.
  bool OnlineOnly = false;
  std::string SiteId;
};

// The catalogue archive as the viewer reads it: the archive reader, the two streams that
// every extraction goes through and the three index lists. One object per main window,
// made by its create handler and freed by its destroy handler.
class TCatalogue {
 public:
  // exeDir: the executable's folder, with or without the trailing separator.
  explicit TCatalogue(std::string exeDir);
  // A catalogue archive anywhere, opened with `password` (the catalogue tool's check).
  TCatalogue(std::string archivePath, std::string password);
  ~TCatalogue();

  std::string ArchivePath() const {
    return FArchivePath.empty() ? ExeDir + CatalogueFormat::FileName : FArchivePath;
  }
  bool ArchiveExists() const;

  // Names the archive and its one password to the reader.
  void PrepareArchive();
  // One named member into `target` as lines. False when the reader failed or did not
  // open exactly one member; `target` then keeps what it held. LastRead() tells why.
  bool ExtractMember(const std::string& name, TStringList& target);
  const TMemberRead& LastRead() const { return FLastRead; }

  // The four index members, each tried whatever became of the ones before, then the
  // version line. `games` receives the games list. Also refuses a catalogue whose lists
  // could not serve every game: no game at all, or fewer file names or display flags
  // than games.
  bool LoadIndex(TStringList& games);

  // The code member of game `index` into `lines`, as the member holds them.
  bool ExtractCodes(int index, TStringList& lines);
  bool FixedPitch(int index) const;
  // Game `index` for display: its codes, display flag and online-only id. False when its
  // code member could not be read (LastRead() tells why); `codes` then keeps its lines and
  // online state, and only its display flag is set.
  bool LoadGame(int index, TGameCodes& codes);

  std::string ExeDir;
  std::unique_ptr<TUnZip> UnZip1;
  std::unique_ptr<TDecompMemoryStream> ExtractStream;
  std::unique_ptr<TMemoryStream> ScratchStream;
  std::unique_ptr<TStringList> FileNames;
  std::unique_ptr<TStringList> Pitches;
  std::unique_ptr<TStringList> VersionLines;

 private:
  std::string FArchivePath;
  std::string FPassword = CatalogueFormat::Password;
  TMemberRead FLastRead;
};
