// Seeds the replay fuzz corpus with streams recorded by the stream writer itself: text of
// every kind, fonts, pens and brushes, graphics with a picture and a reused picture,
// named values, macros, output switches and several linked pages.
#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <string>

#include "RPFiler.h"

namespace {

void Record(const std::string& path, TAccuracyMethod accuracy,
            const std::function<void(TReportFiler&)>& body) {
  QWidget form;
  auto* filer = new TReportFiler(&form);
  filer->SetFileName(path);
  filer->SetStreamMode(smFile);
  filer->SetAccuracyMethod(accuracy);
  filer->OnPrint = [&](QObject*) { body(*filer); };
  filer->Execute();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const std::string out = argv[1];
  Record(out + "/seed-text.rp", amAppearance, [](TReportFiler& f) {
    f.SetFont("Arial", 12);
    f.PrintLeft("left", 1);
    f.NewLine();
    f.PrintCentered("centred text", 4);
    f.SetBold(true);
    f.SetUnderline(true);
    f.NewLine();
    f.PrintRight("right", 7);
    f.PrintBlock("a block of words", 1, 3);
    f.NewPage();
    f.SetFontRotation(90);
    f.SetSuperscript(true);
    f.PrintLeft("up", 2);
    f.NewPage();
    f.PrintLeft("\xFD$RPCM11 of \xFD$RPCM10 \xFD$RPCV\xFCname\xFB", 1);
  });
  Record(out + "/seed-positioning.rp", amPositioning, [](TReportFiler& f) {
    f.SetNamedValue("name", "value");
    f.SetFont("Courier New", 10);
    f.PrintCentered("words with blanks", 4);
    f.PrintPreviewOnly();
    f.PrintLeft("preview", 1);
    f.PrintBoth();
    f.SetOrientation(poLandScape);
  });
  Record(out + "/seed-graphics.rp", amAppearance, [](TReportFiler& f) {
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    f.SetPen({0x0000FF, Qt::DashLine, QPainter::CompositionMode_SourceOver, 3});
    f.SetBrush({0x00FF00, Qt::CrossPattern, QImage()});
    f.Rectangle(1, 1, 2, 2);
    f.Ellipse(2, 2, 3, 3);
    f.RoundRect(1, 3, 2, 4, 0.2, 0.2);
    f.Polygon({{1, 1}, {2, 1}, {2, 2}});
    f.MoveTo(1, 5);
    f.LineTo(5, 5);
    f.PrintBitmap(1, 6, 1, 1, picture);
    f.RegisterGraphic(1);
    f.ReuseGraphic(1);
    f.PrintBitmapRect(2, 6, 3, 7, picture);
    f.FillRect(QRectF(1, 8, 1, 1));
    f.TextRect(QRectF(1, 9, 2, 0.5), 1, 9.2, "clipped text");
  });
  return 0;
}
