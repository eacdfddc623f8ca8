#include "convert/conversion_plan.h"

#include "platform/clock.h"
#include "recording/recording_reader.h"

namespace kd {

uint32_t textRateFor(uint32_t frames, uint32_t seconds) {
  uint32_t rate = seconds ? frames / seconds : 0;
  if (rate == 0) rate = 1;
  if (rate > 10) rate -= 1;
  return rate;
}

std::string conversionCaption(const RecordingReader& recording) {
  const char* pattern = "%Y/%m/%d,%H:%M:%S";
  return recording.cardName + " " + recording.cameraName +
         " From:" + formatLocalTime(recording.startTime, pattern) +
         " To:" + formatLocalTime(recording.endTime, pattern);
}

bool planConversion(const RecordingReader& recording, ConversionPlan& plan, std::string& reason) {
  plan = ConversionPlan{};
  plan.frameCount = recording.frameCount();
  plan.decodedWidth = recording.pictureWidth();
  plan.decodedHeight = recording.pictureHeight();
  plan.outWidth = recording.displayWidth();
  plan.outHeight = recording.displayHeight();
  if (plan.decodedWidth <= 0 || plan.decodedHeight <= 0 || plan.outWidth <= 0 ||
      plan.outHeight <= 0) {
    reason =
        "resolution code " + std::to_string(recording.resolutionCode) + " names no picture size";
    return false;
  }
  const int64_t seconds = int64_t(recording.endTime) - int64_t(recording.startTime);
  if (seconds <= 0) {
    reason = seconds == 0 ? "the recording starts and ends in the same second (" +
                                std::to_string(recording.startTime) + "): it has no frame rate"
                          : "the recording ends before it starts";
    return false;
  }
  if (plan.frameCount == 0) {
    reason = "the recording has no frames";
    return false;
  }
  plan.videoRate = plan.frameCount;
  plan.videoScale = uint32_t(seconds);
  plan.textRate = textRateFor(plan.frameCount, plan.videoScale);
  plan.caption = conversionCaption(recording);
  return true;
}

}  // namespace kd
