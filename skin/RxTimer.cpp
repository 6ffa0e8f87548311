#include "RxTimer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimerEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>

void RunInThreadOf(QObject* context, std::function<void()> method) {
  if (QThread::currentThread() == context->thread())
    method();
  else
    QMetaObject::invokeMethod(context, std::move(method), Qt::QueuedConnection);
}

// ---------------------------------------------------------------- worker

TTimerThread::TTimerThread(TRxTimer* owner) : FOwner(owner) {}

TTimerThread::~TTimerThread() {
  Stop();
}

void TTimerThread::Configure(unsigned interval, bool running) {
  {
    std::lock_guard lock(FLock);
    FInterval = interval;
    FRunning = running;
    ++FGeneration;
  }
  FWake.notify_all();
}

bool TTimerThread::Suspended() const {
  std::lock_guard lock(FLock);
  return !FRunning;
}

void TTimerThread::TickDone() {
  {
    std::lock_guard lock(FLock);
    FTickPending = false;
  }
  FWake.notify_all();
}

void TTimerThread::Stop() {
  {
    std::unique_lock lock(FLock);
    FTerminated = true;
    FWake.notify_all();
    // The loop's end is awaited under our own lock, not only through QThread::wait, so
    // that everything the worker did comes visibly before the thread object goes.
    if (isRunning()) FWake.wait(lock, [&] { return FFinished; });
  }
  wait();
}

void TTimerThread::run() {
  std::unique_lock lock(FLock);
  while (!FTerminated) {
    if (!FRunning) {
      FWake.wait(lock);
      continue;
    }
    const unsigned long long generation = FGeneration;
    const bool woken = FWake.wait_for(lock, std::chrono::milliseconds(FInterval),
                                      [&] { return FTerminated || FGeneration != generation; });
    if (woken) continue;
    // The next interval is measured from the end of this tick, so a tick handed to the
    // GUI thread is waited for (a reconfiguration does not end that wait; stopping does).
    FTickPending = true;
    lock.unlock();
    FOwner->ThreadTimer();
    lock.lock();
    FWake.wait(lock, [&] { return FTerminated || !FTickPending; });
  }
  FFinished = true;
  FWake.notify_all();
}

// ---------------------------------------------------------------- timer

namespace {

QThread::Priority QtPriority(TThreadPriority value) {
  static constexpr QThread::Priority map[] = {
      QThread::IdlePriority,        QThread::LowestPriority, QThread::LowPriority,
      QThread::NormalPriority,      QThread::HighPriority,   QThread::HighestPriority,
      QThread::TimeCriticalPriority};
  return map[value];
}

}  // namespace

TRxTimer::TRxTimer(QObject* parent) : QObject(parent) {}

TRxTimer::~TRxTimer() {
  FDestroying = true;
  FEnabled = false;
  SetOnTimer(nullptr);
  StopThread();
  if (FTimerId) killTimer(FTimerId);
}

void TRxTimer::StopThread() {
  if (FThread) FThread->Stop();
}

void TRxTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TRxTimer::SetInterval(unsigned value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TRxTimer::SetThreaded(bool value) {
  if (value == FThreaded) return;
  FThreaded = value;
  UpdateTimer();
}

void TRxTimer::SetThreadPriority(TThreadPriority value) {
  if (value == FThreadPriority) return;
  FThreadPriority = value;
  if (FThreaded) UpdateTimer();
}

void TRxTimer::SetOnTimer(TNotifyEvent value) {
  bool change;
  {
    std::lock_guard lock(FEventLock);
    change = bool(value) != bool(FOnTimer);
    FOnTimer = std::move(value);
  }
  if (change && !FDestroying) UpdateTimer();
}

void TRxTimer::UpdateTimer() {
  bool assigned;
  {
    std::lock_guard lock(FEventLock);
    assigned = bool(FOnTimer);
  }
  const unsigned interval = FInterval;
  const bool armed = interval != 0 && FEnabled && assigned;
  if (FThreaded) {
    // An animator drawing on the worker comes here from the worker, where FTimerId is
    // already 0 and must not be written.
    if (FTimerId) {
      killTimer(FTimerId);
      FTimerId = 0;
    }
    if (!FThread && !armed) return;
    if (!FThread) {
      FThread = std::make_unique<TTimerThread>(this);
      FThread->start();
    }
    FThread->Configure(interval, armed);
    if (armed) FThread->setPriority(QtPriority(FThreadPriority));
    return;
  }
  if (FThread) FThread->Configure(interval, false);
  if (FTimerId) killTimer(FTimerId);
  FTimerId = 0;
  if (!armed) return;
  // Qt takes a signed interval: a longer one waits as long as the platform allows, as
  // window timers do.
  FTimerId = startTimer(int(std::min<unsigned>(interval, std::numeric_limits<int>::max())),
                        Qt::PreciseTimer);
  if (!FTimerId) throw EOutOfResources(SNoTimers);
}

void TRxTimer::Timer() {
  TNotifyEvent event;
  {
    std::lock_guard lock(FEventLock);
    event = FOnTimer;
  }
  if (FEnabled && !FDestroying && event) event(this);
}

void TRxTimer::timerEvent(QTimerEvent* event) {
  if (event->timerId() == FTimerId) GuardedTimer();
}

void TRxTimer::ThreadTimer() {
  if (FSyncEvent) {
    // Queued with the timer as context: a timer destroyed meanwhile drops the call, and
    // its destructor's Stop ends the worker's wait.
    // OnTimer may destroy the timer, and with it the worker: then there is no one left
    // to tell.
    TTimerThread* thread = FThread.get();
    QMetaObject::invokeMethod(
        this,
        [this, thread] {
          const QPointer<TRxTimer> alive(this);
          GuardedTimer();
          if (alive) thread->TickDone();
        },
        Qt::QueuedConnection);
    return;
  }
  GuardedTimer();
  FThread->TickDone();
}

void TRxTimer::GuardedTimer() {
  try {
    Timer();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
}
