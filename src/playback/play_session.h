#pragma once
// A headless stand-in for the player view and document around one play window: it opens the
// recording at a playback speed (−4 … 4; 3 and 4 run the fast-scan hops), applies the view's
// pause rules to each shown frame, reports every notification with its tick, and on the first
// PN_STOPPED closes the play window without notify. kdtool play and the tests drive it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "playback/fast_scan.h"
#include "playback/play_engine.h"
#include "playback/play_navigation.h"

namespace kd {

struct PlayEvent {
  uint32_t tick = 0;  // milliseconds since open
  PlayerNotifyCode code = PN_STOPPED;
  int32_t block = 0;  // frames only
  int32_t frame = 0;
  uint32_t number = 0;
  uint32_t timeStamp = 0;
  uint16_t flags = 0;
  MotionZoneBlock zones;  // PN_MOTION only
};

class PlaySession : public PlayWindowParent {
 public:
  using EventHandler = std::function<void(const PlayEvent&)>;

  PlaySession(EngineClock& clock, PlayDecoderFactory decoders = choosePlayDecoder,
              PlaySoundFactory sound = {});
  ~PlaySession() override;

  // Sees every event as it is reported (before the view's pause rules act on a frame).
  void setEventHandler(EventHandler handler) { handler_ = std::move(handler); }
  bool open(const std::string& path, int playbackSpeed);
  // The document's speed change: play window speed for −4 … 2, 1 x and the hops for 3 and 4.
  void setPlaybackSpeed(int playbackSpeed);
  bool stopped() const { return stopped_; }

  CPlayWnd& player() { return player_; }
  FastScan& fastScan() { return fastScan_; }
  PlayNavigation& navigation() { return navigation_; }

  void onPlayerFrame(PictureFrame& frame) override;
  void onPlayerMotion(const MotionZoneBlock& zones) override;
  void onPlayerScanFrame(PictureFrame& frame) override;
  void onPlayerStopped() override;

 private:
  void report(PlayEvent event);
  PlayEvent frameEvent(PlayerNotifyCode code, PictureFrame& frame);

  EngineClock& clock_;
  CPlayWnd player_;
  FastScan fastScan_;
  PlayNavigation navigation_;
  EventHandler handler_;
  uint32_t openTick_ = 0;
  bool stopped_ = false;
};

}  // namespace kd
