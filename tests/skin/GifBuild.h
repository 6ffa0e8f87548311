#pragma once
// Small animated GIFs made by giflib's gifbuild from a text description, with the frame
// rectangles, disposals, delays and transparent indices exactly as a test needs them.
// Every picture has the same four-colour table: 0 red, 1 green, 2 blue, 3 white.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "RxGIF.h"

namespace GifBuild {

struct TFrame {
  int Left = 0;
  int Top = 0;
  // One string per row, one digit (palette index) per pixel.
  std::vector<std::string> Rows;
  int Disposal = 1;
  int Delay = 0;  // hundredths of a second
  int TransparentIndex = -1;
};

inline std::string Describe(int width, int height, const std::vector<TFrame>& frames) {
  std::string text = "screen width " + std::to_string(width) + "\nscreen height " +
                     std::to_string(height) +
                     "\nscreen colors 4\nscreen background 0\n\nscreen map\n"
                     "\trgb 255 000 000 is 0\n\trgb 000 255 000 is 1\n"
                     "\trgb 000 000 255 is 2\n\trgb 255 255 255 is 3\nend\n";
  int n = 1;
  for (const TFrame& frame : frames) {
    text += "\ngraphics control\n\tdisposal mode " + std::to_string(frame.Disposal) + "\n\tdelay " +
            std::to_string(frame.Delay) + "\n";
    if (frame.TransparentIndex >= 0)
      text += "\ttransparent index " + std::to_string(frame.TransparentIndex) + "\n";
    text += "end\n\nimage # " + std::to_string(n++) + "\nimage left " + std::to_string(frame.Left) +
            "\nimage top " + std::to_string(frame.Top) + "\nimage bits " +
            std::to_string(frame.Rows[0].size()) + " by " + std::to_string(frame.Rows.size()) +
            "\n";
    for (const std::string& row : frame.Rows) text += row + "\n";
  }
  return text;
}

// What a shell command writes to its standard output. Not QProcess: its child shares the
// parent's memory until exec and runs ThreadSanitizer's hooks there, which leaves the
// sanitizer's view of the parent's locks wrong (make tsan-test runs these tests).
inline QByteArray Output(const std::string& command) {
  QByteArray out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, qsizetype(n));
  EXPECT_EQ(pclose(pipe), 0) << command;
  return out;
}

// The GIF file gifbuild makes of the description.
inline QByteArray Build(int width, int height, const std::vector<TFrame>& frames) {
  QTemporaryDir dir;
  const QString source = dir.filePath("picture.txt");
  QFile file(source);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(QByteArray::fromStdString(Describe(width, height, frames)));
  file.close();
  return Output("/usr/bin/gifbuild '" + source.toStdString() + "'");
}

inline void Load(TGIFImage& image, int width, int height, const std::vector<TFrame>& frames) {
  image.LoadFromData(Build(width, height, frames));
}

// A picture as rows of letters: R, G, B, W for the table's colours, Y for yellow (the
// window colour the tests choose), K for black, '.' for a fully transparent pixel.
inline std::vector<std::string> Letters(const QImage& image) {
  std::vector<std::string> rows;
  for (int y = 0; y < image.height(); ++y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 0) {
        row += '.';
        continue;
      }
      switch (p & RGB_MASK) {
        case 0xFF0000:
          row += 'R';
          break;
        case 0x00FF00:
          row += 'G';
          break;
        case 0x0000FF:
          row += 'B';
          break;
        case 0xFFFFFF:
          row += 'W';
          break;
        case 0xFFFF00:
          row += 'Y';
          break;
        case 0x000000:
          row += 'K';
          break;
        default:
          row += '?';
      }
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace GifBuild
