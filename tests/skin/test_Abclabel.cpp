// Link labels on real offscreen windows: the look of each mouse state read from the
// rendered pixels, and the order of the mouse events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QTemporaryDir>
#include <QTest>

#include "Abclabel.h"
#include "CoolCtrls.h"
#include "SkinTestImages.h"

using SkinTestImages::Shot;

namespace {

bool Near(QRgb pixel, const QColor& color, int tolerance = 48) {
  return std::abs(qRed(pixel) - color.red()) <= tolerance &&
         std::abs(qGreen(pixel) - color.green()) <= tolerance &&
         std::abs(qBlue(pixel) - color.blue()) <= tolerance;
}

// What a rendered label shows in one colour.
struct TInk {
  int Pixels = 0;
  int LongestRun = 0;  // longest horizontal run: an underline spans the whole text
  QRect Box;
};

TInk InkOf(const QImage& image, const QColor& color, int tolerance = 48) {
  TInk ink;
  for (int y = 0; y < image.height(); ++y) {
    int run = 0;
    for (int x = 0; x < image.width(); ++x) {
      if (!Near(image.pixel(x, y), color, tolerance)) {
        run = 0;
        continue;
      }
      ++ink.Pixels;
      ink.LongestRun = std::max(ink.LongestRun, ++run);
      ink.Box |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

const QColor Background{0x60, 0x70, 0x60};
const QColor Blue{0, 0, 255};
const QColor Purple{128, 0, 128};

// A label big enough that its strokes have solid pixels; shown, so the mouse reaches it.
template <class Label>
std::unique_ptr<Label> MakeLabel(const char* caption = "Links Here") {
  auto label = std::make_unique<Label>();
  QFont font("Liberation Sans");
  font.setPixelSize(28);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);  // solid strokes, exact colours
  label->SetFont(font);
  label->SetCaption(caption);
  label->SetColor(Background);
  label->move(40, 40);
  QCursor::setPos(0, 0);
  label->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(label.get()));
  return label;
}

void Enter(QWidget& widget) {
  QEnterEvent event(QPointF(3, 3), QPointF(3, 3), widget.mapToGlobal(QPointF(3, 3)));
  QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(&widget, &event);
}

// No click in these tests may start the machine's browser.
class NoBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
      qputenv(name, Empty.path().toLocal8Bit());
  }
  QTemporaryDir Empty;
};

using AbclabelLook = NoBrowser;
using AbclabelMouse = NoBrowser;

}  // namespace

TEST(Abclabel, DefaultsOfBothLabels) {
  TabcMouseLabel plain;
  EXPECT_EQ(plain.MouseOverEffects(), TabcLabelMouseEffects({almUnderline, almSound}));
  EXPECT_EQ(plain.MouseDownEffects(), TabcLabelMouseEffects({almUnderline, almSound}));
  EXPECT_EQ(plain.MouseOverColor(), QColor(255, 255, 0));
  EXPECT_EQ(plain.MouseDownColor(), QColor(0, 255, 255));
  EXPECT_TRUE(plain.ParentColor());
  EXPECT_TRUE(plain.AutoSize());
  EXPECT_TRUE(plain.ShowAccelChar());
  EXPECT_FALSE(plain.Transparent());
  EXPECT_EQ(plain.SoundOver(), 0);
  EXPECT_EQ(plain.SoundList(), nullptr);
  EXPECT_FALSE(plain.Hovering());
  EXPECT_FALSE(plain.Pressed());

  TabcURLLabel link;
  EXPECT_EQ(link.MouseOverEffects(), TabcLabelMouseEffects({almUnderline, almSound}));
  EXPECT_EQ(link.MouseDownEffects(), TabcLabelMouseEffects({almColor, almSound}));
  EXPECT_EQ(link.MouseOverColor(), QColor(255, 255, 0));
  EXPECT_EQ(link.MouseDownColor(), Purple);
  EXPECT_EQ(link.FontColor(), Blue);
  EXPECT_EQ(link.ShowBrowser(), aswShowMaximized);
  EXPECT_EQ(link.URL(), "");
}

TEST(Abclabel, ColourAndColourShadowExcludeEachOther) {
  TabcMouseLabel label;
  label.SetMouseOverEffects({almColor, almColorShadow});
  EXPECT_EQ(label.MouseOverEffects(), TabcLabelMouseEffects({almColorShadow}));
  label.SetMouseOverEffects({almColor, almColorShadow, almUnderline});  // adds almColor
  EXPECT_EQ(label.MouseOverEffects(), TabcLabelMouseEffects({almColor, almUnderline}));
  label.SetMouseOverEffects({almColor, almColorShadow});  // adds almColorShadow
  EXPECT_EQ(label.MouseOverEffects(), TabcLabelMouseEffects({almColorShadow}));
  label.SetMouseDownEffects({almSound, almColor});
  EXPECT_EQ(label.MouseDownEffects(), TabcLabelMouseEffects({almSound, almColor}));
  label.SetMouseDownEffects({almColorShadow});
  label.SetMouseDownEffects({almColorShadow, almUnderline});  // neither added: as given
  EXPECT_EQ(label.MouseDownEffects(), TabcLabelMouseEffects({almColorShadow, almUnderline}));
}

TEST_F(AbclabelLook, LinkUnderlinesOnHoverTurnsPurpleWhenPressedAndReturns) {
  auto label = MakeLabel<TabcURLLabel>();
  const QPoint inside = label->rect().center();

  const TInk normal = InkOf(Shot(*label), Blue);
  ASSERT_GT(normal.Pixels, 50);
  EXPECT_LT(normal.LongestRun, normal.Box.width() / 2);
  EXPECT_EQ(InkOf(Shot(*label), Purple).Pixels, 0);

  QTest::mouseMove(label.get(), inside);
  if (!label->Hovering()) Enter(*label);
  ASSERT_TRUE(label->Hovering());
  const TInk hover = InkOf(Shot(*label), Blue);
  EXPECT_GE(hover.LongestRun, normal.Box.width() * 9 / 10);

  QTest::mousePress(label.get(), Qt::LeftButton, {}, inside);
  ASSERT_TRUE(label->Pressed());
  const QImage pressed = Shot(*label);
  EXPECT_EQ(InkOf(pressed, Blue).Pixels, 0);
  EXPECT_GT(InkOf(pressed, Purple).Pixels, normal.Pixels / 2);
  EXPECT_LT(InkOf(pressed, Purple).LongestRun, normal.Box.width() / 2);  // no underline

  QTest::mouseRelease(label.get(), Qt::LeftButton, {}, inside);
  EXPECT_FALSE(label->Pressed());
  EXPECT_EQ(Shot(*label), Shot(*label));
  EXPECT_GE(InkOf(Shot(*label), Blue).LongestRun, normal.Box.width() * 9 / 10);

  Leave(*label);
  EXPECT_FALSE(label->Hovering());
  EXPECT_LT(InkOf(Shot(*label), Blue).LongestRun, normal.Box.width() / 2);
}

// A label that takes its parent's colour on a coloured skin panel must not paint a box of
// another colour behind its text.
TEST_F(AbclabelLook, ParentColourOnASkinPanelIsThePanelsColour) {
  TCoolPanel panel;
  const QColor panelColour(10, 120, 200);
  panel.SetColor(panelColour);
  panel.resize(300, 120);
  TabcMouseLabel label(&panel);
  label.SetCaption("Links Here");
  label.SetParentColor(true);
  label.move(10, 10);
  panel.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
  EXPECT_EQ(label.Color(), panelColour);
  EXPECT_TRUE(Near(Shot(label).pixel(0, 0), panelColour, 0));

  // A panel left at its default colour (the button shadow) passes that on as well.
  TCoolPanel plain;
  plain.resize(300, 120);
  TabcMouseLabel onPlain(&plain);
  onPlain.SetCaption("Links Here");
  EXPECT_EQ(onPlain.Color(), plain.Color());
  EXPECT_TRUE(Near(Shot(onPlain).pixel(0, 0), plain.Color(), 0));
}

TEST_F(AbclabelLook, ColourShadowDrawsAHaloAroundTheText) {
  auto label = MakeLabel<TabcMouseLabel>();
  label->SetFontColor(Qt::black);
  label->SetMouseOverEffects({almColorShadow});
  label->SetMouseOverColor(Qt::red);
  EXPECT_EQ(InkOf(Shot(*label), Qt::red).Pixels, 0);
  Enter(*label);
  const QImage hover = Shot(*label);
  const TInk halo = InkOf(hover, Qt::red), text = InkOf(hover, Qt::black);
  EXPECT_GT(halo.Pixels, 20);
  EXPECT_GT(text.Pixels, 20);
  EXPECT_EQ(halo.Box.adjusted(1, 1, -1, -1), text.Box);  // copies at (-1,-1) and (+1,+1)

  label->SetMouseOverEffects({almColor});
  const QImage coloured = Shot(*label);
  EXPECT_EQ(InkOf(coloured, Qt::black).Pixels, 0);
  EXPECT_GT(InkOf(coloured, Qt::red).Pixels, 20);
}

TEST_F(AbclabelLook, DisabledLabelIsEmbossedAndIgnoresTheMouse) {
  auto label = MakeLabel<TabcURLLabel>();
  const QRect normalBox = InkOf(Shot(*label), Blue).Box;
  int downs = 0;
  label->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
  label->SetEnabled(false);

  // The system's button highlight and shadow, not the pale shades that a disabled
  // widget's palette answers with (those left the text barely readable).
  const QPalette system = QApplication::palette();
  const QColor buttonShadow = system.color(QPalette::Normal, QPalette::Dark);
  ASSERT_NE(buttonShadow, system.color(QPalette::Disabled, QPalette::Dark));
  const QImage image = Shot(*label);
  const TInk highlight = InkOf(image, system.color(QPalette::Normal, QPalette::Light), 0);
  const TInk shadow = InkOf(image, buttonShadow, 0);
  EXPECT_EQ(InkOf(image, Blue).Pixels, 0);
  ASSERT_GT(shadow.Pixels, 20);
  ASSERT_GT(highlight.Pixels, 20);
  EXPECT_EQ(shadow.Box.topLeft(), normalBox.topLeft());
  EXPECT_EQ(highlight.Box.bottomRight(), shadow.Box.bottomRight() + QPoint(1, 1));

  QTest::mousePress(label.get(), Qt::LeftButton, {}, label->rect().center());
  EXPECT_FALSE(label->Pressed());
  EXPECT_EQ(downs, 0);
  QTest::mouseRelease(label.get(), Qt::LeftButton, {}, label->rect().center());
}

TEST_F(AbclabelLook, LayoutAndAlignmentPlaceTheText) {
  auto label = MakeLabel<TabcMouseLabel>("Ab");
  label->SetFontColor(Qt::black);
  label->SetAutoSize(false);
  label->resize(200, 120);
  std::map<int, QRect> boxes;
  for (auto layout : {TabcMouseLabel::tlTop, TabcMouseLabel::tlCenter, TabcMouseLabel::tlBottom}) {
    label->SetLayout(layout);
    boxes[layout] = InkOf(Shot(*label), Qt::black).Box;
  }
  EXPECT_LT(boxes[TabcMouseLabel::tlTop].top(), 12);
  EXPECT_GT(boxes[TabcMouseLabel::tlBottom].bottom(), 120 - 12);
  EXPECT_NEAR(boxes[TabcMouseLabel::tlCenter].top(),
              (boxes[TabcMouseLabel::tlTop].top() + boxes[TabcMouseLabel::tlBottom].top()) / 2, 1);

  label->SetLayout(TabcMouseLabel::tlTop);
  label->SetAlignment(taRightJustify);
  EXPECT_GT(InkOf(Shot(*label), Qt::black).Box.right(), 200 - 6);
  label->SetAlignment(taCenter);
  const QRect centred = InkOf(Shot(*label), Qt::black).Box;
  EXPECT_NEAR(centred.left() + centred.right(), 199, 4);
}

TEST_F(AbclabelLook, AutoSizeFollowsTheCaptionAndTheAcceleratorMark) {
  auto label = MakeLabel<TabcMouseLabel>("File");
  const int plainWidth = label->width();
  EXPECT_GT(plainWidth, 20);
  label->SetCaption("&File");
  EXPECT_EQ(label->width(), plainWidth);  // the mark only underlines the F
  label->SetShowAccelChar(false);
  EXPECT_GT(label->width(), plainWidth);

  label->SetAlignment(taRightJustify);
  const int right = label->geometry().right();
  label->SetCaption("Much longer caption");
  EXPECT_EQ(label->geometry().right(), right);
  label->SetCaption("");
  EXPECT_GT(label->height(), 10);  // an empty caption keeps one line's height
}

TEST_F(AbclabelMouse, EventsComeInTheFrameworkOrder) {
  auto label = MakeLabel<TabcMouseLabel>();
  std::vector<std::string> events;
  const auto record = [&](const std::string& name) {
    events.push_back(name + (label->Pressed() ? "+pressed" : ""));
  };
  label->OnMouseEnter = [&](QObject* sender) {
    EXPECT_EQ(sender, label.get());
    record("enter");
  };
  label->OnMouseLeave = [&](QObject*) { record("leave"); };
  label->OnMouseDown = [&](QObject*, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    EXPECT_EQ(QPoint(x, y), QPoint(10, 12));
    record(button == Qt::LeftButton ? "down" : "other down");
  };
  label->OnClick = [&](QObject*) { record("click"); };
  label->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    record("up");
  };

  Enter(*label);
  QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(10, 12));
  QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(10, 12));
  Leave(*label);
  EXPECT_EQ(events,
            std::vector<std::string>({"enter", "down", "click+pressed", "up+pressed", "leave"}));

  // Released away from the label: no click. A right button never clicks.
  events.clear();
  QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(10, 12));
  QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(-20, -20));
  QTest::mousePress(label.get(), Qt::RightButton, {}, QPoint(10, 12));
  QTest::mouseRelease(label.get(), Qt::RightButton, {}, QPoint(10, 12));
  for (const std::string& event : events) EXPECT_EQ(event.find("click"), std::string::npos);
  EXPECT_FALSE(label->Pressed());
}

TEST_F(AbclabelMouse, ADoubleClickOpensTheLinkOnce) {
  auto label = MakeLabel<TabcURLLabel>();
  int clicks = 0, ups = 0;
  label->OnClick = [&](QObject*) { ++clicks; };
  label->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  QTest::mouseDClick(label->windowHandle(), Qt::LeftButton, {}, QPoint(10, 12));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ups, 2);
  EXPECT_FALSE(label->Pressed());
}

TEST_F(AbclabelMouse, ChangingEnabledDropsThePressedState) {
  auto label = MakeLabel<TabcMouseLabel>();
  QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(label->Pressed());
  label->SetEnabled(false);
  EXPECT_FALSE(label->Pressed());
  int leaves = 0;
  label->OnMouseLeave = [&](QObject*) { ++leaves; };
  QCursor::setPos(label->mapToGlobal(QPoint(-50, -50)));
  label->SetEnabled(true);
  EXPECT_EQ(leaves, 1);  // pointer elsewhere: resynchronised as a leave
  EXPECT_FALSE(label->Hovering());
}
