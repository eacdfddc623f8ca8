#pragma once
// The play window's reports to its parent (the player view). PN_FRAME, PN_MOTION and
// PN_SCAN_FRAME are sent: handled before the step goes on, with the play window's own frame
// object, which the receiver must not keep. PN_STOPPED is posted, so the receiver may close the
// play window from its handler.
#include <cstdint>

namespace kd {

class PictureFrame;
struct MotionZoneBlock;

enum PlayerNotifyCode : uint32_t {
  PN_STOPPED = 0,
  PN_FRAME = 1,
  PN_CHANNEL_READY = 3,
  PN_MOTION = 4,
  PN_SCAN_FRAME = 6,
};

class PlayWindowParent {
 public:
  virtual ~PlayWindowParent() = default;
  virtual void onPlayerFrame(PictureFrame& frame) = 0;
  virtual void onPlayerMotion(const MotionZoneBlock& zones) = 0;
  virtual void onPlayerScanFrame(PictureFrame& frame) = 0;
  virtual void onPlayerStopped() = 0;
};

}  // namespace kd
