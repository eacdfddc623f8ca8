#pragma once
// Motion episodes of a recording: from the first frame whose motion comparison says motion to the
// first frame that says no motion again. The scan runs the play window's decoder choice, motion
// comparison and kind-3 read-past frame after frame, as fast as decoding allows, so its episodes
// are the play window's pause-on-motion stops.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "playback/motion_zones.h"
#include "playback/play_decoder.h"

namespace kd {

struct MotionSettings {
  std::vector<MotionZone> zones;  // left, top, right, bottom in coded picture pixels; up to 3
  int sensitivity = 5;            // 0 … 10
  uint32_t requiredCount = 3;     // pictures with change that activate a zone
};

struct EpisodePoint {
  int32_t block = 0;
  int32_t frame = 0;  // within the block
  int64_t time = 0;   // seconds since 1970
};

struct MotionEpisode {
  EpisodePoint start;
  EpisodePoint end;
  uint32_t activeZones = 0;  // bit i: zone i was active at some frame of the episode
};

// Turns the comparison results of successive frames into episodes.
class MotionEpisodeTracker {
 public:
  // One compared frame. A repeat record (frame kind 4 or 5) only refreshes the reference picture,
  // so its result neither ends nor starts an episode.
  void onFrame(const EpisodePoint& at, bool repeatRecord, bool motion,
               const MotionZoneBlock& zones);
  // The recording ended after `last`: an episode still open ends there.
  void finish(const EpisodePoint& last);
  const std::vector<MotionEpisode>& episodes() const { return episodes_; }

 private:
  std::vector<MotionEpisode> episodes_;
  bool open_ = false;
};

bool isRepeatRecord(uint16_t frameKind);

// Frames read so far and the recording's frame count.
using MotionScanProgress = std::function<void(uint32_t done, uint32_t total)>;

// Scans the recording at `path`. False with `error` when it cannot be opened for playing or its
// reading stopped before the end; `episodes` then holds those found up to there (an episode open
// at the failure ends at the last frame read).
bool findMotionEpisodes(const std::string& path, const MotionSettings& settings,
                        std::vector<MotionEpisode>& episodes, std::string& error,
                        const MotionScanProgress& progress = {},
                        const PlayDecoderFactory& decoders = choosePlayDecoder);

}  // namespace kd
