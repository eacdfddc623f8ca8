#include "playback/caption_info.h"

#include "platform/clock.h"

namespace kd {

namespace text_display {

namespace {
constexpr uint32_t kFlagOfBit[kItems] = {caption_flags::kFirstLine,   caption_flags::kSecondLine,
                                         caption_flags::kDate,        caption_flags::kStartTime,
                                         caption_flags::kCurrentTime, caption_flags::kEndTime,
                                         caption_flags::kGmtLabel};
}  // namespace

uint32_t flagOfBit(int bit) {
  return bit >= 0 && bit < kItems ? kFlagOfBit[bit] : 0;
}

uint32_t flagsFromMask(uint32_t mask) {
  uint32_t flags = 0;
  for (int bit = 0; bit < kItems; ++bit)
    if (mask & (1u << bit)) flags |= kFlagOfBit[bit];
  return flags;
}

uint32_t maskFromFlags(uint32_t flags) {
  uint32_t mask = 0;
  for (int bit = 0; bit < kItems; ++bit)
    if (flags & kFlagOfBit[bit]) mask |= 1u << bit;
  return mask;
}

void applyMask(CaptionInfo& caption, uint32_t mask) {
  caption.flags = (caption.flags & ~flagsFromMask(0x7F)) | flagsFromMask(mask);
}

}  // namespace text_display

std::string CaptionClock::format(int64_t seconds, const char* pattern) const {
  if (recordingLocal) seconds += int64_t(recorderGmtOffset - localGmtOffset) * 3600;
  return formatLocalTime(seconds, pattern);
}

void prepareCaptionRecord(CaptionInfo& caption, int resolutionCode, int pictureWidth,
                          int pictureHeight, uint32_t mask) {
  caption = CaptionInfo{};
  text_display::applyMask(caption, mask);
  caption.setScale(resolutionCode == 3 || resolutionCode == 131 ? CaptionScale::Doubled
                                                                : CaptionScale::OneToOne);
  caption.flags |= caption_flags::kArea;
  caption.areaRight = pictureWidth - 4;
  caption.areaBottom = pictureHeight - 4;
  caption.setAllColours(CaptionInfo::kDefaultColour);
}

void setRecordingTimes(CaptionInfo& caption, const CaptionClock& clock, int64_t startSeconds,
                       int64_t endSeconds) {
  setCaptionText(caption.startTime, clock.timeText(startSeconds));
  setCaptionText(caption.endTime, clock.timeText(endSeconds));
  setCaptionText(caption.date, clock.dateText(startSeconds));
  setCaptionText(caption.gmtLabel, gmtOffsetLabel(clock.recorderGmtOffset));
}

}  // namespace kd
