#include "ListCommand.h"

#include <cstdio>
#include <ostream>

#include "Err_Msgs.h"
#include "MemberReport.h"
#include "Options.h"
#include "arxUnZIP.h"

namespace {

constexpr const char* kUsage =
    "usage: trickfolio-cat list ARCHIVE [-p PASSWORD]...\n"
    "  one line per member: method, packed size, unpacked size, CRC-32, flags, name\n";

std::string Line(const TUnBaseHeader& member) {
  char fields[64];
  std::snprintf(fields, sizeof fields, "%6u %10llu %10llu %08x %04x ", unsigned(member.Method),
                static_cast<unsigned long long>(member.PackedSize),
                static_cast<unsigned long long>(member.UnpackedSize), unsigned(member.Crc),
                unsigned(member.Flags));
  return fields + FromReaderName(member.StoredName) + "\n";
}

}  // namespace

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TCommandLine line;
  if (const int code = ParseCommand("list", args, "p", kUsage, 1, 1, line, out, err); code >= 0)
    return code;
  const std::string& archive = line.Positional[0];
  TUnZip reader;
  OpenArchive(reader, archive);
  try {
    for (const TUnBaseHeader& member : reader.ListMembers()) out << Line(member);
  } catch (const E_RAISE& e) {
    err << "trickfolio-cat list: " << archive << ": " << e.Message() << "\n";
    return 2;
  }
  return 0;
}
