#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "SkinTestImages.h"

using SkinTestImages::Shot;
using SkinTestImages::Solid;

namespace {

struct Window {
  QWidget form;
  TCoolBitmapButton* button;
  Window() : button(new TCoolBitmapButton(&form)) {
    form.resize(200, 200);
    button->move(20, 30);
    form.show();
    QApplication::processEvents();
  }
};

}  // namespace

TEST(ColorList, OperationsKeepOrderAndEndWithOneChange) {
  TColorList list;
  int changes = 0;
  TColorList* seen = nullptr;
  list.OnChange = [&](TColorList* sender) {
    ++changes;
    seen = sender;
  };
  list.Add(Qt::red);
  list.Add(Qt::green);
  list.Insert(0, Qt::blue);
  list.Insert(3, Qt::white);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(seen, &list);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(0), QColor(Qt::blue));
  EXPECT_EQ(list.IndexOf(Qt::green), 2);
  EXPECT_EQ(list.IndexOf(Qt::black), -1);
  list.Exchange(0, 3);
  EXPECT_EQ(list.Items(0), QColor(Qt::white));
  list.Move(0, 2);  // red, green, white, blue
  EXPECT_EQ(list.Items(2), QColor(Qt::white));
  EXPECT_EQ(list.Items(0), QColor(Qt::red));
  list.Delete(1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(changes, 7);

  TColorList other;
  other.Add(Qt::yellow);
  changes = 0;
  list.AddList(other);
  EXPECT_EQ(changes, 2) << "one per colour, then one more";
  changes = 0;
  list.Assign(other);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(changes, 3) << "Clear, then AddList";
  list.AddList(list);
  EXPECT_EQ(list.Count(), 2);

  EXPECT_THROW(list.Items(2), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Exchange(0, 5), EListError);
  EXPECT_THROW(list.Insert(4, Qt::red), EListError);
  EXPECT_THROW(list.Move(0, 9), EListError);
}

TEST(CoolBitmapButton, ANewButtonIs100By100FocusableAndCalm) {
  TCoolBitmapButton button;
  EXPECT_EQ(button.size(), QSize(100, 100));
  EXPECT_TRUE(button.ShadowEffect());
  EXPECT_TRUE(button.PositionEffect());
  EXPECT_TRUE(button.TabStop());
  EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus);
  EXPECT_FALSE(button.MouseInside());
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(Shot(button).pixel(50, 50), button.Color().rgb()) << "an empty bitmap shows Color";
}

TEST(CoolBitmapButton, ANewBitmapResizesInPlaceEmptiesColorsAndRemovesTheRegion) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  QImage picture = Solid(65, 22, Qt::red);
  picture.setPixel(0, 0, qRgb(255, 0, 255));
  button.SetBitmap(picture);
  EXPECT_EQ(button.geometry(), QRect(20, 30, 65, 22));
  picture.fill(Qt::green);
  EXPECT_EQ(button.Bitmap().pixel(5, 5), qRgb(255, 0, 0)) << "the button keeps its own copy";

  button.Colors().Add(QColor(255, 0, 255));
  EXPECT_FALSE(button.mask().isEmpty());
  EXPECT_FALSE(button.mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(button.mask().contains(QPoint(1, 0)));
  EXPECT_TRUE(button.mask().contains(QPoint(64, 21))) << "the last pixel of a row counts";

  button.SetBitmap(Solid(38, 38, Qt::blue));
  EXPECT_EQ(button.Colors().Count(), 0);
  EXPECT_TRUE(button.mask().isEmpty());
  EXPECT_EQ(button.geometry(), QRect(20, 30, 38, 38));

  button.SetBitmap(QImage());  // an empty bitmap keeps the size
  EXPECT_EQ(button.size(), QSize(38, 38));
}

TEST(CoolBitmapButton, TheRegionLeavesOutEveryPixelOfAListedColour) {
  TCoolBitmapButton button;
  QImage picture = Solid(6, 3, Qt::white);
  for (int x = 0; x < 6; x += 2) picture.setPixel(x, 1, qRgb(0, 0, 0));
  picture.setPixel(5, 2, qRgb(9, 9, 9));
  button.SetBitmap(picture);
  button.Colors().Add(Qt::black);
  button.Colors().Add(QColor(9, 9, 9));
  const QRegion region = button.mask();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) {
      const QRgb pixel = picture.pixel(x, y);
      const bool transparent = pixel == qRgb(0, 0, 0) || pixel == qRgb(9, 9, 9);
      EXPECT_EQ(region.contains(QPoint(x, y)), !transparent) << x << "," << y;
    }
  button.Colors().Clear();
  EXPECT_TRUE(button.mask().isEmpty());
  button.Colors().Add(Qt::white);
  button.Colors().Add(Qt::black);
  button.Colors().Add(QColor(9, 9, 9));
  EXPECT_FALSE(button.mask().contains(QPoint(0, 0))) << "nothing left of the window";
}

TEST(CoolBitmapButton, ThePaintShowsTheBitmapAtNaturalSize) {
  TCoolBitmapButton button;
  button.SetBitmap(SkinTestImages::Pattern(5, 4));
  button.SetAutoSize(false);
  button.resize(8, 6);
  const QImage shot = Shot(button);
  EXPECT_EQ(shot.pixel(4, 3), SkinTestImages::PatternPixel(4, 3));
  EXPECT_EQ(shot.pixel(6, 5), button.Color().rgb());
  button.SetAutoSize(true);
  EXPECT_EQ(button.size(), QSize(5, 4));
  button.SetBitmap(QImage());
  EXPECT_EQ(button.size(), QSize(0, 0)) << "auto size at run time: an empty bitmap is 0 x 0";
}

TEST(CoolBitmapButton, ALeftClickDarkensAndShiftsBeforeMouseDownAndClicksBeforeTheRelease) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  QImage picture = Solid(10, 10, QColor(255, 7, 1));
  picture.setPixel(9, 9, qRgb(200, 100, 25));
  picture.setPixel(0, 9, qRgb(0, 0, 255));
  button.SetBitmap(picture);
  button.Colors().Add(QColor(0, 0, 255));  // transparent pixels stay as they are
  std::vector<std::string> events;
  auto where = [&] {
    return std::to_string(button.x()) + "," + std::to_string(button.y()) + " " +
           std::to_string(qRed(button.Bitmap().pixel(0, 0)));
  };
  button.OnMouseDown = [&](QObject* sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    EXPECT_EQ(sender, &button);
    events.push_back("down " + where());
  };
  button.OnClick = [&](QObject*) { events.push_back("click " + where()); };
  button.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    events.push_back("up " + where());
  };

  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_TRUE(button.Pressed());
  EXPECT_TRUE(button.hasFocus());
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(224, 6, 1));
  EXPECT_EQ(button.Bitmap().pixel(9, 9), qRgb(176, 88, 22));
  EXPECT_EQ(button.Bitmap().pixel(0, 9), qRgb(0, 0, 255));
  EXPECT_EQ(Shot(button).pixel(5, 5), qRgb(224, 6, 1)) << "the darkened picture is shown";
  EXPECT_EQ(button.Colors().Count(), 1) << "the effect is no bitmap change";
  EXPECT_EQ(button.size(), QSize(10, 10));

  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(255, 7, 1));
  EXPECT_EQ(button.Bitmap().pixel(9, 9), qRgb(200, 100, 25));
  EXPECT_EQ(events,
            (std::vector<std::string>{"down 21,31 224", "click 21,31 224", "up 20,30 255"}));
}

TEST(CoolBitmapButton, AReleaseOutsideOrWithAnotherButtonIsNoClick) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, Qt::gray));
  int clicks = 0, ups = 0;
  button.OnClick = [&](QObject*) { ++clicks; };
  button.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 4));
  QTest::mousePress(&button, Qt::RightButton, {}, QPoint(4, 4));
  QTest::mouseRelease(&button, Qt::RightButton, {}, QPoint(4, 4));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(button.pos(), QPoint(20, 30));
}

TEST(CoolBitmapButton, ADoubleClickIsOneClickAndOneDoubleClick) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, QColor(100, 100, 100)));
  int clicks = 0, doubleClicks = 0, ups = 0;
  button.OnClick = [&](QObject*) { ++clicks; };
  button.OnDblClick = [&](QObject*) { ++doubleClicks; };
  button.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  QTest::mouseDClick(w.form.windowHandle(), Qt::LeftButton, {}, QPoint(25, 35));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(ups, 2);
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(button.pos(), QPoint(20, 30));
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(100, 100, 100));
}

TEST(CoolBitmapButton, ABitmapSwappedOnMouseDownIsNotDarkenedAndBrighteningSaturates) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, Qt::gray));
  // The windows show the pressed image from OnMouseDown; it replaces the darkened one.
  button.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    button.SetBitmap(Solid(12, 12, QColor(250, 88, 11)));
  };
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(button.geometry(), QRect(21, 31, 12, 12));
  EXPECT_EQ(button.Bitmap().pixel(1, 1), qRgb(250, 88, 11));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(button.Bitmap().pixel(1, 1), qRgb(255, 100, 12));
  EXPECT_EQ(button.pos(), QPoint(20, 30));
}

TEST(CoolBitmapButton, WithoutEffectsPictureAndPlaceStayPut) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, QColor(90, 90, 90)));
  button.SetShadowEffect(false);
  button.SetPositionEffect(false);
  int clicks = 0;
  button.OnClick = [&](QObject*) { ++clicks; };
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(90, 90, 90));
  EXPECT_EQ(button.pos(), QPoint(20, 30));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(90, 90, 90));
  EXPECT_EQ(clicks, 1);
}

TEST(CoolBitmapButton, SpaceAndEnterPressOnceReleaseAndClickOnce) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, QColor(100, 100, 100)));
  button.setFocus();
  std::vector<std::string> events;
  button.OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    events.push_back("down " + std::to_string(key));
  };
  button.OnKeyUp = [&](QObject*, int& key, Qt::KeyboardModifiers) {
    events.push_back("up " + std::to_string(key));
  };
  button.OnClick = [&](QObject*) {
    events.push_back("click " + std::to_string(qRed(button.Bitmap().pixel(0, 0))));
  };

  QTest::keyPress(&button, Qt::Key_Space);
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(88, 88, 88));
  EXPECT_EQ(button.pos(), QPoint(21, 31));
  QTest::keyPress(&button, Qt::Key_Space, {}, -1);  // auto-repeat while held
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(&button, &repeat);
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(88, 88, 88)) << "no second darkening";
  QKeyEvent repeatedRelease(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(&button, &repeatedRelease);
  EXPECT_TRUE(button.Pressed()) << "an auto-repeat release is not the real one";
  QTest::keyRelease(&button, Qt::Key_Space);
  EXPECT_EQ(button.Bitmap().pixel(0, 0), qRgb(100, 100, 100));
  EXPECT_EQ(button.pos(), QPoint(20, 30));

  QTest::keyClick(&button, Qt::Key_Return);
  QTest::keyClick(&button, Qt::Key_A);
  const std::string space = std::to_string(Qt::Key_Space), ret = std::to_string(Qt::Key_Return),
                    a = std::to_string(Qt::Key_A);
  EXPECT_EQ(events,
            (std::vector<std::string>{"down " + space, "up " + space, "click 100", "down " + ret,
                                      "up " + ret, "click 100", "down " + a, "up " + a}));
}

TEST(CoolBitmapButton, ThePointerMovingOverTheWindowEntersAndLeavesTheButton) {
  Window w;
  TCoolBitmapButton& button = *w.button;
  button.SetBitmap(Solid(10, 10, Qt::gray));
  std::vector<std::string> events;
  button.OnMoseEnter = [&](QObject* sender) {
    EXPECT_EQ(sender, &button);
    events.push_back("enter");
  };
  button.OnMouseLeave = [&](QObject*) { events.push_back("leave"); };
  QTest::mouseMove(&w.form, QPoint(150, 150));
  QTest::mouseMove(&w.form, QPoint(25, 35));
  EXPECT_TRUE(button.MouseInside());
  QTest::mouseMove(&w.form, QPoint(150, 150));
  EXPECT_FALSE(button.MouseInside());
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

// A focused control that is disabled or hidden, itself or through its container, leaves
// the focus with the window instead of passing it to the next control in tab order.
TEST(CoolBitmapButton, DisabledOrHiddenWithTheFocusItLeavesTheFocusWithTheWindow) {
  enum TChange { Disable, Hide, HideContainer, DisableNeighbour };
  for (TChange change : {Disable, Hide, HideContainer, DisableNeighbour}) {
    QWidget form;
    auto* container = new TCoolPanel(&form);
    container->setGeometry(0, 0, 100, 100);
    auto* pressed = new TCoolBitmapButton(container);
    auto* neighbour = new TCoolBitmapButton(&form);
    neighbour->move(120, 0);
    form.resize(200, 120);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    pressed->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), pressed);
    if (change == Disable) pressed->SetEnabled(false);
    if (change == Hide) pressed->hide();
    if (change == HideContainer) container->SetVisible(false);
    if (change == DisableNeighbour) neighbour->SetEnabled(false);
    QWidget* expected = change == DisableNeighbour ? pressed : nullptr;
    EXPECT_EQ(QApplication::focusWidget(), expected) << int(change);
    EXPECT_EQ(form.focusWidget(), expected) << int(change);
  }
}
