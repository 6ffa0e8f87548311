#pragma once

#include <QWidget>

#include "Events.h"

// A bar between a control aligned to the left and the rest of its parent. Dragging it
// resizes that control within its constraints, keeps `MinSize` pixels for what lies to
// the right, and reports each move through OnMoved.
class TSplitter : public QWidget {
  Q_OBJECT
 public:
  explicit TSplitter(QWidget* parent = nullptr);

  int MinSize() const { return FMinSize; }
  void SetMinSize(int value) { FMinSize = value; }
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool value);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& value);

  // The control that the splitter resizes: the visible sibling whose right edge touches
  // the splitter's left edge.
  QWidget* ResizedControl() const;
  // Puts the splitter's left edge at `left` (parent coordinates) as a drag would.
  void MoveTo(int left);

  TNotifyEvent OnMoved;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int FMinSize = 30;
  bool FBeveled = false;
  QColor FColor;
  int FGrab = -1;
};
