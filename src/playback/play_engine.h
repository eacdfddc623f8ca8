#pragma once
// CPlayWnd: plays one recording for the main player. Timer-driven steps decode one frame, report
// it to the parent (PN_MOTION, PN_FRAME) and read the next; pacing follows the frames' time
// stamps scaled by the speed. Time, timers and posting come from an EngineClock, so the same
// logic runs under Qt, in kdtool and on a virtual clock in tests. No Qt here.
#include <cstdint>
#include <memory>
#include <string>

#include "playback/decode_run.h"
#include "playback/engine_clock.h"
#include "playback/motion_comparison.h"
#include "playback/motion_zones.h"
#include "playback/play_decoder.h"
#include "playback/play_sound.h"
#include "playback/player_notify.h"
#include "recording/frame_packet.h"

namespace kd {

class RecordingReader;
class StepCache;

class CPlayWnd {
 public:
  static constexpr uint32_t kPaceTimerId = 102;
  static constexpr uint32_t kScanTimerId = 101;
  static constexpr uint32_t kPacePeriodMs = 10;
  static constexpr uint32_t kScanPeriodMs = 1;
  static constexpr uint32_t kMaxFrameInterval = 5000;
  static constexpr int kMinSpeed = -4;
  static constexpr int kMaxSpeed = 2;

  // `parent` may be null (nothing is reported). An empty sound factory means no sound output.
  CPlayWnd(PlayWindowParent* parent, EngineClock& clock,
           PlayDecoderFactory decoders = choosePlayDecoder, PlaySoundFactory sound = {});
  // Closes without notify.
  ~CPlayWnd();
  CPlayWnd(const CPlayWnd&) = delete;
  CPlayWnd& operator=(const CPlayWnd&) = delete;

  // Live play windows, numbering the title "video play wnd %d" and the child id 400 + n.
  static int liveCount();
  const std::string& title() const { return title_; }
  int childId() const { return childId_; }

  bool open(const std::string& path, int speed, bool soundOn);
  void close(bool notify);
  // Pausing starts filling the step cache around the shown frame unless `fillCache` is false
  // (the fast scan's short pause between hops).
  void togglePause(bool fillCache = true);
  bool isPaused() const { return timerId_ == 0; }
  // −4 … 2; takes effect at the next tick.
  void setSpeed(int speed) { speed_ = speed; }
  int speed() const { return speed_; }
  bool seek(int block, int frame);
  bool seekToTime(int64_t seconds);
  void setScanMode(bool on);
  bool scanMode() const { return scanMode_; }

  void setMotionParameters(int sensitivity, uint32_t requiredCount, bool pauseOnMotion);
  bool addMotionZone(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void clearMotionZones();
  void toggleMotionSuspend();
  bool isMotionSuspended() const { return motionSuspended_; }
  const MotionZoneBlock& motionZones() const { return zones_; }
  bool motionNow() const { return motionNow_; }
  uint32_t motionThreshold() const { return motion_.threshold(); }

  // The reader of the current frame, or null when closed.
  RecordingReader* reader();
  // The frame the next step shows, or null when closed.
  PictureFrame* frame() { return frame_.get(); }
  const std::string& path() const { return path_; }
  // Why the last open failed.
  const std::string& lastError() const { return error_; }
  // Pacing state, for the schedule's checks.
  uint32_t frameInterval() const { return frameInterval_; }
  uint32_t dueTime() const { return dueTime_; }
  bool hasSoundOutput() const { return sound_ != nullptr; }

  // The sound output finished a buffer (the wave-output completion message).
  void onSoundBufferDone(bool atMostOneQueued);

  // Keeps exact pictures around the shown frame, so stepping back and near jumps show them
  // without decoding; applies from the next open. Null: every picture is decoded.
  void useStepCache(std::unique_ptr<StepCache> cache);
  StepCache* stepCache() { return stepCache_.get(); }

 private:
  bool openRecording(const std::string& path);
  bool fail(const std::string& reason);
  void startPaceTimer();
  void killPaceTimer();
  void killScanTimer();
  void onPaceTick();
  void step();
  bool decodePicture(PictureFrame& packet, bool deblock, int32_t& delay);
  // The picture of the frame about to be shown: from the cache, or decoded in step with a play
  // from the recording's start (the decoder is brought there first when it is elsewhere).
  void showPicture(PictureFrame& f, int32_t& delay);
  // Decodes f as the record after the decoder's last one; without deblocking for frames not shown.
  void decodeInSequence(PictureFrame& f, bool deblock, int32_t& delay);
  void resync(PictureFrame& f);
  bool inSequence(PictureFrame& f);
  int64_t numberOf(const PictureFrame& f);
  void pausedOn(int block);
  bool readNext(PictureFrame& packet);
  bool skipKind3(bool compareSawNoMotion);
  void feedSound();
  void stopSound() { sound_.reset(); }
  bool readScratch(int block, int n);
  void restoreCursor();
  void resetPacing();
  uint32_t scaledInterval() const;

  PlayWindowParent* parent_;
  EngineClock& clock_;
  PlayDecoderFactory decoderFactory_;
  PlaySoundFactory soundFactory_;
  std::string title_;
  int childId_ = 0;

  std::unique_ptr<PictureFrame> frame_;
  std::unique_ptr<PictureFrame> scratch_;  // seeks read here first, so a failure changes nothing
  std::unique_ptr<PlayDecoder> decoder_;
  std::unique_ptr<PlaySoundOutput> sound_;
  std::string path_;
  std::string error_;
  uint32_t timerId_ = 0;
  EngineClock::TimerHandle paceTimer_ = 0;
  EngineClock::TimerHandle scanTimer_ = 0;
  int speed_ = 0;
  bool soundOn_ = false;
  uint32_t dueTime_ = 0;
  uint32_t previousTimeStamp_ = 0;
  uint32_t frameInterval_ = 0;
  bool intervalValid_ = false;
  bool scanMode_ = false;

  MotionZoneBlock zones_;
  MotionComparison motion_;
  bool motionNow_ = false;
  bool pauseOnMotion_ = false;
  bool motionSuspended_ = false;

  // Where the decoder stands: the frame it decodes next, the frame whose picture the current
  // packet holds (−1: none yet) and whether its pictures are those of a play from the start.
  int64_t decoderNext_ = 0;
  int64_t pictureHolds_ = -1;
  RunExactness run_;
  int shownBlock_ = 0;
  std::unique_ptr<StepCache> stepCache_;
};

}  // namespace kd
