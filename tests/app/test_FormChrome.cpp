#include <gtest/gtest.h>

#include <QClipboard>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "Abclabel.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "FormHarness.h"
#include "GameListBox.h"
#include "Image.h"
#include "Splitter.h"

using namespace CatalogueMaker;

namespace {

void Enter(QWidget* w) {
  QEnterEvent event(QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), w->mapToGlobal(QPointF(2, 2)));
  QApplication::sendEvent(w, &event);
}

void Leave(QWidget* w) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(w, &event);
}

class FormChrome : public ::testing::Test {
 protected:
  void SetUp() override {
    h = std::make_unique<TFormHarness>(&members);
    h->Start();
    ASSERT_TRUE(h->Started);
  }
  TFormMain& f() { return *h->Main; }

  const TMembers members = Standard();
  std::unique_ptr<TFormHarness> h;
};

}  // namespace

TEST_F(FormChrome, TheLayoutFollowsTheWindowsEdges) {
  // The minimum size is larger than the drawn client size, so the window starts wider.
  EXPECT_EQ(f().size(), QSize(785, 460));
  EXPECT_TRUE(f().windowFlags() & Qt::FramelessWindowHint);
  const QPoint banner = f().CoolPanel9->mapTo(&f(), QPoint(0, 0));
  EXPECT_EQ(f().width() - banner.x() - f().CoolPanel9->width(), 777 - 291 - 468 - 6);
  EXPECT_EQ(f().CoolPanel9->size(), QSize(468, 60));
  EXPECT_EQ(f().CoolBitmapButton3->x() + f().CoolBitmapButton3->width(),
            f().CoolPanel3->width() - 7);
  EXPECT_EQ(f().CoolBitmapButton3->size(), QSize(65, 22)) << "the button takes its bitmap's size";
  EXPECT_EQ(f().CoolPanel5->width(), 297);
  EXPECT_EQ(f().Edit1->width(), 242);
  EXPECT_EQ(f().CoolPanel2->height(), 26);
  EXPECT_EQ(f().CoolPanel3->height(), 52);
  f().resize(1000, 600);
  EXPECT_EQ(f().Edit1->width(), 242) << "the list column keeps its width";
  EXPECT_EQ(f().CoolMemo1->width(), f().CoolPanel4->width());
  EXPECT_EQ(f().CoolBitmapButton3->x() + 65, f().CoolPanel3->width() - 7);
  EXPECT_EQ(f().CoolPanel9->mapTo(&f(), QPoint(0, 0)).x() + 468, 1000 - 12);
}

TEST_F(FormChrome, TitleBarCommands) {
  f().CoolPanel14DblClick(f().CoolPanel14);
  EXPECT_TRUE(f().isMaximized());
  f().CoolPanel14DblClick(f().CoolPanel13);
  EXPECT_FALSE(f().isMaximized());
  QTest::mouseDClick(f().CoolPanel14, Qt::LeftButton, {}, QPoint(50, 10));
  EXPECT_TRUE(f().isMaximized());
  f().CoolBitmapButton6Click(f().CoolBitmapButton6);
  EXPECT_FALSE(f().isMaximized());
  f().CoolBitmapButton6Click(f().CoolBitmapButton6);
  EXPECT_TRUE(f().isMaximized());
  f().CoolBitmapButton6Click(f().CoolBitmapButton6);
  f().CoolBitmapButton4Click(f().CoolBitmapButton4);
  EXPECT_TRUE(f().isMinimized());
  f().showNormal();

  // The offscreen platform has no window manager to move windows: the title bar drags.
  const QPoint before = f().pos();
  QCursor::setPos(f().CoolPanel14->mapToGlobal(QPoint(40, 10)));
  QTest::mousePress(f().CoolPanel14, Qt::RightButton, {}, QPoint(40, 10));
  QCursor::setPos(f().CoolPanel14->mapToGlobal(QPoint(70, 30)));
  QMouseEvent move(QEvent::MouseMove, QPointF(70, 30),
                   f().CoolPanel14->mapToGlobal(QPointF(70, 30)), Qt::NoButton, Qt::RightButton,
                   Qt::NoModifier);
  QApplication::sendEvent(f().CoolPanel14, &move);
  QTest::mouseRelease(f().CoolPanel14, Qt::RightButton, {}, QPoint(70, 30));
  EXPECT_EQ(f().pos(), before + QPoint(30, 20));

  f().CoolBitmapButton7Click(f().CoolBitmapButton7);
  EXPECT_FALSE(f().isVisible());
}

TEST_F(FormChrome, ButtonsSwapTheirImages) {
  struct {
    TCoolBitmapButton* button;
    int leave, enter, down, up;
  } table[] = {
      {f().CoolBitmapButton1, 3, 4, 8, 4},          {f().CoolBitmapButton2, 1, 2, 7, 2},
      {f().CoolBitmapButton3, 10, 11, 12, 11},      {f().CoolBitmapButton5, 13, 14, 15, 13},
      {f().CoolBitmapButton4, 16, 17, 18, 17},      {f().CoolBitmapButton6, 19, 20, 21, 20},
      {f().CoolBitmapButton7, 22, 23, 24, 23},      {f().CoolBitmapButton8, 26, 27, 28, 26},
      {f().CoolBitmapButton9, 29, 30, 31, 29},      {h->About->CoolBitmapButton7, 22, 23, 24, 23},
      {h->About->CoolBitmapButton3, 32, 33, 34, 32}};
  for (const auto& row : table) {
    TCoolBitmapButton* b = row.button;
    const std::string name = b->Name();
    EXPECT_EQ(b->Bitmap(), f().SkinImage(row.leave)) << name;
    Enter(b);
    EXPECT_EQ(b->Bitmap(), f().SkinImage(row.enter)) << name;
    b->OnMouseDown(b, Qt::RightButton, {}, 1, 1);
    EXPECT_EQ(b->Bitmap(), f().SkinImage(row.down)) << name;
    b->OnMouseUp(b, Qt::RightButton, {}, 1, 1);
    EXPECT_EQ(b->Bitmap(), f().SkinImage(row.up)) << name;
    Leave(b);
    EXPECT_EQ(b->Bitmap(), f().SkinImage(row.leave)) << name;
  }
  // A real press and release of the print button: hover, pressed, normal.
  TCoolBitmapButton* print = f().CoolBitmapButton9;
  Enter(print);
  QTest::mousePress(print, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(print->Bitmap(), f().SkinImage(31));
  QTest::mouseRelease(print, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(print->Bitmap(), f().SkinImage(29));
  EXPECT_EQ(f().CoolBitmapButton1->toolTip(), "Вперёд");
  EXPECT_EQ(f().CoolBitmapButton2->toolTip(), "Назад");
  EXPECT_TRUE(f().CoolBitmapButton3->toolTip().isEmpty());
  EXPECT_EQ(f().CoolBitmapButton3->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(f().CoolBitmapButton7->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FormChrome, TheSplitterKeepsTheButtonsUnderTheList) {
  f().Splitter1->MoveTo(350);
  EXPECT_EQ(f().Splitter1->x(), 350);
  EXPECT_EQ(f().CoolPanel5->width(), 350);
  EXPECT_EQ(f().CoolPanel10->width(), 352);
  EXPECT_EQ(f().CoolPanel21->x(), 352);
  // Controls without anchors keep their centres where the scaled centre rounds to:
  // 140 * 352 / 297 = 165.9 and 231 * 417 / 462 = 208.5, less half their widths.
  EXPECT_EQ(f().CoolPanel11->x(), 166 - 52);
  ASSERT_EQ(f().CoolPanel4->width(), 417);
  EXPECT_EQ(f().SolutionURLLabel->x(), 209 - 165);
  f().Splitter1->MoveTo(1000);
  EXPECT_EQ(f().CoolPanel5->width(), 400);
  EXPECT_EQ(f().CoolPanel10->width(), 402);
  f().Splitter1->MoveTo(10);
  EXPECT_EQ(f().CoolPanel5->width(), 220);
  EXPECT_EQ(f().CoolPanel10->width(), 222);
  // By the mouse.
  QTest::mousePress(f().Splitter1, Qt::LeftButton, {}, QPoint(2, 50));
  QMouseEvent move(QEvent::MouseMove, QPointF(52, 50), f().Splitter1->mapToGlobal(QPointF(52, 50)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(f().Splitter1, &move);
  QTest::mouseRelease(f().Splitter1, Qt::LeftButton, {}, QPoint(2, 50));
  EXPECT_EQ(f().CoolPanel5->width(), 270);
  EXPECT_EQ(f().CoolPanel10->width(), 272);
}

TEST_F(FormChrome, TheCodeAreaDoesNotLetCodesBeCopied) {
  TCoolMemo* memo = f().CoolMemo1;
  memo->setFocus();
  memo->selectAll();
  EXPECT_GT(memo->SelLength(), 0);
  QTest::keyPress(memo, Qt::Key_Shift);
  EXPECT_EQ(memo->SelLength(), 0);
  memo->selectAll();
  QTest::keyRelease(memo, Qt::Key_Shift);
  EXPECT_EQ(memo->SelLength(), 0);
  QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(memo->SelLength(), 0);
  // A mouse selection stays visible, but what it would hand to the clipboard, the X11
  // primary selection or a drag is empty.
  QApplication::clipboard()->setText("before");
  memo->selectAll();
  ASSERT_GT(memo->SelLength(), 0);
  memo->copy();
  EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
  ASSERT_EQ(f().PopupMenu1->actions().size(), 1);
  EXPECT_EQ(f().PopupMenu1->actions()[0]->text(), "Копирование запрещено");
  EXPECT_EQ(memo->PopupMenu(), f().PopupMenu1);
}

TEST_F(FormChrome, TheAboutButtonShowsTheSplashPictureModally) {
  bool shown = false;
  QTimer::singleShot(50, [&] {
    shown = h->About->isVisible() && QApplication::activeModalWidget() == h->About.get();
    h->About->CoolBitmapButton3Click(h->About->CoolBitmapButton3);
  });
  f().CoolBitmapButton8Click(f().CoolBitmapButton8);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(h->About->isVisible());
  EXPECT_EQ(h->About->Image1->Picture().Image(), f().abcSplash1->Picture().Image());
  EXPECT_EQ(h->About->windowTitle(), "О программе");
  EXPECT_EQ(h->About->size(), QSize(332, 317));
  EXPECT_EQ(h->About->Image1->size(), QSize(320, 200));
  EXPECT_EQ(ToQString(h->About->abcURLLabel1->Caption()), "Заказать рекламу в программе");
}

// Activation: focus moving to the main window from another window of the program reloads
// the catalogue; coming back from a modal window or from another program does not.
TEST_F(FormChrome, ActivationRunsOnlyWhenFocusComesFromAnotherWindowOfTheProgram) {
  QTest::keyClicks(f().Edit1, "du");
  ASSERT_EQ(f().CLB_Games->ItemIndex(), 1);

  // Back from the modal About window: nothing is reset.
  QTimer::singleShot(50, [&] { h->About->close(); });
  f().CoolBitmapButton8Click(f().CoolBitmapButton8);
  QTest::qWait(50);
  EXPECT_EQ(f().Edit1->text(), "du");
  EXPECT_EQ(f().CLB_Games->ItemIndex(), 1);

  // Another top-level window of the program takes the focus, then the main window again.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == other.windowHandle(); }));
  f().activateWindow();
  ASSERT_TRUE(WaitFor([&] { return f().Edit1->text().isEmpty(); }));
  EXPECT_EQ(f().CLB_Games->ItemIndex(), 0);
  EXPECT_EQ(f().Search.SearchLastLen, 0);
  EXPECT_EQ(f().Search.SearchBestLen, 2) << "the activation leaves the best length alone";
  EXPECT_EQ(ToQString(f().CoolPanel6->Caption()), "Doom (PC)");
}

TEST_F(FormChrome, AnActivationDuringAnExtractionWaitsForItsEnd) {
  f().ViewBusy = true;
  f().FormActivate(&f());
  QTest::keyClicks(f().Edit1, "du");
  EXPECT_EQ(f().CLB_Games->ItemIndex(), 1) << "the search still moves the selection";
  EXPECT_EQ(ToQString(f().CoolPanel6->Caption()), "Doom (PC)") << "but starts no view";
  f().ViewBusy = false;
  f().ViewCodes(f().ActionViewCodes);  // a view ends: the held activation follows
  ASSERT_TRUE(WaitFor([&] { return f().Edit1->text().isEmpty(); }));
  EXPECT_EQ(f().CLB_Games->ItemIndex(), 0);
}

// The online-only link stands on the code panel's own colour, the button shadow.
TEST_F(FormChrome, TheOnlineOnlyLinkStandsOnTheButtonShadow) {
  f().CLB_Games->SetItemIndex(4);
  f().CLB_Games->OnClick(f().CLB_Games);
  ASSERT_FALSE(f().CoolMemo1->isVisible());
  const QImage shot = f().CoolPanel4->grab().toImage();
  const QColor shadow = SysColor(*f().CoolPanel4, clBtnShadow);
  ASSERT_NE(shadow, SysColor(*f().CoolPanel4, clBtnFace));
  for (const QPoint at : {QPoint(3, 40), QPoint(shot.width() - 4, shot.height() - 4)})
    EXPECT_EQ(shot.pixelColor(at).rgb(), shadow.rgb()) << at.x() << "," << at.y();
}

// A name too long for the list is cut at the list's edge: the last column of the row is
// as full of letters as the first, where an ellipsis would leave three dots.
TEST_F(FormChrome, LongGameNamesAreClippedNotElided) {
  f().CLB_Games->SetItems({std::string(300, 'W')});
  const QRect row = f().CLB_Games->visualItemRect(f().CLB_Games->item(0)) &
                    f().CLB_Games->viewport()->rect();
  const QImage shot = f().CLB_Games->viewport()->grab(row).toImage();
  auto ink = [&](int from, int to) {
    int dark = 0;
    for (int x = from; x < to; ++x)
      for (int y = 0; y < shot.height(); ++y) dark += qGray(shot.pixel(x, y)) < 128;
    return dark;
  };
  const int band = 16;
  const int first = ink(2, 2 + band);
  ASSERT_GT(first, 20);
  EXPECT_GT(ink(shot.width() - band, shot.width()), first / 2);
  EXPECT_EQ(f().CLB_Games->horizontalScrollBar()->isVisible(), false);
}
