#include "playback/quad_dialog_model.h"

#include <cstdio>
#include <cstdlib>

#include "platform/clock.h"
#include "recording/recording_info.h"

namespace kd {

bool QuadDialogModel::select(int pane) {
  if (pane < 0 || pane >= kPanes || pane == selected_) return false;
  selected_ = pane;
  return true;
}

bool QuadDialogModel::setSpeed(int speed) {
  if (speed < -4 || speed > 4 || speed == speed_) return false;
  speed_ = speed;
  return true;
}

void QuadDialogModel::toggleEnlarged(int pane) {
  if (pane < 0 || pane >= kPanes) return;
  enlarged_ = enlarged_ == pane ? -1 : pane;
}

QuadRect QuadDialogModel::paneArea() const {
  const int bottom = kClientHeight - kButtonStrip;
  return {0, kSliderHeight, kClientWidth, bottom - kSliderHeight};
}

QuadRect QuadDialogModel::paneRect(int pane) const {
  if (pane < 0 || pane >= kPanes) return {};
  const QuadRect area = paneArea();
  if (enlarged_ >= 0) return enlarged_ == pane ? area : QuadRect{};
  const int w = area.width / 2, h = area.height / 2;
  return {area.x + (pane % 2) * w, area.y + (pane / 2) * h, w, h};
}

std::string QuadDialogModel::speedText(int speed) {
  char text[32] = {};
  if (speed < 0) {
    std::snprintf(text, sizeof text, "1/%d 倍速", -2 * speed);
  } else if (speed == 1 || speed == 2) {
    std::snprintf(text, sizeof text, "%d 倍速", 2 * speed);
  } else if (speed == 3) {
    return "快速";
  } else if (speed == 4) {
    return "超快速";
  }
  return text;
}

std::string QuadDialogModel::title(bool channelOpen, bool paused,
                                   const std::string& paneTitle) const {
  if (!channelOpen) return " 停止" + paneTitle;
  if (paused) return " 暫停" + paneTitle;
  return " 播放中" + speedText(speed_) + paneTitle;
}

std::string QuadDialogModel::paneTitle(const RecordingInfo& info, int localGmtOffset) {
  char gmt[32];
  std::snprintf(gmt, sizeof gmt, "(GMT%c%02d:00)", localGmtOffset < 0 ? '-' : '+',
                std::abs(localGmtOffset));
  return "(" + info.hostName + ")" + gmt + formatLocalTime(info.startTime, "(%Y/%m/%d)") + " --";
}

}  // namespace kd
