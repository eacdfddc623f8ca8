#pragma once
// One pane of the quad dialog: the picture its channel's presenter shows, the caption settings
// the four-channel play window reads from its worker, and the notifications handed back up.
#include <atomic>
#include <functional>
#include <string>

#include "playback/caption_info.h"
#include "playback/qt/picture_widget.h"
#include "playback/quad_pane.h"

namespace kd {

class QuadPaneWidget : public PictureWidget, public QuadPane {
  Q_OBJECT
 public:
  struct Handlers {
    std::function<void(int pane, const QuadPosition&)> ready;
    std::function<void(int pane, const QuadPosition&)> frame;
    std::function<void(int pane)> stopped;
    std::function<void(int pane)> clicked;
    std::function<void(int pane)> doubleClicked;
  };

  QuadPaneWidget(int index, Handlers handlers, QWidget* parent);
  int index() const { return index_; }

  uint32_t paneFlags() const override { return flags_.load(); }
  uint32_t captionColour() const override { return colour_.load(); }
  PresentTarget* presentTarget() override { return this; }
  void setCaptions(const std::string& camera, const std::string& card,
                   const std::string& host) override;
  void onQuadChannelReady(const QuadPosition& first) override;
  void onQuadFrame(const QuadPosition& shown) override;
  void onQuadStopped() override;
  void setPresenter(Presenter* presenter) override;

  bool captionOn() const { return (flags_.load() & kCaptionsWanted) != 0; }
  void setCaptionOn(bool on);
  void setSoundPane(bool on);
  void setCaptionColour(uint32_t colour) { colour_ = colour; }
  const std::string& cameraName() const { return camera_; }
  // Frames its channel reported shown (the stand-by picture is not one).
  uint64_t channelFrames() const { return channelFrames_; }
  // Without a channel presenting here the pane shows stand-by picture B, with icon B when it is
  // the selected pane.
  void setSelected(bool selected);
  void showStandby();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int index_;
  Handlers handlers_;
  std::atomic<uint32_t> flags_{kCaptionsWanted};
  std::atomic<uint32_t> colour_{CaptionInfo::kDefaultColour};
  std::string camera_, card_, host_;
  uint64_t channelFrames_ = 0;
  std::atomic<bool> presenting_{false};
  bool selected_ = false;
};

}  // namespace kd
