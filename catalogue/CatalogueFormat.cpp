#include "CatalogueFormat.h"

namespace CatalogueFormat {

bool VersionMatches(const TStringList& versionLines) {
  return versionLines.Count() > 0 && versionLines[0] == VersionLine;
}

bool OnlineOnlyId(const TStringList& lines, std::string& id) {
  if (lines.Count() != 1 || !lines[0].starts_with(OnlineMarker)) return false;
  id = lines[0].substr(OnlineMarker.size());
  return true;
}

}  // namespace CatalogueFormat
