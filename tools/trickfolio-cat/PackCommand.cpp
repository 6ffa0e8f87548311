#include "PackCommand.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "CatalogueFormat.h"
#include "Codepage.h"
#include "Exception.h"
#include "Options.h"
#include "StringList.h"
#include "Utf8Text.h"
#include "ZipWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string ReadFile(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) throw Exception(path.string() + ": no such file");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) throw Exception(path.string() + ": cannot read");
  return bytes.str();
}

bool FitsCp1251(std::string_view character) {
  return Codepage::Cp1251ToUtf8(Codepage::Utf8ToCp1251(character)) == character;
}

// The converter turns what 1251 cannot hold into '?'; a catalogue must not lose text that
// way, so every character has to survive the round trip.
void RequireCp1251(const std::string& fileName, std::string_view text) {
  int line = 1;
  int column = 1;
  for (size_t i = 0; i < text.size(); ++column) {
    const size_t length = Utf8Text::SequenceLength(text, i);
    const std::string_view character = text.substr(i, std::max<size_t>(length, 1));
    if (length == 0 || !FitsCp1251(character)) {
      std::ostringstream message;
      message << fileName << ":" << line << ":" << column << ": ";
      if (length == 0)
        message << "not valid UTF-8";
      else
        message << "\"" << character << "\" has no Windows-1251 form";
      throw Exception(message.str());
    }
    if (character == "\n") {
      ++line;
      column = 0;
    }
    i += length;
  }
}

std::string CatalogueText(const std::string& fileName, std::string bytes, bool utf8) {
  if (!utf8) return bytes;
  if (bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
  RequireCp1251(fileName, bytes);
  return Codepage::Utf8ToCp1251(bytes);
}

// Member names go into the archive as they are and are matched by the reader after an
// OEM-to-ANSI translation, with "\", "/" and ":" as folder marks and "*", "?" as
// wildcards; only plain ASCII names survive all of that unchanged.
void RequirePlainName(const std::string& name, int line) {
  const std::string where =
      std::string(CatalogueFormat::FilesMember) + ":" + std::to_string(line) + ": ";
  if (name.size() > 255) throw Exception(where + "member name longer than 255 characters");
  for (char c : name) {
    const bool printable = c >= 0x20 && c <= 0x7E;
    if (!printable || std::string_view("\\/:*?").find(c) != std::string_view::npos)
      throw Exception(where + "member name \"" + Codepage::Cp1251ToUtf8(name) +
                      "\" must be a plain ASCII file name");
  }
}

uint32_t FileDosDateTime(const fs::path& path) {
  std::error_code ec;
  const auto written = fs::last_write_time(path, ec);
  if (ec) return DosDateTime(std::time(nullptr));
  const auto system = std::chrono::file_clock::to_sys(written);
  return DosDateTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)));
}

// Code member names in the order "files.txt" gives them, each once; empty lines are left
// for "check" to report.
std::vector<std::string> CodeMembers(const std::string& filesText) {
  TStringList lines;
  lines.SetText(filesText);
  std::vector<std::string> names;
  std::set<std::string> seen(CatalogueFormat::IndexMembers.begin(),
                             CatalogueFormat::IndexMembers.end());
  for (int i = 0; i < lines.Count(); ++i) {
    if (lines[i].empty()) continue;
    RequirePlainName(lines[i], i + 1);
    if (seen.insert(lines[i]).second) names.push_back(lines[i]);
  }
  return names;
}

void WriteArchive(const fs::path& archive, const std::string& bytes) {
  fs::path temporary = archive;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temporary, ec);
      throw Exception(archive.string() + ": cannot write");
    }
  }
  std::error_code ec;
  fs::rename(temporary, archive, ec);
  if (ec) {
    fs::remove(temporary, ec);
    throw Exception(archive.string() + ": cannot replace");
  }
}

const char* const kUsage =
    "usage: trickfolio-cat pack DIR ARCHIVE [-p PASSWORD] [--utf8]\n"
    "  packs DIR/games.txt, files.txt, pitches.txt, version.txt and every code file\n"
    "  that files.txt names; --utf8 converts UTF-8 sources to Windows-1251;\n"
    "  -p \"\" writes the members unencrypted; default password: the catalogue's\n";

}  // namespace

void PackCatalogue(const TPackOptions& options) {
  TZipWriter writer(options.Password);
  std::string filesText;
  auto add = [&](const std::string& name) {
    const fs::path path = options.Dir / name;
    const std::string text = CatalogueText(name, ReadFile(path), options.Utf8);
    writer.AddMember(name, text, FileDosDateTime(path));
    return text;
  };
  for (const char* name : CatalogueFormat::IndexMembers) {
    const std::string text = add(name);
    if (std::string_view(name) == CatalogueFormat::FilesMember) filesText = text;
  }
  for (const std::string& name : CodeMembers(filesText)) add(name);
  WriteArchive(options.Archive, writer.Finish());
}

int PackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TPackOptions options;
  std::vector<std::string> rest;
  for (const std::string& arg : args) {
    if (arg == "--utf8")
      options.Utf8 = true;
    else
      rest.push_back(arg);
  }
  TCommandLine line;
  std::string error;
  if (!ParseCommandLine(rest, "p", line, error)) {
    err << "trickfolio-cat pack: " << error << "\n" << kUsage;
    return 2;
  }
  if (line.Help) {
    out << kUsage;
    return 0;
  }
  if (line.Positional.size() != 2 || line.All('p').size() > 1) {
    err << kUsage;
    return 2;
  }
  options.Dir = line.Positional[0];
  options.Archive = line.Positional[1];
  options.Password = line.Last('p', CatalogueFormat::Password);
  try {
    PackCatalogue(options);
  } catch (const Exception& e) {
    err << "trickfolio-cat pack: " << e.Message() << "\n";
    return 2;
  }
  return 0;
}
