#pragma once

#include <string>

#include "StringList.h"

// How a game's code member becomes what the code area shows (Windows-1251 text).
namespace CodeText {

constexpr int TabWidth = 8;

// Tabs become spaces up to the next stop of 8 columns. The scan stops before the last
// character, so a tab that ends the line stays a tab; the catalogue's texts rely on the
// old viewer's look, which had exactly this quirk.
std::string ExpandTabs(std::string line);

// "***Номер:" in Windows-1251: the first line of a code member kept only on the web site.
inline const std::string OnlineMarker = "\x2A\x2A\x2A\xCD\xEE\xEC\xE5\xF0\x3A";

// A member of exactly one line that starts with the marker names a site id (the rest of
// the line, possibly empty); answers whether it does.
bool OnlineOnlyId(const TStringList& lines, std::string& id);

}  // namespace CodeText
