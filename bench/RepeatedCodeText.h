#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "Codepage.h"

// The demo catalogue's longest code text, its lines repeated to `count`, as the engine's
// bytes (Windows-1251, CR LF).
inline std::string RepeatedCodeText(const std::string& sourceDir, int count) {
  std::ifstream in(sourceDir + "/data/halflife.txt", std::ios::binary);
  std::stringstream source;
  source << in.rdbuf();
  std::string line, text;
  for (int lines = 0; lines < count && !source.str().empty();) {
    std::istringstream rest(source.str());
    while (lines < count && std::getline(rest, line)) {
      text += Codepage::Utf8ToCp1251(line) + "\r\n";
      ++lines;
    }
  }
  return text;
}
