// trickfolio-cat: the catalogue's command-line tool. Data goes to standard output only;
// messages go to standard error.
#include <iostream>
#include <string>
#include <vector>

#include "CatCommand.h"
#include "CheckCommand.h"
#include "ExtractCommand.h"
#include "ListCommand.h"
#include "PackCommand.h"

namespace {

using TCommand = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct TCommandEntry {
  const char* Name;
  TCommand Run;
};

constexpr TCommandEntry kCommands[] = {
    {"list", ListCommand}, {"cat", CatCommand},     {"extract", ExtractCommand},
    {"pack", PackCommand}, {"check", CheckCommand},
};

constexpr const char* kUsage =
    "usage: trickfolio-cat COMMAND ARGUMENTS\n"
    "  list ARCHIVE [-p PASSWORD]...                   members with method, sizes, CRC, flags\n"
    "  cat ARCHIVE [-p PASSWORD]... NAME...            members' bytes to standard output\n"
    "  extract ARCHIVE [-p PASSWORD]... [-d DIR] [NAME...]  members into files\n"
    "  pack DIR ARCHIVE [-p PASSWORD] [--utf8]         a catalogue folder into an archive\n"
    "  check ARCHIVE [-p PASSWORD]                     the catalogue's rules\n"
    "  -p may repeat: passwords are tried in the order given.\n"
    "  COMMAND --help shows one command's usage.\n"
    "exit: 0 done, 1 a member failed or nothing matched, 2 usage or archive error\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (!args.empty()) {
    const std::string name = args[0];
    args.erase(args.begin());
    for (const TCommandEntry& command : kCommands)
      if (name == command.Name) return command.Run(args, std::cout, std::cerr);
    std::cerr << "trickfolio-cat: unknown command " << name << "\n";
  }
  std::cerr << kUsage;
  return 2;
}
