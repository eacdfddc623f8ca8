// kdtool play --quad: runs the four-channel play window headless (sound of the first channel
// into a null device) and reports every pane notification with its tick since open. With
// --search the channels play a quad search's finds instead, each going on with its camera's
// next recording; every recording a channel opens is reported too.
#include "cli/cmd_play_quad.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include "catalog/quad_search_panes.h"
#include "catalog/recording_search.h"
#include "catalog/search_settings.h"
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

// A notification, or (with a path) a recording a search opened on the channel.
struct Line {
  QuadEvent event;
  std::string opened;
};

void printLine(const Line& line) {
  const QuadEvent& e = line.event;
  if (!line.opened.empty()) {
    std::printf("%8u channel %d opens %s\n", e.tick, e.channel, line.opened.c_str());
  } else if (e.code == PN_STOPPED) {
    std::printf("%8u channel %d stopped\n", e.tick, e.channel);
  } else {
    std::printf("%8u channel %d %-13s block %d frame %d time_stamp %u time %lld\n", e.tick,
                e.channel, eventName(e.code), e.position.block, e.position.frame,
                e.position.timeStamp, static_cast<long long>(e.position.time));
  }
  std::fflush(stdout);
}

std::string toJson(const std::vector<Line>& lines) {
  JsonWriter j;
  j.beginArray();
  for (const Line& line : lines) {
    const QuadEvent& e = line.event;
    j.beginObject();
    j.key("t").value(e.tick);
    j.key("channel").value(e.channel);
    if (!line.opened.empty()) {
      j.key("event").value("open");
      j.key("path").value(line.opened);
    } else {
      j.key("event").value(eventName(e.code));
    }
    if (line.opened.empty() && e.code != PN_STOPPED) {
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

// --search DIR --cameras N[,N...] --time "YYYY-MM-DD HH:MM:SS" [--host H] [--subfolders]: the
// request, one source key per camera box (one to four).
bool readSearch(const Options& opt, SearchRequest& request, std::string& error) {
  if (!opt.positional().empty()) {
    error = "--search plays what it finds, not files named";
    return false;
  }
  std::vector<int> boxes;
  std::stringstream list(opt.get("cameras"));
  for (std::string item; std::getline(list, item, ',');) {
    char* end = nullptr;
    const long box = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || box < 1 || box > kSearchCameraBoxes) {
      error = "--cameras takes one to four camera boxes 1-16, separated by commas";
      return false;
    }
    boxes.push_back(int(box) - 1);
  }
  if (boxes.empty() || boxes.size() > size_t(kQuadCameras)) {
    error = "--cameras takes one to four camera boxes 1-16, separated by commas";
    return false;
  }
  if (!parseLocalMoment(opt.get("time"), request.moment)) {
    error = "--time takes a local \"YYYY-MM-DD HH:MM:SS\"";
    return false;
  }
  request.folder = opt.get("search");
  // In the order asked for: the first camera plays in channel 0, and so on.
  for (int box : boxes) request.sourceKeys.push_back(sourceKeyOfCameraBox(box));
  request.hostName = opt.get("host");
  request.subfolders = opt.has("subfolders");
  return true;
}

}  // namespace

int runQuadPlay(const Options& opt) {
  const std::vector<std::string>& paths = opt.positional();
  const bool searching = opt.has("search");
  SearchRequest request;
  std::string searchError;
  if (searching && !readSearch(opt, request, searchError)) return fail("play", searchError);
  if (!searching && (paths.empty() || paths.size() > 4))
    return fail("play", "--quad takes one to four recordings");
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
  std::vector<Line> lines;
  auto report = [&](Line line) {
    if (json) {
      lines.push_back(std::move(line));
    } else {
      printLine(line);
    }
  };
  const auto start = clock->now();  // the session counts its ticks from here too
  auto session = std::make_unique<QuadSession>(*clock, threading, *devices);
  QuadSearchPanes search;
  const QuadSearchPanes::Opener opener = [&](int channel, const std::string& path, int64_t moment) {
    std::string why;
    if (!session->openChannel(channel, path, moment, why)) {
      std::fprintf(stderr, "kdtool: play: %s\n", why.c_str());
      return false;
    }
    Line line;
    line.event.tick = uint32_t(clock->now() - start);
    line.event.channel = channel;
    line.opened = path;
    report(std::move(line));
    return true;
  };
  session->setEventHandler([&](const QuadEvent& e) {
    report(Line{e, {}});
    if (e.code != PN_STOPPED) return;
    if (search.active(e.channel)) search.next(e.channel, opener);
    if (session->allStopped()) clock->stop();
  });
  std::string error;
  if (searching) {
    const SearchOutcome found = searchRecordings(request);
    if (!found.folderRead) return fail(request.folder, found.error);
    if (search.start(found.candidates, request.moment, opener) == 0)
      return fail(request.folder, "no matching recording opens");
    session->window().setSpeed(speed);
  } else if (!session->open(paths, speed, error)) {
    return fail("play", error);
  }
  const uint64_t until =
      seconds < 0 ? UINT64_MAX : clock->now() + uint64_t(std::llround(seconds * 1000.0));
  clock->runUntil(until);
  session.reset();
  if (json) std::printf("%s\n", toJson(lines).c_str());
  return 0;
}

}  // namespace kd::cli
