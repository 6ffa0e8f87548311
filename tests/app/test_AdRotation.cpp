// The header's banner area on the started window: the rotation's ticks called directly
// with the browser's events between them, the real browser failing against a closed
// port, and banner clicks reaching a real text/html handler.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <set>

#include "AdRotation.h"
#include "CoolCtrls.h"
#include "FormHarness.h"
#include "GIFCtrl.h"
#include "SiteLinks.h"
#include "WebBrowser.h"

using namespace CatalogueMaker;

namespace {

// A site address nobody answers on: a port that was free a moment ago.
QByteArray ClosedSite() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost);
  return "http://127.0.0.1:" + QByteArray::number(probe.serverPort());
}

class AdRotationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("TRICKFOLIO_SITE", ClosedSite());
    h = std::make_unique<TFormHarness>(&members);
    h->Start();
    ASSERT_TRUE(h->Started);
  }
  void TearDown() override {
    h.reset();
    qunsetenv("TRICKFOLIO_SITE");
  }

  TFormMain& f() { return *h->Main; }
  std::vector<TRxGIFAnimator*> Banners() {
    return {f().RxGIFAnimator1, f().RxGIFAnimator2, f().RxGIFAnimator3, f().RxGIFAnimator4,
            f().RxGIFAnimator5};
  }
  // The number (1 ... 5) of the one banner shown and animating; 0 when none is, -1 when
  // more than one is.
  int ShownBanner() {
    int shown = 0;
    for (int k = 1; k <= 5; ++k) {
      TRxGIFAnimator* banner = Banners()[size_t(k - 1)];
      if (banner->Visible() != banner->Animate()) return -1;
      if (banner->Visible()) shown = shown ? -1 : k;
    }
    return shown;
  }

  const TMembers members = Standard();
  std::unique_ptr<TFormHarness> h;
};

}  // namespace

TEST_F(AdRotationTest, TheBannerAreaAsLaidOutAndAfterActivation) {
  EXPECT_EQ(f().WebBrowser1->parentWidget(), static_cast<QWidget*>(f().CoolPanel9));
  EXPECT_EQ(f().WebBrowser1->geometry(), QRect(-2, -2, 505, 89));
  EXPECT_FALSE(f().WebBrowser1->isVisible());
  EXPECT_FALSE(f().WebBrowser1->Visible());
  for (TRxGIFAnimator* banner : Banners()) {
    EXPECT_EQ(banner->parentWidget(), static_cast<QWidget*>(f().CoolPanel9));
    EXPECT_EQ(banner->geometry(), QRect(0, 0, 468, 60));
    EXPECT_EQ(banner->Cursor(), Qt::PointingHandCursor);
    EXPECT_FALSE(banner->Transparent());
    EXPECT_EQ(banner->Image().Count(), 1);
    EXPECT_EQ(banner->Timer().Interval(), 0u);  // a still picture never ticks
  }
  // The first tick at activation always shows a GIF: nothing has loaded yet.
  EXPECT_GE(ShownBanner(), 1);
  EXPECT_TRUE(f().AdTimer->isActive());
  EXPECT_EQ(f().AdTimer->interval(), 40000);
  EXPECT_FALSE(f().AdLoaded);
  EXPECT_TRUE(f().AdClean);
}

TEST_F(AdRotationTest, WhatEachPeriodsBrowserEventsShowAtTheNextTick) {
  const struct {
    const char* Name;
    bool Completed;
    std::vector<std::wstring> StatusTexts;
    bool Web;
  } periods[] = {
      {"nothing arrived", false, {}, false},
      {"a clean load", true, {L"Opening page http://site/", L"Done"}, true},
      {"the web page stays one period, then a GIF again", false, {}, false},
      {"a load followed by an error page",
       true,
       {L"Done", L"Opening page res://navcancl.htm"},
       false},
      {"an error page after other text", true, {L"Opening page xres://x"}, false},
      {"an error page alone", false, {L"res://browser/navcancl.htm"}, false},
      {"upper case is no error page", true, {L"RES://browser/navcancl.htm"}, true},
  };
  for (const auto& period : periods) {
    SCOPED_TRACE(period.Name);
    if (period.Completed) f().WebBrowser1NavigateComplete2(f().WebBrowser1, L"http://site/");
    for (const std::wstring& text : period.StatusTexts)
      f().WebBrowser1StatusTextChange(f().WebBrowser1, text);
    f().WebBrowser1->Stop();
    f().AdTimerTimer(f().AdTimer);

    EXPECT_EQ(f().WebBrowser1->isVisible(), period.Web);
    EXPECT_EQ(ShownBanner() >= 1, !period.Web);
    EXPECT_EQ(ShownBanner() == 0, period.Web);
    // A GIF period loads the page afresh; the web period leaves the page alone.
    EXPECT_EQ(f().WebBrowser1->Busy(), !period.Web);
    EXPECT_FALSE(f().AdLoaded);
    EXPECT_TRUE(f().AdClean);
    EXPECT_TRUE(f().AdTimer->isActive());
  }
}

TEST_F(AdRotationTest, WithoutTheSiteEveryTickShowsAGifAndTheBrowserNeverShows) {
  for (int tick = 0; tick < 3; ++tick) {
    // The real browser meets the closed port and turns to its error page.
    ASSERT_TRUE(WaitFor([&] { return !f().AdClean; }, 10000)) << "tick " << tick;
    f().AdTimerTimer(f().AdTimer);
    EXPECT_GE(ShownBanner(), 1);
    EXPECT_FALSE(f().WebBrowser1->isVisible());
  }
}

TEST_F(AdRotationTest, TheBannerIsDrawnFromAllFive) {
  std::set<int> seen;
  for (int draw = 0; draw < 500; ++draw) seen.insert(TAdRotation::NextBanner());
  EXPECT_EQ(seen, std::set<int>({1, 2, 3, 4, 5}));
}

TEST_F(AdRotationTest, ABannerClickOpensItsSectionInTheUsersBrowser) {
  // A text/html handler of our own, found the XDG way, that writes the address it got.
  QTemporaryDir xdg;
  const QString script = xdg.filePath("browser.sh");
  QFile file(script);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.url\"\n");
  file.close();
  QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QDir().mkpath(xdg.filePath("data/applications"));
  QFile desktop(xdg.filePath("data/applications/browser.desktop"));
  ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
  desktop.write(("[Desktop Entry]\nType=Application\nName=B\nExec=" + script + " %u\n").toUtf8());
  desktop.close();
  QFile list(xdg.filePath("data/applications/mimeapps.list"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("[Default Applications]\ntext/html=browser.desktop\n");
  list.close();
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
    qputenv(name, xdg.filePath("none").toLocal8Bit());
  qputenv("XDG_DATA_HOME", xdg.filePath("data").toLocal8Bit());
  qunsetenv("XDG_CURRENT_DESKTOP");

  const std::string site = SiteLinks::SiteBase();
  const std::string games = site + "/flashgames/";
  const std::string wallpapers = site + "/files/index.phtml?r=20&pr=86";
  const std::string expected[] = {games, games, wallpapers, wallpapers, games};
  for (int k = 1; k <= 5; ++k) {
    SCOPED_TRACE(k);
    f().AdRotation->Tick(k);
    TRxGIFAnimator* banner = Banners()[size_t(k - 1)];
    ASSERT_TRUE(banner->isVisible());
    QFile::remove(script + ".url");
    QTest::mouseClick(banner, Qt::LeftButton, Qt::NoModifier, QPoint(100, 30));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(script + ".url"); }, 10000));
    QFile url(script + ".url");
    url.open(QIODevice::ReadOnly);
    EXPECT_EQ(url.readAll().toStdString(), expected[k - 1]);
  }
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "XDG_DATA_HOME"})
    qunsetenv(name);
}
