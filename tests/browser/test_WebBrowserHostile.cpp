// The banner's web view against a site that plays a hostile server's tricks: every page
// ends shown or on the error page, within its budget of CPU time and memory, and the window
// keeps answering all along.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <iostream>

#include "WebBrowser.h"

namespace {

// tests/browser/hostile_site.py in a process of its own, so that its work is not counted
// as the viewer's.
class THostileSite {
 public:
  THostileSite() {
    Server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Server.start("/usr/bin/python3", {TRICKFOLIO_SOURCE_DIR "/tests/browser/hostile_site.py"});
    if (Server.waitForReadyRead(60000)) Port = Server.readLine().trimmed().toInt();
  }
  ~THostileSite() {
    Server.kill();
    Server.waitForFinished();
  }
  QString Url(const QString& path) const {
    return QString("http://127.0.0.1:%1%2").arg(Port).arg(path);
  }

  QProcess Server;
  int Port = 0;
};

double Seconds(const timeval& time) {
  return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

double ThreadCpuMs() {
  timespec time{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
  return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

long StatusKiB(const QByteArray& field) {
  QFile status("/proc/self/status");
  status.open(QIODevice::ReadOnly);
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(field)) return line.mid(field.size()).trimmed().split(' ')[0].toLong();
  return -1;
}

// From now on VmHWM is the peak of the resident memory.
void ResetPeakMemory() {
  QFile refs("/proc/self/clear_refs");
  if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

// The longest the GUI thread worked without getting back to its event loop, by a heartbeat
// timer: the thread's own CPU time between two beats, so that a loaded machine keeping it
// waiting for a core does not count as the window blocked.
class THeartbeat {
 public:
  THeartbeat() {
    Timer.setInterval(5);
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      const double now = ThreadCpuMs();
      Longest = std::max(Longest, now - Last);
      Last = now;
    });
    Timer.start();
  }
  double Longest = 0;

 private:
  QTimer Timer;
  double Last = ThreadCpuMs();
};

int PicturesShown(TWebBrowser& browser, const QString& url) {
  QTextDocument* page = browser.findChild<QTextBrowser*>()->document();
  int shown = 0;
  for (int i = 0; i < 64; ++i)
    shown += !page->resource(QTextDocument::ImageResource, QString("%1?%2").arg(url).arg(i))
                  .value<QImage>()
                  .isNull();
  return shown;
}

}  // namespace

// The sanitizer build runs unoptimised and keeps freed memory in quarantine: its budgets are
// the plain build's several times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kBudgetSlack = 4;
#else
constexpr double kBudgetSlack = 1;
#endif

TEST(WebBrowserHostile, EveryPageEndsWithinItsBudgetAndTheWindowKeepsAnswering) {
  THostileSite site;
  ASSERT_GT(site.Port, 0);
  const QString shown = "", unreachable = "res://browser/navcancl.htm#",
                httpError = "res://browser/httperror.htm#";
  const struct {
    QString path;
    QString page;  // the error page's prefix, or empty: the page itself
    QString text = {};
    QString picture = {};  // the page's 64 pictures: picture?0 ... picture?63
    int pictures = 0;
  } cases[] = {
      {"/ok", shown, "fine"},
      {"/worst-layout", shown},
      {"/blank-tables", unreachable},
      {"/blank-tables-200", shown, QString("< table>").repeated(200) + "\nend"},
      {"/tables-200", unreachable},
      {"/comment-tables", unreachable},
      {"/style", shown, "styled"},
      {"/blank-style", unreachable},
      {"/word", unreachable},
      {"/jpegs", shown, "", "/scans.jpg", 0},  // past the scans a picture may have
      {"/pngs", shown, "", "/big.png", 1},     // the first takes the whole budget of pixels
      {"/endless-headers", unreachable},
      {"/endless-header-line", unreachable},
      {"/redirect-endless", shown, "fine"},
      {"/error-endless", httpError},
      {"/chunks-endless", unreachable},  // cut at the byte limit, then past the text's
      {"/drip", unreachable},            // the time limit
  };
  TWebBrowser browser;
  browser.setGeometry(0, 0, 505, 89);
  browser.show();
  browser.SetTimeout(3000);
  bool done = false;
  browser.OnStatusTextChange = [&](QObject*, const std::wstring& text) { done |= text == L"Done"; };
  for (const auto& c : cases) {
    const QString url = site.Url(c.path);
    ResetPeakMemory();
    const long residentBefore = StatusKiB("VmRSS:");
    const double cpuBefore = ProcessCpuSeconds();
    THeartbeat heartbeat;
    done = false;
    browser.Navigate(url.toStdWString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 30000)) << c.path.toStdString();
    QTest::qWait(20);  // a last paint
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double extraMiB = double(StatusKiB("VmHWM:") - residentBefore) / 1024;
    std::cout << c.path.toStdString() << ": " << int(cpu * 1000) << " ms CPU, " << extraMiB
              << " MiB more at the peak, GUI thread busy " << heartbeat.Longest
              << " ms at most between beats\n";

    const QString location =
        c.page.isEmpty() ? site.Url(c.path == "/redirect-endless" ? "/ok" : c.path) : c.page + url;
    EXPECT_EQ(QString::fromStdWString(browser.LocationURL()), location);
    if (!c.text.isEmpty()) {
      EXPECT_EQ(browser.PageText(), c.text) << c.path.toStdString();
    }
    if (!c.picture.isEmpty()) {
      EXPECT_EQ(PicturesShown(browser, site.Url(c.picture)), c.pictures) << c.path.toStdString();
    }
    EXPECT_LT(cpu, 2.0 * kBudgetSlack) << c.path.toStdString();
    EXPECT_LT(extraMiB, 64 * kBudgetSlack) << c.path.toStdString();
    EXPECT_LT(heartbeat.Longest, 100 * kBudgetSlack) << c.path.toStdString();
  }
}
