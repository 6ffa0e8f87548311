#include "FrameReport.h"

#include <QDir>
#include <QImage>
#include <cstdio>

#include "Exception.h"
#include "GIFCompose.h"
#include "RxGIF.h"

namespace FrameReport {

namespace {

std::string Hex(TColor color) {
  if (color == clNone) return "none";
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", ColorRed(color), ColorGreen(color),
                ColorBlue(color));
  return text;
}

std::string Version(TGIFVersion version) {
  switch (version) {
    case gv87a:
      return "87a";
    case gv89a:
      return "89a";
    default:
      return "none";
  }
}

std::string FrameLine(int i, const TGIFFrame& frame) {
  char text[256];
  std::snprintf(text, sizeof text,
                "frame %d left %d top %d width %d height %d interlaced %d local %d bits %d "
                "delay %u disposal %d transparent %s corrupted %d\n",
                i, frame.Left(), frame.Top(), frame.Width(), frame.Height(), frame.Interlaced(),
                frame.LocalColorTable(), frame.BitsPerPixel(), unsigned(frame.Delay()),
                frame.Disposal(), Hex(frame.TransparentColor()).c_str(), frame.Corrupted());
  return text;
}

// zlib's fastest level (Qt maps quality 80 to it; 90 and above store uncompressed): a long
// animation's pictures are written in a few seconds.
constexpr int kPngQuality = 80;

// A PNG has at least one pixel: a picture without any is noted instead of written.
void Save(const QImage& picture, const QDir& folder, const char* kind, int i) {
  const QString name = QString("%1-%2.png").arg(kind).arg(i, 3, 10, QChar('0'));
  if (picture.isNull()) {
    std::fprintf(stderr, "%s not written: no pixels\n", qPrintable(name));
    return;
  }
  const QString path = folder.filePath(name);
  if (!picture.save(path, "PNG", kPngQuality)) throw Exception("cannot write " + path.toStdString());
}

}  // namespace

std::string Describe(const TGIFImage& image) {
  std::string text = "version " + Version(image.Version()) + "\n";
  text += "screen " + std::to_string(image.ScreenWidth()) + " " +
          std::to_string(image.ScreenHeight()) + "\n";
  text += "background " + Hex(image.BackgroundColor()) + "\n";
  text += "transparent " + std::to_string(int(image.Transparent())) + "\n";
  text += "looping " + std::to_string(int(image.Looping())) + " repeat " +
          std::to_string(image.RepeatCount()) + "\n";
  text += "frames " + std::to_string(image.Count()) + "\n";
  for (int i = 0; i < image.Count(); ++i) text += FrameLine(i, image.Frames(i));
  return text;
}

void WritePictures(const TGIFImage& image, const QString& folder) {
  const QDir dir(folder);
  if (!dir.mkpath(".")) throw Exception("cannot make " + folder.toStdString());
  const bool screen = image.ScreenWidth() > 0 && image.ScreenHeight() > 0;
  TGIFComposer composer;
  for (int i = 0; i < image.Count(); ++i) {
    Save(image.Frames(i).Bitmap().convertToFormat(QImage::Format_RGB888), dir, "frame", i);
    // As the animator steps through them.
    const QImage picture = screen ? composer.Compose(image, i, true, Qt::white) : QImage();
    Save(composer.TransparentColor() == clNone
             ? picture.convertToFormat(QImage::Format_RGB888)
             : WithTransparentColor(picture, composer.TransparentColor()),
         dir, "screen", i);
  }
}

}  // namespace FrameReport
