#pragma once
// The play windows' clock in the application: the system tick count, precise QTimers and
// queued calls on the user-interface thread (the thread that made the clock). post() may be
// called from any thread; calls still queued when the clock goes are dropped.
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "playback/engine_clock.h"

namespace kd {

class QtEngineClock : public EngineClock {
 public:
  QtEngineClock();
  ~QtEngineClock() override;

  uint32_t now() override;
  TimerHandle startTimer(uint32_t periodMs, std::function<void()> onTick) override;
  void killTimer(TimerHandle handle) override;
  void post(std::function<void()> task) override;

 private:
  QObject context_;  // receives the queued calls and parents the timers
  std::map<TimerHandle, QTimer*> timers_;
  TimerHandle nextHandle_ = 1;
};

}  // namespace kd
