#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// trickfolio-cat list ARCHIVE [-p PASSWORD]...; `args` follow the command word. One line
// per member that the directory scan (or the local header walk) finds: method, packed
// size, unpacked size, CRC-32, flags, name. Returns 0, or 2 for usage and run errors.
int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
