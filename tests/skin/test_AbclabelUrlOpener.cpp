// Opening links: the text/html handler found through GIO in a private set of XDG folders,
// its Exec line cut at the placeholder, and a real script started as the browser.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "Abclabel.h"
#include "Codepage.h"
#include "QtCodepage.h"
#include "UrlOpener.h"

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

// Every lookup folder points into one temporary tree, so the machine's own
// associations never take part. The folders exist from the start, so that GIO watches
// them for changes rather than polling for their appearance; the browsers' programs lie
// on the PATH, since GIO passes over entries whose program is not installed.
class UrlOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Root.isValid());
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
      qputenv(name, Path(name).toLocal8Bit());
      QDir().mkpath(Path(name) + "/applications");
    }
    qunsetenv("XDG_CURRENT_DESKTOP");
    QDir().mkpath(Path("bin"));
    qputenv("PATH", (Path("bin") + ':' + qEnvironmentVariable("PATH")).toLocal8Bit());
  }

  QString Path(const QString& relative) const { return Root.filePath(relative); }
  QString Applications() const { return Path("XDG_DATA_HOME/applications"); }

  void Desktop(const QString& id, const QString& exec, const QString& extra = {}) {
    WriteFile(
        Applications() + '/' + id,
        ("[Desktop Entry]\nType=Application\nName=Browser\nExec=" + exec + '\n' + extra).toUtf8());
  }
  void DefaultFor(const QString& listPath, const QString& ids) {
    WriteFile(listPath, ("[Default Applications]\ntext/html=" + ids + '\n').toUtf8());
  }

  // An installed program that does nothing.
  void Program(const QString& name) {
    const QString program = Path("bin/" + name);
    WriteFile(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  // GIO notices changed files through its file monitors, a moment after the change: the
  // lookup is repeated until it gives `expected` (at most 10 s) and its last answer returned.
  static QString HandlerSettlingOn(const QString& expected) {
    QString command;
    if (QTest::qWaitFor([&] { return (command = UrlOpener::HandlerCommand()) == expected; }, 10000))
      return expected;
    return command;
  }

  // A browser that writes its arguments, one per NUL, once it has them all.
  QString HandlerScript(const QString& name) {
    const QString script = Path(name);
    WriteFile(script,
              "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script;
  }
  static QStringList ArgumentsOf(const QString& script) {
    const QString path = script + ".args";
    if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 10000)) return {"<not started>"};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList arguments = QString::fromUtf8(file.readAll()).split(QChar(0));
    arguments.removeLast();
    return arguments;
  }

  QTemporaryDir Root;
};

const QString TrickyUrl = "http://example.com/a b/\"quoted\" 'single' $HOME;&x=1 %20";

}  // namespace

TEST(UrlOpenerCommand, CutsAtTheFirstPlaceholder) {
  using UrlOpener::CutAtPlaceholder;
  EXPECT_EQ(CutAtPlaceholder("browser --new \"%u\" --after"), "browser --new ");
  EXPECT_EQ(CutAtPlaceholder("browser --new %U --after"), "browser --new ");
  EXPECT_EQ(CutAtPlaceholder("browser %f"), "browser ");
  EXPECT_EQ(CutAtPlaceholder("browser --kept whole"), "browser --kept whole");
  // The quoted form wins even when a bare one comes first.
  EXPECT_EQ(CutAtPlaceholder("b %u x \"%F\" y"), "b %u x ");
  // "%%u" is a percent sign and a letter, %i no address placeholder.
  EXPECT_EQ(CutAtPlaceholder("b 100%%u %i %u"), "b 100%%u %i ");
  EXPECT_EQ(CutAtPlaceholder(""), "");
}

TEST(UrlOpenerCommand, SplitsByDesktopEntryQuoting) {
  using UrlOpener::SplitCommand;
  EXPECT_EQ(SplitCommand("  /usr/bin/b  --one\t--two "),
            QStringList({"/usr/bin/b", "--one", "--two"}));
  EXPECT_EQ(SplitCommand("\"/opt/my browser/b\" \"a \\\"q\\\" \\\\ \\$x\" \"\""),
            QStringList({"/opt/my browser/b", "a \"q\" \\ $x", ""}));
  EXPECT_EQ(SplitCommand("b --icon %i %c 50%% -x%k"), QStringList({"b", "--icon", "50%", "-x"}));
  EXPECT_EQ(SplitCommand("b \"unbalanced"), std::nullopt);
  EXPECT_EQ(SplitCommand("   "), QStringList());
}

TEST_F(UrlOpenerTest, FindsTheDefaultHandlerInTheXdgOrder) {
  for (const char* program : {"data-browser", "config-browser", "cached-browser"}) Program(program);
  Desktop("data-browser.desktop", "data-browser %u");
  Desktop("config-browser.desktop", "config-browser %u");
  EXPECT_EQ(UrlOpener::HandlerCommand(), "");

  // An entry that says it handles the type, as the desktop's cache also records.
  Desktop("cached-browser.desktop", "cached-browser %u", "MimeType=text/html;\n");
  WriteFile(Applications() + "/mimeinfo.cache",
            "[MIME Cache]\ntext/html=cached-browser.desktop;\n");
  EXPECT_EQ(HandlerSettlingOn("cached-browser %u"), "cached-browser %u");

  DefaultFor(Applications() + "/mimeapps.list", "data-browser.desktop;");
  EXPECT_EQ(HandlerSettlingOn("data-browser %u"), "data-browser %u");

  // The user's configuration comes first; an entry that is not installed is passed over.
  DefaultFor(Path("XDG_CONFIG_HOME/mimeapps.list"), "gone.desktop;config-browser.desktop;");
  EXPECT_EQ(HandlerSettlingOn("config-browser %u"), "config-browser %u");

  // So is an entry whose program has gone.
  QFile::remove(Path("bin/config-browser"));
  EXPECT_EQ(HandlerSettlingOn("data-browser %u"), "data-browser %u");
}

TEST_F(UrlOpenerTest, FindsVendorEntriesInSubfoldersAndUnescapesExec) {
  const QString program = Path("web browser/run");
  WriteFile(program, "#!/bin/sh\n");
  QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QString escaped = program;
  escaped.replace(' ', "\\s");
  WriteFile(Applications() + "/vendor/web.desktop",
            ("[Desktop Entry]\nType=Application\nName=Web\nExec=\"" + escaped +
             "\" %u\n[Other]\nExec=wrong\n")
                .toUtf8());
  DefaultFor(Applications() + "/mimeapps.list", "vendor-web.desktop");
  const QString expected = '"' + program + "\" %u";
  EXPECT_EQ(HandlerSettlingOn(expected), expected);
}

TEST_F(UrlOpenerTest, UrlArrivesAsOneArgumentWhateverTheCutRule) {
  const QString script = HandlerScript("my browser.sh");
  DefaultFor(Applications() + "/mimeapps.list", "browser.desktop");
  const QString quotedProgram = '"' + script + '"';

  Desktop("browser.desktop", quotedProgram + " --new-window \"%u\" --dropped");
  HandlerSettlingOn(quotedProgram + " --new-window \"%u\" --dropped");
  ASSERT_TRUE(UrlOpener::OpenUrl(TrickyUrl));
  EXPECT_EQ(ArgumentsOf(script), QStringList({"--new-window", TrickyUrl}));

  QFile::remove(script + ".args");
  Desktop("browser.desktop", quotedProgram + " --bare %u --dropped");
  HandlerSettlingOn(quotedProgram + " --bare %u --dropped");
  ASSERT_TRUE(UrlOpener::OpenUrl(TrickyUrl));
  EXPECT_EQ(ArgumentsOf(script), QStringList({"--bare", TrickyUrl}));

  QFile::remove(script + ".args");
  Desktop("browser.desktop", quotedProgram + " --kept whole");
  HandlerSettlingOn(quotedProgram + " --kept whole");
  ASSERT_TRUE(UrlOpener::OpenUrl(TrickyUrl));
  EXPECT_EQ(ArgumentsOf(script), QStringList({"--kept", "whole", TrickyUrl}));
}

TEST_F(UrlOpenerTest, NothingHappensWithoutAUsableHandler) {
  EXPECT_FALSE(UrlOpener::OpenUrl("http://example.com/"));  // no association at all
  DefaultFor(Applications() + "/mimeapps.list", "browser.desktop");
  Desktop("browser.desktop", "");
  EXPECT_FALSE(UrlOpener::OpenUrl("http://example.com/"));
  Desktop("browser.desktop", "%u");
  EXPECT_FALSE(UrlOpener::OpenUrl("http://example.com/"));
  Desktop("browser.desktop", Path("no-such-browser") + " %u");
  EXPECT_FALSE(UrlOpener::OpenUrl("http://example.com/"));
  Desktop("browser.desktop", "\"unbalanced %u");
  EXPECT_FALSE(UrlOpener::OpenUrl("http://example.com/"));
}

TEST_F(UrlOpenerTest, LinkLabelClickRaisesOnClickThenOpensItsUrl) {
  const QString script = HandlerScript("browser.sh");
  DefaultFor(Applications() + "/mimeapps.list", "browser.desktop");
  Desktop("browser.desktop", script + " %u");

  TabcURLLabel label;
  const std::string url =
      Codepage::Utf8ToCp1251("http://example.com/cheats/cheat.phtml?id=7&имя=а б");
  label.SetURL(url);
  bool clicked = false;
  label.OnClick = [&](QObject* sender) {
    EXPECT_EQ(sender, &label);
    EXPECT_FALSE(QFile::exists(script + ".args"));
    clicked = true;
  };
  label.Click();
  EXPECT_TRUE(clicked);
  EXPECT_EQ(ArgumentsOf(script),
            QStringList({ToQString(url)}));
}

TEST_F(UrlOpenerTest, LinkLabelWithoutHandlerStillClicksQuietly) {
  TabcURLLabel label;
  label.SetURL("http://example.com/");
  int clicks = 0;
  label.OnClick = [&](QObject*) { ++clicks; };
  EXPECT_NO_THROW(label.Click());
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(label.OpenURL());
}
