#pragma once

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "RPBase.h"

// A stack of white QImage pages at one resolution standing in for a printer: the paper
// size and unprintable strips of a printer without the printer, and what each text
// primitive was asked to draw. The image writers' device.
class TImagePages {
 public:
  struct TDrawn {
    char Kind;  // 'C'entred, 'L'eft, 'R'ight, 'B'lock
    std::string Text;
    double X;  // inches
    double Y;  // baseline, inches
    int Page;
  };

  // Paper and strips in inches; dpi for both axes.
  TImagePages(int dpi, double paperWidth, double paperHeight, double strip);
  ~TImagePages();

  std::vector<TDrawn> Drawn;
  std::vector<QImage> Pages;

 protected:
  const TDeviceMetrics& ImageMetrics() const { return FMetrics; }
  QImage* MetricImage() { return &FMetricImage; }
  QPainter* PagePainter() const { return FPainter.get(); }
  // Closes the page being drawn and starts a new white one of the printable area.
  void OpenImagePage();
  void CloseImagePage();

 private:
  TDeviceMetrics FMetrics;
  QImage FMetricImage;
  std::unique_ptr<QPainter> FPainter;
};
