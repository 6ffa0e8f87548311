#include "Image.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : TSkinControl<QWidget>(parent) {}

void TImage::SetPicture(const TPicture& value) {
  FPicture = value;
  update();
}

void TImage::SetTransparent(bool value) {
  FTransparent = value;
  setAutoFillBackground(!value);
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  if (!FPicture.HasGraphic()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, FPicture.Image());
}
