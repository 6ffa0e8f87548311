#include "ExtractCommand.h"

#include <cstdint>
#include <ostream>

#include "Err_Msgs.h"
#include "MemberReport.h"
#include "Options.h"
#include "arxDiskMan.h"
#include "arxUnZIP.h"

namespace {

constexpr const char* kUsage =
    "usage: trickfolio-cat extract ARCHIVE [-p PASSWORD]... [-d DIR] [NAME...]\n"
    "  writes the selected members (all without NAME) below DIR, replacing existing files\n";

}  // namespace

int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCommandLine line;
  if (const int code = ParseCommand("extract", args, "pd", kUsage, 1, SIZE_MAX, line, out, err);
      code >= 0)
    return code;
  const std::string& archive = line.Positional[0];
  TUnZip reader;
  TMemberReport report(reader);
  LoadSelection(reader, line);
  if (reader.FileSpec().Count() == 0) reader.FileSpec().Add("*.*");
  // The reader's own default would be the archive's folder; a command works where it runs.
  reader.SetExtractDir(line.Last('d', ToNativePath(CurrentDirectory())));
  reader.SetConfirmOverwrites(false);
  reader.SetCreateStoredDirs(true);

  int written;
  try {
    written = reader.Extract();
  } catch (const E_RAISE& e) {
    return RunFailed("extract", archive, e.Message(), err);
  }
  return report.Finish(written, err);
}
