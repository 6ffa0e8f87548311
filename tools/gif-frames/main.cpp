// gif-frames FILE [OUTDIR]: a GIF as the viewer reads it (see FrameReport.h).
#include <QString>
#include <cstdio>
#include <exception>

#include "Codepage.h"
#include "FrameReport.h"
#include "RxGIF.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: gif-frames FILE [OUTDIR]\n");
    return 2;
  }
  try {
    TGIFImage image;
    image.LoadFromFile(QString::fromLocal8Bit(argv[1]));
    std::fputs(FrameReport::Describe(image).c_str(), stdout);
    if (argc == 3) FrameReport::WritePictures(image, QString::fromLocal8Bit(argv[2]));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", Codepage::Cp1251ToUtf8(error.what()).c_str());
    return 1;
  }
  return 0;
}
