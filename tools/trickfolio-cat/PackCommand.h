#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

struct TPackOptions {
  std::filesystem::path Dir;
  std::filesystem::path Archive;
  std::string Password;
  // Sources are UTF-8 (as edited) and become Windows-1251 in the archive.
  bool Utf8 = false;
};

// Packs the four index files of `Dir` and every code file that its "files.txt" names into
// a new archive (replacing `Archive` only once it is complete). It judges nothing of the
// catalogue rules beyond what it needs to pack; "check" does that. Throws Exception with
// a message naming the file (and line) at fault.
void PackCatalogue(const TPackOptions& options);

// trickfolio-cat pack DIR ARCHIVE [-p PASSWORD] [--utf8]; `args` follow the command word.
// Returns the process exit code: 0 done, 2 usage or packing error.
int PackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
