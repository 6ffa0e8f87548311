#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// trickfolio-cat cat ARCHIVE [-p PASSWORD]... NAME...; `args` follow the command word.
// Extracts the members that the NAMEs select into memory and writes their bytes, in
// order, to `out`. Returns 0 when every selected member came out whole, 1 when one failed
// or nothing matched, 2 for usage and run errors.
int CatCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
