#pragma once

#include <QFrame>
#include <QTimer>
#include <QWidget>

#include "Picture.h"
#include "SkinControl.h"

class TabcShapeForm;

// The picture of the splash window; a click on it may close the splash.
class TabcSplashImage : public QWidget {
  Q_OBJECT
 public:
  explicit TabcSplashImage(QWidget* parent = nullptr);

  const TPicture& Picture() const { return FPicture; }
  void SetPicture(const TPicture& value);

  TNotifyEvent OnClick;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TPicture FPicture;
  bool FLeftDown = false;
};

// The borderless splash window. It frees itself when closed.
class TabcsfSplash : public QWidget {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TabcsfSplash(QWidget* owner = nullptr);

  bool HideOnClick() const { return FHideOnClick; }
  void SetHideOnClick(bool value) { FHideOnClick = value; }
  bool StayOnTop() const;
  void SetStayOnTop(bool value);
  void SetBevelWidth(int value);

  TabcShapeForm* abcShapeForm1;
  QFrame* pnlSplash;
  TabcSplashImage* imgSplash;
  QTimer* tmrClose;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

  void FormActivate();
  void tmrCloseTimer();
  void imgSplashClick(QObject* Sender);
  void abcShapeForm1Click(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  bool FHideOnClick = false;
};
