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
// A code member's lines as the code area shows them.
void ExpandTabs(TStringList& lines);

}  // namespace CodeText
