#include "playback/quad_caption.h"

#include "platform/clock.h"
#include "playback/quad_pane.h"
#include "recording/recording_info.h"

namespace kd {

namespace cf = caption_flags;

namespace {

constexpr uint32_t kTimeItems = cf::kCurrentTime | cf::kStartTime | cf::kEndTime;
constexpr uint32_t kWantedItems = cf::kFirstLine | cf::kSecondLine | kTimeItems;

}  // namespace

CaptionInfo makeQuadCaption(const RecordingInfo& info, int channel, int width, int height,
                            uint32_t paneFlags) {
  CaptionInfo c;
  const bool four = info.formatVersion == 8;
  setCaptionText(c.cameraName, four ? info.cameraNameOf(channel) : info.cameraName);
  setCaptionText(c.cardName, four ? info.cardNameOf(channel) : info.cardName);
  c.cameraNameColour = 255;
  c.cardNameColour = 0x0080FF;
  c.currentTimeColour = 0xFF0000;
  c.setScale(CaptionScale::OneToOne);
  setCaptionText(c.currentTime, formatLocalTime(info.startTime, "%H:%M:%S"));
  setCaptionText(c.startTime, formatLocalTime(info.startTime, "%H:%M:%S"));
  setCaptionText(c.endTime, formatLocalTime(info.endTime, "%H:%M:%S"));
  if (paneFlags & QuadPane::kCaptionsWanted) c.flags |= kWantedItems;
  c.flags |= cf::kArea;
  c.areaRight = width - 4;
  c.areaBottom = height - 4;
  // These pictures are half as wide as they are shown.
  if (info.resolutionCode == 131 || info.resolutionCode == 3) c.setScale(CaptionScale::Doubled);
  return c;
}

void updateQuadCaption(CaptionInfo& c, bool noPicture, bool withSound, int64_t time,
                       uint32_t paneFlags, uint32_t colour) {
  c.flags = noPicture ? (c.flags | cf::kReplacement) : (c.flags & ~cf::kReplacement);
  c.flags = withSound ? (c.flags | cf::kIconA) : (c.flags & ~cf::kIconA);
  setCaptionText(c.currentTime, formatLocalTime(time, "%H:%M:%S"));
  if (paneFlags & QuadPane::kCaptionsWanted) {
    c.flags = (c.flags | cf::kCurrentTime | cf::kFirstLine | cf::kSecondLine | cf::kEndTime) &
              ~cf::kStartTime;
  } else {
    c.flags &= ~kWantedItems;
  }
  c.flags = (paneFlags & QuadPane::kSoundPane) ? (c.flags | cf::kIconB) : (c.flags & ~cf::kIconB);
  c.cameraNameColour = c.cardNameColour = c.currentTimeColour = colour;
}

}  // namespace kd
