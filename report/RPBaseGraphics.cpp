#include <QColor>
#include <algorithm>
#include <cmath>

#include "QtColor.h"
#include "RPBase.h"

// ---- Graphics ----

namespace {

// The platform's arcs run counter-clockwise from the radial through the start point to the
// radial through the end point.
void ArcAngles(const QRectF& box, QPointF from, QPointF to, int& start16, int& span16) {
  const QPointF c = box.center();
  const auto angle = [&](QPointF p) {
    return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180 / M_PI;
  };
  const double a = angle(from);
  double span = angle(to) - a;
  while (span <= 0) span += 360;
  start16 = int(std::lround(a * 16));
  span16 = int(std::lround(span * 16));
}

}  // namespace

void TBaseReport::SetPen(const TRPPen& pen) {
  FPen = pen;
}

void TBaseReport::SetBrush(const TRPBrush& brush) {
  FBrush = brush;
}

QPainter* TBaseReport::GraphicsPainter() {
  CheckPrinting();
  if (!OutputAllowed()) return nullptr;
  QPainter* p = Canvas();
  if (!p) return nullptr;
  QPen pen(ToQColor(FPen.Color));
  pen.setStyle(FPen.Style);
  pen.setWidth(std::max(0, FPen.Width));
  p->setPen(pen);
  p->setCompositionMode(FPen.Mode);
  if (!FBrush.Bitmap.isNull())
    p->setBrush(QBrush(FBrush.Bitmap));
  else
    p->setBrush(QBrush(ToQColor(FBrush.Color), FBrush.Style));
  return p;
}

void TBaseReport::ArcShape(TArcShape shape, double x1, double y1, double x2, double y2, double x3,
                           double y3, double x4, double y4) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const QRectF box(PointU2D(x1, y1), PointU2D(x2, y2));
  int start = 0, span = 0;
  ArcAngles(box, PointU2D(x3, y3), PointU2D(x4, y4), start, span);
  switch (shape) {
    case asArc:
      p->drawArc(box, start, span);
      break;
    case asChord:
      p->drawChord(box, start, span);
      break;
    case asPie:
      p->drawPie(box, start, span);
      break;
  }
}

void TBaseReport::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4) {
  ArcShape(asArc, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                        double y4) {
  ArcShape(asChord, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4) {
  ArcShape(asPie, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TBaseReport::BrushCopy(const QRectF& dest, const QImage& bitmap, const QRectF& source,
                            TColor color) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  // The colour of the bitmap that takes the brush instead.
  QImage part = bitmap.copy(source.toRect()).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = ToQColor(color).rgb();
  const QRgb fill = ToQColor(FBrush.Color).rgb();
  for (int y = 0; y < part.height(); ++y)
    for (int x = 0; x < part.width(); ++x)
      if ((part.pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF)) part.setPixel(x, y, fill);
  p->drawImage(RectU2D(dest), part);
}

void TBaseReport::CopyRect(const QRectF&, const QRectF&) {
  // A painter cannot read back what it drew on a printer; the copy only checks the job.
  CheckPrinting();
}

void TBaseReport::Draw(double x, double y, const QImage& graphic) {
  if (QPainter* p = GraphicsPainter()) p->drawImage(PointU2D(x, y), graphic);
}

void TBaseReport::DrawFocusRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  p->setPen(QPen(Qt::black, 1, Qt::DotLine));
  p->setBrush(Qt::NoBrush);
  p->drawRect(RectU2D(rect));
}

void TBaseReport::Ellipse(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawEllipse(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)));
}

void TBaseReport::FillRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (p) p->fillRect(RectU2D(rect), p->brush());
}

void TBaseReport::FloodFill(double, double, TColor, int) {
  // A painter has no flood fill on a printer; the operation only checks the job.
  CheckPrinting();
}

void TBaseReport::FrameRect(const QRectF& rect) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  p->setPen(QPen(p->brush().color(), 1));
  p->setBrush(Qt::NoBrush);
  p->drawRect(RectU2D(rect));
}

void TBaseReport::MoveTo(double x, double y) {
  CheckPrinting();
  FPenX = UnitsToInches(x);
  FPenY = UnitsToInches(y);
}

void TBaseReport::LineTo(double x, double y) {
  CheckPrinting();
  const double x1 = FPenX, y1 = FPenY, x2 = UnitsToInches(x), y2 = UnitsToInches(y);
  FPenX = x2;
  FPenY = y2;
  if (!OutputAllowed()) return;
  // Rules drawn piece by piece (tab boxes, grids) are kept and drawn whole at page end.
  if (YI2D(y1) == YI2D(y2)) {
    FLines.push_back({true, YI2D(y1), std::min(x1, x2), std::max(x1, x2), y1, FPen});
  } else if (XI2D(x1) == XI2D(x2)) {
    FLines.push_back({false, XI2D(x1), std::min(y1, y2), std::max(y1, y2), x1, FPen});
  } else {
    DrawLineSegment(x1, y1, x2, y2);
  }
}

void TBaseReport::DrawLineSegment(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawLine(PointI2D(x1, y1), PointI2D(x2, y2));
}

void TBaseReport::FlushLines() {
  if (FLines.empty() || !FPrinting) {
    FLines.clear();
    return;
  }
  std::vector<TLineSegment> lines;
  lines.swap(FLines);
  std::stable_sort(lines.begin(), lines.end(), [](const TLineSegment& a, const TLineSegment& b) {
    if (a.Horizontal != b.Horizontal) return a.Horizontal;
    if (a.Fixed != b.Fixed) return a.Fixed < b.Fixed;
    return a.From < b.From;
  });
  const TRPPen pen = FPen;
  // The segments were kept only while output was on: draw them whatever it is now.
  const bool skip = FSkipPage;
  const int kinds = FOutputKinds;
  FSkipPage = false;
  FOutputKinds = 1 << OutputKind();
  for (size_t i = 0; i < lines.size();) {
    TLineSegment run = lines[i++];
    while (i < lines.size() && lines[i].Horizontal == run.Horizontal &&
           lines[i].Fixed == run.Fixed && lines[i].Pen == run.Pen &&
           lines[i].From <= run.To + 1e-9) {
      run.To = std::max(run.To, lines[i++].To);
    }
    FPen = run.Pen;
    if (run.Horizontal)
      DrawLineSegment(run.From, run.FixedI, run.To, run.FixedI);
    else
      DrawLineSegment(run.FixedI, run.From, run.FixedI, run.To);
  }
  FSkipPage = skip;
  FOutputKinds = kinds;
  FPen = pen;
}

void TBaseReport::Polygon(const std::vector<QPointF>& points) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QPolygonF shape;
  for (const QPointF& point : points) shape << PointU2D(point.x(), point.y());
  p->drawPolygon(shape);
}

void TBaseReport::Polyline(const std::vector<QPointF>& points) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QPolygonF shape;
  for (const QPointF& point : points) shape << PointU2D(point.x(), point.y());
  p->drawPolyline(shape);
}

void TBaseReport::PrintBitmap(double x, double y, double scaleX, double scaleY,
                              const QImage& bitmap) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const QPointF at = PointU2D(x, y);
  p->drawImage(QRectF(at, QSizeF(bitmap.width() * scaleX, bitmap.height() * scaleY)), bitmap);
}

void TBaseReport::PrintBitmapRect(double x1, double y1, double x2, double y2,
                                  const QImage& bitmap) {
  if (QPainter* p = GraphicsPainter())
    p->drawImage(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), bitmap);
}

void TBaseReport::Rectangle(double x1, double y1, double x2, double y2) {
  if (QPainter* p = GraphicsPainter()) p->drawRect(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)));
}

void TBaseReport::TabRectangle(double x1, double y1, double x2, double y2) {
  Rectangle(x1, y1, x2, y2);
}

void TBaseReport::RoundRect(double x1, double y1, double x2, double y2, double x3, double y3) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const double rx = XI2D(UnitsToInches(x3)) - XI2D(0), ry = YI2D(UnitsToInches(y3)) - YI2D(0);
  p->drawRoundedRect(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), rx / 2, ry / 2);
}

void TBaseReport::StretchDraw(const QRectF& rect, const QImage& graphic) {
  if (QPainter* p = GraphicsPainter()) p->drawImage(RectU2D(rect), graphic);
}

void TBaseReport::TextRect(const QRectF& rect, double x, double y, std::string_view text) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  const TRPCachedFont& font = RealiseFont();
  p->save();
  p->setFont(font.Font);
  p->setPen(ToQColor(TextColor()));
  p->setClipRect(RectU2D(rect));
  p->drawText(PointU2D(x, y) + QPointF(0, font.Ascent), ToQString(text));
  p->restore();
}

void TBaseReport::PrintImageRect(double x1, double y1, double x2, double y2,
                                 const std::string& image, const std::string& imageType) {
  QPainter* p = GraphicsPainter();
  if (!p) return;
  QImage decoded;
  decoded.loadFromData(reinterpret_cast<const uchar*>(image.data()), int(image.size()),
                       imageType.empty() ? nullptr : imageType.c_str());
  if (!decoded.isNull()) p->drawImage(QRectF(PointU2D(x1, y1), PointU2D(x2, y2)), decoded);
}

void TBaseReport::PrintData(std::string_view) {
  CheckPrinting();
}

void TBaseReport::PrintDataStream(TMemoryStream&, int64_t) {
  CheckPrinting();
}

bool TBaseReport::SelectPaperBin(const std::string&) {
  CheckPrinting();
  return false;
}
