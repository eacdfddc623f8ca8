#pragma once
// The four-channel play window's signalling: four manual-reset events (stop, kick, tick, run),
// each staying set until reset, with a wait for whichever of a chosen few is set first.
#include <condition_variable>
#include <initializer_list>
#include <mutex>

namespace kd {

class QuadEvents {
 public:
  enum Event { Stop = 0, Kick = 1, Tick = 2, Run = 3 };

  void set(Event e);
  void reset(Event e);
  bool isSet(Event e) const;
  // Blocks until one of `events` is set; returns the first set one in the order given.
  Event waitAny(std::initializer_list<Event> events);
  // The first set one in the order given, or −1 when none is set; never blocks.
  int firstSet(std::initializer_list<Event> events) const;

 private:
  int firstSetLocked(std::initializer_list<Event> events) const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool state_[4] = {};
};

}  // namespace kd
