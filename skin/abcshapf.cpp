#include "abcshapf.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>

#include "Exception.h"

namespace {

QWidget* CheckedOwner(QWidget* owner) {
  if (!owner || !owner->isWindow()) throw Exception("This component must be owned by a TForm");
  return owner;
}

struct TChannelRange {
  int Low, High;
  bool Contains(int value) const { return value >= Low && value <= High; }
};

TChannelRange Range(int value, int tolerance) {
  return {std::max(0, value - tolerance), std::min(255, value + tolerance)};
}

}  // namespace

TabcShapeForm::TabcShapeForm(QWidget* owner) : QWidget(CheckedOwner(owner)), FOwner(owner) {
  FillOwner();
  owner->installEventFilter(this);
}

TabcShapeForm::~TabcShapeForm() {
  if (FOwner) FOwner->removeEventFilter(this);
}

void TabcShapeForm::SetDragControl(QWidget* value) {
  FDragControl = value;
  if (value) FDragAnywhere = false;
}

void TabcShapeForm::SetPicture(const TPicture& value) {
  FPicture = value;
  FBitmap = value.Image().convertToFormat(QImage::Format_RGB32);
  FTransparentColor = FBitmap.isNull() ? QColor() : QColor(FBitmap.pixel(0, FBitmap.height() - 1));
  if (FOwner && !FBitmap.isNull() && FOwner->size() != FBitmap.size())
    FOwner->resize(FBitmap.size());
  if (isEnabled())
    ApplyRegion();
  else
    update();
}

void TabcShapeForm::SetTolerance(const QColor& value) {
  FTolerance = value;
  if (isEnabled()) ApplyRegion();
}

QRegion TabcShapeForm::ShapeRegion() const {
  if (FBitmap.isNull()) return {};
  const TChannelRange red = Range(FTransparentColor.red(), FTolerance.red());
  const TChannelRange green = Range(FTransparentColor.green(), FTolerance.green());
  const TChannelRange blue = Range(FTransparentColor.blue(), FTolerance.blue());
  return PixelRegion(FBitmap, [&](QRgb pixel) {
    return !red.Contains(qRed(pixel)) || !green.Contains(qGreen(pixel)) ||
           !blue.Contains(qBlue(pixel));
  });
}

void TabcShapeForm::ApplyRegion() {
  if (!FOwner) return;
  if (FBitmap.isNull())
    FOwner->clearMask();
  else
    FOwner->setMask(ShapeRegion());
  update();
}

void TabcShapeForm::FillOwner() {
  if (FOwner) setGeometry(FOwner->rect());
}

void TabcShapeForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::EnabledChange || !FOwner) return;
  if (isEnabled())
    ApplyRegion();
  else
    FOwner->clearMask();
}

void TabcShapeForm::paintEvent(QPaintEvent*) {
  if (FBitmap.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, FBitmap);
}

bool TabcShapeForm::DragsAt(const QPoint& ownerPos) const {
  if (FDragAnywhere) return true;
  if (!FDragControl) return false;
  const QPoint origin = FOwner->mapFromGlobal(FDragControl->mapToGlobal(QPoint(0, 0)));
  return QRect(origin, FDragControl->size()).contains(ownerPos);
}

// The window follows the pointer from a press on a drag point, as if its caption were
// dragged: the window system moves it when it can, otherwise we move it by the mouse's
// travel.
bool TabcShapeForm::HandleDrag(QEvent* event, const QPoint& ownerPos) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (mouse->button() != Qt::LeftButton || !isEnabled() || !DragsAt(ownerPos)) return false;
      if (FOwner->windowHandle() && FOwner->windowHandle()->startSystemMove()) return true;
      FDragging = true;
      FDragStart = mouse->globalPosition().toPoint();
      FWindowStart = FOwner->pos();
      return true;
    case QEvent::MouseMove:
      if (!FDragging) return false;
      FOwner->move(FWindowStart + mouse->globalPosition().toPoint() - FDragStart);
      return true;
    case QEvent::MouseButtonRelease:
      if (!FDragging || mouse->button() != Qt::LeftButton) return false;
      FDragging = false;
      return true;
    default:
      return false;
  }
}

bool TabcShapeForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FOwner) {
    if (event->type() == QEvent::Resize) FillOwner();
    if (dynamic_cast<QMouseEvent*>(event))
      return HandleDrag(event, static_cast<QMouseEvent*>(event)->position().toPoint());
  }
  return QWidget::eventFilter(watched, event);
}

void TabcShapeForm::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (HandleDrag(event, mapTo(FOwner, pos))) return;
  if (ArmsClick(*event)) FLeftDown = true;
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TabcShapeForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (HandleDrag(event, mapTo(FOwner, pos))) return;
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
}

void TabcShapeForm::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (HandleDrag(event, mapTo(FOwner, pos))) return;
  const bool click = event->button() == Qt::LeftButton && FLeftDown && rect().contains(pos);
  if (event->button() == Qt::LeftButton) FLeftDown = false;
  if (click && OnClick) OnClick(this);
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TabcShapeForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (HandleDrag(event, mapTo(FOwner, event->position().toPoint()))) return;
  if (OnDblClick) OnDblClick(this);
}
