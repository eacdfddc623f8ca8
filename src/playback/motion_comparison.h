#pragma once
// Compares each decoded picture with the previous one inside the motion zones and keeps the
// zones' active/idle states: a zone activates after `requiredCount` pictures with change and
// goes idle after 15 pictures without, both counted cumulatively.
#include <cstdint>
#include <vector>

#include "playback/motion_zones.h"
#include "recording/decoded_picture.h"

namespace kd {

class MotionComparison {
 public:
  static constexpr uint32_t kDefaultThreshold = 75;
  static constexpr uint32_t kDefaultRequiredCount = 3;
  static constexpr int kChangedPixelsForChange = 16;  // more than this many pixels
  static constexpr int32_t kIdlePictures = 15;

  // threshold ← 150 − 15 × sensitivity, in 32-bit arithmetic stored unsigned.
  void setParameters(int sensitivity, uint32_t requiredCount);
  uint32_t threshold() const { return threshold_; }
  uint32_t requiredCount() const { return requiredCount_; }

  // Compares `picture` (planar: three planes red, green, blue; else packed pixels) and updates
  // the zones; true when at least one zone is active afterwards. The first picture, and pictures
  // of frame kind 4 or 5, only become the reference: no motion.
  bool compare(const DecodedPicture& picture, uint16_t frameKind, bool planar,
               MotionZoneBlock& zones);
  // Frees the reference picture (the next comparison starts a new one).
  void reset() { reference_.clear(); }
  bool hasReference() const { return !reference_.empty(); }

 private:
  bool zoneChanged(const DecodedPicture& picture, bool planar, const MotionZone& zone);
  void updateZone(MotionZone& zone, bool changed) const;

  uint32_t threshold_ = kDefaultThreshold;
  uint32_t requiredCount_ = kDefaultRequiredCount;
  std::vector<uint8_t> reference_;
  std::vector<uint8_t> rowDiffs_;  // scratch of one packed row
  std::vector<uint8_t> rowPhase_;  // 1 at the first byte of each pixel
};

}  // namespace kd
