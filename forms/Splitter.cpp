#include "Splitter.h"

#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

TSplitter::TSplitter(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::SizeHorCursor);
  resize(3, 100);
}

void TSplitter::SetBeveled(bool value) {
  FBeveled = value;
  update();
}

void TSplitter::SetColor(const QColor& value) {
  FColor = value;
  update();
}

QWidget* TSplitter::ResizedControl() const {
  if (!parentWidget()) return nullptr;
  for (QObject* object : parentWidget()->children()) {
    auto* sibling = qobject_cast<QWidget*>(object);
    if (sibling && sibling != this && !sibling->isHidden() && !sibling->isWindow() &&
        sibling->x() + sibling->width() == x() && sibling->y() <= y() &&
        sibling->y() + sibling->height() >= y() + height())
      return sibling;
  }
  return nullptr;
}

void TSplitter::MoveTo(int left) {
  QWidget* control = ResizedControl();
  if (!control) return;
  // What lies to the right keeps at least MinSize pixels.
  const int rightmost = parentWidget()->width();
  const int maxWidth =
      std::min(control->maximumWidth(), rightmost - width() - FMinSize - control->x());
  const int newWidth = std::clamp(left - control->x(), std::max(control->minimumWidth(), FMinSize),
                                  std::max(maxWidth, std::max(control->minimumWidth(), FMinSize)));
  if (newWidth == control->width()) return;
  control->resize(newWidth, control->height());
  move(control->x() + control->width(), y());
  if (parentWidget()->layout()) parentWidget()->layout()->setGeometry(parentWidget()->rect());
  if (OnMoved) OnMoved(this);
}

void TSplitter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), FColor.isValid() ? FColor : palette().window().color());
  if (FBeveled && width() > 2) {
    painter.setPen(palette().light().color());
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(palette().dark().color());
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
  }
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FGrab = int(event->position().x());
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (FGrab < 0) return;
  MoveTo(int(mapToParent(event->position()).x()) - FGrab);
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FGrab = -1;
}
