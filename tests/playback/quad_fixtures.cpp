#include "quad_fixtures.h"

#include <gtest/gtest.h>

#include "engine_fixtures.h"

namespace kd::testing {

GeneratorOptions quadRecording(const std::string& path, int offsetSeconds, int blocks,
                               int framesPerBlock, const std::string& audio) {
  GeneratorOptions o = opaqueRecording(path, 0, blocks, framesPerBlock);
  o.audio = audio;
  o.startTime = kQuadStart + offsetSeconds;
  generate(o);
  return o;
}

int64_t clockMs(const QuadPosition& p, int offsetSeconds) {
  return int64_t(offsetSeconds) * 1000 + int64_t(p.timeStamp) - 100000;
}

QuadRun::QuadRun() {
  session.setEventHandler([this](const QuadEvent& e) {
    events.push_back(e);
    if (e.code == PN_STOPPED && session.allStopped()) clock.stop();
  });
}

void QuadRun::open(const std::vector<std::string>& paths, int speed) {
  std::string error;
  ASSERT_TRUE(session.open(paths, speed, error)) << error;
}

std::vector<QuadEvent> QuadRun::frames(int channel, size_t from) const {
  std::vector<QuadEvent> out;
  for (size_t i = from; i < events.size(); ++i) {
    if (events[i].channel == channel && events[i].code == PN_FRAME) out.push_back(events[i]);
  }
  return out;
}

bool QuadRun::stopped(int channel) const {
  for (const QuadEvent& e : events) {
    if (e.channel == channel && e.code == PN_STOPPED) return true;
  }
  return false;
}

}  // namespace kd::testing
