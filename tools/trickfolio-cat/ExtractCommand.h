#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// trickfolio-cat extract ARCHIVE [-p PASSWORD]... [-d DIR] [NAME...]; `args` follow the
// command word. Writes the selected members (every one without NAMEs) as files below DIR
// (the current directory by default), replacing files that exist. Returns 0 when every
// selected member came out whole, 1 when one failed or nothing matched, 2 for usage and
// run errors.
int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
