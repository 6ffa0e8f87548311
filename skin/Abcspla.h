#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>

#include "Abcfspla.h"
#include "Picture.h"
#include "SkinControl.h"

// Shows a splash window with a picture while the program starts, closes it after
// Duration or on a click, and reports the closing through OnHide.
class TabcSplash : public QObject {
  Q_OBJECT
 public:
  explicit TabcSplash(QObject* owner = nullptr);
  ~TabcSplash() override;

  bool AllowLocalBmp() const { return FAllowLocalBmp; }
  void SetAllowLocalBmp(bool value) { FAllowLocalBmp = value; }
  std::uint16_t BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(std::uint16_t value) { FBevelWidth = value; }
  std::uint16_t Duration() const { return FDuration; }
  void SetDuration(std::uint16_t value) { FDuration = value; }
  bool HideOnClick() const { return FHideOnClick; }
  void SetHideOnClick(bool value) { FHideOnClick = value; }
  const TPicture& Picture() const { return FPicture; }
  void SetPicture(const TPicture& value) { FPicture = value; }
  const TPicture& PictureVGA() const { return FPictureVGA; }
  void SetPictureVGA(const TPicture& value) { FPictureVGA = value; }
  bool ShapeForm() const { return FShapeForm; }
  void SetShapeForm(bool value) { FShapeForm = value; }
  QColor ShapeTolerance() const { return FShapeTolerance; }
  void SetShapeTolerance(const QColor& value) { FShapeTolerance = value; }
  bool ShowModal() const { return FShowModal; }
  void SetShowModal(bool value) { FShowModal = value; }
  bool StayOnTop() const { return FStayOnTop; }
  void SetStayOnTop(bool value) { FStayOnTop = value; }
  bool AutoShow() const { return FAutoShow; }
  void SetAutoShow(bool value) { FAutoShow = value; }

  TNotifyEvent OnHide;
  TNotifyEvent OnShow;

  // Throws Exception "Picture required" when neither picture holds a graphic. Does
  // nothing while a splash is open. With ShowModal, returns when the splash has closed.
  virtual void Show();
  // Closes the open splash, if any (OnHide follows).
  void Hide();
  // The layout calls this once every property is set, as the last step of building the
  // window: with AutoShow the splash opens now unless the command line says "-ns"/"/ns".
  void Loaded();

  // True when a parameter equals "-ns" or "/ns", in any case.
  static bool NoSplashRequested(const QStringList& parameters);
  // The local picture that replaces Picture: the executable's name with ".bmp".
  static QString LocalBmpFileName();

  // The open splash window, or none.
  TabcsfSplash* SplashWindow() const { return FSplash; }

 private:
  TPicture ChoosePicture() const;
  // The window the form factory makes for the splash, wired to OnShow and OnHide.
  TabcsfSplash* CreateSplashWindow();
  void ShowPicture(TabcsfSplash& splash, const TPicture& picture) const;
  static void CentreOnScreen(TabcsfSplash& splash, int width, int height);
  void SplashHidden();

  bool FAllowLocalBmp = true;
  std::uint16_t FBevelWidth = 5;
  std::uint16_t FDuration = 5000;
  bool FHideOnClick = true;
  TPicture FPicture;
  TPicture FPictureVGA;
  bool FShapeForm = false;
  QColor FShapeTolerance{0x10, 0x10, 0x10};
  bool FShowModal = false;
  bool FStayOnTop = true;
  bool FAutoShow = true;
  QPointer<TabcsfSplash> FSplash;
};
