#include "CatCommand.h"

#include <cstdint>
#include <ostream>

#include "Err_Msgs.h"
#include "MemberReport.h"
#include "Options.h"
#include "arxUnZIP.h"

namespace {

constexpr const char* kUsage =
    "usage: trickfolio-cat cat ARCHIVE [-p PASSWORD]... NAME...\n"
    "  writes the selected members' bytes to standard output; NAME may hold * and ?\n";

// Members go out block by block as they are decoded, so a member of any size needs no
// more memory than one block.
class TStreamSink : public TOutputSink {
 public:
  explicit TStreamSink(std::ostream& out) : FOut(out) {}
  uint32_t Write(const uint8_t* data, uint32_t count) override {
    FOut.write(reinterpret_cast<const char*>(data), std::streamsize(count));
    return FOut ? count : 0;
  }

 private:
  std::ostream& FOut;
};

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

  TStreamSink sink(out);
  int written;
  try {
    written = reader.ExtractToSink(sink);
  } catch (const E_RAISE& e) {
    return RunFailed("cat", archive, e.Message(), err);
  }
  out.flush();
  return report.Finish(written, err);
}
