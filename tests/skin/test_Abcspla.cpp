// The splash component on real offscreen windows: size, place, closing by time and by
// click, the "-ns" switch in a child process, shape mode and the form factory.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "Abcfact.h"
#include "Abcspla.h"
#include "abcshapf.h"

namespace {

QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(200, 40, 40));
  QPainter(&image).fillRect(width / 4, height / 4, width / 2, height / 2, QColor(30, 60, 220));
  return image;
}

// The program stores its splash picture as a JPEG.
TPicture JpegPicture(int width, int height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  Pattern(width, height).save(&buffer, "JPEG", 95);
  TPicture picture;
  picture.LoadFromData(bytes);
  return picture;
}

bool Near(QRgb a, QRgb b, int tolerance = 12) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

struct TEvents {
  int Shows = 0, Hides = 0;
  void Watch(TabcSplash& splash) {
    splash.OnShow = [this, &splash](QObject* sender) {
      EXPECT_EQ(sender, &splash);
      ++Shows;
    };
    splash.OnHide = [this, &splash](QObject* sender) {
      EXPECT_EQ(sender, &splash);
      ++Hides;
    };
  }
};

bool WaitClosed(const TabcSplash& splash, int ms = 10000) {
  return QTest::qWaitFor([&] { return splash.SplashWindow() == nullptr; }, ms);
}

}  // namespace

TEST(Abcspla, Defaults) {
  TabcSplash splash;
  EXPECT_TRUE(splash.AllowLocalBmp());
  EXPECT_EQ(splash.BevelWidth(), 5);
  EXPECT_EQ(splash.Duration(), 5000);
  EXPECT_TRUE(splash.HideOnClick());
  EXPECT_FALSE(splash.Picture().HasGraphic());
  EXPECT_FALSE(splash.PictureVGA().HasGraphic());
  EXPECT_FALSE(splash.ShapeForm());
  EXPECT_EQ(splash.ShapeTolerance(), QColor(0x10, 0x10, 0x10));
  EXPECT_FALSE(splash.ShowModal());
  EXPECT_TRUE(splash.StayOnTop());
  EXPECT_TRUE(splash.AutoShow());
  EXPECT_EQ(splash.SplashWindow(), nullptr);
}

TEST(Abcspla, NoPictureIsAnError) {
  TabcSplash splash;
  try {
    splash.Loaded();  // AutoShow is on
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Picture required");
  }
  EXPECT_EQ(splash.SplashWindow(), nullptr);
  splash.SetAutoShow(false);
  EXPECT_NO_THROW(splash.Loaded());
}

TEST(Abcspla, ProgramSettingsShowPictureSizedCentredOnTopAndCloseAfterDuration) {
  TabcSplash splash;
  TEvents events;
  events.Watch(splash);
  splash.SetBevelWidth(1);
  splash.SetDuration(2000);
  splash.SetPicture(JpegPicture(300, 200));
  QElapsedTimer clock;
  clock.start();
  splash.Loaded();

  TabcsfSplash* window = splash.SplashWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(events.Shows, 1);
  EXPECT_EQ(window->size(), QSize(302, 202));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window->geometry().topLeft(),
            screen.topLeft() + QPoint((screen.width() - 302) / 2, (screen.height() - 202) / 2));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);

  // The picture sits inside the one-pixel bevel.
  const QImage shot = window->grab().toImage();
  const QImage& picture = splash.Picture().Image();
  for (const QPoint at : {QPoint(5, 5), QPoint(150, 100), QPoint(299, 199)})
    EXPECT_TRUE(Near(shot.pixel(at + QPoint(1, 1)), picture.pixel(at))) << at.x();
  EXPECT_FALSE(Near(shot.pixel(0, 0), picture.pixel(0, 0), 40));

  ASSERT_TRUE(WaitClosed(splash));
  EXPECT_GE(clock.elapsed(), 2000);
  EXPECT_EQ(events.Hides, 1);
  QTest::qWait(50);
  EXPECT_EQ(events.Hides, 1);
}

TEST(Abcspla, ClickClosesUnlessHideOnClickIsOff) {
  TabcSplash splash;
  TEvents events;
  events.Watch(splash);
  splash.SetPicture(TPicture(Pattern(120, 80)));
  splash.Show();
  ASSERT_NE(splash.SplashWindow(), nullptr);
  QTest::mouseClick(splash.SplashWindow()->imgSplash, Qt::LeftButton, {}, QPoint(30, 30));
  ASSERT_TRUE(WaitClosed(splash, 1000));
  EXPECT_EQ(events.Hides, 1);

  splash.SetHideOnClick(false);
  splash.Show();
  ASSERT_NE(splash.SplashWindow(), nullptr);
  QTest::mouseClick(splash.SplashWindow()->imgSplash, Qt::LeftButton, {}, QPoint(30, 30));
  QTest::qWait(50);
  EXPECT_NE(splash.SplashWindow(), nullptr);
  splash.Hide();
  EXPECT_EQ(splash.SplashWindow(), nullptr);
  EXPECT_EQ(events.Hides, 2);
  EXPECT_EQ(events.Shows, 2);
}

TEST(Abcspla, ZeroDurationWaitsForAClickUnlessModal) {
  TabcSplash splash;
  TEvents events;
  events.Watch(splash);
  splash.SetPicture(TPicture(Pattern(60, 40)));
  splash.SetDuration(0);
  splash.Show();
  ASSERT_NE(splash.SplashWindow(), nullptr);
  EXPECT_FALSE(splash.SplashWindow()->tmrClose->isActive());
  splash.Hide();

  // Modal: the close timer falls back to 5 s and Show returns only once it has closed.
  splash.SetShowModal(true);
  int interval = -1;
  bool active = false, modal = false;
  QTimer::singleShot(50, [&] {
    TabcsfSplash* window = splash.SplashWindow();
    ASSERT_NE(window, nullptr);
    interval = window->tmrClose->interval();
    active = window->tmrClose->isActive();
    modal = window->isModal();
    QTest::mouseClick(window->imgSplash, Qt::LeftButton, {}, QPoint(5, 5));
  });
  splash.Show();
  EXPECT_EQ(splash.SplashWindow(), nullptr);
  EXPECT_EQ(interval, 5000);
  EXPECT_TRUE(active);
  EXPECT_TRUE(modal);
  EXPECT_EQ(events.Hides, 2);
}

TEST(Abcspla, OneWindowAtATimeAndNoneLeftBehind) {
  QPointer<TabcsfSplash> window;
  int hides = 0;
  {
    TabcSplash splash;
    splash.OnHide = [&](QObject*) { ++hides; };
    splash.SetPicture(TPicture(Pattern(60, 40)));
    splash.SetStayOnTop(false);
    splash.Show();
    window = splash.SplashWindow();
    splash.Show();
    EXPECT_EQ(splash.SplashWindow(), window.data());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  }
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(hides, 0);
}

TEST(Abcspla, PictureChoice) {
  TabcSplash splash;
  splash.SetBevelWidth(0);
  splash.SetPictureVGA(TPicture(Pattern(50, 30)));
  splash.Show();
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(50, 30));  // only the VGA picture
  splash.Hide();
  splash.SetPicture(TPicture(Pattern(70, 20)));
  splash.Show();
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(70, 20));  // a true-colour screen
  splash.Hide();
}

TEST(Abcspla, ShapeModeCutsTheWindowToThePicture) {
  QImage image(100, 60, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 255));
  QPainter painter(&image);
  painter.fillRect(10, 10, 30, 20, QColor(0, 128, 0));
  painter.fillRect(60, 10, 20, 20, QColor(255 - 0x08, 0x08, 255));  // within the tolerance
  painter.fillRect(60, 40, 20, 10, QColor(255 - 0x20, 0, 255));     // outside it
  painter.end();

  TabcSplash splash;
  splash.SetShapeForm(true);
  splash.SetBevelWidth(0);
  splash.SetPicture(TPicture(image));
  splash.Show();
  TabcsfSplash* window = splash.SplashWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->abcShapeForm1->isVisible());
  EXPECT_FALSE(window->pnlSplash->isVisible());
  EXPECT_EQ(window->abcShapeForm1->TransparentColor(), QColor(255, 0, 255));
  const QRegion mask = window->mask();
  EXPECT_TRUE((mask ^ (QRegion(10, 10, 30, 20) + QRegion(60, 40, 20, 10))).isEmpty());

  window->abcShapeForm1->SetEnabled(false);
  EXPECT_TRUE(window->mask().isEmpty());
  window->abcShapeForm1->SetEnabled(true);
  EXPECT_EQ(window->mask(), mask);

  QTest::mouseClick(window->abcShapeForm1, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_TRUE(WaitClosed(splash, 1000));
}

TEST(AbcsplaShapeForm, MustBeOwnedByAWindow) {
  QWidget form;
  QWidget panel(&form);
  try {
    TabcShapeForm shape(&panel);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "This component must be owned by a TForm");
  }
  EXPECT_THROW(TabcShapeForm(nullptr), Exception);
}

TEST(AbcsplaShapeForm, DragsTheWindowFromAnyPointOrItsDragControl) {
  QWidget form;
  form.setWindowFlags(Qt::FramelessWindowHint);
  form.setGeometry(100, 100, 200, 150);
  auto* shape = new TabcShapeForm(&form);
  auto* handle = new QWidget(&form);
  handle->setGeometry(0, 0, 200, 20);
  int clicks = 0;
  shape->OnClick = [&](QObject*) { ++clicks; };
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(shape->geometry(), form.rect());

  const auto drag = [&](QWidget* on, QPoint from, QPoint by) {
    const QPoint start = form.pos();
    QTest::mousePress(on, Qt::LeftButton, {}, from);
    QTest::mouseMove(on, from + by);
    QTest::mouseRelease(on, Qt::LeftButton, {}, from + by);
    return form.pos() - start;
  };

  EXPECT_EQ(drag(shape, {50, 100}, {30, 20}), QPoint(0, 0));
  EXPECT_EQ(clicks, 1);  // without dragging a press and release is a click

  shape->SetDragAnywhere(true);
  EXPECT_EQ(drag(shape, {50, 100}, {30, 20}), QPoint(30, 20));
  EXPECT_EQ(clicks, 1);

  shape->SetDragControl(handle);
  EXPECT_FALSE(shape->DragAnywhere());
  handle->lower();  // the shape lies above it: the press lands on the shape
  EXPECT_EQ(drag(shape, {50, 10}, {-15, 5}), QPoint(-15, 5));
  EXPECT_EQ(drag(shape, {50, 100}, {-15, 5}), QPoint(0, 0));
}

TEST(AbcsplaSwitch, NoSplashParameter) {
  EXPECT_TRUE(TabcSplash::NoSplashRequested({"-ns"}));
  EXPECT_TRUE(TabcSplash::NoSplashRequested({"x", "/NS"}));
  EXPECT_TRUE(TabcSplash::NoSplashRequested({"-Ns"}));
  EXPECT_FALSE(TabcSplash::NoSplashRequested({"ns", "--ns", "-nsx", "/n s"}));
  EXPECT_FALSE(TabcSplash::NoSplashRequested({}));
}

// Runs only as the child of the next test, with the parameters that test gives it.
TEST(AbcsplaSwitch, ChildReportsWhetherTheSplashOpened) {
  const QString report = qEnvironmentVariable("ABCSPLA_CHILD_REPORT");
  if (report.isEmpty()) GTEST_SKIP() << "runs as a child process only";
  TabcSplash splash;
  splash.SetPicture(TPicture(Pattern(40, 30)));
  splash.Loaded();
  QFile file(report);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(splash.SplashWindow() ? "shown" : "none");
}

TEST(AbcsplaSwitch, CommandLineSwitchSuppressesTheSplash) {
  QTemporaryDir dir;
  const auto run = [&](const QStringList& parameters) {
    const QString report = dir.filePath("report");
    QFile::remove(report);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ABCSPLA_CHILD_REPORT", report);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{"--gtest_filter=AbcsplaSwitch.ChildReportsWhetherTheSplashOpened"} +
                    parameters);
    EXPECT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
    QFile file(report);
    return file.open(QIODevice::ReadOnly) ? QString(file.readAll()) : QString("no report");
  };
  EXPECT_EQ(run({}), "shown");
  EXPECT_EQ(run({"-ns"}), "none");
  EXPECT_EQ(run({"other", "/NS"}), "none");
}

namespace {

class TMySplash : public TabcsfSplash {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TMySplash(QWidget* owner = nullptr) : TabcsfSplash(owner) {}
};

}  // namespace

TEST(AbcsplaFormFactory, ReplacesTheSplashFormAndRefusesStrangers) {
  TabcSplash splash;  // registers the library's own form
  TabcFormFactory& factory = TabcFormFactory::Instance();
  try {
    factory.Register(TabcsfSplash::staticMetaObject, QWidget::staticMetaObject);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), "Form Factory error: QWidget does not inherit from TabcsfSplash");
  }
  EXPECT_EQ(factory.CreateForm(QWidget::staticMetaObject, nullptr), nullptr);

  factory.Register(TabcsfSplash::staticMetaObject, TMySplash::staticMetaObject);
  splash.SetPicture(TPicture(Pattern(40, 30)));
  splash.Show();
  EXPECT_NE(qobject_cast<TMySplash*>(splash.SplashWindow()), nullptr);
  splash.Hide();
  factory.Register(TabcsfSplash::staticMetaObject, TabcsfSplash::staticMetaObject);
  splash.Show();
  EXPECT_EQ(qobject_cast<TMySplash*>(splash.SplashWindow()), nullptr);
}

#include "test_Abcspla.moc"
