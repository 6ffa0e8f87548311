#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// trickfolio --print NAME (--pdf FILE | --stream FILE): one game's codes report, laid out
// by the print button's own handler, written to a file without any window, so that
// catalogue maintainers can check and batch-print the printed codes. English messages on
// standard error, like the catalogue tool's.
namespace PrintCommand {

// Whether the program's words ask for printing rather than for the viewer.
bool Requested(int argc, char** argv);

// The command as the program runs it: an application without windows, the catalogue
// beside the executable.
int Main(int argc, char** argv);

// The command once a GUI application exists. args are the words after the program's name,
// catalogueDir the folder that holds the catalogue. Returns the exit code: 0 written,
// 1 nothing written (no such game, an online-only game, an unreadable catalogue, an
// output that failed), 2 a usage error.
int Run(const std::vector<std::string>& args, const std::string& catalogueDir, std::ostream& err);

}  // namespace PrintCommand
