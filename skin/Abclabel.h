#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "SkinControl.h"

enum TabcLabelMouseEffect { almUnderline, almColor, almColorShadow, almSound };
using TabcLabelMouseEffects = TSet<TabcLabelMouseEffect>;

// How the browser window is asked to show; kept for the layouts. A desktop handler
// started by command line decides its own window state, so no value changes anything.
enum TabcShowWindowStyle {
  aswHide,
  aswMaximize,
  aswMinimize,
  aswRestore,
  aswShow,
  aswShowDefault,
  aswShowMaximized,
  aswShowMinimized,
  aswShowMinNoActivate,
  aswShowNA,
  aswShowNoActivate,
  aswShowNormal
};

// A list of numbered sounds a label may play. No window of this product carries one and
// the product ships no sounds, so playing does nothing.
class TabcCustomWaveList : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  virtual void Play(std::uint16_t index) { Q_UNUSED(index); }
};

// A text label that reacts to the mouse: hovering and pressing change its look by the
// chosen effects. Text properties are Windows-1251 bytes.
class TabcCustomMouseLabel : public TSkinControl<QWidget> {
  Q_OBJECT
 public:
  enum TTextLayout { tlTop, tlCenter, tlBottom };

  explicit TabcCustomMouseLabel(QWidget* parent = nullptr);

  // The plain label's properties.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  QWidget* FocusControl() const { return FFocusControl; }
  void SetFocusControl(QWidget* value) { FFocusControl = value; }
  QColor FontColor() const { return FFontColor; }
  void SetFontColor(const QColor& value);
  // With ParentColor the label takes its parent's background colour.
  QColor Color() const;
  void SetColor(const QColor& value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);

  // The mouse effects.
  TabcLabelMouseEffects MouseOverEffects() const { return FMouseOverEffects; }
  void SetMouseOverEffects(TabcLabelMouseEffects value);
  TabcLabelMouseEffects MouseDownEffects() const { return FMouseDownEffects; }
  void SetMouseDownEffects(TabcLabelMouseEffects value);
  QColor MouseOverColor() const { return FMouseOverColor; }
  void SetMouseOverColor(const QColor& value);
  QColor MouseDownColor() const { return FMouseDownColor; }
  void SetMouseDownColor(const QColor& value);
  TabcCustomWaveList* SoundList() const { return FSoundList; }
  void SetSoundList(TabcCustomWaveList* value) { FSoundList = value; }
  std::uint16_t SoundOver() const { return FSoundOver; }
  void SetSoundOver(std::uint16_t value) { FSoundOver = value; }
  std::uint16_t SoundDown() const { return FSoundDown; }
  void SetSoundDown(std::uint16_t value) { FSoundDown = value; }

  bool Hovering() const { return FHovering; }
  bool Pressed() const { return FPressed; }

  // Raises OnClick; the link label also opens its address.
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void MouseEntered();
  void MouseLeft();
  void Resynchronise();
  void PlaySound(TabcLabelMouseEffects effects, std::uint16_t sound);
  void AdjustBounds();
  int TextFlags() const;
  QString DisplayText() const;
  QString MeasureText() const;
  QRect TextRect() const;
  void DrawText(QPainter& painter, const QRect& rect, const QColor& color) const;

  std::string FCaption;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  bool FTransparent = false;
  bool FAutoSize = true;
  QPointer<QWidget> FFocusControl;
  QColor FFontColor;
  QColor FColor;
  bool FParentColor = true;
  TabcLabelMouseEffects FMouseOverEffects{almUnderline, almSound};
  TabcLabelMouseEffects FMouseDownEffects{almUnderline, almSound};
  QColor FMouseOverColor;
  QColor FMouseDownColor;
  QPointer<TabcCustomWaveList> FSoundList;
  std::uint16_t FSoundOver = 0;
  std::uint16_t FSoundDown = 0;
  bool FHovering = false;
  bool FPressed = false;
  bool FLeftDown = false;
};

class TabcMouseLabel : public TabcCustomMouseLabel {
  Q_OBJECT
 public:
  using TabcCustomMouseLabel::TabcCustomMouseLabel;
};

// A link: a click opens URL in the user's web browser.
class TabcURLLabel : public TabcMouseLabel {
  Q_OBJECT
 public:
  explicit TabcURLLabel(QWidget* parent = nullptr);

  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& value) { FURL = value; }
  TabcShowWindowStyle ShowBrowser() const { return FShowBrowser; }
  void SetShowBrowser(TabcShowWindowStyle value) { FShowBrowser = value; }

  void Click() override;
  // True when a browser was started; a click ignores the answer.
  bool OpenURL() const;

 private:
  std::string FURL;
  TabcShowWindowStyle FShowBrowser = aswShowMaximized;
};
