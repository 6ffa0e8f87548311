#include "CoolCtrls.h"

#include "CoolPaint.h"

namespace coolpaint {

void Frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width) {
  for (int ring = 0; ring < width && rect.width() > 0 && rect.height() > 0; ++ring) {
    const int l = rect.left(), t = rect.top(), w = rect.width(), h = rect.height();
    painter.fillRect(l, t, w - 1, 1, topLeft);
    painter.fillRect(l, t, 1, h - 1, topLeft);
    painter.fillRect(l + w - 1, t, 1, h, bottomRight);
    painter.fillRect(l, t + h - 1, w, 1, bottomRight);
    rect.adjust(1, 1, -1, -1);
  }
}

Qt::Alignment HorizontalAlignment(TAlignment alignment) {
  switch (alignment) {
    case taLeftJustify:
      return Qt::AlignLeft;
    case taRightJustify:
      return Qt::AlignRight;
    default:
      return Qt::AlignHCenter;
  }
}

const QImage* ChooseWallpaper(const TCoolImages* store, int index, const QImage& own) {
  if (store)
    if (const QImage* picture = store->Picture(index)) return picture;
  return own.isNull() ? nullptr : &own;
}

void Reregister(TCoolChangeLink& link, TCoolImages* store) {
  if (link.Sender()) link.Sender()->UnRegisterChanges(&link);
  if (store) store->RegisterChanges(&link);
}

}  // namespace coolpaint

// ---------------------------------------------------------------- drawing

void DrawWallpaper(QPainter& painter, const QImage& wallpaper, const QRect& rect, bool tiled) {
  if (wallpaper.isNull() || rect.isEmpty()) return;
  if (!tiled) {
    // A picture drawn for a denser screen has that many more pixels per unit.
    const qreal ratio = wallpaper.devicePixelRatio();
    painter.drawImage(QRectF(rect), wallpaper,
                      QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio));
    return;
  }
  // A texture brush whose origin is the rectangle's corner lays the same blocks as
  // copying the picture row by row and column by column, cut at the far edges.
  painter.save();
  painter.setBrushOrigin(rect.topLeft());
  painter.fillRect(rect, QBrush(wallpaper));
  painter.restore();
}

void DrawTransparentBackground(QPainter& painter, const QWidget& control, const QWidget& surface,
                               int level) {
  const QWidget* ancestor = &control;
  for (int i = 0; i < level && ancestor->parentWidget(); ++i) ancestor = ancestor->parentWidget();
  QWidget* parent = ancestor->parentWidget();
  if (!parent) return;
  // The part of the parent under the surface itself, so the pattern lines up with what
  // surrounds the control at every level.
  const QPoint origin = surface.mapTo(parent, QPoint(0, 0));
  painter.save();
  painter.translate(-origin);
  if (const auto* panel = dynamic_cast<const TCoolPanel*>(parent)) {
    panel->EraseBackground(painter, QPoint(0, 0));
  } else {
    // Another widget's background is its own painting without its children.
    parent->render(&painter, origin, QRegion(QRect(origin, surface.size())),
                   QWidget::DrawWindowBackground);
  }
  painter.restore();
}
