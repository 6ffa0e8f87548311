#include "Unit2.h"

#include <QGuiApplication>
#include <QScreen>

#include "Abclabel.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormBuilder.h"
#include "Image.h"
#include "ImageSwap.h"
#include "SkinMap.h"
#include "Unit1.h"

using namespace FormBuilder;
using namespace SkinMap;

TFormAbout::TFormAbout(TFormMain& formMain, QWidget* parent)
    : QDialog(parent), FFormMain(formMain) {
  LayoutFormAbout();
  using namespace std::placeholders;
  CoolBitmapButton7->OnClick = std::bind(&TFormAbout::CoolBitmapButton7Click, this, _1);
  CoolBitmapButton3->OnClick = std::bind(&TFormAbout::CoolBitmapButton3Click, this, _1);
  WireImageSwap(CoolBitmapButton7, *FFormMain.CoolImages1, TitleCloseButton);
  WireImageSwap(CoolBitmapButton3, *FFormMain.CoolImages1, AboutCloseButton);
}

void TFormAbout::LayoutFormAbout() {
  setObjectName("FormAbout");
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setWindowTitle(AboutCaption);
  setFont(PixelFont("MS Sans Serif", 11));
  resize(332, 317);
  TCoolImages* A = FFormMain.CoolImages1;
  TCoolImages* B = FFormMain.CoolImages2;

  const TSkinFrame frame = SkinFrame(
      this, {332, 317}, B, {"CoolPanel1", "CoolPanel3", "CoolPanel2", "CoolPanel4", "CoolPanel5"});
  CoolPanel1 = frame.TitleBar;
  CoolPanel12 = frame.CoolPanel12;
  CoolPanel14 = frame.CoolPanel14;
  CoolPanel13 = frame.CoolPanel13;
  CoolPanel3 = frame.BottomEdge;
  CoolPanel18 = frame.CoolPanel18;
  CoolPanel19 = frame.CoolPanel19;
  CoolPanel17 = frame.CoolPanel17;
  CoolPanel2 = frame.Middle;
  CoolPanel20 = frame.CoolPanel20;
  CoolPanel4 = frame.RightEdge;
  CoolPanel15 = frame.CoolPanel15;
  CoolPanel16 = frame.CoolPanel16;
  CoolPanel5 = frame.Client;
  {
    CoolPanel14->SetCaption(FromQString(AboutCaption));
    CoolPanel14->SetAlignment(taLeftJustify);
    CoolPanel14->SetFont(PixelFont("MS Sans Serif", 11, true));
    CoolBitmapButton7 = Place<TCoolBitmapButton>(CoolPanel13, "CoolBitmapButton7", alNone,
                                                 {TitleCloseLeft, TitleButtonTop, 21, 21});
  }
  Image1 = Place<TImage>(CoolPanel5, "Image1", alClient, {0, 0, 320, 200});
  Panel1 = Panel(CoolPanel5, "Panel1", alBottom, {0, 200, 320, 32});
  Panel1->SetColor(LightColor);
  {
    abcURLLabel1 = Place<TabcURLLabel>(Panel1, "abcURLLabel1", alNone, {78, 9, 170, 13});
    abcURLLabel1->SetCaption(FromQString("Заказать рекламу в программе"));
    QFont font = PixelFont("MS Sans Serif", 11);
    font.setUnderline(true);
    abcURLLabel1->SetFont(font);
    abcURLLabel1->SetFontColor(Qt::black);
    abcURLLabel1->setCursor(Qt::PointingHandCursor);
  }
  CoolPanel6 = Panel(CoolPanel5, "CoolPanel6", alBottom, {0, 232, 320, 52}, A, idBottomStrip);
  CoolBitmapButton3 = Place<TCoolBitmapButton>(CoolPanel6, "CoolBitmapButton3", alNone,
                                               {132, AboutStripButtonTop, 74, 22});
  CoolBitmapButton3->SetCursor(Qt::PointingHandCursor);
}

void TFormAbout::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFormAbout::CoolBitmapButton7Click(QObject*) {
  close();
}

void TFormAbout::CoolBitmapButton3Click(QObject*) {
  close();
}
