#pragma once
// The caption record the document owns, the view updates per frame and the caption overlay draws,
// and the text display mask (the seven caption items the operator chooses).
#include <cstddef>
#include <cstdint>
#include <string>

#include "playback/motion_zones.h"

namespace kd {

namespace caption_flags {
constexpr uint32_t kFirstLine = 0x2;   // camera name
constexpr uint32_t kSecondLine = 0x4;  // card name
constexpr uint32_t kCurrentTime = 0x8;
constexpr uint32_t kIconB = 0x20;
constexpr uint32_t kRectangles = 0x80;
constexpr uint32_t kArea = 0x100;
constexpr uint32_t kIconA = 0x400;        // the frame has sound
constexpr uint32_t kReplacement = 0x800;  // stand-by picture A instead of the frame
constexpr uint32_t kStartTime = 0x2000;
constexpr uint32_t kEndTime = 0x4000;
constexpr uint32_t kRectanglesOnly = 0x8000;
constexpr uint32_t kDate = 0x100000;
constexpr uint32_t kGmtLabel = 0x200000;  // also: times in the recorder's time zone
constexpr int kScaleShift = 18;
constexpr uint32_t kScaleMask = 0x3u << kScaleShift;
}  // namespace caption_flags

// Bits 18–19 of the flags.
enum class CaptionScale { Doubled = 0, OneToOne = 1, Halved = 2, Same = 3 };

// Colours are 0x00BBGGRR values; texts are the recorder's single-byte (Big5) strings.
struct CaptionInfo {
  static constexpr uint32_t kDefaultColour = 0xFFFF00;  // cyan

  uint32_t flags = 0;
  uint32_t spare = 0;
  int32_t areaLeft = 0, areaTop = 0, areaRight = 0, areaBottom = 0;
  MotionZoneBlock rectangles;  // `active` non-zero: red outline, zero: green
  char cameraName[68] = {};
  uint32_t cameraNameColour = 0;
  char cardName[68] = {};
  uint32_t cardNameColour = 0;
  char currentTime[68] = {};
  uint32_t currentTimeColour = 0;
  char startTime[65] = {};
  char endTime[65] = {};
  char date[65] = {};
  char gmtLabel[65] = {};
  uint32_t gmtLabelColour = 0;

  CaptionScale scale() const {
    return CaptionScale((flags & caption_flags::kScaleMask) >> caption_flags::kScaleShift);
  }
  void setScale(CaptionScale scale) {
    flags = (flags & ~caption_flags::kScaleMask) | (uint32_t(scale) << caption_flags::kScaleShift);
  }
  // The caption colour command: all four colours at once.
  void setAllColours(uint32_t colour) {
    cameraNameColour = cardNameColour = currentTimeColour = gmtLabelColour = colour;
  }
};

// Copies `text` into a fixed field, cut to leave room for the terminating NUL.
template <size_t N>
void setCaptionText(char (&field)[N], const std::string& text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  text.copy(field, n);
  for (size_t i = n; i < N; ++i) field[i] = '\0';
}

// The text display mask: bit 0 camera name, 1 card name, 2 date, 3 start time, 4 current time,
// 5 end time, 6 recording-local time with the GMT label.
namespace text_display {
constexpr uint32_t kDefaultMask = 57;
constexpr int kItems = 7;
// The caption flag of mask bit `bit`.
uint32_t flagOfBit(int bit);
uint32_t flagsFromMask(uint32_t mask);
uint32_t maskFromFlags(uint32_t flags);
// Writes the mask's items into the record's flags, leaving the other flags alone.
void applyMask(CaptionInfo& caption, uint32_t mask);
}  // namespace text_display

// The times a recording's captions show.
struct CaptionClock {
  int recorderGmtOffset = 0;  // hours, from the recording header
  int localGmtOffset = 0;     // hours, the computer's
  bool recordingLocal = false;

  // `pattern` applied to `seconds`, shifted into the recorder's zone when recordingLocal.
  std::string format(int64_t seconds, const char* pattern) const;
  std::string timeText(int64_t seconds) const { return format(seconds, "%H:%M:%S"); }
  std::string dateText(int64_t seconds) const { return format(seconds, "%y %m-%d"); }
};

// A fresh record for a recording just opened: zero-filled, the mask's items, scale mode 0 for
// resolution codes 3 and 131 (else 1), the area (0, 0, width − 4, height − 4) with flag 0x100,
// cyan captions.
void prepareCaptionRecord(CaptionInfo& caption, int resolutionCode, int pictureWidth,
                          int pictureHeight, uint32_t mask);

// Fills the start, end and date lines and the GMT label for a recording.
void setRecordingTimes(CaptionInfo& caption, const CaptionClock& clock, int64_t startSeconds,
                       int64_t endSeconds);

}  // namespace kd
