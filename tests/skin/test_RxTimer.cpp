// The GIF timer: ticks from its worker onto the GUI thread or on the worker itself, a sleep
// that starts again on every change, and destruction at any moment of the worker's life.
// Waits are for counted events only; nothing here relies on how long something takes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

#include "RxTimer.h"

namespace {

constexpr int Patience = 10000;

struct TTickLog {
  std::atomic<int> Count = 0;
  std::atomic<bool> OffGuiThread = false;
  TNotifyEvent Handler() {
    return [this](QObject*) {
      if (QThread::currentThread() != qApp->thread()) OffGuiThread = true;
      ++Count;
    };
  }
};

bool WaitForTicks(const TTickLog& log, int count) {
  return QTest::qWaitFor([&] { return log.Count >= count; }, Patience);
}

}  // namespace

TEST(RxTimer, DefaultsAndNoWorkerUntilArmed) {
  TRxTimer timer;
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_TRUE(timer.SyncEvent());
  EXPECT_TRUE(timer.Threaded());
  EXPECT_EQ(timer.ThreadPriority(), tpNormal);
  EXPECT_FALSE(timer.OnTimer());

  // Each of the three conditions alone keeps the worker parked.
  TTickLog log;
  timer.SetInterval(0);
  timer.SetOnTimer(log.Handler());
  EXPECT_TRUE(timer.ThreadSuspended());
  timer.SetInterval(1);
  timer.SetEnabled(false);
  EXPECT_TRUE(timer.ThreadSuspended());
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.ThreadSuspended());
  timer.SetOnTimer(nullptr);
  EXPECT_TRUE(timer.ThreadSuspended());
}

TEST(RxTimer, TicksReachTheGuiThreadOrStayOnTheWorker) {
  for (const bool sync : {true, false}) {
    TTickLog log;
    TRxTimer timer;
    timer.SetSyncEvent(sync);
    timer.SetInterval(1);
    timer.SetOnTimer(log.Handler());
    ASSERT_TRUE(WaitForTicks(log, 3)) << "sync " << sync;
    EXPECT_EQ(log.OffGuiThread, !sync);
  }
}

TEST(RxTimer, AChangeRestartsTheSleepWithTheNewInterval) {
  TTickLog log;
  TRxTimer timer;
  timer.SetInterval(3600 * 1000);
  timer.SetOnTimer(log.Handler());
  ASSERT_FALSE(timer.ThreadSuspended());
  // Without a restart the first tick would be an hour away.
  timer.SetInterval(1);
  EXPECT_TRUE(WaitForTicks(log, 1));

  // Disabled: the worker parks, and ticks it had already handed over do not run.
  timer.SetEnabled(false);
  const int before = log.Count;
  QCoreApplication::processEvents();
  EXPECT_EQ(log.Count, before);
  EXPECT_TRUE(timer.ThreadSuspended());
}

TEST(RxTimer, DestroyedWhileTheWorkerSleeps) {
  TTickLog log;
  auto timer = std::make_unique<TRxTimer>();
  timer->SetInterval(3600 * 1000);
  timer->SetOnTimer(log.Handler());
  ASSERT_FALSE(timer->ThreadSuspended());
  timer.reset();  // returns at once instead of sleeping out the hour
  EXPECT_EQ(log.Count, 0);
}

TEST(RxTimer, DestroyedWhileATickRunsOnTheWorker) {
  std::atomic<bool> entered = false;
  auto timer = std::make_unique<TRxTimer>();
  TRxTimer* raw = timer.get();
  timer->SetSyncEvent(false);
  timer->SetInterval(1);
  // The tick keeps running until the destructor has begun: it ends when the timer is
  // disabled, which is the destructor's first step.
  timer->SetOnTimer([&](QObject*) {
    entered = true;
    while (raw->Enabled()) std::this_thread::yield();
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return entered.load(); }, Patience));
  timer.reset();
  SUCCEED();
}

TEST(RxTimer, DestroyedWithATickQueuedForTheGuiThread) {
  TTickLog log;
  auto timer = std::make_unique<TRxTimer>();
  timer->SetInterval(1);
  timer->SetOnTimer(log.Handler());
  ASSERT_TRUE(WaitForTicks(log, 1));
  // Let the worker hand over its next ticks, then destroy the timer before the event
  // loop could run them: they are dropped, never run on the destroyed timer.
  std::this_thread::yield();
  const int before = log.Count;
  timer.reset();
  QCoreApplication::processEvents();
  EXPECT_EQ(log.Count, before);
}

TEST(RxTimer, UnthreadedTicksComeFromTheEventLoop) {
  TTickLog log;
  TRxTimer timer;
  timer.SetThreaded(false);
  timer.SetInterval(1);
  timer.SetOnTimer(log.Handler());
  ASSERT_TRUE(WaitForTicks(log, 3));
  EXPECT_FALSE(log.OffGuiThread);

  // Back to threaded and again unthreaded: the mode switch carries the ticks along.
  timer.SetThreaded(true);
  const int threaded = log.Count;
  ASSERT_TRUE(WaitForTicks(log, threaded + 2));
  timer.SetThreaded(false);
  EXPECT_TRUE(timer.ThreadSuspended());
}

TEST(RxTimer, DestroyedByItsOwnTick) {
  // The tick frees the timer and its worker; what follows the tick must touch neither.
  for (const bool threaded : {true, false}) {
    SCOPED_TRACE(threaded ? "threaded" : "unthreaded");
    for (int round = 0; round < 40; ++round) {
      auto* timer = new TRxTimer;
      bool destroyed = false;
      QObject::connect(timer, &QObject::destroyed, [&] { destroyed = true; });
      timer->SetThreaded(threaded);
      timer->SetInterval(1);
      timer->SetOnTimer([timer](QObject*) { delete timer; });
      ASSERT_TRUE(QTest::qWaitFor([&] { return destroyed; }, Patience));
    }
  }
}

TEST(RxTimer, AnUnthreadedIntervalBeyondThePlatformsRangeIsCapped) {
  TTickLog log;
  TRxTimer timer;
  timer.SetThreaded(false);
  timer.SetOnTimer(log.Handler());
  EXPECT_NO_THROW(timer.SetInterval(0xFFFFFFFFu));
  EXPECT_EQ(timer.Interval(), 0xFFFFFFFFu);
  EXPECT_NO_THROW(timer.SetThreaded(true));
}
