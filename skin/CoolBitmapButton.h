#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "CoolCtrls.h"
#include "SkinControl.h"

// An ordered list of colours (the colours a bitmap button treats as transparent). Every
// operation that changes the list ends with Changed.
class TColorList {
 public:
  using TChangeEvent = std::function<void(TColorList* Sender)>;

  TColorList() = default;
  virtual ~TColorList() = default;
  TColorList(const TColorList&) = delete;
  TColorList& operator=(const TColorList&) = delete;

  int Count() const { return int(FColors.size()); }
  // Throws EListError for an index outside 0 .. Count() - 1.
  QColor Items(int index) const;

  virtual void Changed();
  virtual void Add(const QColor& color);
  // Adds each colour of `list`, then Changed once more.
  virtual void AddList(const TColorList& list);
  virtual void Clear();
  virtual void Delete(int index);
  virtual void Exchange(int index1, int index2);
  virtual int IndexOf(const QColor& color) const;
  virtual void Insert(int index, const QColor& color);
  virtual void Move(int currentIndex, int newIndex);
  // Clear, then AddList.
  void Assign(const TColorList& source);

  // Whether a pixel's colour is in the list (alpha ignored).
  bool Contains(QRgb pixel) const;

  TChangeEvent OnChange;

 private:
  void CheckIndex(int index) const;

  std::vector<QRgb> FColors;
};

// A focusable control that shows one bitmap at its natural size, darkens it and shifts
// by one pixel while pressed, and can cut its window to the bitmap's pixels whose colour
// is not in Colors. The windows swap its bitmap on the mouse events for hover and press
// looks.
class TCustomBitmapButton : public TSkinControl<QWidget> {
  Q_OBJECT

 public:
  explicit TCustomBitmapButton(QWidget* parent = nullptr);
  ~TCustomBitmapButton() override;

  TColorList& Colors() { return FColors; }
  const TColorList& Colors() const { return FColors; }
  void SetColors(const TColorList& value) { FColors.Assign(value); }
  bool ShadowEffect() const { return FShadowEffect; }
  void SetShadowEffect(bool value) { FShadowEffect = value; }
  bool PositionEffect() const { return FPositionEffect; }
  void SetPositionEffect(bool value) { FPositionEffect = value; }
  // Sizes the control to its bitmap (0 x 0 for an empty one).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  // Shows where the bitmap does not reach; default clBtnFace (the palette's button colour).
  QColor Color() const { return FColor; }
  void SetColor(const QColor& value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);

  bool MouseInside() const { return FMouseInside; }
  bool Pressed() const { return FPressed; }

  // Raises OnClick.
  virtual void Click();

  // So spelled: the windows' handlers are named after it.
  TNotifyEvent OnMoseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;

 protected:
  const QImage& Bitmap() const { return FBitmap; }
  // Copies the image; the control takes the bitmap's size at its current position,
  // Colors is emptied and the window region removed.
  void SetBitmap(const QImage& value);
  virtual void BitmapChanged();
  // Cuts the window to the bitmap's pixels whose colour is not in Colors (the whole
  // rectangle when Colors is empty).
  virtual void UpdateRegion();

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void PressEffect();
  void ReleaseEffect();
  void ScaleBitmap(double factor);
  void AdjustSize();
  QSize BitmapSize() const;

  QImage FBitmap;
  TColorList FColors;
  bool FShadowEffect = true;
  bool FPositionEffect = true;
  bool FAutoSize = false;
  QColor FColor;
  bool FTabStop = true;
  bool FMouseInside = false;
  bool FPressed = false;
  // A left press on the control awaits its release: the release over it is a click.
  bool FLeftDown = false;
};

// The bitmap button of the windows: the custom button with its Bitmap published.
class TCoolBitmapButton : public TCustomBitmapButton {
  Q_OBJECT

 public:
  using TCustomBitmapButton::Bitmap;
  using TCustomBitmapButton::SetBitmap;
  using TCustomBitmapButton::TCustomBitmapButton;
};
