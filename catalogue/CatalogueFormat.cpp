#include "CatalogueFormat.h"

#include <algorithm>

namespace CatalogueFormat {

bool VersionMatches(const TStringList& versionLines) {
  return versionLines.Count() > 0 && versionLines[0] == VersionLine;
}

bool OnlineOnlyId(const TStringList& lines, std::string& id) {
  if (lines.Count() != 1 || !lines[0].starts_with(OnlineMarker)) return false;
  id = lines[0].substr(OnlineMarker.size());
  return true;
}

TGameLine SplitGameLine(const std::string& line) {
  const size_t open = line.find('(');
  const size_t cut = open == std::string::npos ? 0 : open + 1;
  return {line.substr(0, cut >= 2 ? cut - 2 : 0),
          line.substr(cut, line.size() > cut ? line.size() - cut - 1 : 0)};
}

TGameLineFault GameLineFault(const std::string& line) {
  if (line.empty()) return gfEmpty;
  if (line.back() != ')') return gfNoClosingParen;
  const size_t open = line.find('(');
  if (open == std::string::npos) return gfNoOpeningParen;
  if (open < 2 || line[open - 1] != ' ' || line[open - 2] == ' ') return gfSpacing;
  if (open + 2 == line.size()) return gfNoPlatform;
  return gfNone;
}

TSiteIdFault SiteIdFault(const std::string& id) {
  if (id.empty()) return sfEmpty;
  const bool unreserved = std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '_' || c == '.' || c == '~';
  });
  return unreserved ? sfNone : sfUnsafe;
}

}  // namespace CatalogueFormat
