#pragma once
// The quad playback dialog without a screen: the selected pane, the speed, the enlarged pane,
// the toolbar row, the pane rectangles and the title. The Qt dialog and the tests use it.
#include <cstdint>
#include <string>

namespace kd {

class RecordingInfo;

struct QuadRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const QuadRect&) const = default;
};

class QuadDialogModel {
 public:
  static constexpr int kPanes = 4;
  static constexpr int kClientWidth = 800;
  static constexpr int kClientHeight = 720;
  static constexpr int kSliderHeight = 20;
  static constexpr int kButtonStrip = 100;
  static constexpr int kToolbarRow = 20;

  int selected() const { return selected_; }
  // True when the selection changed.
  bool select(int pane);
  int speed() const { return speed_; }
  // −4 … 4; true when it changed.
  bool setSpeed(int speed);
  int enlarged() const { return enlarged_; }  // −1: the grid
  void toggleEnlarged(int pane);
  bool toolbarShown() const { return toolbar_; }
  void toggleToolbar() { toolbar_ = !toolbar_; }

  int clientHeight() const { return kClientHeight + (toolbar_ ? kToolbarRow : 0); }
  // Where the sliders lie (one upon the other).
  static QuadRect sliderRect() { return {0, 0, kClientWidth, kSliderHeight}; }
  QuadRect paneArea() const;
  // Empty while another pane is enlarged.
  QuadRect paneRect(int pane) const;

  // " 停止", " 暫停" or " 播放中" with the speed, then the selected pane's title text.
  std::string title(bool channelOpen, bool paused, const std::string& paneTitle) const;
  // "快速", "1/6 倍速" and the like; empty at 1 x.
  static std::string speedText(int speed);
  // "(HOST)(GMT+08:00)(2026/01/01) --" with the computer's GMT offset.
  static std::string paneTitle(const RecordingInfo& info, int localGmtOffset);

 private:
  int selected_ = 0;
  int speed_ = 0;
  int enlarged_ = -1;
  bool toolbar_ = false;
};

}  // namespace kd
