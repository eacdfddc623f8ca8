#pragma once
// What the four-channel play window needs from each of the quad dialog's panes, and the copies it
// hands them. The dialog implements the panes; the window never points up at the dialog itself.
#include <cstdint>
#include <string>

namespace kd {

class Presenter;
class PresentTarget;

// A frame's place and time, copied out of the channel when the notification is made, so the
// pane never reads a channel's records (which closing frees) without its lock.
struct QuadPosition {
  int32_t block = 0;
  int32_t frame = 0;       // within the block
  uint32_t number = 0;     // within the recording
  int64_t time = 0;        // seconds since 1970
  uint32_t timeStamp = 0;  // milliseconds on the frame clock
  uint16_t flags = 0;
  // The recording's extent, for sliders and read-outs.
  int32_t blockCount = 0;
  uint32_t frameCount = 0;
};

class QuadPane {
 public:
  static constexpr uint32_t kCaptionsWanted = 0x1;
  static constexpr uint32_t kSoundPane = 0x4;

  virtual ~QuadPane() = default;
  // Read on the worker thread: implementations keep these thread-safe.
  virtual uint32_t paneFlags() const = 0;
  virtual uint32_t captionColour() const = 0;
  // The window the channel's pictures are presented in (null: not shown anywhere).
  virtual PresentTarget* presentTarget() { return nullptr; }

  // User-interface thread.
  virtual void setCaptions(const std::string& camera, const std::string& card,
                           const std::string& host) = 0;
  virtual void onQuadChannelReady(const QuadPosition& first) = 0;
  virtual void onQuadFrame(const QuadPosition& shown) = 0;
  virtual void onQuadStopped() = 0;
  // The channel's presenter once it joins (worker thread), null when the channel closes.
  virtual void setPresenter(Presenter* presenter) { (void)presenter; }
};

}  // namespace kd
