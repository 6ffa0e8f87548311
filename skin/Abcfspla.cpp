#include "Abcfspla.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "abcshapf.h"

TabcSplashImage::TabcSplashImage(QWidget* parent) : QWidget(parent) {}

void TabcSplashImage::SetPicture(const TPicture& value) {
  FPicture = value;
  update();
}

void TabcSplashImage::paintEvent(QPaintEvent*) {
  if (!FPicture.HasGraphic()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, FPicture.Image());
}

void TabcSplashImage::mousePressEvent(QMouseEvent* event) {
  if (ArmsClick(*event)) FLeftDown = true;
}

void TabcSplashImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !FLeftDown) return;
  FLeftDown = false;
  if (rect().contains(event->position().toPoint()) && OnClick) OnClick(this);
}

TabcsfSplash::TabcsfSplash(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      abcShapeForm1(new TabcShapeForm(this)),
      pnlSplash(new QFrame(this)),
      imgSplash(new TabcSplashImage(pnlSplash)),
      tmrClose(new QTimer(this)) {
  setObjectName("abcsfSplash");
  setAttribute(Qt::WA_DeleteOnClose);
  resize(581, 401);

  abcShapeForm1->setObjectName("abcShapeForm1");
  abcShapeForm1->hide();
  abcShapeForm1->OnClick = [this](QObject* sender) { abcShapeForm1Click(sender); };

  pnlSplash->setObjectName("pnlSplash");
  pnlSplash->setFrameStyle(QFrame::Panel | QFrame::Raised);
  SetBevelWidth(3);
  pnlSplash->hide();
  auto* formLayout = new QVBoxLayout(this);
  formLayout->setContentsMargins(0, 0, 0, 0);
  formLayout->addWidget(pnlSplash);

  imgSplash->setObjectName("imgSplash");
  imgSplash->OnClick = [this](QObject* sender) { imgSplashClick(sender); };
  auto* panelLayout = new QVBoxLayout(pnlSplash);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(imgSplash);

  tmrClose->setObjectName("tmrClose");
  tmrClose->setInterval(100);
  // A coarse timer may fire a few percent early; the splash must last its full time.
  tmrClose->setTimerType(Qt::PreciseTimer);
  connect(tmrClose, &QTimer::timeout, this, [this] { tmrCloseTimer(); });
}

bool TabcsfSplash::StayOnTop() const {
  return windowFlags() & Qt::WindowStaysOnTopHint;
}

void TabcsfSplash::SetStayOnTop(bool value) {
  setWindowFlag(Qt::WindowStaysOnTopHint, value);
}

void TabcsfSplash::SetBevelWidth(int value) {
  pnlSplash->setLineWidth(value);
}

// Runs when the splash first shows: without a window manager there is no activation to
// wait for, and the splash must start counting as soon as it is up.
void TabcsfSplash::FormActivate() {
  if (tmrClose->interval() != 0)
    tmrClose->start();
  else
    tmrClose->stop();
}

void TabcsfSplash::tmrCloseTimer() {
  close();
}

void TabcsfSplash::imgSplashClick(QObject*) {
  if (FHideOnClick) close();
}

void TabcsfSplash::abcShapeForm1Click(QObject*) {
  if (FHideOnClick) close();
}

void TabcsfSplash::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  FormActivate();
  if (OnShow) OnShow(this);
}

void TabcsfSplash::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  tmrClose->stop();
  if (OnHide) OnHide(this);
}
