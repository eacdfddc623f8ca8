#pragma once
// A headless stand-in for the quad dialog around one four-channel play window: four panes that
// report every notification with its tick since open. Pane 0 is the sound pane. kdtool play
// --quad and the tests drive it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/quad_play_wnd.h"

namespace kd {

struct QuadEvent {
  uint32_t tick = 0;  // milliseconds since open
  int channel = 0;
  PlayerNotifyCode code = PN_STOPPED;
  QuadPosition position;  // PN_FRAME and PN_CHANNEL_READY
};

class QuadSession {
 public:
  using EventHandler = std::function<void(const QuadEvent&)>;

  QuadSession(EngineClock& clock, CQuadPlayWnd::Threading threading,
              AudioDevices& devices = systemAudioDevices());
  ~QuadSession();
  void setEventHandler(EventHandler handler) { handler_ = std::move(handler); }
  // One recording per channel (one to four), or a single four-camera recording on all four.
  // False with `error` naming the file and the reason; channels opened before stay open.
  bool open(const std::vector<std::string>& paths, int speed, std::string& error);
  int channelsOpened() const { return opened_; }
  // Opens `path` on one channel alone (a search's panes, each when its turn comes), from
  // `moment` when it is not 0. False with `error` when it does not open there.
  bool openChannel(int channel, const std::string& path, int64_t moment, std::string& error);
  // Every opened channel has reported PN_STOPPED.
  bool allStopped() const;
  CQuadPlayWnd& window() { return window_; }

 private:
  class Pane : public QuadPane {
   public:
    Pane(QuadSession& session, int channel, uint32_t flags)
        : session_(session), channel_(channel), flags_(flags) {}
    uint32_t paneFlags() const override { return flags_; }
    uint32_t captionColour() const override { return CaptionInfo::kDefaultColour; }
    void setCaptions(const std::string&, const std::string&, const std::string&) override {}
    void onQuadChannelReady(const QuadPosition& first) override;
    void onQuadFrame(const QuadPosition& shown) override;
    void onQuadStopped() override;
    bool opened = false;
    bool stopped = false;

   private:
    QuadSession& session_;
    int channel_;
    uint32_t flags_;
  };
  void report(int channel, PlayerNotifyCode code, const QuadPosition& position);

  EngineClock& clock_;
  std::unique_ptr<Pane> panes_[CQuadPlayWnd::kChannels];
  CQuadPlayWnd window_;
  EventHandler handler_;
  uint32_t openTick_ = 0;
  int opened_ = 0;
};

}  // namespace kd
