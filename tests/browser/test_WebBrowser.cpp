// The banner's web view against a loopback server: what loads, what is refused, which
// events the host sees and in what order.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>

#include "LoopbackServer.h"
#include "QtPrint.h"
#include "WebBrowser.h"

namespace {

// What the host is told, one line per event.
class TEventLog {
 public:
  explicit TEventLog(TWebBrowser& browser) {
    browser.OnStatusTextChange = [this, &browser](QObject* sender, const std::wstring& text) {
      EXPECT_EQ(sender, &browser);
      Lines.append("status " + QString::fromStdWString(text));
    };
    browser.OnNavigateComplete2 = [this, &browser](QObject* sender, const std::wstring& url) {
      EXPECT_EQ(sender, &browser);
      Lines.append("complete " + QString::fromStdWString(url));
    };
  }
  bool WaitForDone() {
    return QTest::qWaitFor([this] { return Lines.contains("status Done"); }, 10000);
  }
  QStringList Lines;
};

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// Pictures drawn by Pillow, as a site's authoring tools would write them.
class WebBrowserPictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = new QTemporaryDir;
    const QString script = R"(
import os, sys
from PIL import Image
os.chdir(sys.argv[1])
Image.new('RGB', (40, 20), (200, 30, 40)).save('red.png')
Image.new('RGB', (24, 12), (20, 40, 220)).save('blue.jpg', quality=95)
Image.new('1', (9000, 9000), 0).save('huge.png')
Image.frombytes('RGB', (700, 700), os.urandom(700 * 700 * 3)).save('noise.png')
green = Image.new('P', (30, 16), 1)
green.putpalette([0, 0, 0, 20, 160, 60] + [0] * 762)
green.paste(0, (0, 0, 10, 16))
green.save('green.gif', transparency=0)
Image.new('P', (3000, 3000), 0).save('huge.gif')
)";
    ASSERT_EQ(QProcess::execute("/usr/bin/python3", {"-c", script, Folder->path()}), 0);
  }
  static void TearDownTestSuite() { delete Folder; }
  static QByteArray Picture(const QString& name) { return ReadFile(Folder->filePath(name)); }

  static QImage Shown(TWebBrowser& browser, const QString& url) {
    const QVariant resource =
        browser.findChild<QTextBrowser*>()->document()->resource(QTextDocument::ImageResource, url);
    return resource.value<QImage>();
  }

  static inline QTemporaryDir* Folder = nullptr;
};

}  // namespace

TEST_F(WebBrowserPictures, PageLoadsWithItsWebPicturesOnly) {
  TLoopbackServer server;
  ASSERT_GT(Picture("noise.png").size(), TWebBrowser::MaxPictureBytes);
  server.Answer("/pics/red.png", Picture("red.png"), "image/png");
  server.Answer("/blue.jpg", Picture("blue.jpg"), "image/jpeg");
  server.Answer("/huge.png", Picture("huge.png"), "image/png");
  server.Answer("/noise.png", Picture("noise.png"), "image/png");
  server.Answer("/green.gif", Picture("green.gif"), "image/gif");
  server.Answer("/huge.gif", Picture("huge.gif"), "image/gif");
  const QString local = Folder->filePath("red.png");
  server.Answer("/pics/banner.html",
                "<html><body><img src=\"red.png\"><img src=\"" + server.Url("/blue.jpg").toUtf8() +
                    "\"><img src=\"/huge.png\"><img src=\"/noise.png\"><img src=\"/green.gif\">"
                    "<img src=\"/huge.gif\"><img src=\"file://" +
                    local.toUtf8() + "\"><img src=\"qrc:/red.png\"></body></html>");

  TWebBrowser browser;  // never shown: a hidden banner loads whole all the same
  TEventLog log(browser);
  browser.Navigate(server.Url("/pics/banner.html").toStdWString());
  ASSERT_TRUE(log.WaitForDone()) << log.Lines.join('\n').toStdString();

  EXPECT_EQ(log.Lines.mid(0, 2),
            QStringList({"status Opening page " + server.Url("/pics/banner.html"),
                         "complete " + server.Url("/pics/banner.html")}));
  EXPECT_EQ(log.Lines.last(), "status Done");
  const char* const fetched[] = {"/pics/red.png", "/blue.jpg",  "/huge.png",
                                 "/noise.png",    "/green.gif", "/huge.gif"};
  for (const char* path : fetched)
    EXPECT_TRUE(log.Lines.contains("status Downloading picture " + server.Url(path))) << path;
  EXPECT_EQ(log.Lines.size(), 2 + std::size(fetched) + 1);

  const QImage red = Shown(browser, server.Url("/pics/red.png"));
  EXPECT_EQ(red.size(), QSize(40, 20));
  EXPECT_EQ(red.pixelColor(5, 5), QColor(200, 30, 40));
  const QImage blue = Shown(browser, server.Url("/blue.jpg"));
  EXPECT_EQ(blue.size(), QSize(24, 12));
  // The GIF's first frame, its transparent colour see-through.
  const QImage green = Shown(browser, server.Url("/green.gif"));
  EXPECT_EQ(green.size(), QSize(30, 16));
  EXPECT_EQ(green.pixelColor(20, 5), QColor(20, 160, 60));
  EXPECT_EQ(green.pixelColor(5, 5).alpha(), 0);
  for (const QString& refused :
       {server.Url("/huge.png"), server.Url("/noise.png"), server.Url("/huge.gif"),
        QUrl::fromLocalFile(local).toString(), QString("qrc:/red.png")})
    EXPECT_TRUE(Shown(browser, refused).isNull()) << refused.toStdString();
  EXPECT_EQ(server.Requests.size(), 1 + std::size(fetched));
  EXPECT_FALSE(browser.Busy());
  EXPECT_EQ(browser.LocationURL(), server.Url("/pics/banner.html").toStdWString());
}

// Every way a navigation fails ends on the local error page, reported as a navigation.
TEST(WebBrowser, FailuresEndOnTheErrorPage) {
  TLoopbackServer server;
  server.Stall("/stall");
  server.Answer("/forbidden", "no", "text/html", 403);
  server.Answer("/big-missing", QByteArray(2 << 20, 'x'), "text/html", 404);
  server.Redirect("/loop", "/loop");
  server.Answer("/too-deep", QByteArray("<table><tr><td>").repeated(3));
  server.Answer("/long-headers", "<p>x", "text/html", 200,
                QByteArray("X-Padding: " + QByteArray(1000, 'p') + "\r\n").repeated(40));
  server.Redirect("/to-file", "file:///etc/passwd");
  for (int hop = 1; hop <= 6; ++hop)
    server.Redirect(QString("/hop%1").arg(hop), QString("/hop%1").arg(hop + 1));
  QTcpServer closed;
  closed.listen(QHostAddress::LocalHost, 0);
  const QString refused = QString("http://127.0.0.1:%1/page").arg(closed.serverPort());
  closed.close();

  const QString unreachable = "res://browser/navcancl.htm#";
  const QString httpError = "res://browser/httperror.htm#";
  const struct {
    QString url;
    QString page;
    int timeout = TWebBrowser::DefaultTimeout;
  } cases[] = {
      {refused, unreachable},
      {server.Url("/missing"), httpError},
      {server.Url("/forbidden"), httpError},
      {server.Url("/big-missing"), httpError},
      {server.Url("/stall"), unreachable, 300},
      {server.Url("/loop"), unreachable},
      {server.Url("/too-deep"), unreachable},  // past the layout budget
      {server.Url("/long-headers"), unreachable},
      {server.Url("/to-file"), unreachable},
      {server.Url("/hop1"), unreachable},  // six redirects, one too many
      {"file:///etc/passwd", unreachable},
      {"ftp://127.0.0.1/", unreachable},
      {"not an address", unreachable},
  };
  for (const auto& [url, page, timeout] : cases) {
    TWebBrowser browser;
    browser.SetTimeout(timeout);
    TEventLog log(browser);
    browser.Navigate(url.toStdWString());
    ASSERT_TRUE(log.WaitForDone()) << url.toStdString();
    EXPECT_EQ(log.Lines,
              QStringList({"status Opening page " + url, "status Opening page " + page + url,
                           "complete " + page + url, "status Done"}))
        << url.toStdString();
    EXPECT_EQ(browser.LocationURL(), (page + url).toStdWString());
  }
}

TEST(WebBrowser, BoundedPagesAndRedirects) {
  TLoopbackServer server;
  // Comments take the room: the page's text stays within what the view lays out.
  server.Answer("/big", "<p>START</p><!--" + QByteArray(2 << 20, 'a') + "--><p>END</p>");
  server.Answer("/exact", "<!--" + QByteArray(TWebBrowser::MaxPageBytes - 13, 'b') + "--><p>END");
  for (int hop = 1; hop <= 5; ++hop)
    server.Redirect(QString("/hop%1").arg(hop), QString("/hop%1").arg(hop + 1));
  server.Answer("/hop6", "<p>arrived</p>");
  server.Answer("/nested", "<p>top</p>" + QByteArray("<table><tr><td>").repeated(2) + "in");
  server.Answer("/chunked", {}, "text/html", 200,
                "Transfer-Encoding: chunked\r\n\r\n3;x=y\r\n<p>\r\na\r\nin 10 byte\r\n"
                "0\r\nTrailer: t\r\n");
  server.Answer("/moved", QByteArray(300000, 'x'), "text/html", 301, "Location: /hop6\r\n");

  const struct {
    QString path;
    QString location;
    QString starts, ends;
    qsizetype size;
  } cases[] = {
      {"/big", "/big", "START", "START", 5},  // cut inside the comment
      {"/exact", "/exact", "END", "END", 3},
      {"/hop1", "/hop6", "arrived", "arrived", 7},  // five redirects are followed
      {"/moved", "/hop6", "arrived", "arrived", 7},
      {"/nested", "/nested", "top", "in\n\n", 9},  // the tables end their lines
      {"/chunked", "/chunked", "in 10 byte", "in 10 byte", 10},
  };
  for (const auto& c : cases) {
    TWebBrowser browser;
    TEventLog log(browser);
    browser.Navigate(server.Url(c.path).toStdWString());
    ASSERT_TRUE(log.WaitForDone()) << c.path.toStdString();
    EXPECT_EQ(log.Lines, QStringList({"status Opening page " + server.Url(c.path),
                                      "complete " + server.Url(c.location), "status Done"}));
    const QString text = browser.PageText();
    EXPECT_TRUE(text.startsWith(c.starts)) << c.path.toStdString();
    EXPECT_TRUE(text.endsWith(c.ends)) << c.path.toStdString();
    EXPECT_EQ(text.size(), c.size) << c.path.toStdString();
  }
}

TEST(WebBrowser, NewNavigationCancelsTheRunningOne) {
  TLoopbackServer server;
  server.Stall("/slow");
  server.Answer("/page", "<p>second</p>");
  TWebBrowser browser;
  browser.SetTimeout(200);
  TEventLog log(browser);
  browser.Navigate(server.Url("/slow").toStdWString());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests.contains("/slow"); }, 5000));
  browser.Navigate(server.Url("/page").toStdWString());
  ASSERT_TRUE(log.WaitForDone());
  // Long past the first navigation's time limit: it has nothing more to say.
  QTest::qWait(400);
  EXPECT_EQ(log.Lines, QStringList({"status Opening page " + server.Url("/slow"),
                                    "status Opening page " + server.Url("/page"),
                                    "complete " + server.Url("/page"), "status Done"}));
  EXPECT_EQ(browser.PageText(), "second");
}
