#pragma once

// Members of real data for the inflate benchmark, made at run time from files a Debian
// machine has: what a catalogue's attachments are more like than any generated data.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TRealMember {
  std::string Name;
  std::vector<uint8_t> Data;
};

// Shared libraries, C and C++ headers, documentation (packed pages unpacked), and the
// three interleaved file by file; each `size` bytes, or less where the machine has fewer
// such files, none where it has none.
std::vector<TRealMember> MakeRealMembers(size_t size);
