#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ProductVersion.h"
#include "StringList.h"

// The catalogue archive's format, known here once: the viewer, the catalogue tool, the fuzz
// harness and the benchmarks take every name and rule from this header.
namespace CatalogueFormat {

// The archive beside the viewer's executable.
inline constexpr const char* FileName = "trickfolio.dat";
// Every member is encrypted with this one password.
inline constexpr const char* Password = "Vextramole v4.83q";
// The first line of the version member; a catalogue for another version is refused.
inline constexpr std::string_view VersionLine = ProductVersion::Text;

// The index members. Line i of the games list is game i; line i of the files list names
// its code member, line i of the pitches list its display flag. The two other lists may be
// longer than the games list, never shorter.
inline constexpr const char* GamesMember = "games.txt";
inline constexpr const char* FilesMember = "files.txt";
inline constexpr const char* PitchesMember = "pitches.txt";
inline constexpr const char* VersionMember = "version.txt";
// In the order the viewer reads them.
inline constexpr std::array<const char*, 4> IndexMembers = {GamesMember, FilesMember, PitchesMember,
                                                            VersionMember};

// The display flag that asks for the fixed-pitch, unwrapped presentation; any other line
// (including "1 " or "01") means proportional and wrapped.
inline constexpr std::string_view FixedPitchFlag = "1";
// "***Номер:" in Windows-1251: a code member of exactly this line plus a site id is kept
// only on the web site.
inline constexpr std::string_view OnlineMarker = "***\xCD\xEE\xEC\xE5\xF0:";

inline bool FixedPitch(const std::string& flag) {
  return flag == FixedPitchFlag;
}

// Whether a list paired with the games list has a line for every game.
inline bool Covers(const TStringList& list, const TStringList& games) {
  return list.Count() >= games.Count();
}

bool VersionMatches(const TStringList& versionLines);

// A games line "name (platform)" as the printed codes' title and subtitle. The line is cut
// at its first "(": the name is what comes before it less the one character (the space)
// just before it, the platform what follows it less the line's last character (the ")").
// Without "(" the cut falls at 0: no name, and the line less its last character.
struct TGameLine {
  std::string Name;
  std::string Platform;
};
TGameLine SplitGameLine(const std::string& line);

// What keeps a games line from the shape that the cut above assumes.
enum TGameLineFault {
  gfNone,
  gfEmpty,
  gfNoClosingParen,
  gfNoOpeningParen,
  gfSpacing,
  gfNoPlatform
};
TGameLineFault GameLineFault(const std::string& line);

// What keeps an online-only game's site id from its web address, to which it is appended
// as it is: only letters, digits, "-", "_", "." and "~" go into a URL unescaped.
enum TSiteIdFault { sfNone, sfEmpty, sfUnsafe };
TSiteIdFault SiteIdFault(const std::string& id);

// A member of exactly one line that starts with the marker names a site id (the rest of
// the line, possibly empty); answers whether it does.
bool OnlineOnlyId(const TStringList& lines, std::string& id);

}  // namespace CatalogueFormat
