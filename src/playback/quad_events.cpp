#include "playback/quad_events.h"

namespace kd {

void QuadEvents::set(Event e) {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    state_[e] = true;
  }
  changed_.notify_all();
}

void QuadEvents::reset(Event e) {
  std::lock_guard<std::mutex> hold(mutex_);
  state_[e] = false;
}

bool QuadEvents::isSet(Event e) const {
  std::lock_guard<std::mutex> hold(mutex_);
  return state_[e];
}

int QuadEvents::firstSetLocked(std::initializer_list<Event> events) const {
  for (Event e : events) {
    if (state_[e]) return e;
  }
  return -1;
}

int QuadEvents::firstSet(std::initializer_list<Event> events) const {
  std::lock_guard<std::mutex> hold(mutex_);
  return firstSetLocked(events);
}

QuadEvents::Event QuadEvents::waitAny(std::initializer_list<Event> events) {
  std::unique_lock<std::mutex> hold(mutex_);
  int found = -1;
  changed_.wait(hold, [&] { return (found = firstSetLocked(events)) >= 0; });
  return Event(found);
}

}  // namespace kd
