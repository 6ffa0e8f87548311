#include "Catalogue.h"

#include <filesystem>

#include "CodeText.h"
#include "arxUnZIP.h"

TCatalogue::TCatalogue(std::string exeDir)
    : ExeDir(std::move(exeDir)),
      UnZip1(std::make_unique<TUnZip>()),
      ExtractStream(std::make_unique<TDecompMemoryStream>()),
      ScratchStream(std::make_unique<TMemoryStream>()),
      FileNames(std::make_unique<TStringList>()),
      Pitches(std::make_unique<TStringList>()),
      VersionLines(std::make_unique<TStringList>()) {
  if (!ExeDir.empty() && ExeDir.back() != '/') ExeDir += '/';
  UnZip1->OnError = [this](TZipCommon*, const std::string&, const std::string&, const std::string&,
                           int code) { FLastRead.Errors.push_back(code); };
}

TCatalogue::TCatalogue(std::string archivePath, std::string password) : TCatalogue(std::string()) {
  FArchivePath = std::move(archivePath);
  FPassword = std::move(password);
}

TCatalogue::~TCatalogue() {
  ExtractStream.reset();
  ScratchStream.reset();
  FileNames.reset();
  Pitches.reset();
  VersionLines.reset();
}

bool TCatalogue::ArchiveExists() const {
  std::error_code error;
  return std::filesystem::is_regular_file(ArchivePath(), error);
}

void TCatalogue::PrepareArchive() {
  UnZip1->SetArchiveFile(ArchivePath());
  UnZip1->Passwords().Clear();
  UnZip1->Passwords().Add(FPassword);
}

bool TCatalogue::ExtractMember(const std::string& name, TStringList& target) {
  FLastRead = {};
  UnZip1->FileSpec().Clear();
  UnZip1->FileSpec().Add(name);
  try {
    ExtractStream->Reset();
    UnZip1->ExtractToMemoryStream(ExtractStream.get());
  } catch (const std::exception& e) {
    FLastRead.Failure = e.what();
  } catch (...) {
    FLastRead.Failure = "unexpected failure";
  }
  FLastRead.Count = ExtractStream->Count();
  FLastRead.PasswordFailed = UnZip1->PasswordFailed();
  if (FLastRead.Count != 1) return false;
  // A member too large for memory fails like a damaged one instead of ending the program.
  try {
    ScratchStream->LoadFrom(*ExtractStream);
    ScratchStream->SetPosition(0);
    TStringList lines;
    lines.LoadFromStream(*ScratchStream);
    target.Clear();
    target.Assign(lines);
  } catch (const std::exception& e) {
    FLastRead.Failure = e.what();
    return false;
  }
  return FLastRead.Failure.empty();
}

bool TCatalogue::LoadIndex(TStringList& games) {
  using namespace CatalogueFormat;
  PrepareArchive();
  bool ok = true;
  if (!ExtractMember(GamesMember, games)) ok = false;
  if (!ExtractMember(FilesMember, *FileNames)) ok = false;
  if (!ExtractMember(PitchesMember, *Pitches)) ok = false;
  if (!ExtractMember(VersionMember, *VersionLines) || !VersionMatches(*VersionLines)) ok = false;
  if (ok && (games.Count() == 0 || !Covers(*FileNames, games) || !Covers(*Pitches, games)))
    ok = false;
  return ok;
}

bool TCatalogue::ExtractCodes(int index, TStringList& lines) {
  if (index < 0 || index >= FileNames->Count()) {
    FLastRead = {};
    return false;
  }
  PrepareArchive();
  return ExtractMember((*FileNames)[index], lines);
}

bool TCatalogue::FixedPitch(int index) const {
  return index >= 0 && index < Pitches->Count() && CatalogueFormat::FixedPitch((*Pitches)[index]);
}

bool TCatalogue::LoadGame(int index, TGameCodes& codes) {
  codes.FixedPitch = FixedPitch(index);
  if (!ExtractCodes(index, codes.Lines)) return false;
  CodeText::ExpandTabs(codes.Lines);
  codes.SiteId.clear();
  codes.OnlineOnly = CatalogueFormat::OnlineOnlyId(codes.Lines, codes.SiteId);
  return true;
}
