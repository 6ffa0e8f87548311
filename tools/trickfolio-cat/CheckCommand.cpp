#include "CheckCommand.h"

#include <filesystem>
#include <iostream>
#include <map>

#include "Catalogue.h"
#include "CatalogueFormat.h"
#include "Codepage.h"
#include "Err_Msgs.h"
#include "Exception.h"
#include "Options.h"
#include "StringList.h"
#include "Utf8Text.h"
#include "arxDecompStream.h"

namespace {

using namespace CatalogueFormat;

std::string Quoted(const std::string& cp1251) {
  return "\"" + Codepage::Cp1251ToUtf8(cp1251) + "\"";
}

// Text packed from UTF-8 sources without conversion: valid UTF-8 with letters beyond
// ASCII. Windows-1251 Cyrillic almost never forms valid UTF-8, since its small letters
// are lead bytes that would need continuation bytes after them.
bool LooksUtf8(const std::string& bytes) {
  bool wide = false;
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8Text::SequenceLength(bytes, i);
    if (length == 0) return false;
    wide = wide || length > 1;
    i += length;
  }
  return wide;
}

class TCatalogueCheck {
 public:
  TCatalogueCheck(const std::string& archive, const std::string& password);
  std::vector<std::string> Run();

 private:
  // The catalogue's last extraction as the check judges it. A failure of the run as a
  // whole (no archive, not an archive) ends the check.
  TMemberRead LastRead() const;
  // The selection verdict of a read; empty when exactly one sound member was read.
  static std::string SelectionProblem(const TMemberRead& read);
  bool LoadIndex(const std::string& name, TStringList& lines);
  void CheckLineCounts(const TStringList& games, const TStringList& other, const char* name);
  void CheckVersion(const TStringList& version);
  void CheckGameLine(int index, const std::string& line);
  void CheckCodeMember(int index, const std::string& name);
  void CheckText(const std::string& name);
  void CheckOnlineOnly(const std::string& name, const TGameCodes& codes);
  void Report(std::string violation) { FViolations.push_back(std::move(violation)); }

  // The viewer's road: one name in FileSpec, a reset stream, one extraction, then Count.
  TCatalogue FCatalogue;
  std::map<std::string, TMemberRead> FCodeReads;
  std::vector<std::string> FViolations;
};

TCatalogueCheck::TCatalogueCheck(const std::string& archive, const std::string& password)
    : FCatalogue(archive, password) {
  FCatalogue.PrepareArchive();
}

TMemberRead TCatalogueCheck::LastRead() const {
  TMemberRead read = FCatalogue.LastRead();
  if (!read.Failure.empty()) throw Exception(read.Failure);
  // Without an OnGetPassword handler a member no password opens reports the missing
  // event; that is told apart through PasswordFailed, not as damage.
  std::erase(read.Errors, E_REQUIREDEVENT);
  return read;
}

std::string TCatalogueCheck::SelectionProblem(const TMemberRead& read) {
  if (read.Count == 0 && read.PasswordFailed) return "the password does not open it";
  if (read.Count == 0) return "selects no member";
  if (read.Count > 1) return "selects " + std::to_string(read.Count) + " members";
  if (!read.Errors.empty()) return "damaged (" + LoadStr(read.Errors.front()) + ")";
  return {};
}

bool TCatalogueCheck::LoadIndex(const std::string& name, TStringList& lines) {
  FCatalogue.ExtractMember(name, lines);
  const TMemberRead read = LastRead();
  if (const std::string problem = SelectionProblem(read); !problem.empty()) {
    Report(name + ": " + problem);
    // A damaged member still loads in the viewer; its lines are checked as they come.
    if (read.Count != 1) return false;
  }
  CheckText(name);
  return true;
}

void TCatalogueCheck::CheckLineCounts(const TStringList& games, const TStringList& other,
                                      const char* name) {
  if (!Covers(other, games))
    Report(std::string(name) + ": " + std::to_string(other.Count()) + " lines for " +
           std::to_string(games.Count()) + " games");
}

void TCatalogueCheck::CheckVersion(const TStringList& version) {
  if (version.Count() == 0)
    Report(std::string(VersionMember) + ": empty");
  else if (!VersionMatches(version))
    Report(std::string(VersionMember) + ": first line is " + Quoted(version[0]) + ", not \"" +
           std::string(VersionLine) + "\"");
}

// "name (platform)": printing cuts the line at its first "(".
void TCatalogueCheck::CheckGameLine(int index, const std::string& line) {
  const std::string at = std::string(GamesMember) + " line " + std::to_string(index + 1);
  const std::string where = at + " " + Quoted(line);
  switch (GameLineFault(line)) {
    case gfNone:
      break;
    case gfEmpty:
      Report(at + ": empty");
      break;
    case gfNoClosingParen:
      Report(where + ": does not end with \")\"");
      break;
    case gfNoOpeningParen:
      Report(where + ": no \"(\" before the platform");
      break;
    case gfSpacing:
      Report(where + ": not \"name (platform)\" with one space before the first \"(\"");
      break;
    case gfNoPlatform:
      Report(where + ": empty platform");
      break;
  }
}

// The member that the catalogue read last, as its bytes lie in the extraction stream.
void TCatalogueCheck::CheckText(const std::string& name) {
  if (LooksUtf8(FCatalogue.ExtractStream->ToString()))
    Report(name + ": UTF-8 text, not Windows-1251 (packed without --utf8?)");
}

void TCatalogueCheck::CheckOnlineOnly(const std::string& name, const TGameCodes& codes) {
  const TStringList& lines = codes.Lines;
  if (lines.Count() > 1 && lines[0].starts_with(OnlineMarker))
    Report(name + ": online-only marker followed by " + std::to_string(lines.Count() - 1) +
           " more line(s), so it shows as codes");
  if (!codes.OnlineOnly) return;
  const TSiteIdFault fault = SiteIdFault(codes.SiteId);
  if (fault == sfEmpty)
    Report(name + ": online-only marker without a site id");
  else if (fault == sfUnsafe)
    Report(name + ": site id " + Quoted(codes.SiteId) +
           " has characters a web address cannot carry");
}

void TCatalogueCheck::CheckCodeMember(int index, const std::string& name) {
  const std::string where = std::string(FilesMember) + " line " + std::to_string(index + 1);
  if (name.empty()) {
    Report(where + ": empty member name");
    return;
  }
  const bool seen = FCodeReads.contains(name);
  TGameCodes codes;
  if (!seen) {
    FCatalogue.LoadGame(index, codes);
    FCodeReads[name] = LastRead();
  }
  const TMemberRead& read = FCodeReads[name];
  if (const std::string problem = SelectionProblem(read); !problem.empty())
    Report(where + " " + Quoted(name) + ": " + problem);
  if (seen || read.Count != 1) return;
  CheckText(name);
  CheckOnlineOnly(Codepage::Cp1251ToUtf8(name), codes);
}

std::vector<std::string> TCatalogueCheck::Run() {
  // The code members are read by game, as the viewer reads them, through these two lists.
  TStringList& files = *FCatalogue.FileNames;
  TStringList& pitches = *FCatalogue.Pitches;
  TStringList games, version;
  const bool gamesRead = LoadIndex(GamesMember, games);
  const bool filesRead = LoadIndex(FilesMember, files);
  const bool pitchesRead = LoadIndex(PitchesMember, pitches);
  if (LoadIndex(VersionMember, version)) CheckVersion(version);
  if (gamesRead && games.Count() == 0) Report(std::string(GamesMember) + ": empty");
  if (gamesRead && filesRead) CheckLineCounts(games, files, FilesMember);
  if (gamesRead && pitchesRead) CheckLineCounts(games, pitches, PitchesMember);
  for (int i = 0; gamesRead && i < games.Count(); ++i) {
    CheckGameLine(i, games[i]);
    if (filesRead && i < files.Count()) CheckCodeMember(i, files[i]);
  }
  return std::move(FViolations);
}

const char* const kUsage =
    "usage: trickfolio-cat check ARCHIVE [-p PASSWORD]\n"
    "  prints one line per broken catalogue rule; exit 0 clean, 1 violations\n";

}  // namespace

std::vector<std::string> CheckCatalogue(const std::string& archive, const std::string& password) {
  TCatalogueCheck check(archive, password);
  return check.Run();
}

int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCommandLine line;
  std::string error;
  if (!ParseCommandLine(args, "p", line, error)) {
    err << "trickfolio-cat check: " << error << "\n" << kUsage;
    return 2;
  }
  if (line.Help) {
    out << kUsage;
    return 0;
  }
  if (line.Positional.size() != 1 || line.All('p').size() > 1) {
    err << kUsage;
    return 2;
  }
  const std::string& archive = line.Positional[0];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(archive, ec)) {
    err << "trickfolio-cat check: " << archive << ": no such file\n";
    return 2;
  }
  try {
    const std::vector<std::string> violations = CheckCatalogue(archive, line.Last('p', Password));
    for (const std::string& violation : violations) out << violation << "\n";
    return violations.empty() ? 0 : 1;
  } catch (const Exception& e) {
    err << "trickfolio-cat check: " << archive << ": " << e.Message() << "\n";
    return 2;
  }
}
