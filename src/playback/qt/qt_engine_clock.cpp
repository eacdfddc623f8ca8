#include "playback/qt/qt_engine_clock.h"

#include <QMetaObject>
#include <utility>

#include "platform/clock.h"

namespace kd {

QtEngineClock::QtEngineClock() = default;

QtEngineClock::~QtEngineClock() {
  for (auto& [handle, timer] : timers_) timer->stop();
  // The timers are children of context_ and go with it.
}

uint32_t QtEngineClock::now() {
  return tickCount();
}

EngineClock::TimerHandle QtEngineClock::startTimer(uint32_t periodMs,
                                                   std::function<void()> onTick) {
  auto* timer = new QTimer(&context_);
  // 10 ms and 1 ms periods need the precise kind; coarse timers drift by 5 %.
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(int(periodMs));
  QObject::connect(timer, &QTimer::timeout, &context_, std::move(onTick));
  const TimerHandle handle = nextHandle_++;
  timers_[handle] = timer;
  timer->start();
  return handle;
}

void QtEngineClock::killTimer(TimerHandle handle) {
  auto it = timers_.find(handle);
  if (it == timers_.end()) return;
  QTimer* timer = it->second;
  timers_.erase(it);
  timer->stop();
  // The timer may be killed from its own timeout handler.
  timer->deleteLater();
}

void QtEngineClock::post(std::function<void()> task) {
  QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

}  // namespace kd
