#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "ActiveFormTracker.h"
#include "AlignLayout.h"
#include "GameSearch.h"
#include "ProductVersion.h"
#include "SkinControl.h"

class QAction;
class QLineEdit;
class QMenu;
class QTimer;
class QWindow;
class TAdRotation;
class TabcSplash;
class TabcURLLabel;
class TCatalogue;
class TCodesReport;
class TCoolBitmapButton;
class TCoolImages;
class TCoolMemo;
class TCoolPanel;
class TFormAbout;
class TGameListBox;
class TImage;
class TRxGIFAnimator;
class TSplitter;
class TWebBrowser;

// The main window: the frameless, skinned catalogue viewer.
class TFormMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* VersionCaption = ProductVersion::Text;

  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // The About window, which the About button shows; made after this window.
  TFormAbout* FormAbout = nullptr;

  // Components, named as the window's layout names them (the layout function builds the
  // tree; Qt parents own every widget).
  TCoolImages* CoolImages1;
  TCoolImages* CoolImages2;
  TCoolPanel* Panel1;
  TCoolPanel* Panel2;
  TCoolPanel* CoolPanel12;
  TCoolPanel* CoolPanel14;
  TCoolPanel* CoolPanel13;
  TCoolBitmapButton* CoolBitmapButton4;
  TCoolBitmapButton* CoolBitmapButton6;
  TCoolBitmapButton* CoolBitmapButton7;
  TCoolPanel* Panel3;
  TCoolPanel* CoolPanel18;
  TCoolPanel* CoolPanel19;
  TCoolPanel* CoolPanel17;
  TCoolPanel* Panel4;
  TCoolPanel* CoolPanel20;
  TCoolPanel* Panel5;
  TCoolPanel* CoolPanel15;
  TCoolPanel* CoolPanel16;
  TCoolPanel* Panel6;
  TCoolPanel* CoolPanel8;
  TImage* Image1;
  TabcURLLabel* abcURLLabel_UpdateTrickfolio;
  TCoolPanel* CoolPanel9;
  TRxGIFAnimator* RxGIFAnimator1;
  TRxGIFAnimator* RxGIFAnimator2;
  TRxGIFAnimator* RxGIFAnimator3;
  TRxGIFAnimator* RxGIFAnimator4;
  TRxGIFAnimator* RxGIFAnimator5;
  TWebBrowser* WebBrowser1;
  TCoolPanel* CoolPanel1;
  TCoolPanel* CoolPanel5;
  TCoolPanel* CoolPanel2;
  TCoolPanel* CoolPanel7;
  QLineEdit* Edit1;
  TGameListBox* CLB_Games;
  TSplitter* Splitter1;
  TCoolPanel* CoolPanel4;
  TCoolPanel* CoolPanel6;
  TabcURLLabel* SolutionURLLabel;
  TCoolMemo* CoolMemo1;
  TCoolPanel* CoolPanel3;
  TCoolPanel* CoolPanel10;
  TCoolPanel* CoolPanel11;
  TCoolBitmapButton* CoolBitmapButton2;
  TCoolBitmapButton* CoolBitmapButton1;
  TabcURLLabel* abcURLLabel_WallpapersGirls;
  TabcURLLabel* abcURLLabel_FlashGames;
  TCoolPanel* CoolPanel21;
  TCoolBitmapButton* CoolBitmapButton9;
  TCoolBitmapButton* CoolBitmapButton8;
  TCoolBitmapButton* CoolBitmapButton5;
  TCoolBitmapButton* CoolBitmapButton3;
  QMenu* PopupMenu1;
  QObject* ActionList1;
  QAction* ActionViewCodes;
  TabcSplash* abcSplash1;
  QTimer* Timer1;
  QTimer* AdTimer;

  // The program-wide state of the viewer; the catalogue object holds ExeDir, the streams
  // and the index lists.
  std::unique_ptr<TCatalogue> Catalogue;
  // The game list's items as the catalogue holds them (Windows-1251).
  std::vector<std::string> GameItems;
  TGameSearch Search;
  bool AdLoaded = false;
  bool AdClean = true;
  std::unique_ptr<TAdRotation> AdRotation;
  bool ViewBusy = false;
  // The print button's report: ReportSystem1, DetailShell1 and their handlers.
  std::unique_ptr<TCodesReport> CodesReport;
  // The program asked to end (a catalogue that could not be read).
  bool Terminated = false;

  // Handlers.
  void FormCreate(QObject* Sender);
  void FormDestroy(QObject* Sender);
  void FormActivate(QObject* Sender);
  void abcSplash1Hide(QObject* Sender);
  void Timer1Timer(QObject* Sender);
  void AdTimerTimer(QObject* Sender);
  void WebBrowser1NavigateComplete2(QObject* Sender, const std::wstring& URL);
  void WebBrowser1StatusTextChange(QObject* Sender, const std::wstring& Text);
  void RxGIFAnimator1Click(QObject* Sender);
  void RxGIFAnimator2Click(QObject* Sender);
  void RxGIFAnimator3Click(QObject* Sender);
  void RxGIFAnimator4Click(QObject* Sender);
  void RxGIFAnimator5Click(QObject* Sender);
  void ViewCodes(QObject* Sender);
  void CLB_GamesClick(QObject* Sender);
  void CLB_GamesKeyUp(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
  void CoolBitmapButton1Click(QObject* Sender);
  void CoolBitmapButton2Click(QObject* Sender);
  void Edit1Change(QObject* Sender);
  void CoolPanel12MouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                            int X, int Y);
  void CoolPanel14DblClick(QObject* Sender);
  void CoolBitmapButton4Click(QObject* Sender);
  void CoolBitmapButton6Click(QObject* Sender);
  void CoolBitmapButton7Click(QObject* Sender);
  void CoolBitmapButton3Click(QObject* Sender);
  void CoolBitmapButton5Click(QObject* Sender);
  void CoolBitmapButton8Click(QObject* Sender);
  void CoolBitmapButton9Click(QObject* Sender);
  void Splitter1Moved(QObject* Sender);
  void CoolMemo1KeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
  void CoolMemo1KeyUp(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);

  // The skin picture `index` of CoolImages1 (the buttons of both windows take theirs
  // from here).
  const QImage& SkinImage(int index) const;
  // Whether an extraction runs now (a view, or the catalogue being read at activation), or
  // a print run, which must not see its window reset or the catalogue read again.
  bool Extracting() const;

 protected:
  // Closing the main window ends the program.
  void closeEvent(QCloseEvent* event) override;

 private:
  void LayoutFormMain();
  void LoadSkin();
  void WireHandlers();
  void FocusWindowChanged(QWindow* window);
  void ResetWindow();
  void LoadCatalogue();
  void ActivateWhenIdle();
  void ShowCatalogueError();
  void Terminate();
  void SetViewButtonsEnabled(bool enabled);
  void SetFixedPitch(bool fixed);
  void ShowOnlineOnly(bool online, const std::string& id);
  void CreateCodesReport();
  void TitleBarMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
  void TitleBarMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                       int Y);

  TActiveFormTracker FTracker{this};
  // How long a shown main window waits for the platform's activation before it loads the
  // catalogue as if it had come.
  static constexpr int ActivationGrace = 400;
  bool FActivated = false;
  bool FLoading = false;
  bool FActivatePending = false;
  // A move of the window by its title bar where the window system cannot do it itself.
  bool FMoving = false;
  QPoint FMoveOffset;
};

// The failure texts of reading the catalogue (UTF-8, for the message box).
namespace CatalogueMessages {
inline constexpr const char* Damaged =
    "Ошибка при открытии файла \"trickfolio.dat\". Возможно файл запорчен или предназначен "
    "для другой версии программы.";
inline constexpr const char* NotFound = "Ошибка открытия файла \"trickfolio.dat\". Файл не найден.";
}  // namespace CatalogueMessages
