#pragma once
// The four-channel play window on the virtual clock: generator recordings at chosen start times
// and the event log of a headless quad session.
#include <cstdint>
#include <string>
#include <vector>

#include "playback/clocked_audio_sink.h"
#include "playback/quad_session.h"
#include "playback/virtual_clock.h"
#include "synth/generator.h"

namespace kd::testing {

constexpr int64_t kQuadStart = 1767254400;

// Opaque frames 40 ms apart starting `offsetSeconds` after kQuadStart.
GeneratorOptions quadRecording(const std::string& path, int offsetSeconds, int blocks,
                               int framesPerBlock = 25, const std::string& audio = "none");

// Milliseconds since kQuadStart of a reported frame of a recording that starts
// `offsetSeconds` after it (the generator's time base is 100000).
int64_t clockMs(const QuadPosition& p, int offsetSeconds);

struct QuadRun {
  VirtualClock clock;
  ClockedAudioDevices devices{clock};
  QuadSession session{clock, CQuadPlayWnd::Threading::Stepping, devices};
  std::vector<QuadEvent> events;

  QuadRun();
  void open(const std::vector<std::string>& paths, int speed = 0);
  // Runs `ms` more milliseconds, or until every channel stopped.
  void run(uint64_t ms = 1000000) { clock.runUntil(clock.now() + ms); }
  CQuadPlayWnd& window() { return session.window(); }
  std::vector<QuadEvent> frames(int channel, size_t from = 0) const;
  bool stopped(int channel) const;
};

}  // namespace kd::testing
