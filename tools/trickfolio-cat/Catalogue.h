#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// What pack and check share about the catalogue archive.
namespace Catalogue {

inline constexpr const char* kPassword = "Vextramole v4.83q";
inline constexpr std::string_view kVersionLine = "Trickfolio v1.29";
// "***Номер:" in Windows-1251: a code member of this line plus a site id is online-only.
inline constexpr std::string_view kOnlineMarker = "***\xCD\xEE\xEC\xE5\xF0:";
// In the order the viewer reads them.
inline constexpr std::array<const char*, 4> kIndexMembers = {"games.txt", "files.txt",
                                                             "pitches.txt", "version.txt"};

// Length of the well-formed UTF-8 sequence at `text[i]`; 0 when the bytes there are not
// one (a stray continuation, a bad lead, a cut-off or overlong-led sequence).
size_t Utf8SequenceLength(std::string_view text, size_t i);

}  // namespace Catalogue
