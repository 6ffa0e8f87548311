#pragma once

#include <QColor>
#include <QWidget>
#include <atomic>
#include <memory>
#include <mutex>

#include "GIFCompose.h"
#include "RxGIF.h"
#include "RxTimer.h"
#include "SkinControl.h"

class QMenu;

// A control that shows a picture: the drawing lock shared with a timer thread, painting
// double-buffered, and what lies beneath painted first for pictures with holes.
class TRxImageControl : public TSkinControl<QWidget> {
  Q_OBJECT
 public:
  explicit TRxImageControl(QWidget* parent = nullptr);

  // With ParentColor the parent's colour (a skinned panel's Color, else its palette's
  // window colour).
  QColor Color() const;
  void SetColor(const QColor& value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  QMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu* value) { FPopupMenu = value; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  // Handled true keeps the popup menu from showing.
  std::function<void(QObject* Sender, QPoint MousePos, bool& Handled)> OnContextPopup;

  // The parent's background and every visible earlier sibling that overlaps the control,
  // as they show through it.
  void PaintBeneath(QPainter& painter) const;

 protected:
  // The picture over the control's colour; called with the painting flag set.
  virtual void PaintImage(QPainter& painter) = 0;

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

  // Serialises frame, cache and property changes between the GUI thread and a timer
  // thread that draws.
  mutable std::recursive_mutex FLock;
  // Set while the control paints itself.
  std::atomic<bool> FDrawing = false;

 private:
  QColor FColor;
  bool FParentColor = true;
  QMenu* FPopupMenu = nullptr;
  bool FClickArmed = false;
};

// A GIF picture that can play its frames, stepped by its own threaded timer.
class TRxGIFAnimator : public TRxImageControl {
  Q_OBJECT
 public:
  explicit TRxGIFAnimator(QWidget* parent = nullptr);
  ~TRxGIFAnimator() override;

  // Tick on the timer thread: the worker composes the frame and the GUI thread shows it
  // (Qt paints only there).
  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool value);
  bool Animate() const { return FAnimate; }
  void SetAnimate(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  int FrameIndex() const;
  // Ignores the current value, negative values and values past the last frame.
  void SetFrameIndex(int value);
  const TGIFImage& Image() const { return FImage; }
  // Copies the picture (sharing its data).
  void SetImage(const TGIFImage& value);
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  TNotifyEvent OnChange;
  TNotifyEvent OnFrameChanged;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

  const TRxTimer& Timer() const { return *FTimer; }
  // The timer's step while animating: the next frame, shown.
  void TimerExpired(QObject* Sender);
  // Milliseconds frame `index` stays: its delay within 50 … 10 000, or 0 (never ticks)
  // for a picture of fewer than two frames or an index outside them.
  unsigned FrameInterval(int index) const;

  void setVisible(bool visible) override;

 protected:
  void PaintImage(QPainter& painter) override;
  void changeEvent(QEvent* event) override;

 private:
  // The picture or a setting changed: the cache dropped (unless only the frame moved),
  // the interval for the frame, the size, a repaint and OnChange.
  void PictureChanged(bool dropCache);
  void SetDrawingFlag(bool& field, bool value);
  void FrameChanged();

  TGIFImage FImage;
  // The frame shown. The picture's own index stays where loading put it: composition
  // reads the fill and the transparent colour from that frame.
  int FFrameIndex = 0;
  TGIFComposer FComposer;
  bool FAsyncDrawing = false;
  bool FAnimate = false;
  bool FAutoSize = true;
  bool FCenter = false;
  std::atomic<bool> FLoop = true;
  bool FStretch = false;
  bool FTransparent = true;
  bool FDestroying = false;
  // What the timer thread may ask without touching the widget.
  std::atomic<bool> FShown = true;
  std::atomic<bool> FHasParent = false;
  std::atomic<QRgb> FWindowColor = 0xFFFFFFFF;
  // Last, so that it is the first to go: its worker may be running the tick.
  std::unique_ptr<TRxTimer> FTimer;
};
