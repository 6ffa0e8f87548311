#include "Abcspla.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "Abcfact.h"
#include "Exception.h"
#include "abcshapf.h"

namespace {

// The library's own splash form, unless the program registered a replacement first.
void RegisterSplashForm() {
  static const bool registered = [] {
    TabcFormFactory& factory = TabcFormFactory::Instance();
    if (!factory.IsRegistered(TabcsfSplash::staticMetaObject))
      factory.Register(TabcsfSplash::staticMetaObject, TabcsfSplash::staticMetaObject);
    return true;
  }();
  Q_UNUSED(registered);
}

}  // namespace

TabcSplash::TabcSplash(QObject* owner) : QObject(owner) {
  RegisterSplashForm();
}

// The open window belongs to the component and goes with it, without OnHide.
TabcSplash::~TabcSplash() {
  if (!FSplash) return;
  FSplash->OnShow = nullptr;
  FSplash->OnHide = nullptr;
  delete FSplash.data();
}

bool TabcSplash::NoSplashRequested(const QStringList& parameters) {
  for (const QString& parameter : parameters) {
    const QString lower = parameter.toLower();
    if (lower == "-ns" || lower == "/ns") return true;
  }
  return false;
}

QString TabcSplash::LocalBmpFileName() {
  const QFileInfo executable(QCoreApplication::applicationFilePath());
  QString name = executable.fileName();
  const qsizetype dot = name.lastIndexOf('.');
  if (dot >= 0) name.truncate(dot);
  return executable.path() + '/' + name + ".bmp";
}

void TabcSplash::Loaded() {
  if (!FAutoShow || NoSplashRequested(QCoreApplication::arguments().mid(1))) return;
  Show();
}

TPicture TabcSplash::ChoosePicture() const {
  TPicture chosen;
  if (FAllowLocalBmp && QFileInfo::exists(LocalBmpFileName())) {
    // A damaged replacement picture must not keep the program from starting: the
    // built-in picture is shown instead.
    try {
      chosen.LoadFromFile(LocalBmpFileName());
    } catch (const Exception&) {
      chosen.Clear();
    }
  }
  if (chosen.HasGraphic()) return chosen;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen && screen->depth() == 4 && FPictureVGA.HasGraphic()) return FPictureVGA;
  return FPicture.HasGraphic() ? FPicture : FPictureVGA;
}

void TabcSplash::Show() {
  if (!FPicture.HasGraphic() && !FPictureVGA.HasGraphic()) throw Exception("Picture required");
  if (FSplash) return;
  TabcsfSplash* splash = CreateSplashWindow();
  if (!splash) return;
  splash->SetStayOnTop(FStayOnTop);
  splash->tmrClose->setInterval(FDuration);
  splash->SetHideOnClick(FHideOnClick);
  splash->SetBevelWidth(FBevelWidth);
  const TPicture picture = ChoosePicture();
  ShowPicture(*splash, picture);
  CentreOnScreen(*splash, picture.Width() + 2 * FBevelWidth, picture.Height() + 2 * FBevelWidth);

  if (FShowModal) {
    if (FDuration == 0) splash->tmrClose->setInterval(5000);
    splash->setWindowModality(Qt::ApplicationModal);
    splash->show();
    while (FSplash) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  } else {
    splash->show();
  }
  QCoreApplication::processEvents();
}

TabcsfSplash* TabcSplash::CreateSplashWindow() {
  std::unique_ptr<QWidget> form =
      TabcFormFactory::Instance().CreateForm(TabcsfSplash::staticMetaObject, nullptr);
  auto* splash = qobject_cast<TabcsfSplash*>(form.get());
  if (!splash) return nullptr;
  // From here the window frees itself when closed; one still open goes with us.
  FSplash = splash;
  form.release();
  splash->OnShow = [this](QObject*) {
    if (OnShow) OnShow(this);
  };
  splash->OnHide = [this](QObject*) { SplashHidden(); };
  return splash;
}

void TabcSplash::ShowPicture(TabcsfSplash& splash, const TPicture& picture) const {
  splash.imgSplash->SetPicture(picture);
  if (FShapeForm) {
    splash.abcShapeForm1->SetTolerance(FShapeTolerance);
    splash.abcShapeForm1->SetPicture(picture);
    splash.abcShapeForm1->show();
  } else {
    splash.pnlSplash->show();
  }
}

void TabcSplash::CentreOnScreen(TabcsfSplash& splash, int width, int height) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen ? screen->geometry() : QRect(0, 0, width, height);
  splash.setGeometry(desktop.x() + (desktop.width() - width) / 2,
                     desktop.y() + (desktop.height() - height) / 2, width, height);
}

void TabcSplash::Hide() {
  if (FSplash) FSplash->close();
}

// Forgotten before OnHide runs, so the handler may open a new splash.
void TabcSplash::SplashHidden() {
  FSplash = nullptr;
  if (OnHide) OnHide(this);
}
