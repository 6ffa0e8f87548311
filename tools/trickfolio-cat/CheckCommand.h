#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Reads a catalogue archive the way the viewer does and returns one line (UTF-8) per
// broken catalogue rule, in the order found; empty when the catalogue is sound. Throws
// Exception when the archive as a whole cannot be read (missing, not an archive).
std::vector<std::string> CheckCatalogue(const std::string& archive, const std::string& password);

// trickfolio-cat check ARCHIVE [-p PASSWORD]; `args` follow the command word. Prints the
// violations; returns 0 when there are none, 1 when there are, 2 for usage or run errors.
int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
