#pragma once
// The presenter family's base: every picture that reaches the screen goes through a presenter's
// lock, unlock and present. The Qt side implements it (playback/qt/ddraw_presenter.h); the colour
// adjuster and the transfer rules only need this interface.
#include <chrono>
#include <cstdint>
#include <mutex>

#include "playback/surface_view.h"

namespace kd {

struct CaptionInfo;

// A window a presenter shows its pictures in (implemented by the Qt output widget).
class PresentTarget {
 public:
  virtual ~PresentTarget() = default;
};

namespace present_result {
constexpr uint32_t kOk = 0;
constexpr uint32_t kFailed = 1;
constexpr uint32_t kMissingArgument = 0x80000002;
constexpr uint32_t kUnsupported = 0x80000003;
constexpr uint32_t kNoDisplayDevice = 0x80000006;
}  // namespace present_result

class Presenter {
 public:
  Presenter() = default;
  virtual ~Presenter() = default;
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  // Results: 0 success, otherwise 1 or one of present_result's codes.
  virtual uint32_t create(int width, int height, const CaptionInfo* caption) {
    (void)width, (void)height, (void)caption;
    return present_result::kUnsupported;
  }
  virtual uint32_t release() { return present_result::kUnsupported; }
  virtual uint32_t present(PresentTarget* window, const CaptionInfo* caption) {
    (void)window, (void)caption;
    return present_result::kUnsupported;
  }
  virtual uint32_t readBack(const ReadBackRequest* request) {
    (void)request;
    return present_result::kUnsupported;
  }
  virtual uint32_t lock(SurfaceView* view) {
    (void)view;
    return present_result::kUnsupported;
  }
  virtual uint32_t unlock() { return present_result::kUnsupported; }
  virtual uint32_t reservedOperation1() { return 0; }
  virtual uint32_t reservedOperation2() { return 0; }
  // True when the locked surface's last row is the top of the picture (a bottom-up bitmap).
  virtual bool bottomUpRows() const { return false; }

  // The presenter's mutex: present waits at most 1 ms for it, read back without limit.
  bool lockMutex(int timeoutMs) {
    if (timeoutMs < 0) {
      mutex_.lock();
      return true;
    }
    return mutex_.try_lock_for(std::chrono::milliseconds(timeoutMs));
  }
  void unlockMutex() { mutex_.unlock(); }

 private:
  std::timed_mutex mutex_;
};

}  // namespace kd
