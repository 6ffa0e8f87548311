#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include "Picture.h"
#include "SkinControl.h"

// Cuts its owner window to the shape of a picture: pixels within Tolerance of the
// picture's bottom-left colour are see-through. Fills the owner, and can let the user
// drag the window by any point of it (or of one control).
class TabcShapeForm : public QWidget {
  Q_OBJECT
 public:
  // Throws Exception "This component must be owned by a TForm" unless `owner` is a window.
  explicit TabcShapeForm(QWidget* owner);
  ~TabcShapeForm() override;

  bool DragAnywhere() const { return FDragAnywhere; }
  void SetDragAnywhere(bool value) { FDragAnywhere = value; }
  QWidget* DragControl() const { return FDragControl; }
  // A drag control replaces DragAnywhere.
  void SetDragControl(QWidget* value);
  const TPicture& Picture() const { return FPicture; }
  void SetPicture(const TPicture& value);
  QColor Tolerance() const { return FTolerance; }
  void SetTolerance(const QColor& value);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) { setEnabled(value); }

  // The colour treated as see-through: the picture's bottom-left pixel.
  QColor TransparentColor() const { return FTransparentColor; }
  // The opaque part of the picture, row runs joined.
  QRegion ShapeRegion() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool DragsAt(const QPoint& ownerPos) const;
  bool HandleDrag(QEvent* event, const QPoint& ownerPos);
  void ApplyRegion();
  void FillOwner();

  QPointer<QWidget> FOwner;
  bool FDragAnywhere = false;
  QPointer<QWidget> FDragControl;
  TPicture FPicture;
  QImage FBitmap;
  QColor FTransparentColor;
  QColor FTolerance{0x10, 0x10, 0x10};
  bool FDragging = false;
  QPoint FDragStart;
  QPoint FWindowStart;
  bool FLeftDown = false;
};
