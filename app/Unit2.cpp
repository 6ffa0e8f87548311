#include "Unit2.h"

#include <QGuiApplication>
#include <QScreen>

#include "Abclabel.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormBuilder.h"
#include "Image.h"
#include "ImageSwap.h"
#include "Unit1.h"

using namespace FormBuilder;

TFormAbout::TFormAbout(TFormMain& formMain, QWidget* parent)
    : QDialog(parent), FFormMain(formMain) {
  LayoutFormAbout();
  using namespace std::placeholders;
  CoolBitmapButton7->OnClick = std::bind(&TFormAbout::CoolBitmapButton7Click, this, _1);
  CoolBitmapButton3->OnClick = std::bind(&TFormAbout::CoolBitmapButton3Click, this, _1);
  WireImageSwap(CoolBitmapButton7, *FFormMain.CoolImages1, {22, 23, 24, 23});
  WireImageSwap(CoolBitmapButton3, *FFormMain.CoolImages1, {32, 33, 34, 32});
}

void TFormAbout::LayoutFormAbout() {
  setObjectName("FormAbout");
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setWindowTitle(AboutCaption);
  setFont(PixelFont("MS Sans Serif", 11));
  resize(332, 317);
  TCoolImages* A = FFormMain.CoolImages1;
  TCoolImages* B = FFormMain.CoolImages2;

  CoolPanel1 = Panel(this, "CoolPanel1", alTop, {0, 0, 332, 27});
  {
    CoolPanel12 = Panel(CoolPanel1, "CoolPanel12", alLeft, {0, 0, 6, 27}, B, 0);
    CoolPanel14 = Panel(CoolPanel1, "CoolPanel14", alClient, {6, 0, 224, 27}, B, 1);
    CoolPanel14->SetCaption(FromQString(AboutCaption));
    CoolPanel14->SetAlignment(taLeftJustify);
    CoolPanel14->SetFont(PixelFont("MS Sans Serif", 11, true));
    CoolPanel13 = Panel(CoolPanel1, "CoolPanel13", alRight, {230, 0, 102, 27}, B, 2);
    CoolBitmapButton7 =
        Place<TCoolBitmapButton>(CoolPanel13, "CoolBitmapButton7", alNone, {75, 3, 21, 21});
  }
  CoolPanel3 = Panel(this, "CoolPanel3", alBottom, {0, 311, 332, 6});
  {
    CoolPanel18 = Panel(CoolPanel3, "CoolPanel18", alLeft, {0, 0, 6, 6}, B, 7);
    CoolPanel19 = Panel(CoolPanel3, "CoolPanel19", alClient, {6, 0, 320, 6}, B, 6);
    CoolPanel17 = Panel(CoolPanel3, "CoolPanel17", alRight, {326, 0, 6, 6}, B, 5);
  }
  CoolPanel2 = Panel(this, "CoolPanel2", alClient, {0, 27, 332, 284});
  {
    CoolPanel20 = Panel(CoolPanel2, "CoolPanel20", alLeft, {0, 0, 6, 284}, B, 8);
    CoolPanel4 = Panel(CoolPanel2, "CoolPanel4", alRight, {326, 0, 6, 284});
    {
      CoolPanel15 = Panel(CoolPanel4, "CoolPanel15", alTop, {0, 0, 6, 8}, B, 3);
      CoolPanel16 = Panel(CoolPanel4, "CoolPanel16", alClient, {0, 8, 6, 276}, B, 4);
    }
    CoolPanel5 = Panel(CoolPanel2, "CoolPanel5", alClient, {6, 0, 320, 284});
    {
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
      CoolPanel6 = Panel(CoolPanel5, "CoolPanel6", alBottom, {0, 232, 320, 52}, A, 0);
      CoolBitmapButton3 =
          Place<TCoolBitmapButton>(CoolPanel6, "CoolBitmapButton3", alNone, {132, 15, 74, 22});
      CoolBitmapButton3->SetCursor(Qt::PointingHandCursor);
    }
  }
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
