#pragma once
// What a recording fixes for its AVI file before any frame is read: the picture and output
// sizes, the frame count, the stream rates and the caption every text sample carries.
#include <cstdint>
#include <string>

namespace kd {

class RecordingReader;

struct ConversionPlan {
  uint32_t frameCount = 0;
  int decodedWidth = 0;  // the recording's picture size, as decoded
  int decodedHeight = 0;
  int outWidth = 0;  // the display size the frames are fitted to
  int outHeight = 0;
  uint32_t videoRate = 0;   // frames ...
  uint32_t videoScale = 0;  // ... per whole seconds of the recording
  uint32_t textRate = 0;
  std::string caption;  // without its terminating NUL
};

// frames / seconds, 0 taken as 1 and anything above 10 lowered by one.
uint32_t textRateFor(uint32_t frames, uint32_t seconds);

// "CARD CAMERA From:%Y/%m/%d,%H:%M:%S To:%Y/%m/%d,%H:%M:%S" in the computer's time zone.
std::string conversionCaption(const RecordingReader& recording);

// False with `reason` for a recording that gives no AVI: no picture size, or a duration of no
// whole second (its frame rate would divide by zero).
bool planConversion(const RecordingReader& recording, ConversionPlan& plan, std::string& reason);

}  // namespace kd
