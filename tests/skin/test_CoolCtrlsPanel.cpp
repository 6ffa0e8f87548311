#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QToolButton>
#include <memory>

#include "CoolCtrls.h"
#include "SkinTestImages.h"

using SkinTestImages::Pattern;
using SkinTestImages::PatternPixel;
using SkinTestImages::Shot;
using SkinTestImages::Solid;

namespace {

// A panel without bevels, so every pixel is background.
std::unique_ptr<TCoolPanel> FlatPanel(int width, int height, QWidget* parent = nullptr) {
  auto panel = std::make_unique<TCoolPanel>(parent);
  panel->SetBevelOuter(bvNone);
  panel->resize(width, height);
  return panel;
}

// Column x of a 1-pixel-wide vertical gradient.
QImage Gradient(int height) {
  QImage image(1, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) image.setPixel(0, y, qRgb(y * 4, 255 - y * 4, 100));
  return image;
}

}  // namespace

TEST(CoolPanel, ANewPanelIs66WideLoweredInTheShadowColourWithoutScrollButtons) {
  TCoolPanel panel;
  EXPECT_EQ(panel.width(), 66);
  EXPECT_EQ(panel.BevelOuter(), bvLowered);
  EXPECT_EQ(panel.BevelInner(), bvNone);
  EXPECT_EQ(panel.BevelWidth(), 1);
  EXPECT_EQ(panel.ButtonWidth(), 64);
  EXPECT_EQ(panel.ButtonHeight(), 64);
  EXPECT_EQ(panel.idWallpaper(), -1);
  EXPECT_FALSE(panel.Transparent());
  EXPECT_EQ(panel.TransparencyLevel(), 0);
  EXPECT_EQ(panel.Alignment(), taCenter);
  EXPECT_EQ(panel.Color(), panel.palette().color(QPalette::Dark));
  panel.resize(66, 200);
  panel.show();
  const QImage shot = Shot(panel);
  EXPECT_EQ(shot.pixel(30, 100), panel.palette().color(QPalette::Dark).rgb());
  EXPECT_FALSE(panel.ScrollUpButton()->isVisible());
  EXPECT_FALSE(panel.ScrollDownButton()->isVisible());
  // Children lie inside the bevel.
  EXPECT_EQ(panel.contentsRect(), QRect(1, 1, 64, 198));
  panel.SetButtonWidth(40);
  EXPECT_EQ(panel.width(), 42);
}

TEST(CoolPanel, AOnePixelWideWallpaperBecomesIdenticalColumnsAndRowsRepeatDownwards) {
  TCoolImages store;
  store.Bitmaps().Add(Gradient(52));
  auto panel = FlatPanel(765, 60);
  panel->SetCoolImages(&store);
  panel->SetidWallpaper(0);
  const QImage shot = Shot(*panel);
  for (int x : {0, 1, 380, 764})
    for (int y = 0; y < 52; ++y)
      ASSERT_EQ(shot.pixel(x, y), Gradient(52).pixel(0, y)) << x << "," << y;
  for (int y = 52; y < 60; ++y) EXPECT_EQ(shot.pixel(500, y), shot.pixel(500, y - 52)) << y;
}

TEST(CoolPanel, TilingStartsAtThePanelsCornerAndIsCutAtItsEdges) {
  TCoolImages store;
  store.Bitmaps().Add(Pattern(3, 2));
  QWidget window;
  window.resize(40, 40);
  auto panel = FlatPanel(7, 5, &window);
  panel->move(11, 13);
  panel->SetCoolImages(&store);
  panel->SetidWallpaper(0);
  window.show();
  const QImage shot = Shot(window);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(shot.pixel(11 + x, 13 + y), PatternPixel(x % 3, y % 2)) << x << "," << y;
}

TEST(CoolPanel, TheWallpaperFallsBackFromStoreToOwnPictureToColour) {
  TCoolImages store;
  store.Bitmaps().Add(Solid(4, 4, Qt::red));
  store.Bitmaps().Add();  // an empty picture
  auto panel = FlatPanel(20, 10);
  panel->SetColor(QColor(10, 20, 30));
  panel->SetCoolImages(&store);

  panel->SetidWallpaper(-1);
  EXPECT_EQ(Shot(*panel).pixel(5, 5), qRgb(10, 20, 30)) << "no wallpaper: Color";
  panel->SetWallpaper(Solid(2, 2, Qt::green));
  EXPECT_EQ(Shot(*panel).pixel(5, 5), qRgb(0, 255, 0)) << "-1 takes the own wallpaper";
  panel->SetidWallpaper(0);
  EXPECT_EQ(Shot(*panel).pixel(5, 5), qRgb(255, 0, 0)) << "the store comes first";
  for (int index : {1, 2, 35, -7}) {
    panel->SetidWallpaper(index);  // empty, equal to the count, beyond, negative
    EXPECT_EQ(Shot(*panel).pixel(5, 5), qRgb(0, 255, 0)) << index;
  }
  panel->SetCoolImages(nullptr);
  panel->SetidWallpaper(0);
  EXPECT_EQ(Shot(*panel).pixel(5, 5), qRgb(0, 255, 0));
}

TEST(CoolPanel, TheColourQueryAnswersColourOrTheOwnWallpapersBottomLeftPixel) {
  TCoolImages store;
  store.Bitmaps().Add(Solid(4, 4, Qt::red));
  TCoolPanel panel;
  panel.SetColor(QColor(1, 2, 3));
  panel.SetCoolImages(&store);
  panel.SetidWallpaper(0);
  EXPECT_EQ(panel.BackgroundColor(), QColor(1, 2, 3)) << "store pictures are not consulted";
  QImage own = Pattern(3, 5);
  panel.SetWallpaper(own);
  EXPECT_EQ(panel.BackgroundColor().rgb(), PatternPixel(0, 4));
}

TEST(CoolPanel, LoweredAndRaisedBevelsUseThePalettesShadowAndHighlight) {
  TCoolPanel panel;
  panel.resize(10, 8);
  QPalette colours = panel.palette();
  colours.setColor(QPalette::Dark, QColor(50, 50, 50));
  colours.setColor(QPalette::Light, QColor(240, 240, 240));
  panel.setPalette(colours);
  panel.SetColor(QColor(0, 0, 200));
  const QRgb shadow = qRgb(50, 50, 50), light = qRgb(240, 240, 240), fill = qRgb(0, 0, 200);

  QImage shot = Shot(panel);
  EXPECT_EQ(shot.pixel(0, 0), shadow);
  EXPECT_EQ(shot.pixel(8, 0), shadow);
  EXPECT_EQ(shot.pixel(0, 6), shadow);
  EXPECT_EQ(shot.pixel(9, 0), light) << "the far corners belong to the bottom-right colour";
  EXPECT_EQ(shot.pixel(0, 7), light);
  EXPECT_EQ(shot.pixel(9, 7), light);
  EXPECT_EQ(shot.pixel(1, 1), fill);

  panel.SetBevelOuter(bvRaised);
  shot = Shot(panel);
  EXPECT_EQ(shot.pixel(0, 0), light);
  EXPECT_EQ(shot.pixel(9, 7), shadow);

  // Outer bevel, a border in Color, then the inner bevel.
  panel.SetBevelOuter(bvLowered);
  panel.SetBevelInner(bvRaised);
  panel.SetBorderWidth(1);
  panel.SetColor(QColor(0, 120, 0));
  shot = Shot(panel);
  EXPECT_EQ(shot.pixel(0, 3), shadow);
  EXPECT_EQ(shot.pixel(1, 3), qRgb(0, 120, 0));
  EXPECT_EQ(shot.pixel(2, 3), light);
  EXPECT_EQ(shot.pixel(7, 3), shadow);
  EXPECT_EQ(panel.contentsRect(), QRect(3, 3, 4, 2));

  // A disabled panel keeps the system colours, not its palette's pale disabled shades.
  TCoolPanel disabled;
  disabled.resize(10, 8);
  disabled.setEnabled(false);
  const QPalette system = QApplication::palette();
  shot = Shot(disabled);
  EXPECT_EQ(shot.pixel(0, 0), system.color(QPalette::Normal, QPalette::Dark).rgb());
  EXPECT_EQ(shot.pixel(9, 7), system.color(QPalette::Normal, QPalette::Light).rgb());
}

TEST(CoolPanel, TheCaptionIsDrawnInTheFontColourAtItsAlignment) {
  auto panel = FlatPanel(200, 26);
  panel->SetColor(Qt::white);
  panel->SetFontColor(Qt::black);
  panel->SetCaption("WWW");
  auto inkColumns = [&] {
    const QImage shot = Shot(*panel);
    int first = -1, last = -1;
    for (int x = 0; x < shot.width(); ++x)
      for (int y = 0; y < shot.height(); ++y)
        if (qRed(shot.pixel(x, y)) < 128) {
          if (first < 0) first = x;
          last = x;
        }
    return std::pair(first, last);
  };
  const auto centred = inkColumns();
  ASSERT_GE(centred.first, 0) << "no caption drawn";
  EXPECT_NEAR((centred.first + centred.second) / 2.0, 100, 3);
  panel->SetAlignment(taLeftJustify);
  EXPECT_LE(inkColumns().first, 2);
  panel->SetAlignment(taRightJustify);
  EXPECT_GE(inkColumns().second, 196);
}

TEST(CoolPanel, ATransparentPanelShowsItsParentsBackgroundAndIgnoresItsWallpaper) {
  TCoolImages store;
  store.Bitmaps().Add(Pattern(5, 4));
  auto parent = FlatPanel(60, 40);
  parent->SetCoolImages(&store);
  parent->SetidWallpaper(0);
  auto child = FlatPanel(20, 10, parent.get());
  child->move(7, 9);
  child->SetWallpaper(Solid(3, 3, Qt::red));
  child->SetTransparent(true);
  EXPECT_TRUE(child->Transparent());
  parent->show();
  QApplication::processEvents();
  QImage shot = Shot(*parent);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x)
      ASSERT_EQ(shot.pixel(x, y), PatternPixel(x % 5, y % 4)) << x << "," << y;
  shot = Shot(*child);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(shot.pixel(x, y), PatternPixel((x + 7) % 5, (y + 9) % 4)) << x << "," << y;

  child->SetWallpaper(Solid(3, 3, Qt::red));
  EXPECT_FALSE(child->Transparent()) << "a new wallpaper makes the panel opaque";
  EXPECT_EQ(Shot(*child).pixel(4, 4), qRgb(255, 0, 0));
}

TEST(CoolPanel, TransparencyLevelTakesTheBackgroundFromAncestorsFurtherUp) {
  auto top = FlatPanel(80, 60);
  top->SetWallpaper(Pattern(7, 3));
  auto middle = FlatPanel(60, 40, top.get());
  middle->move(5, 6);
  middle->SetWallpaper(Solid(2, 2, Qt::blue));
  auto child = FlatPanel(20, 10, middle.get());
  child->move(4, 2);
  child->SetTransparent(true);
  top->show();

  EXPECT_EQ(Shot(*child).pixel(3, 3), qRgb(0, 0, 255)) << "level 0: the parent";
  child->SetTransparencyLevel(1);
  QImage shot = Shot(*child);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(shot.pixel(x, y), PatternPixel((x + 9) % 7, (y + 8) % 3)) << x << "," << y;
  // Running out of ancestors stops at the top panel, which has no parent to paint.
  child->SetTransparencyLevel(255);
  Shot(*child);
}

TEST(CoolPanel, ATransparentParentPassesOnItsOwnParentsBackground) {
  auto top = FlatPanel(50, 50);
  top->SetWallpaper(Pattern(6, 5));
  auto middle = FlatPanel(30, 30, top.get());
  middle->move(3, 4);
  middle->SetTransparent(true);
  auto child = FlatPanel(10, 10, middle.get());
  child->move(2, 2);
  child->SetTransparent(true);
  top->show();
  const QImage shot = Shot(*child);
  EXPECT_EQ(shot.pixel(0, 0), PatternPixel(5 % 6, 6 % 5));
  EXPECT_EQ(shot.pixel(9, 9), PatternPixel(14 % 6, 15 % 5));
}

TEST(CoolPanel, AssigningAStorePictureRepaintsEveryRegisteredPanel) {
  TCoolImages store;
  store.Bitmaps().Add(Solid(2, 2, Qt::red));
  QWidget window;
  window.resize(100, 50);
  auto first = FlatPanel(40, 40, &window);
  auto second = FlatPanel(40, 40, &window);
  second->move(50, 0);
  for (TCoolPanel* panel : {first.get(), second.get()}) {
    panel->SetCoolImages(&store);
    panel->SetidWallpaper(0);
  }
  window.show();
  QApplication::processEvents();
  int repaints = 0;
  struct Counter : QObject {
    int& count;
    explicit Counter(int& c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++count;
      return false;
    }
  } counter(repaints);
  first->installEventFilter(&counter);
  second->installEventFilter(&counter);

  store.Bitmaps().Items(0)->SetBitmap(Solid(2, 2, Qt::green));
  // Force the pending repaints through the backing store.
  window.repaint();
  QApplication::processEvents();
  EXPECT_GE(repaints, 2);
  const QImage shot = Shot(window);
  EXPECT_EQ(shot.pixel(10, 10), qRgb(0, 255, 0));
  EXPECT_EQ(shot.pixel(60, 10), qRgb(0, 255, 0));
}

TEST(CoolPanel, MouseEventsReachTheHandlersWithTheClickBeforeTheRelease) {
  TCoolPanel panel;
  panel.resize(50, 30);
  panel.show();
  std::vector<std::string> events;
  panel.OnMouseDown = [&](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                          int y) {
    EXPECT_EQ(sender, &panel);
    events.push_back("down " + std::to_string(int(button)) + " " + std::to_string(x) + "," +
                     std::to_string(y));
  };
  panel.OnClick = [&](QObject*) { events.push_back("click"); };
  panel.OnDblClick = [&](QObject*) { events.push_back("dblclick"); };
  panel.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    events.push_back("up");
  };
  const auto send = [&](QEvent::Type type, Qt::MouseButton button, QPointF at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, at, button, held, Qt::NoModifier);
    QApplication::sendEvent(&panel, &event);
  };
  send(QEvent::MouseButtonPress, Qt::RightButton, {5, 6});
  send(QEvent::MouseButtonRelease, Qt::RightButton, {5, 6});
  send(QEvent::MouseButtonPress, Qt::LeftButton, {1, 1});
  send(QEvent::MouseButtonRelease, Qt::LeftButton, {1, 1});
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, {1, 1});
  send(QEvent::MouseButtonRelease, Qt::LeftButton, {1, 1});
  // The second press of a double click is no new click.
  EXPECT_EQ(events, (std::vector<std::string>{"down 2 5,6", "up", "down 1 1,1", "click", "up",
                                              "dblclick", "down 1 1,1", "up"}));
}

namespace {

// A widget that paints the test pattern itself (no wallpaper of ours involved).
class TPatternWidget : public QWidget {
 public:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, Pattern(width(), height()));
  }
};

}  // namespace

TEST(CoolPanel, ATransparentPanelOnAnotherWidgetShowsThatWidgetsPainting) {
  TPatternWidget form;
  form.resize(12, 40);
  auto panel = FlatPanel(5, 30, &form);
  panel->move(4, 6);
  panel->SetColor(Qt::red);
  panel->SetTransparent(true);
  form.show();
  QApplication::processEvents();
  QImage shot = Shot(*panel);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 5; ++x)
      ASSERT_EQ(shot.pixel(x, y), PatternPixel(x + 4, y + 6)) << x << "," << y;
  shot = Shot(form);
  EXPECT_EQ(shot.pixel(6, 20), PatternPixel(6, 20));
}
