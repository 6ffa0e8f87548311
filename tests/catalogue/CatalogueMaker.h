#pragma once
// Catalogue archives for the viewer's tests, made at test time by real producers: Info-ZIP
// `zip -P` (the traditional cipher) and the project's own `trickfolio-cat pack`.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "Codepage.h"

namespace CatalogueMaker {

namespace fs = std::filesystem;

inline const std::string Password = "Vextramole v4.83q";

// Member name (may hold a folder, "a/b.txt") -> content (Windows-1251 bytes).
using TMembers = std::map<std::string, std::string>;

inline std::string Cp(const std::string& utf8) {
  return Codepage::Utf8ToCp1251(utf8);
}

inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The games of the tests: ordinary ones in both display modes, a tabbed one, an
// online-only one and one whose code member the archive lacks.
inline TMembers Standard() {
  return {
      {"games.txt", Lines({"Doom (PC)", "Dune (PC)", "Duke Nukem (PC)", "Wolfenstein 3D (PC)",
                           Cp("Квейк (PC)"), "Lost (PC)"})},
      {"files.txt",
       Lines({"doom.txt", "dune.txt", "duke.txt", "wolf.txt", "quake.txt", "lost.txt"})},
      {"pitches.txt", Lines({"1", "0", "1 ", "01", "", "1"})},
      {"version.txt", Lines({"Trickfolio v1.29", "ignored"})},
      {"doom.txt", Lines({"IDDQD\tgod mode", "IDKFA\tall keys"})},
      {"dune.txt", Lines({Cp("Пароль: ") + "SPICE"})},
      {"duke.txt", Lines({"dnkroz"})},
      {"wolf.txt", "\tx\r\nab\tc\r\na\t"},
      {"quake.txt", Lines({Cp("***Номер:777")})},
  };
}

class TFolder {
 public:
  TFolder() {
    std::string pattern = (fs::temp_directory_path() / "trickfolio-app-XXXXXX").string();
    FDir = ::mkdtemp(pattern.data());
  }
  ~TFolder() {
    std::error_code error;
    fs::remove_all(FDir, error);
  }
  TFolder(const TFolder&) = delete;
  TFolder& operator=(const TFolder&) = delete;

  // With the trailing separator, as the viewer's ExeDir.
  std::string Dir() const { return FDir.string() + "/"; }
  std::string Archive() const { return Dir() + "trickfolio.dat"; }

  void WriteFile(const fs::path& path, const std::string& bytes) const {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // The project's own packer, build/bin/trickfolio-cat; false when it is not built or
  // refused the sources. It packs the index members and the code members that files.txt
  // names.
  bool Pack(const TMembers& members) const {
    const fs::path tool = fs::path(TRICKFOLIO_BIN_DIR) / "trickfolio-cat";
    if (!fs::exists(tool)) return false;
    const fs::path source = FDir / "source";
    fs::remove_all(source);
    for (const auto& [name, bytes] : members) WriteFile(source / name, bytes);
    const std::string command =
        "'" + tool.string() + "' pack '" + source.string() + "' '" + Archive() + "' >/dev/null";
    const bool ok = std::system(command.c_str()) == 0;
    fs::remove_all(source);
    return ok;
  }

  // Info-ZIP zip with the traditional cipher; false when zip failed.
  bool Zip(const TMembers& members, const std::string& password = Password) const {
    const fs::path source = FDir / "source";
    fs::remove_all(source);
    for (const auto& [name, bytes] : members) WriteFile(source / name, bytes);
    std::string command = "cd '" + source.string() + "' && zip -q -r -X ";
    if (!password.empty()) command += "-P '" + password + "' ";
    command += "'" + Archive() + "' .";
    const bool ok = std::system(command.c_str()) == 0;
    fs::remove_all(source);
    return ok;
  }

 private:
  fs::path FDir;
};

}  // namespace CatalogueMaker
