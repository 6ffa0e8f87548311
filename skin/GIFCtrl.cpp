#include "GIFCtrl.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "CoolCtrls.h"

// ---------------------------------------------------------------- image control

TRxImageControl::TRxImageControl(QWidget* parent) : TSkinControl<QWidget>(parent) {
  resize(105, 105);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TRxImageControl::Color() const {
  if (!FParentColor || !parentWidget())
    return FColor.isValid() ? FColor : SysColor(*this, clBtnFace);
  if (const auto* panel = qobject_cast<const TCoolPanel*>(parentWidget())) return panel->Color();
  return parentWidget()->palette().color(QPalette::Window);
}

void TRxImageControl::SetColor(const QColor& value) {
  FColor = value;
  FParentColor = false;
  update();
}

void TRxImageControl::SetParentColor(bool value) {
  FParentColor = value;
  update();
}

void TRxImageControl::PaintBeneath(QPainter& painter) const {
  QWidget* parent = parentWidget();
  if (!parent) return;
  DrawTransparentBackground(painter, *this, *this, 0);
  for (QObject* child : parent->children()) {
    if (child == this) break;
    auto* sibling = qobject_cast<QWidget*>(child);
    if (!sibling || sibling->isHidden() || !sibling->geometry().intersects(geometry())) continue;
    sibling->render(&painter, sibling->pos() - pos(), QRegion(),
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
}

// Painted into a buffer of the client size first, so the picture never flickers through
// the colour beneath it.
void TRxImageControl::paintEvent(QPaintEvent*) {
  QImage buffer(size(), QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&buffer);
    painter.fillRect(rect(), Color());
    FDrawing = true;
    try {
      PaintImage(painter);
    } catch (const std::exception& error) {
      // A frame that cannot be decoded shows nothing; the window goes on.
      std::fprintf(stderr, "%s\n", error.what());
    }
    FDrawing = false;
  }
  QPainter(this).drawImage(0, 0, buffer);
}

void TRxImageControl::mousePressEvent(QMouseEvent* event) {
  FClickArmed = ArmsClick(*event);
  if (OnMouseDown)
    OnMouseDown(this, event->button(), event->modifiers(), event->position().toPoint().x(),
                event->position().toPoint().y());
}

void TRxImageControl::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = FClickArmed && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  FClickArmed = false;
  if (OnMouseUp)
    OnMouseUp(this, event->button(), event->modifiers(), event->position().toPoint().x(),
              event->position().toPoint().y());
  if (click && OnClick) OnClick(this);
}

void TRxImageControl::mouseDoubleClickEvent(QMouseEvent* event) {
  FClickArmed = false;
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
}

void TRxImageControl::mouseMoveEvent(QMouseEvent* event) {
  if (OnMouseMove)
    OnMouseMove(this, event->modifiers(), event->position().toPoint().x(),
                event->position().toPoint().y());
}

void TRxImageControl::contextMenuEvent(QContextMenuEvent* event) {
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, event->pos(), handled);
  if (!handled && FPopupMenu) FPopupMenu->popup(event->globalPos());
}

// ---------------------------------------------------------------- animator

TRxGIFAnimator::TRxGIFAnimator(QWidget* parent)
    : TRxImageControl(parent), FTimer(std::make_unique<TRxTimer>()) {
  FHasParent = parent != nullptr;
  FWindowColor = SysColor(*this, clWindow).rgb();
  FImage.OnChange = [this](TGIFImage*) {
    {
      std::lock_guard lock(FLock);
      FFrameIndex = std::max(FImage.FrameIndex(), 0);
    }
    PictureChanged(true);
  };
}

TRxGIFAnimator::~TRxGIFAnimator() {
  FDestroying = true;
  OnChange = nullptr;
  OnFrameChanged = nullptr;
  OnStart = nullptr;
  OnStop = nullptr;
  SetAnimate(false);
  // The worker ends first: a tick it runs still uses the timer, the picture and the cache.
  FTimer->StopThread();
  FTimer.reset();
  FComposer.Clear();
  FImage.OnChange = nullptr;
}

void TRxGIFAnimator::SetAsyncDrawing(bool value) {
  std::lock_guard lock(FLock);
  FAsyncDrawing = value;
  FTimer->SetSyncEvent(!value);
}

void TRxGIFAnimator::SetAnimate(bool value) {
  if (value == FAnimate) return;
  if (value) {
    FTimer->SetOnTimer([this](QObject* Sender) { TimerExpired(Sender); });
    FTimer->SetEnabled(true);
    FAnimate = FTimer->Enabled();
    if (OnStart) OnStart(this);
  } else {
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(nullptr);
    FAnimate = false;
    if (OnStop) OnStop(this);
    PictureChanged(true);
  }
}

void TRxGIFAnimator::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  PictureChanged(false);
}

void TRxGIFAnimator::SetDrawingFlag(bool& field, bool value) {
  {
    std::lock_guard lock(FLock);
    field = value;
  }
  PictureChanged(true);
  if (FAnimate) repaint();
}

void TRxGIFAnimator::SetCenter(bool value) {
  SetDrawingFlag(FCenter, value);
}

void TRxGIFAnimator::SetStretch(bool value) {
  SetDrawingFlag(FStretch, value);
}

void TRxGIFAnimator::SetTransparent(bool value) {
  SetDrawingFlag(FTransparent, value);
}

int TRxGIFAnimator::FrameIndex() const {
  std::lock_guard lock(FLock);
  return FFrameIndex;
}

void TRxGIFAnimator::SetFrameIndex(int value) {
  {
    std::lock_guard lock(FLock);
    if (value == FFrameIndex || value < 0 || value >= FImage.Count()) return;
    FFrameIndex = value;
    FTimer->SetInterval(FrameInterval(value));
  }
  if (OnFrameChanged) OnFrameChanged(this);
  PictureChanged(false);
}

void TRxGIFAnimator::SetImage(const TGIFImage& value) {
  std::lock_guard lock(FLock);
  FImage.Assign(value);
}

unsigned TRxGIFAnimator::FrameInterval(int index) const {
  std::lock_guard lock(FLock);
  if (FImage.Count() < 2 || index < 0 || index >= FImage.Count()) return 0;
  return std::clamp<unsigned>(FImage.Frames(index).Delay(), 50, 10000);
}

void TRxGIFAnimator::PictureChanged(bool dropCache) {
  QSize screen;
  {
    std::lock_guard lock(FLock);
    if (dropCache) FComposer.Clear();
    FTimer->SetInterval(FrameInterval(FFrameIndex));
    if (!FImage.Empty()) screen = QSize(FImage.ScreenWidth(), FImage.ScreenHeight());
  }
  if (FDestroying) return;
  if (FAutoSize && screen.isValid()) resize(screen);
  update();
  if (OnChange) OnChange(this);
}

void TRxGIFAnimator::PaintImage(QPainter& painter) {
  std::lock_guard lock(FLock);
  if (FImage.Transparent() || FImage.Empty()) PaintBeneath(painter);
  if (FImage.Empty() || FImage.ScreenWidth() < 1 || FImage.ScreenHeight() < 1) return;
  const QImage& picture =
      FComposer.Compose(FImage, FFrameIndex, FTransparent, QColor(FWindowColor.load()));
  QRect target(QPoint(0, 0), picture.size());
  if (FStretch)
    target = rect();
  else if (FCenter)
    target.moveTopLeft(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2));
  if (FComposer.TransparentColor() != clNone && FTransparent)
    painter.drawImage(target, WithTransparentColor(picture, FComposer.TransparentColor()));
  else
    painter.drawImage(target, picture);
}

// Runs on the GUI thread, or with AsyncDrawing on the timer's thread: then the worker
// composes the frame under the drawing lock and the GUI thread only shows it.
void TRxGIFAnimator::TimerExpired(QObject*) {
  if (FDrawing || !FShown || !FHasParent) return;
  const bool worker = QThread::currentThread() != thread();
  int index;
  {
    std::lock_guard lock(FLock);
    if (FImage.Count() < 2) return;
    index = FFrameIndex + 1 < FImage.Count() ? FFrameIndex + 1 : 0;
    FFrameIndex = index;
    if (worker) {
      try {
        FComposer.Compose(FImage, index, FTransparent, QColor(FWindowColor.load()));
      } catch (const std::exception&) {
        // The GUI thread's paint meets the same failure and reports it.
      }
    }
  }
  RunInThreadOf(this, [this] {
    FrameChanged();
    repaint();
  });
  FTimer->SetInterval(FrameInterval(index));
  if (!FLoop && index == 0) {
    // The run ends on the step that reaches frame 0, however long the GUI thread takes to
    // hear of it: a worker that kept stepping would leave the picture on any frame.
    FTimer->SetEnabled(false);
    RunInThreadOf(this, [this] { SetAnimate(false); });
  }
}

void TRxGIFAnimator::FrameChanged() {
  if (OnFrameChanged) OnFrameChanged(this);
}

void TRxGIFAnimator::setVisible(bool visible) {
  FShown = visible;
  TRxImageControl::setVisible(visible);
}

void TRxGIFAnimator::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ParentChange) FHasParent = parentWidget() != nullptr;
  if (event->type() == QEvent::PaletteChange) FWindowColor = SysColor(*this, clWindow).rgb();
  TRxImageControl::changeEvent(event);
}
