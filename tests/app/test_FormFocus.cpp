#include <gtest/gtest.h>

#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormHarness.h"
#include "GameListBox.h"

using namespace CatalogueMaker;

namespace {

// Counts the times the About window came up, and closes it, so that a key that reached
// the About button cannot leave the test waiting on a modal window.
class TAboutWatcher {
 public:
  explicit TAboutWatcher(TFormAbout& about) {
    FTimer.setInterval(5);
    QObject::connect(&FTimer, &QTimer::timeout, [this, &about] {
      if (about.isVisible()) {
        ++Shown;
        about.close();
      }
    });
    FTimer.start();
  }
  int Shown = 0;

 private:
  QTimer FTimer;
};

class FormFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    h = std::make_unique<TFormHarness>(&members);
    h->Start();
    ASSERT_TRUE(h->Started);
    ASSERT_TRUE(QTest::qWaitForWindowActive(h->Main.get()));
  }
  TFormMain& f() { return *h->Main; }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(f().windowHandle(), key, modifiers);
  }

  const TMembers members = Standard();
  std::unique_ptr<TFormHarness> h;
};

}  // namespace

// The pressed button is disabled while its view is read; the focus stays with the window,
// so Space and Enter afterwards press nothing - not the print button next in tab order,
// nor About when an online-only game has hidden print.
TEST_F(FormFocus, AfterForwardOrBackTheKeysGoNowhere) {
  const struct {
    int from;
    bool forward;
    int to;
    bool printShown;
  } cases[] = {{0, true, 1, true}, {2, false, 1, true}, {3, true, 4, false}};
  for (const auto& c : cases) {
    TAboutWatcher about(*h->About);
    f().CLB_Games->SetItemIndex(c.from);
    Click(c.forward ? f().CoolBitmapButton1 : f().CoolBitmapButton2);
    ASSERT_EQ(f().CLB_Games->ItemIndex(), c.to);
    EXPECT_EQ(f().CoolBitmapButton9->isVisible(), c.printShown);
    EXPECT_EQ(QApplication::focusWidget(), nullptr) << "from game " << c.from;
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) Key(key);
    QTest::qWait(30);
    EXPECT_EQ(about.Shown, 0) << "from game " << c.from;
    EXPECT_EQ(f().CLB_Games->ItemIndex(), c.to);
  }
}

// The code area accepts tab characters: Tab and Shift+Tab leave the focus in it and the
// codes as they were.
TEST_F(FormFocus, TabStaysInTheCodeArea) {
  Click(f().CoolMemo1->viewport());
  ASSERT_EQ(QApplication::focusWidget(), f().CoolMemo1);
  const std::string codes = f().CoolMemo1->Lines().Text();
  Key(Qt::Key_Tab);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  Key(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), f().CoolMemo1);
  EXPECT_EQ(f().CoolMemo1->Lines().Text(), codes);
}
