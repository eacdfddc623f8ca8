#pragma once
// The player's default captions (camera name, start, current and end time) with the card and
// host names, drawn into exported pictures at the picture size before they are stretched, where
// the player draws its captions.
#include <cstdint>
#include <string>
#include <vector>

#include "playback/caption_info.h"
#include "playback/caption_layout.h"

namespace kd {

class RecordingInfo;

class BurnedCaptions {
 public:
  // `channel`: the format 8 channel whose names are shown, −1 for the general names.
  BurnedCaptions(const RecordingInfo& info, int channel);

  // Draws every caption onto `rgb` (width × height top-down RGB, the picture size), the current
  // time showing `seconds` (since 1970).
  void draw(std::vector<uint8_t>& rgb, int width, int height, int64_t seconds);
  // Where the texts may land, for those who compare pictures outside them.
  std::vector<CaptionRect> areas(int width, int height) const;

 private:
  CaptionRect hostLine(const CaptionLayout& layout) const;

  CaptionInfo record_;
  CaptionClock clock_;
  std::string host_;
};

}  // namespace kd
