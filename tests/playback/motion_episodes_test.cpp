// Motion episodes: the scan's episodes against the play window's own pause-on-motion stops on
// the same recording and settings, the repeat-record rule, and kdtool motion over files and
// folders.
#include "playback/motion_episodes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/play_engine.h"
#include "playback/virtual_clock.h"

namespace kd::testing {
namespace {

struct Shown {
  int32_t block, frame;
  uint16_t kind;
  MotionZoneBlock zones;  // from the PN_MOTION before the frame
};

// The play window as the view sees it, with pause on motion: every shown frame with its zones,
// and the frames on which playback stopped (resumed at once, as an operator would).
struct PlayerRun : PlayWindowParent {
  VirtualClock clock;
  CPlayWnd player{this, clock};
  std::vector<Shown> shown;
  std::vector<size_t> pauses;  // indices into `shown`
  MotionZoneBlock lastZones;

  void onPlayerMotion(const MotionZoneBlock& zones) override { lastZones = zones; }
  void onPlayerFrame(PictureFrame& f) override {
    shown.push_back(Shown{f.block, f.frameInBlock, f.kind, lastZones});
    clock.post([this] {
      if (player.frame() && player.isPaused()) {
        pauses.push_back(shown.size() - 1);
        player.togglePause();
      }
    });
  }
  void onPlayerScanFrame(PictureFrame&) override {}
  void onPlayerStopped() override { clock.stop(); }

  void run(const std::string& path, const MotionSettings& s) {
    ASSERT_TRUE(player.open(path, 0, false)) << player.lastError();
    player.setMotionParameters(s.sensitivity, s.requiredCount, true);
    for (const MotionZone& z : s.zones) player.addMotionZone(z.left, z.top, z.right, z.bottom);
    clock.runUntil(UINT64_MAX);
  }
};

bool anyActive(const MotionZoneBlock& zones) {
  for (uint32_t i = 0; i < zones.count; ++i)
    if (zones.zones[i].active) return true;
  return false;
}

// Episodes read off the player's stream: each pause starts one; it ends at the first later
// frame whose zones are all idle (the last frame when none is); its zones are those active
// before the end. `skipAfterRepeat` drops pauses that follow repeat records inside an episode
// (the last frame before them that is no repeat record saw motion).
std::vector<MotionEpisode> playerEpisodes(const PlayerRun& run, bool skipAfterRepeat) {
  std::vector<MotionEpisode> out;
  size_t resumeAt = 0;
  for (size_t p : run.pauses) {
    if (p < resumeAt) continue;
    if (skipAfterRepeat && p > 0 && isRepeatRecord(run.shown[p - 1].kind)) {
      size_t before = p - 1;
      while (before > 0 && isRepeatRecord(run.shown[before].kind)) --before;
      if (anyActive(run.shown[before].zones)) continue;
    }
    MotionEpisode e;
    e.start = EpisodePoint{run.shown[p].block, run.shown[p].frame, 0};
    size_t i = p;
    for (; i < run.shown.size(); ++i) {
      const Shown& s = run.shown[i];
      if (i > p && !isRepeatRecord(s.kind) && !anyActive(s.zones)) break;
      for (uint32_t z = 0; z < s.zones.count; ++z)
        if (s.zones.zones[z].active) e.activeZones |= 1u << z;
    }
    const Shown& end = run.shown[std::min(i, run.shown.size() - 1)];
    e.end = EpisodePoint{end.block, end.frame, 0};
    resumeAt = i;
    out.push_back(e);
  }
  return out;
}

void expectSameEpisodes(const std::vector<MotionEpisode>& found,
                        const std::vector<MotionEpisode>& player) {
  ASSERT_EQ(found.size(), player.size());
  for (size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE("episode " + std::to_string(i));
    EXPECT_EQ(found[i].start.block, player[i].start.block);
    EXPECT_EQ(found[i].start.frame, player[i].start.frame);
    EXPECT_EQ(found[i].end.block, player[i].end.block);
    EXPECT_EQ(found[i].end.frame, player[i].end.frame);
    EXPECT_EQ(found[i].activeZones, player[i].activeZones);
  }
}

GeneratorOptions movingRecording(const std::string& path, const std::string& codec) {
  GeneratorOptions o;
  o.path = path;
  o.codec = codec;
  o.blocks = 4;
  o.framesPerBlock = 25;
  // The disc stands still for frames 10 … 39 and 60 … 69.
  o.scene.stillFrom = 10;
  o.scene.stillTo = 40;
  return o;
}

TEST(MotionEpisodes, EqualThePlayWindowsMotionPauses) {
  TempDir dir;
  const GeneratorOptions o = movingRecording(dir.file("moving.kdz"), "dct-mc");
  generate(o);
  const struct {
    std::vector<MotionZone> zones;
    int sensitivity;
    uint32_t count;
  } settings[] = {
      {{{60, 40, 300, 230, 0, 0}}, 5, 3},
      {{{0, 0, 100, 100, 0, 0}, {60, 40, 300, 230, 0, 0}, {200, 150, 352, 288, 0, 0}}, 8, 2},
      {{{0, 0, 352, 288, 0, 0}}, 2, 6},
  };
  for (const auto& s : settings) {
    SCOPED_TRACE("sensitivity " + std::to_string(s.sensitivity));
    const MotionSettings m{s.zones, s.sensitivity, s.count};
    std::vector<MotionEpisode> found;
    std::string error;
    ASSERT_TRUE(findMotionEpisodes(o.path, m, found, error)) << error;
    PlayerRun run;
    run.run(o.path, m);
    ASSERT_FALSE(run.pauses.empty());
    expectSameEpisodes(found, playerEpisodes(run, false));
  }
}

TEST(MotionEpisodes, AvcRepeatRecordsNeitherEndNorStartAnEpisode) {
  // Unit rule: motion, a repeat record saying no motion, motion again is one episode; a repeat
  // record during stillness starts none.
  MotionZoneBlock zones;
  zones.count = 2;
  zones.zones[1].active = 1;
  MotionEpisodeTracker t;
  const MotionZoneBlock idle;
  t.onFrame({0, 0, 10}, false, false, idle);
  t.onFrame({0, 1, 10}, true, true, zones);
  t.onFrame({0, 2, 10}, false, true, zones);
  t.onFrame({0, 3, 10}, true, false, zones);
  t.onFrame({0, 4, 11}, false, true, zones);
  t.onFrame({0, 5, 11}, false, false, idle);
  t.onFrame({0, 6, 12}, false, true, zones);
  t.finish({0, 9, 13});
  ASSERT_EQ(t.episodes().size(), 2u);
  EXPECT_EQ(t.episodes()[0].start.frame, 2);
  EXPECT_EQ(t.episodes()[0].end.frame, 5);
  EXPECT_EQ(t.episodes()[0].end.time, 11);
  EXPECT_EQ(t.episodes()[0].activeZones, 2u);
  EXPECT_EQ(t.episodes()[1].start.frame, 6);
  EXPECT_EQ(t.episodes()[1].end.frame, 9);  // still open at the end

  // An AVC recording with a repeat record every fifth picture: the play window stops again
  // after each repeat record inside an episode, the scan does not.
  TempDir dir;
  GeneratorOptions o = movingRecording(dir.file("avc.kdz"), "avc");
  o.encoder.options["repeat-every"] = "5";
  generate(o);
  const MotionSettings m{{{60, 40, 300, 230, 0, 0}}, 5, 2};
  std::vector<MotionEpisode> found;
  std::string error;
  ASSERT_TRUE(findMotionEpisodes(o.path, m, found, error)) << error;
  PlayerRun run;
  run.run(o.path, m);
  const std::vector<MotionEpisode> episodes = playerEpisodes(run, true);
  ASSERT_FALSE(episodes.empty());
  EXPECT_GT(run.pauses.size(), episodes.size());
  expectSameEpisodes(found, episodes);
}

TEST(MotionEpisodes, ACutShortRecordingFailsWithTheEpisodesUpToTheCut) {
  TempDir dir;
  const GeneratorOptions o = movingRecording(dir.file("whole.kdz"), "dct-mc");
  generate(o);
  const std::string cut = dir.file("cut.kdz");
  std::filesystem::copy_file(o.path, cut);
  std::filesystem::resize_file(cut, std::filesystem::file_size(o.path) * 3 / 5);
  const MotionSettings m{{{60, 40, 300, 230, 0, 0}}, 5, 3};
  std::vector<MotionEpisode> whole, part;
  std::string error;
  ASSERT_TRUE(findMotionEpisodes(o.path, m, whole, error)) << error;
  EXPECT_FALSE(findMotionEpisodes(cut, m, part, error));
  EXPECT_NE(error.find("reading stopped"), std::string::npos) << error;
  // The episode open at the cut ends at the last frame read, before the whole file's end.
  ASSERT_EQ(part.size(), whole.size());
  EXPECT_EQ(part.back().start.frame, whole.back().start.frame);
  EXPECT_LT(part.back().end.block, whole.back().end.block);
}

std::string kdtool() {
  return KD_KDTOOL;
}

TEST(KdtoolMotion, FoldersInNameOrderAndUsageErrors) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  const std::string folder = dir.file("rec");
  std::filesystem::create_directories(folder + "/sub");
  GeneratorOptions moving = movingRecording(folder + "/b.kdz", "dct-mc");
  generate(moving);
  moving.path = folder + "/a.kdz";
  moving.scene.stillFrom = 0;
  moving.scene.stillTo = 50;
  generate(moving);
  moving.path = folder + "/sub/c.kdz";  // not searched: subfolders are left alone
  generate(moving);
  std::ofstream(folder + "/notes.txt") << "not a recording";

  std::vector<MotionEpisode> a, b;
  std::string error;
  const MotionSettings m{{{60, 40, 300, 230, 0, 0}, {0, 0, 10, 10, 0, 0}}, 5, 3};
  ASSERT_TRUE(findMotionEpisodes(folder + "/a.kdz", m, a, error));
  ASSERT_TRUE(findMotionEpisodes(folder + "/b.kdz", m, b, error));
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 2u);

  const std::string zones = " --zone 60,40,300,230 --zone=0,0,10,10 ";
  std::string out;
  ASSERT_EQ(runCommand(kdtool() + " motion --json" + zones + folder + " 2>/dev/null", &out), 0);
  // a.kdz before b.kdz; the second zone never sees the disc.
  const std::string aStart = "{\"path\":\"" + folder +
                             "/a.kdz\",\"start\":{\"block\":" + std::to_string(a[0].start.block) +
                             ",\"frame\":" + std::to_string(a[0].start.frame) +
                             ",\"time\":" + std::to_string(a[0].start.time) + "}";
  EXPECT_EQ(out.find("[" + aStart), 0u) << out;
  EXPECT_EQ(out.find("c.kdz"), std::string::npos);
  size_t episodes = 0;
  for (size_t at = out.find("\"path\""); at != std::string::npos; at = out.find("\"path\"", at + 1))
    ++episodes;
  EXPECT_EQ(episodes, 3u);
  EXPECT_NE(out.find("\"zones\":[[60,40,300,230]]}]"), std::string::npos);

  // None found is still success.
  out.clear();
  ASSERT_EQ(runCommand(kdtool() + " motion --json --zone 0,0,10,10 " + folder + "/b.kdz", &out), 0);
  EXPECT_EQ(out, "[]\n");

  EXPECT_EQ(runCommand(kdtool() + " motion --json " + folder + " 2>/dev/null"), 2);
  EXPECT_EQ(runCommand(kdtool() + " motion --zone 1,2,3,4 2>/dev/null"), 2);
  for (const char* bad : {"--zone 5,5,5,9", "--zone 1,2,3", "--zone 1,2,3,4,5", "--zone a,b,c,d",
                          "--zone 1,1,9,9 --zone 1,1,9,9 --zone 1,1,9,9 --zone 1,1,9,9",
                          "--zone 1,1,9,9 --sensitivity 11", "--zone 1,1,9,9 --count 0"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(runCommand(kdtool() + " motion " + bad + " " + folder + " 2>/dev/null"), 1);
  }
  // A file that is no recording, named on its own, is an error; the others are still listed.
  out.clear();
  EXPECT_EQ(runCommand(kdtool() + " motion --json" + zones + folder + "/notes.txt " + folder +
                           "/a.kdz 2>/dev/null",
                       &out),
            1);
  EXPECT_EQ(out.find("[" + aStart), 0u);
}

}  // namespace
}  // namespace kd::testing

namespace kd::testing {
namespace {

// Every "block":B,"frame":F pair that follows `marker` in `json`, as "B:F".
std::vector<std::string> positionsAfter(const std::string& json, const std::string& marker) {
  std::vector<std::string> out;
  for (size_t at = json.find(marker); at != std::string::npos; at = json.find(marker, at + 1)) {
    int block = -1, frame = -1;
    const size_t b = json.find("\"block\":", at);
    if (b == std::string::npos ||
        std::sscanf(json.c_str() + b, "\"block\":%d,\"frame\":%d", &block, &frame) != 2) {
      continue;
    }
    out.push_back(std::to_string(block) + ":" + std::to_string(frame));
  }
  return out;
}

TEST(KdtoolMotion, PlaySchedulePausesWhereEpisodesStart) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  const GeneratorOptions o = movingRecording(dir.file("moving.kdz"), "dct-mc");
  generate(o);
  const std::string settings =
      " --zone 60,40,300,230 --zone 200,150,352,288 --count 2 --sensitivity 7 ";
  std::string episodes, schedule;
  ASSERT_EQ(runCommand(kdtool() + " motion --json" + settings + o.path, &episodes), 0);
  ASSERT_EQ(runCommand(kdtool() + " play --virtual --json --pause-on-motion" + settings + o.path,
                       &schedule),
            0);
  const std::vector<std::string> starts = positionsAfter(episodes, "\"start\"");
  ASSERT_GE(starts.size(), 2u);
  EXPECT_EQ(positionsAfter(schedule, "\"event\":\"paused\""), starts);
  // Without --pause-on-motion nothing pauses.
  schedule.clear();
  ASSERT_EQ(runCommand(kdtool() + " play --virtual --json" + settings + o.path, &schedule), 0);
  EXPECT_EQ(schedule.find("paused"), std::string::npos);
}

}  // namespace
}  // namespace kd::testing
