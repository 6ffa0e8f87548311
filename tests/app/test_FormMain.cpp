#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>

#include "Abclabel.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormHarness.h"
#include "GameListBox.h"
#include "Image.h"
#include "SiteLinks.h"
#include "Splitter.h"
#include "StartUp.h"

using namespace CatalogueMaker;

namespace {

QString Caption(const TCoolPanel* panel) {
  return ToQString(panel->Caption());
}
QString Line(const TCoolMemo* memo, int i) {
  return ToQString(memo->Lines()[i]);
}

void Select(TFormMain& form, int index) {
  form.CLB_Games->SetItemIndex(index);
  form.CLB_Games->OnClick(form.CLB_Games);
}

void Type(QLineEdit* edit, const QString& text) {
  for (QChar ch : text)
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// The window on the standard catalogue, started and showing its first game.
class FormMainStarted : public ::testing::Test {
 protected:
  void SetUp() override {
    h = std::make_unique<TFormHarness>(&members);
    h->Start();
    ASSERT_TRUE(h->Started);
  }

  const TMembers members = Standard();
  std::unique_ptr<TFormHarness> h;
};

}  // namespace

TEST(FormMain, StartsBehindTheSplashAndShowsTheFirstGame) {
  const TMembers members = Standard();
  TFormHarness h(&members);
  TFormMain& f = *h.Main;
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), "Trickfolio v1.29");
  ASSERT_NE(f.abcSplash1->SplashWindow(), nullptr);
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_EQ(f.Timer1->interval(), 2200);

  h.Start();
  ASSERT_TRUE(h.Started);
  EXPECT_TRUE(h.Messages.Texts.isEmpty());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.CLB_Games->count(), 6);
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 0);
  EXPECT_EQ(Caption(f.CoolPanel2), "Список игр (всего: 6)");
  EXPECT_EQ(Caption(f.CoolPanel6), "Doom (PC)");
  ASSERT_EQ(f.CoolMemo1->Lines().Count(), 2);
  EXPECT_EQ(Line(f.CoolMemo1, 0), "IDDQD   god mode");
  EXPECT_EQ(f.CoolMemo1->font().family(), "Courier");
  EXPECT_FALSE(f.CoolMemo1->WordWrap());
  EXPECT_EQ(f.CoolMemo1->ScrollBars(), ssBoth);
  EXPECT_EQ(TAlignLayout::Of(f.CoolPanel4)->AlignOf(f.CoolMemo1), alClient);
  EXPECT_TRUE(f.Timer1->isActive());
  EXPECT_TRUE(f.AdTimer->isActive());
  EXPECT_EQ(f.AdTimer->interval(), 40000);
  const std::string site = SiteLinks::SiteBase();
  EXPECT_EQ(f.abcURLLabel_UpdateTrickfolio->URL(), site + "/trickfolio/");
  EXPECT_EQ(f.abcURLLabel_FlashGames->URL(), site + "/flashgames/");
  EXPECT_EQ(f.abcURLLabel_WallpapersGirls->URL(), site + "/files/index.phtml?r=20&pr=86");
  EXPECT_EQ(h.About->abcURLLabel1->URL(), site + "/reklama.phtml");
  EXPECT_FALSE(f.Terminated);
}

TEST(FormMain, AMissingCatalogueEndsTheProgramWithTheNotFoundMessage) {
  TFormHarness h(nullptr);
  h.Start();
  ASSERT_TRUE(h.Started);
  ASSERT_EQ(h.Messages.Texts.size(), 1);
  EXPECT_EQ(h.Messages.Texts[0], CatalogueMessages::NotFound);
  EXPECT_EQ(h.Messages.Titles[0], "Error");
  EXPECT_EQ(h.Messages.Icons[0], QMessageBox::Critical);
  EXPECT_TRUE(h.Main->Terminated);
  EXPECT_FALSE(h.Main->Timer1->isActive());
}

TEST(FormMain, AWindowWhoseBannerCannotBeReadEndsTheProgramWithItsError) {
  // The window's data without its banners: the compiled-in resources give way to a file
  // of rcc's making that holds only the pictures.
  QTemporaryDir dir;
  QFile qrc(dir.filePath("pictures.qrc"));
  ASSERT_TRUE(qrc.open(QIODevice::WriteOnly));
  qrc.write(QString(R"(<RCC><qresource prefix="/pictures"><file alias="header.jpg">%1/header.jpg</file>
                       <file alias="splash.jpg">%1/splash.jpg</file></qresource></RCC>)")
                .arg(TRICKFOLIO_SOURCE_DIR "/resources/pictures")
                .toUtf8());
  qrc.close();
  const QString rcc = dir.filePath("pictures.rcc");
  ASSERT_EQ(QProcess::execute("/usr/lib/qt6/libexec/rcc", {"-binary", qrc.fileName(), "-o", rcc}), 0);
  Q_CLEANUP_RESOURCE(resources);
  ASSERT_TRUE(QResource::registerResource(rcc));

  TMessageWatcher messages;
  EXPECT_FALSE(StartUp::CreateMainWindow());
  QResource::unregisterResource(rcc);
  Q_INIT_RESOURCE(resources);
  ASSERT_EQ(messages.Texts.size(), 1);
  EXPECT_EQ(messages.Texts[0], "Stream read error");
  EXPECT_EQ(messages.Titles[0], "Error");
  EXPECT_EQ(messages.Icons[0], QMessageBox::Critical);
}

TEST(FormMain, AnUnreadableCatalogueEndsTheProgramWithTheDamagedMessage) {
  const TMembers wrongVersion = [] {
    TMembers m = Standard();
    m["version.txt"] = "Trickfolio v1.30";
    return m;
  }();
  const TMembers noFiles = [] {
    TMembers m = Standard();
    m.erase("files.txt");
    return m;
  }();
  for (const TMembers* members : {&wrongVersion, &noFiles}) {
    TFormHarness h(members);
    h.Start();
    ASSERT_TRUE(h.Started);
    ASSERT_EQ(h.Messages.Texts.size(), 1);
    EXPECT_EQ(h.Messages.Texts[0], CatalogueMessages::Damaged);
    EXPECT_TRUE(h.Main->Terminated);
    EXPECT_EQ(h.Main->CLB_Games->count(), 6) << "the names read before the failure stay";
    EXPECT_EQ(h.Main->CoolMemo1->Lines().Count(), 0) << "no game is shown";
  }
  TFormHarness garbage(nullptr);
  garbage.Folder.WriteFile(garbage.Folder.Archive(), "PK but not really");
  garbage.Start();
  ASSERT_EQ(garbage.Messages.Texts.size(), 1);
  EXPECT_EQ(garbage.Messages.Texts[0], CatalogueMessages::Damaged);
}

TEST_F(FormMainStarted, ViewsFollowTheDisplayFlagAndExpandTabs) {
  TFormMain& f = *h->Main;
  for (int i : {1, 2}) {  // flags "0" and "1 "
    Select(f, i);
    EXPECT_EQ(f.CoolMemo1->font().family(), "Arial") << i;
    EXPECT_TRUE(f.CoolMemo1->WordWrap());
    EXPECT_EQ(f.CoolMemo1->ScrollBars(), ssVertical);
  }
  Select(f, 1);
  EXPECT_EQ(Caption(f.CoolPanel6), "Dune (PC)");
  EXPECT_EQ(Line(f.CoolMemo1, 0), "Пароль: SPICE");
  EXPECT_EQ(f.CoolMemo1->font().pixelSize(), 12) << "only family and pitch change";

  Select(f, 3);
  ASSERT_EQ(f.CoolMemo1->Lines().Count(), 3);
  EXPECT_EQ(Line(f.CoolMemo1, 0), "        x");
  EXPECT_EQ(Line(f.CoolMemo1, 1), "ab      c");
  EXPECT_EQ(Line(f.CoolMemo1, 2), "a\t");
  EXPECT_TRUE(f.CoolBitmapButton1->Enabled());
  EXPECT_TRUE(f.CoolBitmapButton5->Enabled());
  EXPECT_FALSE(f.ViewBusy);
}

TEST_F(FormMainStarted, OnlineOnlyGamesShowTheLinkInsteadOfTheCodes) {
  TFormMain& f = *h->Main;
  Select(f, 4);
  EXPECT_EQ(Caption(f.CoolPanel6), "Квейк (PC)");
  EXPECT_TRUE(f.CoolMemo1->isHidden());
  EXPECT_TRUE(f.CoolBitmapButton9->isHidden());
  EXPECT_TRUE(f.SolutionURLLabel->isVisible());
  EXPECT_EQ(f.SolutionURLLabel->URL(), SiteLinks::SiteBase() + "/cheats/cheat.phtml?id=777");
  f.CoolBitmapButton2Click(f.CoolBitmapButton2);
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 3);
  EXPECT_FALSE(f.CoolMemo1->isHidden());
  EXPECT_FALSE(f.CoolBitmapButton9->isHidden());
}

TEST_F(FormMainStarted, AGameWhoseMemberIsMissingEndsTheProgram) {
  TFormMain& f = *h->Main;
  Select(f, 1);
  Select(f, 5);
  ASSERT_EQ(h->Messages.Texts.size(), 1);
  EXPECT_EQ(h->Messages.Texts[0], CatalogueMessages::Damaged);
  EXPECT_TRUE(f.Terminated);
  EXPECT_EQ(Caption(f.CoolPanel6), "Dune (PC)") << "the last view stays";
  EXPECT_EQ(f.CoolMemo1->font().family(), "Courier") << "the display mode still follows the flag";
  EXPECT_TRUE(f.CoolBitmapButton3->Enabled());
  EXPECT_FALSE(f.ViewBusy);
}

TEST_F(FormMainStarted, IncrementalSearchWalksTheList) {
  TFormMain& f = *h->Main;
  struct {
    const char* keys;  // "\b" deletes
    int selected;
    int last, best;
  } steps[] = {{"d", 0, 1, 1},  {"u", 1, 2, 2},  {"k", 2, 3, 3}, {"x", 2, 3, 3},
               {"\b", 2, 3, 3}, {"\b", 1, 2, 2}, {"\b", 0, 1, 1}};
  for (const auto& step : steps) {
    if (step.keys[0] == '\b')
      QTest::keyClick(f.Edit1, Qt::Key_Backspace);
    else
      QTest::keyClicks(f.Edit1, step.keys);
    EXPECT_EQ(f.CLB_Games->ItemIndex(), step.selected) << f.Edit1->text().toStdString();
    EXPECT_EQ(f.Search.SearchLastLen, step.last) << f.Edit1->text().toStdString();
    EXPECT_EQ(f.Search.SearchBestLen, step.best) << f.Edit1->text().toStdString();
  }
  EXPECT_EQ(Caption(f.CoolPanel6), "Doom (PC)");
  QTest::keyClick(f.Edit1, Qt::Key_Backspace);
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 0);
  EXPECT_EQ(f.Search.SearchLastLen, 1);

  Type(f.Edit1, "кВ");
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 4);
  EXPECT_EQ(Caption(f.CoolPanel6), "Квейк (PC)");
}

TEST_F(FormMainStarted, ForwardBackAndEnter) {
  TFormMain& f = *h->Main;
  f.CoolBitmapButton2Click(f.CoolBitmapButton2);
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 0);
  f.CoolBitmapButton1Click(f.CoolBitmapButton1);
  EXPECT_EQ(Caption(f.CoolPanel6), "Dune (PC)");
  f.CLB_Games->SetItemIndex(5);
  f.CoolBitmapButton1Click(f.CoolBitmapButton1);
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 5) << "nothing after the last game";
  EXPECT_EQ(Caption(f.CoolPanel6), "Dune (PC)");
  EXPECT_TRUE(h->Messages.Texts.isEmpty());

  // Selecting from the program shows nothing by itself; Enter shows the selected game.
  f.CLB_Games->SetItemIndex(2);
  EXPECT_EQ(Caption(f.CoolPanel6), "Dune (PC)");
  QTest::keyClick(f.CLB_Games, Qt::Key_Return);
  EXPECT_EQ(Caption(f.CoolPanel6), "Duke Nukem (PC)");
  f.CoolMemo1->Lines().Clear();
  QTest::keyClick(f.CLB_Games, Qt::Key_Enter);
  EXPECT_EQ(f.CoolMemo1->Lines().Count(), 1) << "Enter shows the shown game again";
  QTest::keyClick(f.CLB_Games, Qt::Key_Down);
  EXPECT_EQ(Caption(f.CoolPanel6), "Wolfenstein 3D (PC)") << "a keyboard move is a click";
}

TEST_F(FormMainStarted, AMouseClickOnTheListShowsTheGame) {
  TFormMain& f = *h->Main;
  const QRect item = f.CLB_Games->visualItemRect(f.CLB_Games->item(2));
  QTest::mouseClick(f.CLB_Games->viewport(), Qt::LeftButton, {}, item.center());
  EXPECT_EQ(f.CLB_Games->ItemIndex(), 2);
  EXPECT_EQ(ToQString(f.CoolPanel6->Caption()), "Duke Nukem (PC)");
  f.CoolMemo1->Lines().Clear();
  QTest::mouseClick(f.CLB_Games->viewport(), Qt::LeftButton, {}, item.center());
  EXPECT_EQ(f.CoolMemo1->Lines().Count(), 1) << "a click on the shown game shows it again";

  // Other buttons neither select nor show, so forward still steps from the shown game.
  const QRect other = f.CLB_Games->visualItemRect(f.CLB_Games->item(4));
  for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    QTest::mouseClick(f.CLB_Games->viewport(), button, {}, other.center());
    QTest::mouseDClick(f.CLB_Games->viewport(), button, {}, other.center());
    EXPECT_EQ(f.CLB_Games->ItemIndex(), 2) << button;
  }
  EXPECT_EQ(ToQString(f.CoolPanel6->Caption()), "Duke Nukem (PC)");
  f.CoolBitmapButton1Click(f.CoolBitmapButton1);
  EXPECT_EQ(ToQString(f.CoolPanel6->Caption()), "Wolfenstein 3D (PC)");
}

TEST(FormMain, AnEmptyCodeMemberShowsAnEmptyCodeArea) {
  TMembers members = Standard();
  members["dune.txt"] = "";
  TFormHarness h(&members);
  h.Start();
  TFormMain& f = *h.Main;
  Select(f, 4);  // online-only first, so that the empty game must bring the area back
  Select(f, 1);
  EXPECT_TRUE(h.Messages.Texts.isEmpty());
  EXPECT_EQ(f.CoolMemo1->Lines().Count(), 0);
  EXPECT_FALSE(f.CoolMemo1->isHidden());
  EXPECT_FALSE(f.CoolBitmapButton9->isHidden());
  EXPECT_EQ(ToQString(f.CoolPanel6->Caption()), "Dune (PC)");
}
