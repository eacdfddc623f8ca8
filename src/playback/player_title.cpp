#include "playback/player_title.h"

#include <cstdio>
#include <cstdlib>

#include "playback/caption_info.h"

namespace kd {

std::string stateWord(bool open, bool paused) {
  if (!open) return " 停止";
  return paused ? " 暫停" : " 播放中";
}

std::string speedText(int step) {
  char text[32] = {};
  if (step < 0 && step >= -4) {
    std::snprintf(text, sizeof text, "1/%d 倍速", 2 * -step);
  } else if (step == 1 || step == 2) {
    std::snprintf(text, sizeof text, "%d 倍速", 2 * step);
  } else if (step == 3) {
    return "快速";
  } else if (step == 4) {
    return "超快速";
  }
  return text;
}

std::string playerTitle(bool open, bool paused, int step, const std::string& suffix) {
  std::string title = stateWord(open, paused);
  if (open && !paused && step != 0) title += speedText(step);
  return title + suffix;
}

std::string bracketedGmt(int hours) {
  char text[32];
  std::snprintf(text, sizeof text, hours < 0 ? "(GMT-%02d:00)" : "(GMT+%02d:00)", std::abs(hours));
  return text;
}

std::string titleSuffix(const std::string& host, int recorderGmtOffset, int localGmtOffset,
                        int64_t startTime, bool recordingLocal) {
  CaptionClock clock;
  clock.recorderGmtOffset = recorderGmtOffset;
  clock.localGmtOffset = localGmtOffset;
  clock.recordingLocal = recordingLocal;
  const int offset = recordingLocal ? recorderGmtOffset : localGmtOffset;
  return "(" + host + ")" + bracketedGmt(offset) + "(" + clock.format(startTime, "%Y/%m/%d") +
         ") --";
}

}  // namespace kd
