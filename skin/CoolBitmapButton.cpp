#include "CoolBitmapButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kShadowFactor = 0.88;

bool IsPressKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

// Halves go to the even neighbour (the default rounding mode).
int RoundChannel(double value) {
  return int(std::nearbyint(value));
}

}  // namespace

// ---------------------------------------------------------------- colour list

QColor TColorList::Items(int index) const {
  CheckIndex(index);
  return QColor::fromRgb(FColors[size_t(index)]);
}

void TColorList::Changed() {
  if (OnChange) OnChange(this);
}

void TColorList::Add(const QColor& color) {
  FColors.push_back(color.rgb());
  Changed();
}

void TColorList::AddList(const TColorList& list) {
  // A copy first: the list may be this one.
  const std::vector<QRgb> colors = list.FColors;
  for (QRgb color : colors) Add(QColor::fromRgb(color));
  Changed();
}

void TColorList::Clear() {
  FColors.clear();
  Changed();
}

void TColorList::Delete(int index) {
  CheckIndex(index);
  FColors.erase(FColors.begin() + index);
  Changed();
}

void TColorList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(FColors[size_t(index1)], FColors[size_t(index2)]);
  Changed();
}

int TColorList::IndexOf(const QColor& color) const {
  const QRgb rgb = color.rgb();
  for (size_t i = 0; i < FColors.size(); ++i)
    if (FColors[i] == rgb) return int(i);
  return -1;
}

void TColorList::Insert(int index, const QColor& color) {
  if (index != Count()) CheckIndex(index);
  FColors.insert(FColors.begin() + index, color.rgb());
  Changed();
}

void TColorList::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex) return;
  CheckIndex(currentIndex);
  CheckIndex(newIndex);
  const QRgb color = FColors[size_t(currentIndex)];
  FColors.erase(FColors.begin() + currentIndex);
  FColors.insert(FColors.begin() + newIndex, color);
  Changed();
}

void TColorList::Assign(const TColorList& source) {
  if (&source == this) return;
  Clear();
  AddList(source);
}

bool TColorList::Contains(QRgb pixel) const {
  const QRgb opaque = pixel | 0xFF000000u;
  return std::find(FColors.begin(), FColors.end(), opaque) != FColors.end();
}

void TColorList::CheckIndex(int index) const {
  CheckListIndex(index, Count());
}

// ---------------------------------------------------------------- button

TCustomBitmapButton::TCustomBitmapButton(QWidget* parent) : TSkinControl<QWidget>(parent) {
  FColor = SysColor(*this, clBtnFace);
  FColors.OnChange = [this](TColorList*) { UpdateRegion(); };
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  resize(100, 100);
}

TCustomBitmapButton::~TCustomBitmapButton() {
  FColors.OnChange = nullptr;
}

void TCustomBitmapButton::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustSize();
}

void TCustomBitmapButton::SetColor(const QColor& value) {
  FColor = value;
  update();
}

void TCustomBitmapButton::SetTabStop(bool value) {
  FTabStop = value;
  setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TCustomBitmapButton::Click() {
  if (OnClick) OnClick(this);
}

void TCustomBitmapButton::SetBitmap(const QImage& value) {
  FBitmap = value.isNull() ? QImage() : value.convertToFormat(QImage::Format_RGB32);
  BitmapChanged();
}

void TCustomBitmapButton::BitmapChanged() {
  if (!FBitmap.isNull()) setGeometry(QRect(pos(), BitmapSize()));
  AdjustSize();
  FColors.Clear();
  update();
}

void TCustomBitmapButton::UpdateRegion() {
  if (FColors.Count() == 0 || FBitmap.isNull()) {
    clearMask();
    return;
  }
  const qreal ratio = FBitmap.devicePixelRatio();
  const QRegion region = QTransform::fromScale(1 / ratio, 1 / ratio)
                             .map(PixelRegion(FBitmap, [this](QRgb pixel) {
                               return !FColors.Contains(pixel);
                             }));
  // Qt takes an empty mask for none; a button whose every pixel is transparent keeps a
  // mask that lies outside it instead of showing its whole rectangle.
  setMask(region.isEmpty() ? QRegion(-1, -1, 1, 1) : region);
}

// In the window's units: a bitmap drawn for a denser screen covers fewer of them than it
// has pixels.
QSize TCustomBitmapButton::BitmapSize() const {
  return FBitmap.deviceIndependentSize().toSize();
}

void TCustomBitmapButton::AdjustSize() {
  if (FAutoSize) resize(BitmapSize());
}

void TCustomBitmapButton::ScaleBitmap(double factor) {
  const bool darken = factor < 1.0;
  for (int y = 0; y < FBitmap.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(FBitmap.scanLine(y));
    for (int x = 0; x < FBitmap.width(); ++x) {
      if (FColors.Contains(row[x])) continue;
      auto scale = [&](int channel) {
        const int value = RoundChannel(darken ? channel * kShadowFactor : channel / kShadowFactor);
        // A channel brightened without being darkened first would pass 255: it stays white
        // instead of wrapping round to dark.
        return darken ? (value & 0xFF) : std::min(value, 255);
      };
      row[x] = qRgb(scale(qRed(row[x])), scale(qGreen(row[x])), scale(qBlue(row[x])));
    }
  }
}

// The effects change the bitmap in place and move the control without going through
// BitmapChanged, so a press neither resizes, nor empties Colors, nor rebuilds the region.
void TCustomBitmapButton::PressEffect() {
  if (FShadowEffect && !FBitmap.isNull()) ScaleBitmap(kShadowFactor);
  if (FPositionEffect) move(x() + 1, y() + 1);
}

void TCustomBitmapButton::ReleaseEffect() {
  if (FShadowEffect && !FBitmap.isNull()) ScaleBitmap(1.0 / kShadowFactor);
  if (FPositionEffect) move(x() - 1, y() - 1);
}

void TCustomBitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), FColor);
  if (!FBitmap.isNull()) painter.drawImage(0, 0, FBitmap);
}

void TCustomBitmapButton::mousePressEvent(QMouseEvent* event) {
  if (ArmsClick(*event)) FLeftDown = true;
  if (FPressed) return;
  const QPoint pos = event->position().toPoint();
  PressEffect();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
  setFocus(Qt::MouseFocusReason);
  FPressed = true;
  update();
}

void TCustomBitmapButton::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton && FLeftDown) {
    FLeftDown = false;
    // The click comes before the release effect: its handler sees the button still held.
    if (rect().contains(pos)) Click();
  }
  if (!FPressed) return;
  ReleaseEffect();
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
  FPressed = false;
  update();
}

void TCustomBitmapButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
  mousePressEvent(event);
}

void TCustomBitmapButton::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
}

void TCustomBitmapButton::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  if (IsPressKey(key)) {
    // Auto-repeat finds the button pressed already and darkens nothing twice.
    if (!FPressed) {
      PressEffect();
      if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
      FPressed = true;
      update();
    }
    return;
  }
  if (OnKeyDown) OnKeyDown(this, key, event->modifiers());
  if (key != 0) QWidget::keyPressEvent(event);
}

void TCustomBitmapButton::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  int key = event->key();
  if (IsPressKey(key)) {
    if (FPressed) {
      ReleaseEffect();
      if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
      FPressed = false;
      update();
      Click();
    }
    return;
  }
  if (OnKeyUp) OnKeyUp(this, key, event->modifiers());
  if (key != 0) QWidget::keyReleaseEvent(event);
}

void TCustomBitmapButton::enterEvent(QEnterEvent*) {
  FMouseInside = true;
  if (OnMoseEnter) OnMoseEnter(this);
}

void TCustomBitmapButton::leaveEvent(QEvent*) {
  FMouseInside = false;
  if (OnMouseLeave) OnMouseLeave(this);
}

void TCustomBitmapButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (OnEnter) OnEnter(this);
}

void TCustomBitmapButton::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  if (OnExit) OnExit(this);
}
