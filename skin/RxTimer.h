#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "Exception.h"
#include "SkinControl.h"

// The platform could not give a timer.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* SNoTimers = "Not enough timers available";

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TRxTimer;

// The worker of a threaded timer. It sleeps the interval on a condition variable, so a
// reconfiguration wakes it and the sleep starts again with the new interval; it never
// waits for the GUI thread in a way that destroying its timer could not break.
class TTimerThread : public QThread {
 public:
  explicit TTimerThread(TRxTimer* owner);
  ~TTimerThread() override;

  // The interval of the next sleep; `running` false parks the thread (the suspended state).
  void Configure(unsigned interval, bool running);
  bool Suspended() const;
  // A tick that was handed to the GUI thread has run (or was dropped).
  void TickDone();
  // Ends the loop and waits for it; ticks not yet run are dropped.
  void Stop();

 protected:
  void run() override;

 private:
  TRxTimer* const FOwner;
  mutable std::mutex FLock;
  std::condition_variable FWake;
  unsigned FInterval = 1000;
  bool FRunning = false;
  bool FTerminated = false;
  bool FFinished = false;
  bool FTickPending = false;
  unsigned long long FGeneration = 0;
};

// A timer whose ticks come from a worker thread (threaded, the default) or from the GUI
// thread's event loop. With SyncEvent the worker's tick runs on the GUI thread; without it
// on the worker itself. Every change re-arms the timer, so the next tick comes a whole
// interval after the change.
class TRxTimer : public QObject {
  Q_OBJECT
 public:
  explicit TRxTimer(QObject* parent = nullptr);
  ~TRxTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  unsigned Interval() const { return FInterval; }
  // Throws EOutOfResources in the unthreaded mode when the platform timer cannot be had.
  void SetInterval(unsigned value);
  bool SyncEvent() const { return FSyncEvent; }
  void SetSyncEvent(bool value) { FSyncEvent = value; }
  bool Threaded() const { return FThreaded; }
  void SetThreaded(bool value);
  TThreadPriority ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(TThreadPriority value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent value);

  // Ends the worker, waiting for a tick it runs; an owner whose tick runs there calls it
  // before it lets go of anything the tick uses. The timer no longer ticks.
  void StopThread();
  // Whether the worker exists and is parked; a timer that never ran has none.
  bool ThreadSuspended() const { return !FThread || FThread->Suspended(); }

 protected:
  // The timer step: calls OnTimer while enabled and not being destroyed.
  virtual void Timer();
  void timerEvent(QTimerEvent* event) override;

 private:
  friend class TTimerThread;
  void UpdateTimer();
  // Called by the worker when an interval has passed.
  void ThreadTimer();
  // The step with its failure reported, since no event loop may carry it.
  void GuardedTimer();

  // Read by the worker.
  std::atomic<bool> FEnabled = true;
  std::atomic<bool> FSyncEvent = true;
  std::atomic<bool> FDestroying = false;
  // An animator drawing on the worker sets the next frame's interval from there.
  std::atomic<unsigned> FInterval = 1000;
  bool FThreaded = true;
  TThreadPriority FThreadPriority = tpNormal;
  int FTimerId = 0;
  // The worker may copy OnTimer while the GUI thread replaces it.
  mutable std::mutex FEventLock;
  TNotifyEvent FOnTimer;
  std::unique_ptr<TTimerThread> FThread;
};

// Runs `method` on `context`'s thread: at once when already there, else queued; a queued
// call is dropped with `context`.
void RunInThreadOf(QObject* context, std::function<void()> method);
