// The main window's component tree.
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include "Abclabel.h"
#include "Abcspla.h"
#include "CodeMemo.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormBuilder.h"
#include "GIFCtrl.h"
#include "GameListBox.h"
#include "Image.h"
#include "SiteLinks.h"
#include "SkinMap.h"
#include "Splitter.h"
#include "Unit1.h"
#include "WebBrowser.h"

using namespace FormBuilder;
using namespace SkinMap;

namespace {

TCoolBitmapButton* Button(QWidget* parent, const char* name, const QRect& bounds,
                          TAnchors anchors = DefaultAnchors, bool hand = true) {
  auto* button = Place<TCoolBitmapButton>(parent, name, alNone, bounds, anchors);
  if (hand) button->SetCursor(Qt::PointingHandCursor);
  return button;
}

// A banner of the header with its picture from the window's data.
TRxGIFAnimator* Banner(QWidget* parent, const char* name) {
  auto* banner = Place<TRxGIFAnimator>(parent, name, alNone, {0, 0, 468, 60});
  banner->SetCursor(Qt::PointingHandCursor);
  banner->SetTransparent(false);
  QFile data(QString(":/banners/%1.dat").arg(name));
  if (!data.open(QIODevice::ReadOnly)) throw EGIFError(gmStreamRead);
  TGIFImage picture;
  picture.LoadFromFormData(data.readAll());
  banner->SetImage(picture);
  return banner;
}

TabcURLLabel* HiddenLink(QWidget* parent, const char* name, const QRect& bounds) {
  auto* label = Place<TabcURLLabel>(parent, name, alNone, bounds);
  label->SetCaption(name);
  label->hide();
  return label;
}

}  // namespace

void TFormMain::LayoutFormMain() {
  setObjectName("FormMain");
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle("Trickfolio");
  setFont(PixelFont("MS Sans Serif", 11));
  resize(777, 433);

  CoolImages1 = new TCoolImages(this);
  CoolImages1->setObjectName("CoolImages1");
  LoadStore(*CoolImages1, "images1", Images1Count);
  CoolImages2 = new TCoolImages(this);
  CoolImages2->setObjectName("CoolImages2");
  LoadStore(*CoolImages2, "images2", Images2Count);
  TCoolImages* A = CoolImages1;
  TCoolImages* B = CoolImages2;

  Panel1 = Panel(this, "Panel1", alClient, {0, 0, 777, 433});
  {
    const TSkinFrame frame =
        SkinFrame(Panel1, {777, 433}, B, {"Panel2", "Panel3", "Panel4", "Panel5", "Panel6"});
    Panel2 = frame.TitleBar;
    CoolPanel12 = frame.CoolPanel12;
    CoolPanel14 = frame.CoolPanel14;
    CoolPanel13 = frame.CoolPanel13;
    Panel3 = frame.BottomEdge;
    CoolPanel18 = frame.CoolPanel18;
    CoolPanel19 = frame.CoolPanel19;
    CoolPanel17 = frame.CoolPanel17;
    Panel4 = frame.Middle;
    CoolPanel20 = frame.CoolPanel20;
    Panel5 = frame.RightEdge;
    CoolPanel15 = frame.CoolPanel15;
    CoolPanel16 = frame.CoolPanel16;
    Panel6 = frame.Client;
    {
      CoolBitmapButton4 = Button(CoolPanel13, "CoolBitmapButton4",
                                 {MinimiseLeft, TitleButtonTop, 21, 21}, DefaultAnchors, false);
      CoolBitmapButton6 = Button(CoolPanel13, "CoolBitmapButton6",
                                 {MaximiseLeft, TitleButtonTop, 21, 21}, DefaultAnchors, false);
      CoolBitmapButton7 = Button(CoolPanel13, "CoolBitmapButton7",
                                 {TitleCloseLeft, TitleButtonTop, 21, 21}, DefaultAnchors, false);
    }
    {    // the frame's middle
      {  // its client panel, Panel6
        CoolPanel8 = Panel(Panel6, "CoolPanel8", alTop, {0, 0, 765, 79}, A, idHeaderStrip);
        CoolPanel8->SetColor(Qt::black);
        CoolPanel8->SetFont(PixelFont("Arial", 13, true));
        CoolPanel8->SetFontColor(Qt::white);
        {
          Image1 = Place<TImage>(CoolPanel8, "Image1", alNone, {0, 0, 300, 79});
          Image1->SetTransparent(true);
          TPicture header;
          header.LoadFromFile(":/pictures/header.jpg");
          Image1->SetPicture(header);
          abcURLLabel_UpdateTrickfolio =
              HiddenLink(CoolPanel8, "abcURLLabel_UpdateTrickfolio", {8, 60, 150, 13});
          CoolPanel9 = Panel(CoolPanel8, "CoolPanel9", alNone, {291, 10, 468, 60}, A, idBottomStrip,
                             akTop | akRight);
          CoolPanel9->setFixedSize(468, 60);
          CoolPanel9->SetTransparent(true);
          {
            RxGIFAnimator1 = Banner(CoolPanel9, "RxGIFAnimator1");
            RxGIFAnimator2 = Banner(CoolPanel9, "RxGIFAnimator2");
            RxGIFAnimator3 = Banner(CoolPanel9, "RxGIFAnimator3");
            RxGIFAnimator4 = Banner(CoolPanel9, "RxGIFAnimator4");
            RxGIFAnimator5 = Banner(CoolPanel9, "RxGIFAnimator5");
            WebBrowser1 = Place<TWebBrowser>(CoolPanel9, "WebBrowser1", alNone, {-2, -2, 505, 89});
          }
        }
        CoolPanel1 = Panel(Panel6, "CoolPanel1", alClient, {0, 79, 765, 321});
        CoolPanel1->SetTransparent(true);
        {
          CoolPanel5 = Panel(CoolPanel1, "CoolPanel5", alLeft, {0, 0, 297, 269});
          CoolPanel5->setMinimumWidth(220);
          CoolPanel5->setMaximumWidth(400);
          CoolPanel5->SetTransparent(true);
          {
            CoolPanel2 = Panel(CoolPanel5, "CoolPanel2", alTop, {0, 0, 297, 26}, A, idHeading);
            CoolPanel2->SetCaption(FromQString("Список игр"));
            CoolPanel2->SetFont(PixelFont("Arial", 13, true));
            CoolPanel2->SetFontColor(Qt::black);
            CoolPanel7 = Panel(CoolPanel5, "CoolPanel7", alTop, {0, 26, 297, 33}, A, idSearchStrip);
            CoolPanel7->SetCaption(FromQString(" Поиск:"));
            CoolPanel7->SetAlignment(taLeftJustify);
            CoolPanel7->SetFont(PixelFont("Arial", 13, true));
            CoolPanel7->SetFontColor(Qt::black);
            {
              Edit1 = Place<QLineEdit>(CoolPanel7, "Edit1", alNone, {53, 4, 242, 24},
                                       akLeft | akTop | akRight);
              Edit1->setFont(PixelFont("Arial", 13, true));
              QPalette palette = Edit1->palette();
              palette.setColor(QPalette::Base, LightColor);
              Edit1->setPalette(palette);
            }
            CLB_Games = Place<TGameListBox>(CoolPanel5, "CLB_Games", alClient, {0, 59, 297, 210});
            CLB_Games->setFrameShape(QFrame::NoFrame);
            CLB_Games->setFont(PixelFont("MS Sans Serif", 11, true));
            CLB_Games->SetItemHeight(13);
            QPalette palette = CLB_Games->palette();
            palette.setColor(QPalette::Base, LightColor);
            CLB_Games->setPalette(palette);
          }
          Splitter1 = Place<TSplitter>(CoolPanel1, "Splitter1", alLeft, {297, 0, 6, 269});
          Splitter1->SetBeveled(true);
          Splitter1->SetMinSize(2);
          Splitter1->SetColor(LightColor);
          CoolPanel4 = Panel(CoolPanel1, "CoolPanel4", alClient, {303, 0, 462, 269});
          // The only panel without a colour of its own: the online-only link stands on the
          // panel's default, the button shadow.
          CoolPanel4->SetColor(SysColor(*CoolPanel4, clBtnShadow));
          {
            CoolPanel6 = Panel(CoolPanel4, "CoolPanel6", alTop, {0, 0, 462, 26}, A, idHeading);
            CoolPanel6->SetFont(PixelFont("Arial", 13, true));
            CoolPanel6->SetFontColor(Qt::black);
            SolutionURLLabel =
                Place<TabcURLLabel>(CoolPanel4, "SolutionURLLabel", alNone, {66, 113, 330, 68}, 0);
            SolutionURLLabel->SetAutoSize(false);
            SolutionURLLabel->setGeometry(66, 113, 330, 68);
            SolutionURLLabel->SetAlignment(taCenter);
            SolutionURLLabel->SetFont(PixelFont("MS Sans Serif", 13, true));
            SolutionURLLabel->SetFontColor(Qt::red);
            SolutionURLLabel->SetTransparent(true);
            SolutionURLLabel->setCursor(Qt::PointingHandCursor);
            SolutionURLLabel->SetCaption(FromQString(
                QString("Для просмотра информации необходимо\nподключиться к сети интернет\n"
                        "и перейти на сайт %1\nнажав эту ссылку")
                    .arg(QString::fromStdString(SiteLinks::SiteHost()))));
            CoolMemo1 = Place<TCodeMemo>(CoolPanel4, "CoolMemo1", alBottom, {0, 26, 462, 243});
            CoolMemo1->SetBorderStyle(bsNone);
            CoolMemo1->SetFont(PixelFont("MS Sans Serif", 12));
            CoolMemo1->SetColor(LightColor);
            CoolMemo1->SetReadOnly(true);
            CoolMemo1->SetOEMConvert(true);
            CoolMemo1->SetWantTabs(true);
            CoolMemo1->SetScrollBars(ssVertical);
          }
          CoolPanel3 =
              Panel(CoolPanel1, "CoolPanel3", alBottom, {0, 269, 765, 52}, A, idBottomStrip);
          {
            CoolPanel10 =
                Panel(CoolPanel3, "CoolPanel10", alLeft, {0, 0, 297, 52}, A, idBottomStrip);
            {
              CoolPanel11 = Panel(CoolPanel10, "CoolPanel11", alNone, {88, 0, 105, 53}, A,
                                  idBottomStrip, akTop);
              {
                CoolBitmapButton2 =
                    Button(CoolPanel11, "CoolBitmapButton2", {BackLeft, BackTop, 38, 38});
                CoolBitmapButton2->SetHint(FromQString("Назад"));
                CoolBitmapButton2->SetShowHint(true);
                CoolBitmapButton2->SetPositionEffect(false);
                CoolBitmapButton2->SetShadowEffect(false);
                CoolBitmapButton1 =
                    Button(CoolPanel11, "CoolBitmapButton1", {ForwardLeft, ForwardTop, 38, 38});
                CoolBitmapButton1->SetHint(FromQString("Вперёд"));
                CoolBitmapButton1->SetShowHint(true);
                CoolBitmapButton1->SetPositionEffect(false);
                CoolBitmapButton1->SetShadowEffect(false);
              }
              abcURLLabel_WallpapersGirls =
                  HiddenLink(CoolPanel10, "abcURLLabel_WallpapersGirls", {8, 4, 150, 13});
              abcURLLabel_FlashGames =
                  HiddenLink(CoolPanel10, "abcURLLabel_FlashGames", {8, 20, 150, 13});
            }
            CoolPanel21 =
                Panel(CoolPanel3, "CoolPanel21", alLeft, {297, 0, 7, 52}, A, idStripDivider);
            CoolBitmapButton9 = Button(CoolPanel3, "CoolBitmapButton9",
                                       {469, StripButtonTop, 22, 22}, akTop | akRight);
            CoolBitmapButton8 = Button(CoolPanel3, "CoolBitmapButton8",
                                       {498, StripButtonTop, 22, 22}, akTop | akRight);
            CoolBitmapButton5 = Button(CoolPanel3, "CoolBitmapButton5",
                                       {527, StripButtonTop, 160, 22}, akTop | akRight);
            CoolBitmapButton3 = Button(CoolPanel3, "CoolBitmapButton3",
                                       {693, StripButtonTop, 65, 22}, akTop | akRight);
          }
        }
      }
    }
  }

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  PopupMenu1->addAction("Копирование запрещено")->setObjectName("N1");
  CoolMemo1->SetPopupMenu(PopupMenu1);

  ActionList1 = new QObject(this);
  ActionList1->setObjectName("ActionList1");
  ActionViewCodes = new QAction(ActionList1);
  ActionViewCodes->setObjectName("ActionViewCodes");

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(2200);
  Timer1->start();
  AdTimer = new QTimer(this);
  AdTimer->setObjectName("AdTimer");
  AdTimer->setInterval(10000);

  setMinimumSize(785, 460);

  abcSplash1 = new TabcSplash(this);
  abcSplash1->setObjectName("abcSplash1");
  abcSplash1->SetBevelWidth(1);
  abcSplash1->SetDuration(2000);
  TPicture splash;
  splash.LoadFromFile(":/pictures/splash.jpg");
  abcSplash1->SetPicture(splash);
  abcSplash1->OnHide = [this](QObject* Sender) { abcSplash1Hide(Sender); };
  abcSplash1->SetAutoShow(true);
  abcSplash1->Loaded();
}
