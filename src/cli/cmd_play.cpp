// kdtool play: runs the single play window headless (sound into a null device) and reports
// every notification with its tick since open.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cli/cmd_play_quad.h"
#include "cli/command.h"
#include "cli/json.h"
#include "cli/motion_options.h"
#include "cli/play_timing.h"
#include "platform/null_audio_sink.h"
#include "playback/clocked_audio_sink.h"
#include "playback/play_session.h"
#include "playback/real_time_clock.h"
#include "playback/virtual_clock.h"
#include "playback/wave_device.h"

namespace kd::cli {

namespace {

// Not a notification: the schedule's mark where pause on motion stopped playback.
constexpr auto kPausedOnMotion = PlayerNotifyCode(100);

const char* eventName(PlayerNotifyCode code) {
  if (code == kPausedOnMotion) return "paused";
  switch (code) {
    case PN_FRAME:
      return "frame";
    case PN_MOTION:
      return "motion";
    case PN_SCAN_FRAME:
      return "scan_frame";
    default:
      return "stopped";
  }
}

bool hasFrame(const PlayEvent& e) {
  return e.code == PN_FRAME || e.code == PN_SCAN_FRAME || e.code == kPausedOnMotion;
}

void printLine(const PlayEvent& e) {
  if (hasFrame(e)) {
    std::printf("%8u %-7s block %d frame %d number %u time_stamp %u\n", e.tick, eventName(e.code),
                e.block, e.frame, e.number, e.timeStamp);
  } else if (e.code == PN_MOTION) {
    std::printf("%8u motion", e.tick);
    for (uint32_t z = 0; z < e.zones.count && z < MotionZoneBlock::kMaxZones; ++z) {
      std::printf(" %s", e.zones.zones[z].active ? "active" : "idle");
    }
    std::printf("\n");
  } else {
    std::printf("%8u %s\n", e.tick, eventName(e.code));
  }
  std::fflush(stdout);
}

std::string toJson(const std::vector<PlayEvent>& events) {
  JsonWriter j;
  j.beginArray();
  for (const PlayEvent& e : events) {
    j.beginObject();
    j.key("tick").value(e.tick);
    j.key("event").value(eventName(e.code));
    if (hasFrame(e)) {
      j.key("block").value(e.block);
      j.key("frame").value(e.frame);
      j.key("number").value(e.number);
      j.key("time_stamp").value(e.timeStamp);
    } else if (e.code == PN_MOTION) {
      j.key("active").beginArray();
      for (uint32_t z = 0; z < e.zones.count && z < MotionZoneBlock::kMaxZones; ++z) {
        j.value(e.zones.zones[z].active != 0);
      }
      j.endArray();
    }
    j.endObject();
  }
  j.endArray();
  return j.str();
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json", "virtual", "pause-on-motion", "quad", "subfolders"});
  if (!opt.ok()) return fail("play", opt.error());
  if (opt.has("quad")) return runQuadPlay(opt);
  if (opt.positional().size() != 1) return usageError("play");
  PlayTiming timing;
  std::string timingError;
  if (!readPlayTiming(opt, timing, timingError)) return fail("play", timingError);
  const int speed = timing.speed;
  const double seconds = timing.seconds;
  // Motion search: zones in picture pixels, the sensitivity 0 … 10 and the required count.
  MotionSettings motion;
  std::string error;
  if (!readMotionSettings(args, motion, error)) return fail("play", error);
  const bool pauseOnMotion = opt.has("pause-on-motion");
  const bool json = opt.has("json");
  const std::string& path = opt.positional()[0];

  // Sound goes to a null device: on the virtual clock one that plays in the clock's time, so the
  // sound-driven steps stay exact; in real time the null sink.
  std::unique_ptr<VirtualClock> clock;
  std::unique_ptr<AudioDevices> devices;
  if (opt.has("virtual")) {
    clock = std::make_unique<VirtualClock>();
    devices = std::make_unique<ClockedAudioDevices>(*clock);
  } else {
    clock = std::make_unique<RealTimeClock>();
    devices = std::make_unique<NullAudioDevices>(1);
  }
  PlaySession session(*clock, choosePlayDecoder, waveDeviceSoundFactory(*clock, *devices));
  std::vector<PlayEvent> events;
  const auto report = [&](const PlayEvent& e) {
    if (json) {
      events.push_back(e);
    } else {
      printLine(e);
    }
  };
  session.setEventHandler([&](const PlayEvent& e) {
    report(e);
    if (e.code == PN_STOPPED) clock->stop();
    // A motion pause happens in the step after the frame is shown: mark it, then resume as the
    // operator would, so the schedule shows every episode (the scan speeds pause on their own).
    if (e.code == PN_FRAME && pauseOnMotion && speed <= 2) {
      clock->post([&, e] {
        CPlayWnd& player = session.player();
        if (session.stopped() || !player.frame() || !player.isPaused()) return;
        PlayEvent paused = e;
        paused.code = kPausedOnMotion;
        report(paused);
        player.togglePause();
      });
    }
  });
  const uint32_t openTick = clock->now();
  if (!session.open(path, speed)) return fail(path, session.player().lastError());
  session.player().setMotionParameters(motion.sensitivity, motion.requiredCount, pauseOnMotion);
  for (const MotionZone& z : motion.zones) {
    session.player().addMotionZone(z.left, z.top, z.right, z.bottom);
  }
  const uint64_t until =
      seconds < 0 ? UINT64_MAX : openTick + uint64_t(std::llround(seconds * 1000.0));
  clock->runUntil(until);
  if (json) std::printf("%s\n", toJson(events).c_str());
  return 0;
}

const CommandRegistrar registrar(
    "play",
    "[--speed S] [--seconds N] [--virtual] [--json] [--zone L,T,R,B [--zone ...]\n"
    "    [--sensitivity 0-10] [--count N] [--pause-on-motion]] FILE\n"
    "    | --quad [--speed S] [--seconds N] [--virtual] [--json] FILE...\n"
    "    | --quad [--speed S] [--seconds N] [--virtual] [--json] --search DIR --cameras N[,N...]\n"
    "      --time \"YYYY-MM-DD HH:MM:SS\" [--host H] [--subfolders]",
    run);

}  // namespace

}  // namespace kd::cli
