// kdtool play --quad: runs the four-channel play window headless (sound of the first channel
// into a null device) and reports every pane notification with its tick since open.
#include "cli/cmd_play_quad.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cli/json.h"
#include "cli/play_timing.h"
#include "platform/null_audio_sink.h"
#include "playback/clocked_audio_sink.h"
#include "playback/quad_session.h"
#include "playback/real_time_clock.h"
#include "playback/virtual_clock.h"

namespace kd::cli {

namespace {

const char* eventName(PlayerNotifyCode code) {
  switch (code) {
    case PN_FRAME:
      return "frame";
    case PN_CHANNEL_READY:
      return "channel_ready";
    default:
      return "stopped";
  }
}

void printLine(const QuadEvent& e) {
  if (e.code == PN_STOPPED) {
    std::printf("%8u channel %d stopped\n", e.tick, e.channel);
  } else {
    std::printf("%8u channel %d %-13s block %d frame %d time_stamp %u time %lld\n", e.tick,
                e.channel, eventName(e.code), e.position.block, e.position.frame,
                e.position.timeStamp, static_cast<long long>(e.position.time));
  }
  std::fflush(stdout);
}

std::string toJson(const std::vector<QuadEvent>& events) {
  JsonWriter j;
  j.beginArray();
  for (const QuadEvent& e : events) {
    j.beginObject();
    j.key("t").value(e.tick);
    j.key("channel").value(e.channel);
    j.key("event").value(eventName(e.code));
    if (e.code != PN_STOPPED) {
      j.key("block").value(e.position.block);
      j.key("frame").value(e.position.frame);
      j.key("number").value(e.position.number);
      j.key("time_stamp").value(e.position.timeStamp);
      j.key("time").value(e.position.time);
    }
    j.endObject();
  }
  j.endArray();
  return j.str();
}

}  // namespace

int runQuadPlay(const Options& opt) {
  const std::vector<std::string>& paths = opt.positional();
  if (paths.empty() || paths.size() > 4) return fail("play", "--quad takes one to four recordings");
  PlayTiming timing;
  std::string timingError;
  if (!readPlayTiming(opt, timing, timingError)) return fail("play", timingError);
  const int speed = timing.speed;
  const double seconds = timing.seconds;
  if (opt.has("zone")) return fail("play", "--zone does not apply to --quad");
  const bool json = opt.has("json");
  const bool virtualTime = opt.has("virtual");

  std::unique_ptr<VirtualClock> clock;
  std::unique_ptr<AudioDevices> devices;
  if (virtualTime) {
    clock = std::make_unique<VirtualClock>();
    devices = std::make_unique<ClockedAudioDevices>(*clock);
  } else {
    clock = std::make_unique<RealTimeClock>();
    devices = std::make_unique<NullAudioDevices>(1);
  }
  // On the virtual clock the worker's passes run on the clock, so the schedule is exact.
  const auto threading =
      virtualTime ? CQuadPlayWnd::Threading::Stepping : CQuadPlayWnd::Threading::Worker;
  std::vector<QuadEvent> events;
  auto session = std::make_unique<QuadSession>(*clock, threading, *devices);
  session->setEventHandler([&](const QuadEvent& e) {
    if (json) {
      events.push_back(e);
    } else {
      printLine(e);
    }
    if (e.code == PN_STOPPED && session->allStopped()) clock->stop();
  });
  std::string error;
  if (!session->open(paths, speed, error)) return fail("play", error);
  const uint64_t until =
      seconds < 0 ? UINT64_MAX : clock->now() + uint64_t(std::llround(seconds * 1000.0));
  clock->runUntil(until);
  session.reset();
  if (json) std::printf("%s\n", toJson(events).c_str());
  return 0;
}

}  // namespace kd::cli
