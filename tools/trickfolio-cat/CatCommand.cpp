#include "CatCommand.h"

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
  std::string error;
  if (!ParseCommandLine(args, "p", line, error)) {
    err << "trickfolio-cat cat: " << error << "\n" << kUsage;
    return 2;
  }
  if (line.Help) {
    out << kUsage;
    return 0;
  }
  if (line.Positional.size() < 2) {
    err << kUsage;
    return 2;
  }
  const std::string& archive = line.Positional[0];
  TUnZip reader;
  TMemberReport report(reader);
  reader.SetArchiveFile(archive);
  for (const std::string& password : line.All('p')) reader.Passwords().Add(password);
  for (size_t i = 1; i < line.Positional.size(); ++i)
    reader.FileSpec().Add(ToReaderName(line.Positional[i]));

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
