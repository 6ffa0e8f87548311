#include "Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <ctime>

#include "Abclabel.h"
#include "Abcspla.h"
#include "AdRotation.h"
#include "Catalogue.h"
#include "CodesReport.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "GIFCtrl.h"
#include "GameListBox.h"
#include "Image.h"
#include "ImageSwap.h"
#include "SiteLinks.h"
#include "SkinMap.h"
#include "Splitter.h"
#include "StringList.h"
#include "Unit2.h"
#include "WebBrowser.h"

TFormMain::TFormMain(QWidget* parent) : QWidget(parent) {
  LayoutFormMain();
  CreateCodesReport();
  WireHandlers();
  FormCreate(this);
}

TFormMain::~TFormMain() {
  FormDestroy(this);
}

void TFormMain::WireHandlers() {
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &TFormMain::FocusWindowChanged);
  connect(ActionViewCodes, &QAction::triggered, this, [this] { ViewCodes(ActionViewCodes); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
  connect(AdTimer, &QTimer::timeout, this, [this] { AdTimerTimer(AdTimer); });
  connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(Edit1); });

  using namespace std::placeholders;
  CLB_Games->OnClick = std::bind(&TFormMain::CLB_GamesClick, this, _1);
  CLB_Games->OnKeyUp = std::bind(&TFormMain::CLB_GamesKeyUp, this, _1, _2, _3);
  for (TCoolPanel* title : {CoolPanel12, CoolPanel13, CoolPanel14}) {
    title->OnMouseDown = std::bind(&TFormMain::CoolPanel12MouseDown, this, _1, _2, _3, _4, _5);
    title->OnMouseMove = std::bind(&TFormMain::TitleBarMouseMove, this, _1, _2, _3, _4);
    title->OnMouseUp = std::bind(&TFormMain::TitleBarMouseUp, this, _1, _2, _3, _4, _5);
    title->OnDblClick = std::bind(&TFormMain::CoolPanel14DblClick, this, _1);
  }
  CoolBitmapButton1->OnClick = std::bind(&TFormMain::CoolBitmapButton1Click, this, _1);
  CoolBitmapButton2->OnClick = std::bind(&TFormMain::CoolBitmapButton2Click, this, _1);
  CoolBitmapButton3->OnClick = std::bind(&TFormMain::CoolBitmapButton3Click, this, _1);
  CoolBitmapButton4->OnClick = std::bind(&TFormMain::CoolBitmapButton4Click, this, _1);
  CoolBitmapButton5->OnClick = std::bind(&TFormMain::CoolBitmapButton5Click, this, _1);
  CoolBitmapButton6->OnClick = std::bind(&TFormMain::CoolBitmapButton6Click, this, _1);
  CoolBitmapButton7->OnClick = std::bind(&TFormMain::CoolBitmapButton7Click, this, _1);
  CoolBitmapButton8->OnClick = std::bind(&TFormMain::CoolBitmapButton8Click, this, _1);
  CoolBitmapButton9->OnClick = std::bind(&TFormMain::CoolBitmapButton9Click, this, _1);
  Splitter1->OnMoved = std::bind(&TFormMain::Splitter1Moved, this, _1);
  CoolMemo1->OnKeyDown = std::bind(&TFormMain::CoolMemo1KeyDown, this, _1, _2, _3);
  CoolMemo1->OnKeyUp = std::bind(&TFormMain::CoolMemo1KeyUp, this, _1, _2, _3);

  AdRotation = std::make_unique<TAdRotation>(
      AdTimer,
      TAdRotation::TBanners{RxGIFAnimator1, RxGIFAnimator2, RxGIFAnimator3, RxGIFAnimator4,
                            RxGIFAnimator5},
      WebBrowser1, AdLoaded, AdClean);
  WebBrowser1->OnNavigateComplete2 =
      std::bind(&TFormMain::WebBrowser1NavigateComplete2, this, _1, _2);
  WebBrowser1->OnStatusTextChange =
      std::bind(&TFormMain::WebBrowser1StatusTextChange, this, _1, _2);
  RxGIFAnimator1->OnClick = std::bind(&TFormMain::RxGIFAnimator1Click, this, _1);
  RxGIFAnimator2->OnClick = std::bind(&TFormMain::RxGIFAnimator2Click, this, _1);
  RxGIFAnimator3->OnClick = std::bind(&TFormMain::RxGIFAnimator3Click, this, _1);
  RxGIFAnimator4->OnClick = std::bind(&TFormMain::RxGIFAnimator4Click, this, _1);
  RxGIFAnimator5->OnClick = std::bind(&TFormMain::RxGIFAnimator5Click, this, _1);

  const TCoolImages& A = *CoolImages1;
  WireImageSwap(CoolBitmapButton1, A, SkinMap::ForwardButton);
  WireImageSwap(CoolBitmapButton2, A, SkinMap::BackButton);
  WireImageSwap(CoolBitmapButton3, A, SkinMap::CloseButton);
  WireImageSwap(CoolBitmapButton5, A, SkinMap::UpdateButton);
  WireImageSwap(CoolBitmapButton4, A, SkinMap::MinimiseButton);
  WireImageSwap(CoolBitmapButton6, A, SkinMap::MaximiseButton);
  WireImageSwap(CoolBitmapButton7, A, SkinMap::TitleCloseButton);
  WireImageSwap(CoolBitmapButton8, A, SkinMap::AboutButton);
  WireImageSwap(CoolBitmapButton9, A, SkinMap::PrintButton);
}

const QImage& TFormMain::SkinImage(int index) const {
  return CoolImages1->Bitmaps().Items(index)->Bitmap();
}

// ---------------------------------------------------------------- start-up

void TFormMain::FormCreate(QObject*) {
  Catalogue = std::make_unique<TCatalogue>(QCoreApplication::applicationDirPath().toStdString());
  AdLoaded = false;
  AdClean = true;
  hide();
  setWindowTitle(VersionCaption);
}

void TFormMain::FormDestroy(QObject*) {
  Catalogue.reset();
}

void TFormMain::abcSplash1Hide(QObject*) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  show();
  raise();
  activateWindow();
  // A Wayland compositor may never activate a new window (a headless one has no keyboard;
  // desktops hold one back to stop it stealing the focus): the shown window then counts as
  // activated, or it would stay empty.
  QTimer::singleShot(ActivationGrace, this, [this] {
    if (!FActivated && FTracker.FocusChanged(this, false, false)) FormActivate(this);
  });
}

void TFormMain::Timer1Timer(QObject*) {
  QCoreApplication::processEvents();
  Timer1->stop();
}

// ---------------------------------------------------------------- the banner area

void TFormMain::AdTimerTimer(QObject*) {
  AdRotation->Tick(TAdRotation::NextBanner());
}

void TFormMain::WebBrowser1NavigateComplete2(QObject*, const std::wstring&) {
  AdLoaded = true;
}

void TFormMain::WebBrowser1StatusTextChange(QObject*, const std::wstring& Text) {
  if (TAdRotation::NamesErrorPage(Text)) AdClean = false;
}

void TFormMain::RxGIFAnimator1Click(QObject*) {
  abcURLLabel_FlashGames->Click();
}

void TFormMain::RxGIFAnimator2Click(QObject*) {
  abcURLLabel_FlashGames->Click();
}

void TFormMain::RxGIFAnimator3Click(QObject*) {
  abcURLLabel_WallpapersGirls->Click();
}

void TFormMain::RxGIFAnimator4Click(QObject*) {
  abcURLLabel_WallpapersGirls->Click();
}

void TFormMain::RxGIFAnimator5Click(QObject*) {
  abcURLLabel_FlashGames->Click();
}

// ---------------------------------------------------------------- activation

bool TFormMain::Extracting() const {
  return ViewBusy || FLoading || (CodesReport && CodesReport->Running());
}

void TFormMain::FocusWindowChanged(QWindow* window) {
  const bool modal = window && window->modality() != Qt::NonModal;
  const bool popup = window && (window->type() == Qt::Popup || window->type() == Qt::ToolTip);
  const void* form = window && window == windowHandle() ? static_cast<const void*>(this) : window;
  if (FTracker.FocusChanged(form, modal, popup)) FormActivate(this);
}

void TFormMain::FormActivate(QObject*) {
  // The reader lets window messages through while it extracts; a second extraction must
  // not start inside the first, so the activation waits until the running one is done.
  FActivated = true;
  if (Terminated) return;
  if (Extracting()) {
    FActivatePending = true;
    return;
  }
  ResetWindow();
  LoadCatalogue();
  ActivateWhenIdle();
}

// Every activation starts the window afresh: empty search, code area filling its column,
// the links, and the advertising rotation restarted with a tick at once.
void TFormMain::ResetWindow() {
  Edit1->setText(QString());
  Search.SearchLastLen = int(Edit1->text().size());
  TAlignLayout::Of(CoolPanel4)->SetAlign(CoolMemo1, alClient);
  AdRotation->PrepareBrowser();

  abcURLLabel_UpdateTrickfolio->SetURL(SiteLinks::SiteURL(SiteLinks::UpdatePath));
  abcURLLabel_FlashGames->SetURL(SiteLinks::SiteURL(SiteLinks::FlashGamesPath));
  abcURLLabel_WallpapersGirls->SetURL(SiteLinks::SiteURL(SiteLinks::WallpapersGirlsPath));
  if (FormAbout) FormAbout->abcURLLabel1->SetURL(SiteLinks::SiteURL(SiteLinks::AdvertisingPath));
  AdRotation->PrepareBanners();

  std::srand(unsigned(std::time(nullptr)));
  AdTimer->setInterval(TAdRotation::Period);
  AdTimer->start();
  AdTimerTimer(AdTimer);
}

// The index members again, then the first game; a catalogue that cannot be read ends the
// program. The list keeps the names that were read even when the load fails.
void TFormMain::LoadCatalogue() {
  TStringList games;
  for (const std::string& item : GameItems) games.Add(item);
  FLoading = true;
  const bool ok = Catalogue->LoadIndex(games);
  FLoading = false;
  if (games.Lines() != GameItems) {
    GameItems = games.Lines();
    CLB_Games->SetItems(GameItems);
  }

  if (ok) {
    CLB_Games->SetItemIndex(0);
    CLB_Games->setFocus();
    CoolPanel2->SetCaption(FromQString(QString("Список игр (всего: %1)").arg(GameItems.size())));
    ActionViewCodes->trigger();
    Timer1->start();
  } else {
    Timer1->stop();
    ShowCatalogueError();
    Terminate();
  }
}

void TFormMain::ActivateWhenIdle() {
  if (!FActivatePending || Extracting() || Terminated) return;
  FActivatePending = false;
  QTimer::singleShot(0, this, [this] { FormActivate(this); });
}

void TFormMain::ShowCatalogueError() {
  const char* text =
      Catalogue->ArchiveExists() ? CatalogueMessages::Damaged : CatalogueMessages::NotFound;
  QMessageBox box(QMessageBox::Critical, "Error", QString::fromUtf8(text), QMessageBox::Ok, this);
  box.exec();
}

void TFormMain::Terminate() {
  Terminated = true;
  QCoreApplication::quit();
}

// ---------------------------------------------------------------- the code viewer

void TFormMain::ViewCodes(QObject*) {
  ViewBusy = true;
  SetViewButtonsEnabled(false);

  const int i = CLB_Games->ItemIndex();
  TGameCodes codes;
  const bool ok = Catalogue->LoadGame(i, codes);
  if (ok) {
    CoolMemo1->Lines().Assign(codes.Lines);
    if (size_t(i) < GameItems.size()) CoolPanel6->SetCaption(GameItems[size_t(i)]);
  }
  SetFixedPitch(codes.FixedPitch);
  SetViewButtonsEnabled(true);
  // A failed view keeps the codes shown before, and so their presentation.
  if (ok) ShowOnlineOnly(codes.OnlineOnly, codes.SiteId);
  ViewBusy = false;

  if (!ok) {
    ShowCatalogueError();
    Terminate();
  }
  ActivateWhenIdle();
}

// Forward, back, close and update: the buttons that could start another view or leave
// the program while the reader still works.
void TFormMain::SetViewButtonsEnabled(bool enabled) {
  for (TCoolBitmapButton* button :
       {CoolBitmapButton1, CoolBitmapButton2, CoolBitmapButton3, CoolBitmapButton5})
    button->SetEnabled(enabled);
}

void TFormMain::SetFixedPitch(bool fixed) {
  QFont font = CoolMemo1->font();
  font.setFamily(fixed ? "Courier" : "Arial");
  font.setFixedPitch(fixed);
  font.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
  CoolMemo1->setFont(font);
  CoolMemo1->SetWordWrap(!fixed);
  CoolMemo1->SetScrollBars(fixed ? ssBoth : ssVertical);
}

void TFormMain::ShowOnlineOnly(bool online, const std::string& id) {
  if (online) {
    CoolMemo1->hide();
    SolutionURLLabel->SetURL(SiteLinks::SiteURL(SiteLinks::CheatPath + id));
    CoolBitmapButton9->hide();
  } else {
    CoolMemo1->show();
    CoolBitmapButton9->show();
  }
}

// ---------------------------------------------------------------- navigation and search

void TFormMain::CLB_GamesClick(QObject*) {
  if (!Extracting()) ActionViewCodes->trigger();
}

void TFormMain::CLB_GamesKeyUp(QObject*, int& Key, Qt::KeyboardModifiers) {
  if (Key == 13 && !Extracting()) ActionViewCodes->trigger();
}

void TFormMain::CoolBitmapButton1Click(QObject*) {
  if (Extracting()) return;
  const int index = CLB_Games->ItemIndex();
  if (index < CLB_Games->count() - 1) {
    CLB_Games->SetItemIndex(index + 1);
    ActionViewCodes->trigger();
  }
}

void TFormMain::CoolBitmapButton2Click(QObject*) {
  if (Extracting()) return;
  const int index = CLB_Games->ItemIndex();
  if (index > 0) {
    CLB_Games->SetItemIndex(index - 1);
    ActionViewCodes->trigger();
  }
}

void TFormMain::Edit1Change(QObject*) {
  const std::string t = FromQString(Edit1->text());
  const int hit = Search.Change(t, GameItems);
  if (hit < 0) return;
  CLB_Games->SetItemIndex(hit);
  if (!Extracting()) ActionViewCodes->trigger();
  Search.Commit(t);
}

// ---------------------------------------------------------------- window chrome

void TFormMain::CoolPanel12MouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (isMaximized()) return;
  // Without a window manager that moves windows, the title bar drags the window itself.
  FMoving = !(windowHandle() && windowHandle()->startSystemMove());
  FMoveOffset = QCursor::pos() - pos();
}

void TFormMain::TitleBarMouseMove(QObject*, Qt::KeyboardModifiers, int, int) {
  if (FMoving && QGuiApplication::mouseButtons() != Qt::NoButton)
    move(QCursor::pos() - FMoveOffset);
}

void TFormMain::TitleBarMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  FMoving = false;
}

void TFormMain::CoolPanel14DblClick(QObject*) {
  if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
    showNormal();
  else
    showMaximized();
}

void TFormMain::CoolBitmapButton4Click(QObject*) {
  showMinimized();
}

void TFormMain::CoolBitmapButton6Click(QObject*) {
  if (isMaximized())
    showNormal();
  else
    showMaximized();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (CodesReport->DeferClose()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
  QCoreApplication::quit();
}

void TFormMain::CoolBitmapButton7Click(QObject*) {
  close();
}

void TFormMain::CoolBitmapButton3Click(QObject*) {
  close();
}

void TFormMain::CoolBitmapButton5Click(QObject*) {
  abcURLLabel_UpdateTrickfolio->Click();
}

void TFormMain::CoolBitmapButton8Click(QObject*) {
  if (!FormAbout) return;
  FormAbout->Image1->SetPicture(abcSplash1->Picture());
  FormAbout->exec();
}

void TFormMain::CreateCodesReport() {
  // The code area's lines are its logical lines: a line wrapped on the screen prints as
  // one line, wrapped again to the paper's width.
  CodesReport = std::make_unique<TCodesReport>(this, [this] {
    TCodesSource source;
    const int i = CLB_Games->ItemIndex();
    if (i >= 0 && size_t(i) < GameItems.size()) source.ListLine = GameItems[size_t(i)];
    source.Lines = CoolMemo1->Lines().ToStringList();
    source.FixedPitch = Catalogue->FixedPitch(i);
    return source;
  });
}

void TFormMain::CoolBitmapButton9Click(QObject*) {
  CodesReport->PrintButtonClick();
  ActivateWhenIdle();
}

void TFormMain::Splitter1Moved(QObject*) {
  CoolPanel10->SetWidth(Splitter1->x() + 2);
  TAlignLayout::Of(CoolPanel3)->setGeometry(CoolPanel3->contentsRect());
  CoolPanel10->update();
  CoolBitmapButton1->repaint();
  CoolBitmapButton2->repaint();
}

void TFormMain::CoolMemo1KeyDown(QObject*, int&, Qt::KeyboardModifiers) {
  CoolMemo1->SetSelLength(0);
}

void TFormMain::CoolMemo1KeyUp(QObject*, int&, Qt::KeyboardModifiers) {
  CoolMemo1->SetSelLength(0);
}
