#pragma once
// CQuadPlayWnd: plays up to four recordings side by side and keeps them at the same recorded
// time. A worker reads, decodes and presents all four channels, woken by a 5 ms tick and by the
// sound output running low; the panes hear of it through notifications posted to the
// user-interface thread, each carrying a copy of what it reports. Time, timers and posting come
// from an EngineClock; in stepping mode the tick runs the worker's pass on the clock's own
// thread, so tests and kdtool get a deterministic schedule on a virtual clock. No Qt here.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio_sink.h"
#include "playback/engine_clock.h"
#include "playback/player_notify.h"
#include "playback/quad_channel.h"
#include "playback/quad_events.h"
#include "playback/quad_pane.h"

namespace kd {

class RecordingReader;

class CQuadPlayWnd {
 public:
  static constexpr int kChannels = 4;
  static constexpr uint32_t kTickTimerId = 100;
  static constexpr uint32_t kTickPeriodMs = 5;
  static constexpr int kHopTicks = 10;  // "XH x": one block hop every ten ticks
  static constexpr uint32_t kMaxFrameInterval = 5000;
  enum class Threading { Worker, Stepping };
  using PresenterFactory = std::function<std::unique_ptr<Presenter>()>;

  // Without `presenters` channels decode but present nowhere (headless).
  CQuadPlayWnd(EngineClock& clock, Threading threading,
               AudioDevices& devices = systemAudioDevices(), PresenterFactory presenters = {});
  ~CQuadPlayWnd();  // destroy
  CQuadPlayWnd(const CQuadPlayWnd&) = delete;
  CQuadPlayWnd& operator=(const CQuadPlayWnd&) = delete;

  const char* title() const { return "VideoPlayWnd"; }
  int childId() const { return 400; }
  bool create();
  // Closes every channel without notify, ends the worker and drops what is still queued.
  void destroy();

  bool openChannel(int index, const std::string& path, QuadPane* pane);
  void closeChannel(int index, bool notify);
  void togglePause();
  bool isPaused() const { return !events_.isSet(QuadEvents::Run); }
  void play();
  void setSpeed(int speed);
  int speed() const { return speed_; }
  void stepForward();
  void stepBack();
  bool nextBlock(int index);
  bool previousBlock(int index);
  bool seekChannel(int index, int block, int n);
  bool setStartTime(int index, int64_t t);
  // A copy of the channel's next frame's place; false when the channel has none.
  bool channelFrame(int index, QuadPosition& out);
  void setPanePosition(int index, int32_t value);
  // The frame number at which each block of the channel's recording starts (empty before the
  // channel started), for the slider's ticks.
  std::vector<uint32_t> blockStarts(int index);
  // The channel's picture as presented (bottom-up 24-bit rows, no captions) with what a
  // snapshot stores beside it; false when the channel shows nothing.
  struct Snapshot {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    uint32_t sourceKey = 0;
    std::string path, hostName, cardName, cameraName;
  };
  bool snapshot(int index, Snapshot& out);
  bool hasRecording(int index);
  void setActive(bool active);
  bool isActive() const { return windowActive_; }

  // State for the dialog's read-outs and for tests.
  bool channelActive(int index);
  bool channelRunning(int index);
  bool channelHasSound(int index);
  uint32_t channelGeneration(int index);
  const std::string& lastError() const { return error_; }

 private:
  friend class QuadWorkerPass;
  struct Note {
    int channel;
    uint32_t generation;
    PlayerNotifyCode code;
    QuadPosition position;
  };

  bool validIndex(int index) const { return index >= 0 && index < kChannels; }
  bool fail(const std::string& reason);
  void releaseChannelLocked(QuadChannel& c);
  bool openChannelLocked(QuadChannel& c, int index, const std::string& path, QuadPane* pane);
  void setRun() { events_.set(QuadEvents::Run); }
  void setKick();
  bool pauseIfRunning();
  void undoPause(bool wasRunning);
  bool addressBefore(RecordingReader& r, const PictureFrame& f, int back, int& block, int& n);

  // Notifications: made on the worker, delivered on the user-interface thread.
  void post(const Note& note);
  void deliver(const Note& note);
  void manageSound(int index);
  void onSoundDone(int index, int buffer);

  // The worker (quad_channel_step.cpp).
  void workerLoop();
  void onTick();
  void runWake();
  bool waitRun();
  bool pass(uint32_t now, bool kicked, bool tickWake);
  void stepChannel(int index, uint32_t now, bool kicked);
  void stepChannelLocked(int index, QuadChannel& c, uint32_t now, bool kicked);
  void noteStanding(int index, QuadChannel& c);
  bool startChannel(QuadChannel& c, int index);
  bool holdCheck(int index, QuadChannel& c);
  int synchronise(int index, QuadChannel& c);
  bool referenceTime(int index, QuadChannel& c, int64_t& reference);
  bool decodeUntil(QuadChannel& c, int64_t reference);
  bool decodeShown(QuadChannel& c);
  bool readPastKind3(QuadChannel& c);
  void show(int index, QuadChannel& c);
  uint32_t scaled(uint32_t interval) const;
  void endChannel(int index, QuadChannel& c);
  bool blockHop(uint32_t now);
  QuadPosition positionOf(QuadChannel& c, const PictureFrame& f);

  EngineClock& clock_;
  Threading threading_;
  AudioDevices& devices_;
  PresenterFactory presenters_;
  QuadChannel channels_[kChannels];
  // Where each channel stood when the worker last held its lock. The hold check and the
  // reference time read the other channels here, so a step never holds two channel locks.
  struct Standing {
    bool running = false;
    bool sound = false;
    int64_t time = 0;  // seconds of the next frame
  };
  Standing standings_[kChannels];  // the worker's own
  QuadEvents events_;
  std::atomic<int> speed_{0};
  std::atomic<bool> stepFlag_{false};
  std::atomic<bool> windowActive_{true};
  std::thread worker_;
  std::atomic<bool> workerEnded_{false};
  bool created_ = false;
  EngineClock::TimerHandle timer_ = 0;
  int hopCounter_ = 0;
  std::atomic<uint32_t> lastTick_{0};
  // Shared with every posted notification: false once destroyed, so the queued ones are dropped.
  std::shared_ptr<std::atomic<bool>> alive_;
  std::string error_;
};

}  // namespace kd
