#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QMouseEvent>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "Events.h"
#include "QtCodepage.h"
#include "Set.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The system colours of the 3-D look, named as the layouts name them.
enum TSysColor { clBtnFace, clBtnShadow, clBtnHighlight, clWindow };

// A system colour from the widget's palette. Always the normal state's colour: a
// disabled widget's palette answers with pale disabled shades, which would wash an
// embossed caption or a bevel out, but the system colours do not change with a control.
inline QColor SysColor(const QWidget& widget, TSysColor color) {
  static constexpr QPalette::ColorRole roles[] = {QPalette::Button, QPalette::Dark, QPalette::Light,
                                                  QPalette::Base};
  return widget.palette().color(QPalette::Normal, roles[color]);
}

// Whether a press arms a click for its release over the control. The second press of a
// double click does not: the pair is one click and one double click, so a link opens
// its browser once.
inline bool ArmsClick(const QMouseEvent& event) {
  return event.button() == Qt::LeftButton && event.type() == QEvent::MouseButtonPress;
}

// The pixels of a 32-bit image for which `inside(pixel)` holds, as a window shape: each
// row's runs become one-row rectangles, given to the region in the sorted, banded order
// it takes at once.
template <class Inside>
QRegion PixelRegion(const QImage& image, Inside inside) {
  QList<QRect> runs;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width();) {
      while (x < image.width() && !inside(row[x])) ++x;
      const int start = x;
      while (x < image.width() && inside(row[x])) ++x;
      if (x > start) runs.append(QRect(start, y, x - start, 1));
    }
  }
  QRegion region;
  region.setRects(runs.constData(), int(runs.size()));
  return region;
}

// A control that is disabled or hidden while it, or a control inside it, has the focus
// leaves the focus with its window, as the skin's framework does: keys then reach no control
// until the user picks one. Qt would hand the focus to the next control in tab order, so a
// key meant for a button that has just gone would press its neighbour.
inline void LeaveFocusWithWindow(QWidget& control) {
  QWidget* focus = control.window()->focusWidget();
  if (focus && (focus == &control || control.isAncestorOf(focus))) focus->clearFocus();
}

// The properties every skinned control shares, named as the window layouts name them.
// Placement by alignment and anchors belongs to the parent's layout.
template <class Base>
class TSkinControl : public Base {
 public:
  using Base::Base;

  std::string Name() const { return this->objectName().toStdString(); }
  void SetName(const std::string& value) { this->setObjectName(QString::fromStdString(value)); }

  int Left() const { return this->x(); }
  int Top() const { return this->y(); }
  int Width() const { return this->width(); }
  int Height() const { return this->height(); }
  void SetLeft(int value) { this->move(value, this->y()); }
  void SetTop(int value) { this->move(this->x(), value); }
  void SetWidth(int value) { this->resize(value, this->height()); }
  void SetHeight(int value) { this->resize(this->width(), value); }
  void SetBounds(int left, int top, int width, int height) {
    this->setGeometry(left, top, width, height);
  }

  bool Visible() const { return !this->isHidden(); }
  void SetVisible(bool value) { this->setVisible(value); }
  void setVisible(bool visible) override {
    if (!visible) LeaveFocusWithWindow(*this);
    Base::setVisible(visible);
  }
  bool Enabled() const { return !this->testAttribute(Qt::WA_Disabled); }
  void SetEnabled(bool value) {
    if (!value) LeaveFocusWithWindow(*this);
    this->setEnabled(value);
  }

  QFont Font() const { return this->font(); }
  void SetFont(const QFont& value) { this->setFont(value); }
  Qt::CursorShape Cursor() const { return this->cursor().shape(); }
  void SetCursor(Qt::CursorShape value) { this->setCursor(value); }

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value) {
    FHint = value;
    UpdateToolTip();
  }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) {
    FShowHint = value;
    UpdateToolTip();
  }

 private:
  void UpdateToolTip() { this->setToolTip(FShowHint ? ToQString(FHint) : QString()); }

  std::string FHint;
  bool FShowHint = false;
};
