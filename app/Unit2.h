#pragma once

#include <QDialog>

#include "SkinControl.h"

class TabcURLLabel;
class TCoolBitmapButton;
class TCoolPanel;
class TFormMain;
class TImage;

// The About window: the splash picture, the advertising link and a close button, in the
// main window's skin.
class TFormAbout : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* AboutCaption = "О программе";

  // Takes its skin from `formMain`'s image stores.
  explicit TFormAbout(TFormMain& formMain, QWidget* parent = nullptr);

  TCoolPanel* CoolPanel1;
  TCoolPanel* CoolPanel12;
  TCoolPanel* CoolPanel14;
  TCoolPanel* CoolPanel13;
  TCoolBitmapButton* CoolBitmapButton7;
  TCoolPanel* CoolPanel3;
  TCoolPanel* CoolPanel18;
  TCoolPanel* CoolPanel19;
  TCoolPanel* CoolPanel17;
  TCoolPanel* CoolPanel2;
  TCoolPanel* CoolPanel20;
  TCoolPanel* CoolPanel4;
  TCoolPanel* CoolPanel15;
  TCoolPanel* CoolPanel16;
  TCoolPanel* CoolPanel5;
  TImage* Image1;
  TCoolPanel* Panel1;
  TabcURLLabel* abcURLLabel1;
  TCoolPanel* CoolPanel6;
  TCoolBitmapButton* CoolBitmapButton3;

  void CoolBitmapButton7Click(QObject* Sender);
  void CoolBitmapButton3Click(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LayoutFormAbout();

  TFormMain& FFormMain;
};
