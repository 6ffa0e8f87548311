// A link clicked in the banner goes to the user's browser, found the desktop's way in a
// private set of folders; the banner itself stays on its page.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>

#include "LoopbackServer.h"
#include "QtPrint.h"
#include "WebBrowser.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text, bool executable = false) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
  if (executable) file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The centre of the first character of `text` in the view's viewport.
QPoint PointOf(QTextBrowser& view, const QString& text) {
  QTextCursor cursor = view.document()->find(text);
  cursor.setPosition(cursor.selectionStart() + 1);
  return view.cursorRect(cursor).center() - QPoint(3, 0);
}

}  // namespace

TEST(WebBrowserLinks, ClickOpensTheUsersBrowserWithTheResolvedAddress) {
  QTemporaryDir root;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
    qputenv(name, root.filePath(name).toLocal8Bit());
  qunsetenv("XDG_CURRENT_DESKTOP");
  // The "browser" appends each address it is given to a log.
  const QString handler = root.filePath("browser.sh");
  const QString opened = root.filePath("opened.log");
  WriteFile(handler, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " + opened.toUtf8() + "\n", true);
  WriteFile(root.filePath("XDG_DATA_HOME/applications/fake.desktop"),
            "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + handler.toUtf8() + " %u\n");
  WriteFile(root.filePath("XDG_CONFIG_HOME/mimeapps.list"),
            "[Default Applications]\ntext/html=fake.desktop\n");

  TLoopbackServer server;
  server.Answer("/ad/banner.html",
                "<p><a href=\"file:///etc/passwd\">LOCAL</a> <a href=\"javascript:x()\">SCRIPT</a> "
                "<a href=\"../games/?id=7\">GAMES</a></p>");
  TWebBrowser browser;
  browser.setGeometry(0, 0, 505, 89);
  browser.show();
  bool done = false;
  browser.OnStatusTextChange = [&](QObject*, const std::wstring& text) { done = text == L"Done"; };
  browser.Navigate(server.Url("/ad/banner.html").toStdWString());
  ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));

  auto& view = *browser.findChild<QTextBrowser*>();
  for (const char* link : {"LOCAL", "SCRIPT", "GAMES"})
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, PointOf(view, link));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(opened); }, 10000));
  QTest::qWait(200);
  QFile log(opened);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), server.Url("/games/?id=7").toUtf8() + "\n");
  EXPECT_EQ(browser.LocationURL(), server.Url("/ad/banner.html").toStdWString());
  EXPECT_EQ(server.Requests, QStringList{"/ad/banner.html"});
}
