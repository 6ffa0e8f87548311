#include "CatCommand.h"

#include <cstdint>
#include <ostream>

#include "Err_Msgs.h"
#include "MemberReport.h"
#include "Options.h"
#include "arxDecompStream.h"
#include "arxUnZIP.h"

namespace {

constexpr const char* kUsage =
    "usage: trickfolio-cat cat ARCHIVE [-p PASSWORD]... NAME...\n"
    "  writes the selected members' bytes to standard output; NAME may hold * and ?\n";

}  // namespace

int CatCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCommandLine line;
  if (const int code = ParseCommand("cat", args, "p", kUsage, 2, SIZE_MAX, line, out, err);
      code >= 0)
    return code;
  const std::string& archive = line.Positional[0];
  TUnZip reader;
  TMemberReport report(reader);
  LoadSelection(reader, line);

  TDecompMemoryStream stream;
  int written;
  try {
    written = reader.ExtractToMemoryStream(&stream);
  } catch (const E_RAISE& e) {
    return RunFailed("cat", archive, e.Message(), err);
  }
  out.write(reinterpret_cast<const char*>(stream.Memory()), std::streamsize(stream.Size()));
  out.flush();
  return report.Finish(written, err);
}
