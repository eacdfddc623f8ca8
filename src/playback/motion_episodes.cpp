#include "playback/motion_episodes.h"

#include <algorithm>
#include <memory>

#include "playback/motion_comparison.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

bool isRepeatRecord(uint16_t frameKind) {
  return frameKind == 4 || frameKind == 5;
}

void MotionEpisodeTracker::onFrame(const EpisodePoint& at, bool repeatRecord, bool motion,
                                   const MotionZoneBlock& zones) {
  if (repeatRecord) return;
  if (motion && !open_) {
    episodes_.push_back(MotionEpisode{at, at, 0});
    open_ = true;
  } else if (!motion && open_) {
    episodes_.back().end = at;
    open_ = false;
  }
  if (!open_) return;
  const uint32_t count = std::min(zones.count, MotionZoneBlock::kMaxZones);
  for (uint32_t i = 0; i < count; ++i) {
    if (zones.zones[i].active) episodes_.back().activeZones |= 1u << i;
  }
}

void MotionEpisodeTracker::finish(const EpisodePoint& last) {
  if (open_) episodes_.back().end = last;
  open_ = false;
}

namespace {

bool failWith(std::string& error, const std::string& reason) {
  error = reason;
  return false;
}

}  // namespace

bool findMotionEpisodes(const std::string& path, const MotionSettings& settings,
                        std::vector<MotionEpisode>& episodes, std::string& error,
                        const MotionScanProgress& progress, const PlayDecoderFactory& decoders) {
  episodes.clear();
  if (settings.zones.empty()) return failWith(error, "no motion zone");
  if (settings.zones.size() > MotionZoneBlock::kMaxZones) {
    return failWith(error, "at most three motion zones");
  }
  // Opened as the play window opens a recording.
  RecordingReader reader;
  RecordingInfo info;
  info.path = path;
  if (!reader.open(info)) return failWith(error, reader.lastError());
  if (reader.formatVersion == 8) {
    return failWith(error, "a four-camera recording plays in the quad window");
  }
  const int width = reader.pictureWidth();
  const int height = reader.pictureHeight();
  if (width <= 0 || height <= 0) return failWith(error, "the recording has no picture size");
  PictureFrame frame(reader.sourceKey(), width, height);
  if (!reader.readFrame(frame)) {
    return failWith(error, "the first frame cannot be read: " + reader.lastError());
  }
  std::string reason;
  const std::unique_ptr<PlayDecoder> decoder = decoders ? decoders(reader, frame, reason) : nullptr;
  if (!decoder) return failWith(error, reason.empty() ? "no decoder for this recording" : reason);

  MotionComparison comparison;
  comparison.setParameters(settings.sensitivity, settings.requiredCount);
  MotionZoneBlock zones;
  for (const MotionZone& z : settings.zones) {
    zones.zones[zones.count++] = MotionZone{z.left, z.top, z.right, z.bottom, 0, 0};
  }
  const bool planar = decoder->planar();
  const uint32_t total = reader.frameCount();
  MotionEpisodeTracker tracker;
  EpisodePoint last;
  const auto pointOf = [&reader](const FramePacket& f) {
    return EpisodePoint{f.block, f.frameInBlock, reader.secondsAt(f.timeStamp)};
  };
  bool ended = false;
  while (!ended) {
    last = pointOf(frame);
    int32_t delay = 0;
    if (!(frame.flags & frame_flags::kNoPicture)) decoder->decode(frame, true, delay);
    const bool motion = comparison.compare(*frame.picture(), frame.kind, planar, zones);
    tracker.onFrame(last, isRepeatRecord(frame.kind), motion, zones);
    if (progress) progress(reader.frameNumber(frame.block, frame.frameInBlock) + 1, total);
    ended = !reader.readFrame(frame);
    // AVC frames of kind 3 are read past, undecoded, while the zones see no motion.
    if (frame_flags::codecFamily(frame.flags) == 4 && !motion) {
      while (!ended && frame.kind == 3) {
        last = pointOf(frame);
        ended = !reader.readFrame(frame);
      }
    }
  }
  tracker.finish(last);
  episodes = tracker.episodes();
  if (reader.lastError() != "end of recording") {
    return failWith(error, "reading stopped: " + reader.lastError());
  }
  return true;
}

}  // namespace kd
