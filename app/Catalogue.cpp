#include "Catalogue.h"

#include <filesystem>

#include "arxUnZIP.h"

TCatalogue::TCatalogue(std::string exeDir)
    : ExeDir(std::move(exeDir)),
      UnZip1(std::make_unique<TUnZip>()),
      ExtractStream(std::make_unique<TDecompMemoryStream>()),
      ScratchStream(std::make_unique<TMemoryStream>()),
      FileNames(std::make_unique<TStringList>()),
      Pitches(std::make_unique<TStringList>()),
      VersionLines(std::make_unique<TStringList>()) {}

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
  UnZip1->Passwords().Add(Password);
}

bool TCatalogue::ExtractMember(const std::string& name, TStringList& target) {
  bool ok = true;
  UnZip1->FileSpec().Clear();
  UnZip1->FileSpec().Add(name);
  try {
    ExtractStream->Reset();
    UnZip1->ExtractToMemoryStream(ExtractStream.get());
  } catch (...) {
    ok = false;
  }
  if (ExtractStream->Count() != 1) return false;
  // A member too large for memory fails like a damaged one instead of ending the program.
  try {
    ScratchStream->LoadFrom(*ExtractStream);
    ScratchStream->SetPosition(0);
    TStringList lines;
    lines.LoadFromStream(*ScratchStream);
    target.Clear();
    target.Assign(lines);
  } catch (const std::exception&) {
    return false;
  }
  return ok;
}

bool TCatalogue::LoadIndex(TStringList& games) {
  PrepareArchive();
  bool ok = true;
  if (!ExtractMember("games.txt", games)) ok = false;
  if (!ExtractMember("files.txt", *FileNames)) ok = false;
  if (!ExtractMember("pitches.txt", *Pitches)) ok = false;
  if (ExtractMember("version.txt", *VersionLines)) {
    if (VersionLines->Count() == 0 || (*VersionLines)[0] != VersionText) ok = false;
  } else {
    ok = false;
  }
  if (ok && (games.Count() == 0 || FileNames->Count() < games.Count() ||
             Pitches->Count() < games.Count()))
    ok = false;
  return ok;
}

bool TCatalogue::ExtractCodes(int index, TStringList& lines) {
  if (index < 0 || index >= FileNames->Count()) return false;
  PrepareArchive();
  return ExtractMember((*FileNames)[index], lines);
}

bool TCatalogue::FixedPitch(int index) const {
  return index >= 0 && index < Pitches->Count() && (*Pitches)[index] == "1";
}
