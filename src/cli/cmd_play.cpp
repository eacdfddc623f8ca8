// kdtool play: runs the single play window headless (sound into a null device) and reports
// every notification with its tick since open.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "platform/null_audio_sink.h"
#include "playback/clocked_audio_sink.h"
#include "playback/play_session.h"
#include "playback/real_time_clock.h"
#include "playback/virtual_clock.h"
#include "playback/wave_device.h"

namespace kd::cli {

namespace {

const char* eventName(PlayerNotifyCode code) {
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
  return e.code == PN_FRAME || e.code == PN_SCAN_FRAME;
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
  Options opt(args, {"json", "virtual"});
  if (!opt.ok()) return fail("play", opt.error());
  if (opt.positional().size() != 1) return usageError("play");
  bool valid = true;
  const long long speed = opt.getInt("speed", 0, valid);
  if (!valid || speed < -4 || speed > 4) return fail("play", "--speed must be -4 to 4");
  double seconds = -1;
  if (opt.has("seconds")) {
    const std::string text = opt.get("seconds");
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(seconds >= 0) || seconds > 4e6) {
      return fail("play", "--seconds must be a number of seconds");
    }
  }
  // Motion search: one zone in picture pixels, and the sensitivity 0 … 10.
  MotionZone zone;
  const bool withZone = opt.has("zone");
  if (withZone && std::sscanf(opt.get("zone").c_str(), "%d,%d,%d,%d", &zone.left, &zone.top,
                              &zone.right, &zone.bottom) != 4) {
    return fail("play", "--zone must be LEFT,TOP,RIGHT,BOTTOM");
  }
  const long long sensitivity = opt.getInt("sensitivity", 5, valid);
  if (!valid || sensitivity < 0 || sensitivity > 10) {
    return fail("play", "--sensitivity must be 0 to 10");
  }
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
  session.setEventHandler([&](const PlayEvent& e) {
    if (json) {
      events.push_back(e);
    } else {
      printLine(e);
    }
    if (e.code == PN_STOPPED) clock->stop();
  });
  const uint32_t openTick = clock->now();
  if (!session.open(path, int(speed))) return fail(path, session.player().lastError());
  if (withZone) {
    session.player().setMotionParameters(int(sensitivity), MotionComparison::kDefaultRequiredCount,
                                         false);
    session.player().addMotionZone(zone.left, zone.top, zone.right, zone.bottom);
  }
  const uint64_t until =
      seconds < 0 ? UINT64_MAX : openTick + uint64_t(std::llround(seconds * 1000.0));
  clock->runUntil(until);
  if (json) std::printf("%s\n", toJson(events).c_str());
  return 0;
}

const CommandRegistrar registrar(
    "play",
    "[--speed S] [--seconds N] [--virtual] [--json] [--zone L,T,R,B [--sensitivity 0-10]] FILE",
    run);

}  // namespace

}  // namespace kd::cli
