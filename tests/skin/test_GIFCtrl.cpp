// The GIF animator: its properties and events, the frame step with Loop, the frame
// intervals, where the picture lands when painted, and animation on a real timer thread.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <random>
#include <thread>

#include "CoolCtrls.h"
#include "GIFCtrl.h"
#include "GifBuild.h"

using GifBuild::TFrame;
using Rows = std::vector<std::string>;

namespace {

// Counts each event of an animator and remembers the frame index at each frame change.
struct TEventLog {
  int Change = 0, Start = 0, Stop = 0;
  std::vector<int> Frames;
  void Attach(TRxGIFAnimator& a) {
    a.OnChange = [this](QObject*) { ++Change; };
    a.OnStart = [this](QObject*) { ++Start; };
    a.OnStop = [this](QObject*) { ++Stop; };
    a.OnFrameChanged = [this, &a](QObject*) { Frames.push_back(a.FrameIndex()); };
  }
};

// Gives the animator three 2 x 1 frames: red, green, blue; delays in hundredths of a second.
void SetThreeFrames(TRxGIFAnimator& a, int d0 = 0, int d1 = 300, int d2 = 2000) {
  TGIFImage image;
  GifBuild::Load(image, 2, 1,
                 {{0, 0, {"00"}, 1, d0}, {0, 0, {"11"}, 1, d1}, {0, 0, {"22"}, 1, d2}});
  a.SetImage(image);
}

// An animator on a yellow panel, shown.
struct TStage {
  TStage() {
    Panel.SetColor(QColor(255, 255, 0));
    Panel.resize(40, 30);
    Animator = new TRxGIFAnimator(&Panel);
    Panel.show();
  }
  TCoolPanel Panel;
  TRxGIFAnimator* Animator;
};

}  // namespace

TEST(RxGIFAnimator, DefaultsAndAPictureSizingTheControl) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  EXPECT_FALSE(a.AsyncDrawing());
  EXPECT_FALSE(a.Animate());
  EXPECT_TRUE(a.AutoSize());
  EXPECT_FALSE(a.Center());
  EXPECT_EQ(a.FrameIndex(), 0);
  EXPECT_TRUE(a.Image().Empty());
  EXPECT_TRUE(a.Loop());
  EXPECT_FALSE(a.Stretch());
  EXPECT_TRUE(a.Transparent());
  EXPECT_TRUE(a.ParentColor());
  EXPECT_EQ(a.size(), QSize(105, 105));
  EXPECT_TRUE(a.Timer().Enabled());

  TEventLog log;
  log.Attach(a);
  SetThreeFrames(a);
  EXPECT_EQ(a.size(), QSize(2, 1));
  EXPECT_EQ(a.Image().Count(), 3);
  EXPECT_EQ(log.Change, 1);

  a.SetAutoSize(false);
  a.resize(9, 9);
  SetThreeFrames(a);
  EXPECT_EQ(a.size(), QSize(9, 9));
}

TEST(RxGIFAnimator, FrameIndexIgnoresTheSameAndOutOfRangeValues) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  SetThreeFrames(a);
  TEventLog log;
  log.Attach(a);
  const struct {
    int Set;
    int Expected;
    size_t FrameEvents;
  } steps[] = {{0, 0, 0}, {2, 2, 1}, {3, 2, 1}, {-1, 2, 1}, {1, 1, 2}};
  for (const auto& step : steps) {
    a.SetFrameIndex(step.Set);
    EXPECT_EQ(a.FrameIndex(), step.Expected) << "set " << step.Set;
    EXPECT_EQ(log.Frames.size(), step.FrameEvents) << "set " << step.Set;
  }
  EXPECT_EQ(log.Change, 2);  // each accepted change repaints and tells OnChange
}

TEST(RxGIFAnimator, FrameIntervalsAreClampedAndZeroForStillPictures) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  SetThreeFrames(a, 0, 300, 2000);
  const struct {
    int Index;
    unsigned Interval;
  } cases[] = {{0, 50}, {1, 3000}, {2, 10000}, {3, 0}, {-1, 0}};
  for (const auto& c : cases) EXPECT_EQ(a.FrameInterval(c.Index), c.Interval) << c.Index;
  EXPECT_EQ(a.Timer().Interval(), 50u);
  a.SetFrameIndex(1);
  EXPECT_EQ(a.Timer().Interval(), 3000u);

  TGIFImage still;
  GifBuild::Load(still, 2, 1, {{0, 0, {"00"}, 1, 300}});
  a.SetImage(still);
  EXPECT_EQ(a.FrameInterval(0), 0u);
  EXPECT_EQ(a.Timer().Interval(), 0u);
}

TEST(RxGIFAnimator, AStillPictureStartsButNeverTicks) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  TGIFImage still;
  GifBuild::Load(still, 2, 1, {{0, 0, {"00"}}});
  a.SetImage(still);
  TEventLog log;
  log.Attach(a);
  a.SetAnimate(true);
  EXPECT_TRUE(a.Animate());
  EXPECT_EQ(log.Start, 1);
  EXPECT_TRUE(a.Timer().ThreadSuspended());
  a.TimerExpired(nullptr);
  EXPECT_TRUE(log.Frames.empty());
  a.SetAnimate(false);
  EXPECT_EQ(log.Stop, 1);
}

TEST(RxGIFAnimator, TheStepWrapsWithLoopAndStopsOnFrameZeroWithout) {
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "Loop" : "no Loop");
    TStage stage;
    TRxGIFAnimator& a = *stage.Animator;
    SetThreeFrames(a);
    a.SetLoop(loop);
    TEventLog log;
    log.Attach(a);
    a.SetAnimate(true);
    for (int tick = 0; tick < 4 && a.Animate(); ++tick) a.TimerExpired(nullptr);
    EXPECT_EQ(log.Frames, loop ? std::vector<int>({1, 2, 0, 1}) : std::vector<int>({1, 2, 0}));
    EXPECT_EQ(a.Animate(), loop);
    EXPECT_EQ(log.Stop, loop ? 0 : 1);
    EXPECT_EQ(a.Timer().Interval(), a.FrameInterval(a.FrameIndex()));
  }
}

TEST(RxGIFAnimator, NoStepWhileHiddenOrWithoutParent) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  SetThreeFrames(a);
  a.hide();
  a.TimerExpired(nullptr);
  EXPECT_EQ(a.FrameIndex(), 0);

  TRxGIFAnimator orphan;
  SetThreeFrames(orphan);
  orphan.TimerExpired(nullptr);
  EXPECT_EQ(orphan.FrameIndex(), 0);
}

TEST(RxGIFAnimator, PaintingPlacesThePicture) {
  // A 2 x 1 picture with a transparent right pixel in a 6 x 3 control on a yellow panel.
  TGIFImage image;
  GifBuild::Load(image, 2, 1, {{0, 0, {"23"}, 1, 0, 3}});
  const struct {
    const char* Name;
    bool Center, Stretch, Transparent;
    Rows Expected;
  } cases[] = {
      {"top left, transparent", false, false, true, {"BYYYYY", "YYYYYY", "YYYYYY"}},
      {"centred", true, false, true, {"YYYYYY", "YYBYYY", "YYYYYY"}},
      {"stretched", false, true, true, {"BBBYYY", "BBBYYY", "BBBYYY"}},
      {"opaque: the transparent colour shows", false, false, false, {"BWYYYY", "YYYYYY", "YYYYYY"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TStage stage;
    TRxGIFAnimator& a = *stage.Animator;
    a.SetAutoSize(false);
    a.SetBounds(0, 0, 6, 3);
    a.SetImage(image);
    a.SetCenter(c.Center);
    a.SetStretch(c.Stretch);
    a.SetTransparent(c.Transparent);
    EXPECT_EQ(GifBuild::Letters(a.grab().toImage()), c.Expected);
  }
}

TEST(RxGIFAnimator, AnOpaquePictureIsDrawnOverTheControlsColour) {
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  a.SetAutoSize(false);
  a.SetBounds(0, 0, 3, 1);
  SetThreeFrames(a);
  a.SetFrameIndex(2);
  EXPECT_EQ(GifBuild::Letters(a.grab().toImage()), Rows{"BBY"});
  a.SetParentColor(false);
  a.SetColor(Qt::black);
  EXPECT_EQ(GifBuild::Letters(a.grab().toImage()), Rows{"BBK"});
}

TEST(RxGIFAnimator, PlaysOnItsTimerThreadAndDiesMidAnimation) {
  for (const bool async : {false, true}) {
    SCOPED_TRACE(async ? "drawing on the worker" : "ticks on the GUI thread");
    auto stage = std::make_unique<TStage>();
    TRxGIFAnimator& a = *stage->Animator;
    SetThreeFrames(a, 0, 0, 0);
    a.SetAsyncDrawing(async);
    EXPECT_EQ(a.Timer().SyncEvent(), !async);
    TEventLog log;
    log.Attach(a);
    a.SetAnimate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.Frames.size() >= 4; }, 10000));
    // The worker may step on before the GUI thread reports a frame; ticks on the GUI
    // thread are reported in order.
    if (!async) {
      EXPECT_EQ(std::vector<int>(log.Frames.begin(), log.Frames.begin() + 4),
                std::vector<int>({1, 2, 0, 1}));
    }
    stage.reset();  // with the worker sleeping or ticking
    QCoreApplication::processEvents();
  }
}

TEST(RxGIFAnimator, AFreshPictureTakesItsFillFromTheFirstFrame) {
  // Frame 0 is all transparent and restores the previous picture, so frame 1 is composed
  // afresh: its fill is frame 0's transparent colour and shows the panel, not the
  // background colour that frame 1 (without a transparent colour) would give.
  TStage stage;
  TRxGIFAnimator& a = *stage.Animator;
  TGIFImage image;
  GifBuild::Load(image, 2, 1, {{0, 0, {"33"}, 3, 0, 3}, {1, 0, {"2"}}});
  a.SetImage(image);
  a.SetFrameIndex(1);
  EXPECT_EQ(GifBuild::Letters(a.grab().toImage()), Rows{"YB"});
  EXPECT_EQ(a.Image().FrameIndex(), 0);
}

TEST(RxGIFAnimator, DestroyedWhileItsWorkerDrawsATick) {
  // Two full 400 x 400 frames without delay: a tick spends milliseconds composing.
  TGIFImage image;
  image.LoadFromData(GifBuild::Output(
      "/usr/bin/convert -delay 0 -size 400x400 gradient:red-blue gradient:green-yellow gif:-"));
  std::mt19937 random(17);
  for (int round = 0; round < 60; ++round) {
    auto stage = std::make_unique<TStage>();
    TRxGIFAnimator& a = *stage->Animator;
    a.SetImage(image);
    a.SetAsyncDrawing(true);
    a.SetAnimate(true);
    // Any moment around the first tick, which comes 50 ms after the start: asleep,
    // composing, or telling the GUI thread and setting the next interval.
    std::this_thread::sleep_for(std::chrono::milliseconds(40 + random() % 30));
    stage.reset();
  }
  QCoreApplication::processEvents();
}

TEST(RxGIFAnimator, WithoutLoopARunOnTheWorkerRestsOnFrameZeroThoughTheGuiThreadIsBusy) {
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    TStage stage;
    TRxGIFAnimator& a = *stage.Animator;
    SetThreeFrames(a, 0, 0, 0);
    a.SetAsyncDrawing(true);
    a.SetLoop(false);
    TEventLog log;
    log.Attach(a);
    a.SetAnimate(true);
    // Three 50 ms frames take 150 ms; the GUI thread hears of none of it until later.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !a.Animate(); }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(a.FrameIndex(), 0);
    EXPECT_EQ(log.Frames.size(), 3u);
    EXPECT_EQ(log.Stop, 1);
  }
}
