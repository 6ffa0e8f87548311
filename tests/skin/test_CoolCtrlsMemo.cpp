#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <memory>
#include <string>
#include <vector>

#include "Codepage.h"
#include "CoolCtrls.h"
#include "SkinTestImages.h"

using SkinTestImages::Pattern;
using SkinTestImages::PatternPixel;
using SkinTestImages::Shot;
using SkinTestImages::Solid;

namespace {

// A pixel of the memo's text area, away from the text.
QRgb ClientPixel(TCoolMemo& memo, QPoint inViewport) {
  const QPoint at = memo.viewport()->mapTo(&memo, inViewport);
  return Shot(memo).pixel(at);
}

}  // namespace

TEST(CoolMemo, DefaultsAreThoseOfAPlainMemoWithoutCaption) {
  TCoolMemo memo;
  EXPECT_EQ(memo.Options(), TCoolOptions{ocNoCaption});
  EXPECT_EQ(memo.idWallpaper(), -1);
  EXPECT_EQ(memo.idCaptionWallpaper(), -1);
  EXPECT_TRUE(memo.EdgeBorders().Empty());
  EXPECT_EQ(memo.TextAlign(), taLeftJustify);
  EXPECT_EQ(memo.TransparencyLevel(), 0);
  EXPECT_EQ(memo.CaptionColor(), QColor(128, 128, 128));
  EXPECT_EQ(memo.CaptionTextColor(), QColor(192, 192, 192));
  EXPECT_EQ(memo.BorderPen().color(), QColor(Qt::black));
  EXPECT_EQ(memo.focusPolicy(), Qt::StrongFocus);
  EXPECT_TRUE(memo.CaptionRect().isEmpty());
  memo.resize(200, 100);
  memo.SetColor(QColor(224, 224, 234));
  EXPECT_EQ(ClientPixel(memo, QPoint(150, 80)), qRgb(224, 224, 234));
  EXPECT_EQ(memo.viewport()->geometry().top(), memo.frameWidth()) << "no caption bar";
}

TEST(CoolMemo, LinesAreWindows1251TextWithoutAnEmptyLastLine) {
  TCoolMemo memo;
  EXPECT_EQ(memo.Lines().Count(), 0);
  const std::string cyrillic = Codepage::Utf8ToCp1251("***Номер:123");
  memo.Lines().Add(cyrillic);
  EXPECT_EQ(memo.Lines().Count(), 1);
  EXPECT_EQ(memo.Lines()[0], cyrillic);
  EXPECT_EQ(memo.toPlainText(), QString::fromUtf8("***Номер:123\n"));
  memo.Lines().Add("");
  memo.Lines().Add("b");
  ASSERT_EQ(memo.Lines().Count(), 3);
  EXPECT_EQ(memo.Lines()[1], "");
  EXPECT_EQ(memo.Lines().Text(), cyrillic + "\r\n\r\nb\r\n");
  EXPECT_THROW(memo.Lines()[3], EListError);
  memo.Lines().SetText("x\r\ny\r\n");
  EXPECT_EQ(memo.Lines().Count(), 2);
  memo.Lines().Add("");
  memo.Lines().Add("z");
  EXPECT_EQ(memo.Lines().ToStringList(), (TStringList{"x", "y", "", "z"}));
  memo.Lines().Clear();
  EXPECT_EQ(memo.Lines().Count(), 0);
}

TEST(CoolMemo, TransparentAndWallpaperOptionsExcludeEachOther) {
  TCoolMemo memo;
  memo.SetOptions({ocNoCaption, ocPaintWallpaper});
  memo.SetOptions(memo.Options() + TCoolOptions{ocPaintTransparently});
  EXPECT_EQ(memo.Options(), (TCoolOptions{ocNoCaption, ocPaintTransparently}));
  memo.SetOptions(memo.Options() + TCoolOptions{ocPaintWallpaper});
  EXPECT_EQ(memo.Options(), (TCoolOptions{ocNoCaption, ocPaintWallpaper}));
  TCoolMemo fresh;
  fresh.SetOptions({ocPaintWallpaper, ocPaintTransparently});
  EXPECT_EQ(fresh.Options(), (TCoolOptions{ocPaintWallpaper, ocPaintTransparently}))
      << "asked for both at once from neither: both kept";
}

TEST(CoolMemo, TheWallpaperIsTiledOrCopiedAndFollowsTheStore) {
  TCoolImages store;
  store.Bitmaps().Add(Pattern(7, 5));
  TCoolMemo memo;
  memo.resize(200, 100);
  memo.SetColor(Qt::white);
  memo.SetCoolImages(&store);
  memo.SetidWallpaper(0);
  EXPECT_EQ(ClientPixel(memo, QPoint(150, 80)), qRgb(255, 255, 255)) << "option off: plain";
  memo.SetOptions({ocNoCaption, ocPaintWallpaper, ocTileWallpaper});
  EXPECT_EQ(ClientPixel(memo, QPoint(150, 80)), PatternPixel(150 % 7, 80 % 5));
  memo.SetOptions({ocNoCaption, ocPaintWallpaper});
  EXPECT_EQ(ClientPixel(memo, QPoint(3, 2)), PatternPixel(3, 2));
  EXPECT_EQ(ClientPixel(memo, QPoint(150, 80)), qRgb(255, 255, 255)) << "untiled: one copy";

  store.Bitmaps().Items(0)->SetBitmap(Solid(4, 4, QColor(1, 2, 3)));
  EXPECT_EQ(ClientPixel(memo, QPoint(3, 2)), qRgb(1, 2, 3));
  memo.SetidWallpaper(5);  // no such picture: the own wallpaper, then the plain memo
  EXPECT_EQ(ClientPixel(memo, QPoint(3, 2)), qRgb(255, 255, 255));
  memo.SetWallpaper(Solid(4, 4, QColor(9, 8, 7)));
  EXPECT_EQ(ClientPixel(memo, QPoint(3, 2)), qRgb(9, 8, 7));
}

TEST(CoolMemo, ATransparentMemoShowsItsParentsBackground) {
  TCoolPanel parent;
  parent.SetBevelOuter(bvNone);
  parent.resize(300, 200);
  parent.SetWallpaper(Pattern(9, 6));
  auto* memo = new TCoolMemo(&parent);
  memo->setGeometry(10, 20, 200, 100);
  memo->SetBorderStyle(bsNone);
  memo->SetOptions({ocNoCaption, ocPaintTransparently});
  parent.show();
  const QImage shot = Shot(*memo);
  EXPECT_EQ(shot.pixel(150, 80), PatternPixel((150 + 10) % 9, (80 + 20) % 6));
  EXPECT_EQ(shot.pixel(190, 95), PatternPixel((190 + 10) % 9, (95 + 20) % 6));
}

TEST(CoolMemo, TheCaptionBarIsFilledOrTiledAboveTheText) {
  TCoolMemo memo;
  memo.resize(200, 100);
  memo.SetCaption("Caption");
  memo.SetCaptionColor(QColor(0, 0, 128));
  memo.SetOptions({});
  const QRect bar = memo.CaptionRect();
  ASSERT_FALSE(bar.isEmpty());
  EXPECT_EQ(bar.top(), memo.frameWidth());
  EXPECT_GE(memo.viewport()->geometry().top(), bar.bottom() + 1) << "the text lies below";
  QImage shot = Shot(memo);
  EXPECT_EQ(shot.pixel(bar.right() - 2, bar.top() + 1), qRgb(0, 0, 128));
  bool text = false;
  for (int x = bar.left() + 2; x < bar.left() + 60; ++x)
    for (int y = bar.top(); y <= bar.bottom(); ++y)
      text = text || shot.pixel(x, y) == memo.CaptionTextColor().rgb();
  EXPECT_TRUE(text) << "the caption is written in CaptionTextColor";

  memo.SetCaptionWallpaper(Pattern(3, 3));
  memo.SetOptions({ocPaintCaptionWallpaper});
  shot = Shot(memo);
  const int x = bar.right() - 2, y = bar.top() + 1;
  EXPECT_EQ(shot.pixel(x, y), PatternPixel((x - bar.left()) % 3, (y - bar.top()) % 3));
  memo.SetOptions({ocSmallCaption});
  EXPECT_LT(memo.CaptionRect().height(), bar.height());
}

TEST(CoolMemo, ADoubleClickOnTheCaptionDoesNothingAndADragMovesUnlessForbidden) {
  QWidget form;
  form.resize(400, 300);
  auto* memo = new TCoolMemo(&form);
  memo->setGeometry(50, 40, 200, 100);
  memo->SetOptions({});
  form.show();
  const QPoint grip = memo->CaptionRect().center();
  QTest::mouseDClick(memo, Qt::LeftButton, {}, grip);
  EXPECT_EQ(memo->pos(), QPoint(50, 40));
  QTest::mousePress(memo, Qt::LeftButton, {}, grip);
  QTest::mouseMove(memo, grip + QPoint(10, 5));
  QTest::mouseRelease(memo, Qt::LeftButton, {}, grip + QPoint(10, 5));
  EXPECT_EQ(memo->pos(), QPoint(60, 45));
  memo->SetOptions({ocNoDragUsingCaption});
  const QPoint again = memo->CaptionRect().center();
  QTest::mousePress(memo, Qt::LeftButton, {}, again);
  QTest::mouseMove(memo, again + QPoint(10, 5));
  QTest::mouseRelease(memo, Qt::LeftButton, {}, again + QPoint(10, 5));
  EXPECT_EQ(memo->pos(), QPoint(60, 45));
}

TEST(CoolMemo, EdgeLinesUseTheBorderPenOnlyWithoutABorder) {
  TCoolMemo memo;
  memo.resize(120, 60);
  memo.SetColor(Qt::white);
  memo.SetBorderPen(QPen(QColor(200, 0, 0), 1));
  memo.SetEdgeBorders({ebTop, ebRight});
  memo.SetBorderStyle(bsNone);
  QImage shot = Shot(memo);
  EXPECT_EQ(shot.pixel(60, 0), qRgb(200, 0, 0));
  EXPECT_EQ(shot.pixel(119, 30), qRgb(200, 0, 0));
  EXPECT_EQ(shot.pixel(0, 30), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(60, 59), qRgb(255, 255, 255));
  memo.SetBorderStyle(bsSingle);
  shot = Shot(memo);
  EXPECT_NE(shot.pixel(60, 0), qRgb(200, 0, 0));
}

TEST(CoolMemo, TheFlatBorderIsButtonFaceAndSinksWhileTheMouseIsInside) {
  TCoolMemo memo;
  memo.resize(120, 60);
  QPalette colours = memo.palette();
  colours.setColor(QPalette::Button, QColor(192, 192, 192));
  colours.setColor(QPalette::Dark, QColor(64, 64, 64));
  colours.setColor(QPalette::Light, QColor(250, 250, 250));
  memo.setPalette(colours);
  memo.SetOptions({ocNoCaption, ocFlatBorder});
  QImage shot = Shot(memo);
  EXPECT_EQ(shot.pixel(0, 30), qRgb(192, 192, 192));
  EXPECT_EQ(shot.pixel(1, 30), qRgb(192, 192, 192));
  EXPECT_EQ(shot.pixel(119, 30), qRgb(192, 192, 192));
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&memo, &enter);
  shot = Shot(memo);
  EXPECT_EQ(shot.pixel(0, 30), qRgb(64, 64, 64));
  EXPECT_EQ(shot.pixel(1, 30), qRgb(192, 192, 192));
  EXPECT_EQ(shot.pixel(119, 30), qRgb(250, 250, 250));
}

TEST(CoolMemo, KeyHandlersSeeEveryKeyAndCanCancelTheSelection) {
  QWidget form;
  auto* memo = new TCoolMemo(&form);
  memo->resize(200, 100);
  memo->SetReadOnly(true);
  memo->Lines().SetText("first line\r\nsecond line\r\n");
  form.show();
  memo->setFocus();
  // The code area's copy guard: any key drops the selection.
  int downs = 0, ups = 0;
  memo->OnKeyDown = [&](QObject*, int&, Qt::KeyboardModifiers) {
    ++downs;
    memo->SetSelLength(0);
  };
  memo->OnKeyUp = [&](QObject*, int&, Qt::KeyboardModifiers) {
    ++ups;
    memo->SetSelLength(0);
  };
  memo->selectAll();
  EXPECT_GT(memo->SelLength(), 0);
  QTest::keyClick(memo, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(memo->SelLength(), 0);
  EXPECT_EQ(downs, 2) << "Shift and Right";
  EXPECT_EQ(ups, 2);

  memo->OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) { key = 0; };
  memo->SetSelStart(0);
  QTest::keyClick(memo, Qt::Key_End);
  EXPECT_EQ(memo->SelStart(), 0) << "a key set to 0 is swallowed";
}

TEST(CoolMemo, TheFrameworkMemosPropertiesMapOntoTheEdit) {
  TCoolMemo memo;
  memo.SetWantTabs(true);
  EXPECT_FALSE(memo.tabChangesFocus());
  memo.SetScrollBars(ssVertical);
  EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  memo.SetWordWrap(false);
  EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST(CoolMemo, WithTheFlatBorderPagingKeysAreSwallowedAtTheEnds) {
  QWidget form;
  auto* memo = new TCoolMemo(&form);
  memo->resize(200, 80);
  TStringList lines;
  for (int i = 0; i < 40; ++i) lines.Add("line " + std::to_string(i));
  memo->SetLines(lines);
  form.show();
  memo->setFocus();
  auto caretAfterPageUp = [&] {
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(memo->document()->findBlockByNumber(1).position() + 2);
    memo->setTextCursor(cursor);
    memo->verticalScrollBar()->setValue(0);
    QTest::keyClick(memo, Qt::Key_PageUp);
    return memo->textCursor().position();
  };
  const int kept = memo->document()->findBlockByNumber(1).position() + 2;
  EXPECT_EQ(caretAfterPageUp(), 2) << "a plain memo moves the caret up to line 0";
  memo->SetOptions({ocNoCaption, ocFlatBorder});
  EXPECT_EQ(caretAfterPageUp(), kept);
  memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
  const int before = memo->textCursor().position();
  QTest::keyClick(memo, Qt::Key_PageDown);
  EXPECT_EQ(memo->textCursor().position(), before);
}

TEST(CoolMemo, ThePointerMovingIntoTheTextAreaEntersTheMemo) {
  QWidget form;
  form.resize(300, 200);
  auto* memo = new TCoolMemo(&form);
  memo->setGeometry(50, 50, 150, 100);
  std::vector<std::string> events;
  memo->OnMouseEnter = [&](QObject* sender) {
    EXPECT_EQ(sender, memo);
    events.push_back("enter");
  };
  memo->OnMouseLeave = [&](QObject*) { events.push_back("leave"); };
  form.show();
  QApplication::processEvents();
  QTest::mouseMove(&form, QPoint(10, 10));
  QTest::mouseMove(&form, QPoint(120, 100));
  QTest::mouseMove(&form, QPoint(125, 105));
  QTest::mouseMove(&form, QPoint(280, 180));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

// Tab and Shift+Tab stay in a memo that accepts tab characters, read-only or not; only an
// editable one inserts the tab. Without WantTabs they move the focus on.
TEST(CoolMemo, WantTabsKeepsTheTabKeysInside) {
  const struct {
    bool wantTabs, readOnly;
    Qt::Key key;
    bool staysInside;
    const char* text;
  } cases[] = {
      {true, true, Qt::Key_Tab, true, "ab"},    {true, true, Qt::Key_Backtab, true, "ab"},
      {true, false, Qt::Key_Tab, true, "\tab"}, {true, false, Qt::Key_Backtab, true, "ab"},
      {false, true, Qt::Key_Tab, false, "ab"},  {false, false, Qt::Key_Tab, false, "ab"},
  };
  for (const auto& c : cases) {
    QWidget form;
    // Somewhere for the focus to go on either side.
    new QLineEdit(&form);
    auto* memo = new TCoolMemo(&form);
    new QLineEdit(&form);
    memo->setPlainText("ab");
    memo->SetWantTabs(c.wantTabs);
    memo->SetReadOnly(c.readOnly);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    memo->setFocus();
    memo->moveCursor(QTextCursor::Start);
    const Qt::KeyboardModifiers shift =
        c.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
    QTest::keyClick(form.windowHandle(), c.key, shift);
    const QString where = QString("wantTabs %1 readOnly %2 key %3")
                              .arg(c.wantTabs)
                              .arg(c.readOnly)
                              .arg(c.key == Qt::Key_Tab ? "Tab" : "Backtab");
    EXPECT_EQ(QApplication::focusWidget() == memo, c.staysInside) << where.toStdString();
    EXPECT_EQ(memo->toPlainText().toStdString(), c.text) << where.toStdString();
  }
}
