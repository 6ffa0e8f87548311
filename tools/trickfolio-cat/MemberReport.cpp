#include "MemberReport.h"

#include <algorithm>
#include <ostream>

#include "Err_Msgs.h"
#include "Options.h"

TMemberReport::TMemberReport(TUnZip& reader) {
  reader.OnError = [this](TZipCommon*, const std::string& name, const std::string& extended,
                          const std::string&, int code) {
    Fail(name, LoadStr(code) + (extended.empty() ? "" : " (" + extended + ")"));
  };
  reader.OnEnd = [this](TZipCommon*, const std::string& name, bool pass) {
    if (!pass) Fail(name, LoadStr(E_CRCERROR));
  };
}

void TMemberReport::Fail(const std::string& name, const std::string& text) {
  const bool known = std::any_of(FFailures.begin(), FFailures.end(),
                                 [&](const auto& failure) { return failure.first == name; });
  if (!known) FFailures.emplace_back(name, text);
}

int TMemberReport::Finish(int written, std::ostream& err) const {
  for (const auto& [name, text] : FFailures)
    err << "trickfolio-cat: " << FromReaderName(name) << ": " << text << "\n";
  if (FFailures.empty() && written == 0) {
    err << "trickfolio-cat: no member matches\n";
    return 1;
  }
  return FFailures.empty() ? 0 : 1;
}

void OpenArchive(TUnZip& reader, const std::string& path) {
  reader.SetZipCmntBufSize(32767);
  reader.SetArchiveFile(path);
}

void LoadSelection(TUnZip& reader, const TCommandLine& line) {
  OpenArchive(reader, line.Positional[0]);
  for (const std::string& password : line.All('p')) reader.Passwords().Add(password);
  for (size_t i = 1; i < line.Positional.size(); ++i)
    reader.FileSpec().Add(ToReaderName(line.Positional[i]));
}

int RunFailed(const std::string& command, const std::string& archive, const std::string& message,
              std::ostream& err) {
  err << "trickfolio-cat " << command << ": " << archive << ": " << message << "\n";
  return 2;
}
