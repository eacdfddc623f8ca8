#include "playback/play_engine.h"

#include <algorithm>
#include <utility>

#include "playback/block_search.h"
#include "playback/step_cache.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {
int gLiveCount = 0;
}  // namespace

int CPlayWnd::liveCount() {
  return gLiveCount;
}

CPlayWnd::CPlayWnd(PlayWindowParent* parent, EngineClock& clock, PlayDecoderFactory decoders,
                   PlaySoundFactory sound)
    : parent_(parent),
      clock_(clock),
      decoderFactory_(std::move(decoders)),
      soundFactory_(std::move(sound)) {
  ++gLiveCount;
  title_ = "video play wnd " + std::to_string(gLiveCount);
  childId_ = 400 + gLiveCount;
}

CPlayWnd::~CPlayWnd() {
  close(false);
  --gLiveCount;
}

RecordingReader* CPlayWnd::reader() {
  return frame_ ? frame_->reader() : nullptr;
}

bool CPlayWnd::fail(const std::string& reason) {
  error_ = reason;
  return false;
}

// Opening without the timers: shared by open and by entering scan mode.
bool CPlayWnd::openRecording(const std::string& path) {
  path_ = path;
  frame_.reset();
  scratch_.reset();
  auto opened = std::make_unique<RecordingReader>();
  RecordingInfo info;
  info.path = path;
  if (!opened->open(info)) return fail(opened->lastError());
  if (opened->formatVersion == 8) return fail("a four-camera recording plays in the quad window");
  const int width = opened->pictureWidth();
  const int height = opened->pictureHeight();
  if (width <= 0 || height <= 0) return fail("the recording has no picture size");
  const uint32_t key = opened->sourceKey();
  frame_ = std::make_unique<PictureFrame>(key, width, height);
  scratch_ = std::make_unique<PictureFrame>(key, width, height);
  frame_->attachReader(std::move(opened));
  dueTime_ = clock_.now();
  if (!readNext(*frame_)) {
    const std::string reason = "the first frame cannot be read: " + reader()->lastError();
    close(false);
    return fail(reason);
  }
  previousTimeStamp_ = frame_->timeStamp;
  std::string reason;
  decoder_ = decoderFactory_ ? decoderFactory_(*reader(), *frame_, reason) : nullptr;
  if (!decoder_) {
    close(false);
    return fail(reason.empty() ? "no decoder for this recording" : reason);
  }
  // A fresh decoder and a cleared picture: exactly a play from the start.
  decoderNext_ = 0;
  pictureHolds_ = -1;
  run_ = RunExactness{true};
  if (stepCache_) stepCache_->attach(path, decoderFactory_, width, height);
  return true;
}

bool CPlayWnd::open(const std::string& path, int speed, bool soundOn) {
  if (frame_) close(false);
  error_.clear();
  if (!openRecording(path)) return false;
  speed_ = speed;
  soundOn_ = soundOn;
  startPaceTimer();
  return true;
}

void CPlayWnd::close(bool notify) {
  clearMotionZones();
  motion_.reset();
  killPaceTimer();
  // The scan timer is killed too: left running it would fire into an empty window for nothing.
  killScanTimer();
  stopSound();
  if (stepCache_) stepCache_->detach();
  frame_.reset();
  scratch_.reset();
  decoder_.reset();
  decoderNext_ = 0;
  pictureHolds_ = -1;
  speed_ = 0;
  soundOn_ = false;
  dueTime_ = 0;
  previousTimeStamp_ = 0;
  frameInterval_ = 0;
  intervalValid_ = false;
  if (notify && parent_) {
    PlayWindowParent* parent = parent_;
    clock_.post([parent] { parent->onPlayerStopped(); });
  }
}

void CPlayWnd::startPaceTimer() {
  timerId_ = kPaceTimerId;
  paceTimer_ = clock_.startTimer(kPacePeriodMs, [this] { onPaceTick(); });
}

void CPlayWnd::killPaceTimer() {
  if (paceTimer_) clock_.killTimer(paceTimer_);
  paceTimer_ = 0;
  timerId_ = 0;
}

void CPlayWnd::killScanTimer() {
  if (scanTimer_) clock_.killTimer(scanTimer_);
  scanTimer_ = 0;
}

void CPlayWnd::togglePause(bool fillCache) {
  if (timerId_) {
    killPaceTimer();
    stopSound();
    if (frame_ && fillCache) pausedOn(shownBlock_);
  } else if (frame_) {
    if (stepCache_) stepCache_->stopFilling();
    dueTime_ = clock_.now();
    startPaceTimer();
  }
}

uint32_t CPlayWnd::scaledInterval() const {
  if (speed_ > 0) return frameInterval_ / uint32_t(2 * speed_);
  if (speed_ < 0) return frameInterval_ * uint32_t(-2 * speed_);
  return frameInterval_;
}

void CPlayWnd::onPaceTick() {
  if (!frame_) return;
  const uint32_t now = clock_.now();
  if (zones_.count > 0 && !motionNow_) {
    // Nothing moves: one frame per tick, whatever the time stamps say.
    step();
    dueTime_ = clock_.now();
    intervalValid_ = false;
    return;
  }
  const uint32_t d = scanMode_ ? 0 : scaledInterval();
  if (now - dueTime_ < d) return;
  step();
  // Whole intervals, so a late tick is caught up by the following ones.
  if (frame_) dueTime_ += d;
}

bool CPlayWnd::decodePicture(PictureFrame& packet, bool deblock, int32_t& delay) {
  delay = 0;
  if ((packet.flags & frame_flags::kNoPicture) || !decoder_) return false;
  return decoder_->decode(packet, deblock, delay);
}

bool CPlayWnd::readNext(PictureFrame& packet) {
  RecordingReader* r = reader();
  return r && r->readFrame(packet);
}

// Codec nibble 4: frames of kind 3 are read past when playing fast or running through still
// video. False when a read failed (the window is then closed with notify).
bool CPlayWnd::skipKind3(bool compareSawNoMotion) {
  PictureFrame& f = *frame_;
  if (frame_flags::codecFamily(f.flags) != 4 || !(speed_ > 0 || compareSawNoMotion)) return true;
  if (f.kind != 3) return true;
  const int64_t passed = numberOf(f);
  while (f.kind == 3) {
    if (!readNext(f)) {
      close(true);
      return false;
    }
  }
  // The decoder goes on with the frame after those passed, no longer as a play from the start.
  if (decoderNext_ == passed) {
    decoderNext_ = numberOf(f);
    pictureHolds_ = decoderNext_ - 1;
    run_.tainted = true;
  }
  return true;
}

void CPlayWnd::feedSound() {
  PictureFrame& f = *frame_;
  if (!sound_ && soundFactory_) {
    const SoundFamily family = soundFamilyForCodecNibble(frame_flags::codecFamily(f.flags));
    sound_ = soundFactory_(family, [this](bool atMostOne) { onSoundBufferDone(atMostOne); });
  }
  // An output that cannot be opened leaves the picture playing silently; the next frame with
  // sound tries again.
  if (sound_) sound_->write(f.audio(), f.audioSize);
}

void CPlayWnd::step() {
  if (!frame_) return;
  PictureFrame& f = *frame_;
  const bool zones = zones_.count > 0;
  // A frame without sound leaves the output playing what is queued: recorders that send sound
  // every other frame would otherwise lose it all, as each output lived for one frame.
  if (soundOn_ && speed_ == 0 && (!zones || motionNow_)) {
    if (f.flags & frame_flags::kAudio) feedSound();
  } else {
    stopSound();
  }
  previousTimeStamp_ = f.timeStamp;
  int32_t delay = 0;
  showPicture(f, delay);

  bool sawMotion = false;
  if (scanMode_) {
    if (parent_) parent_->onPlayerScanFrame(f);
  } else {
    if (zones && !motionSuspended_) {
      sawMotion = motion_.compare(*f.picture(), f.kind, decoder_ && decoder_->planar(), zones_);
    }
    // At 4 x only the even frames of a block are shown.
    const bool hidden = speed_ == 2 && (f.frameInBlock & 1);
    if (parent_) {
      if (zones) parent_->onPlayerMotion(zones_);
      if (frame_ && !hidden) parent_->onPlayerFrame(f);
    }
  }
  if (!frame_) return;  // the parent closed the window

  if (!readNext(f)) {
    close(true);
    return;
  }
  if (!skipKind3(zones && !sawMotion)) return;
  if (intervalValid_) {
    const uint32_t interval = delay != 0 ? uint32_t(delay) : f.timeStamp - previousTimeStamp_;
    frameInterval_ = std::min(interval, kMaxFrameInterval);
  } else {
    frameInterval_ = 0;
    intervalValid_ = true;
  }
  if (zones_.count > 0 && !motionSuspended_) {
    // Playback stops on the first frame of a motion episode only.
    if (pauseOnMotion_ && !motionNow_ && sawMotion) togglePause();
    motionNow_ = sawMotion;
  }
}

void CPlayWnd::onSoundBufferDone(bool atMostOneQueued) {
  if (!atMostOneQueued || !frame_) return;
  PictureFrame& f = *frame_;
  if (!soundOn_ || speed_ != 0) {
    stopSound();
    return;
  }
  // The queue is about to run dry: step at once, first passing frames that bring no sound.
  while (f.audioSize == 0) {
    previousTimeStamp_ = f.timeStamp;
    int32_t delay = 0;
    decodeInSequence(f, false, delay);
    if (frame_flags::codecFamily(f.flags) == 4) {
      frameInterval_ = std::min(uint32_t(delay), kMaxFrameInterval);
    }
    if (!readNext(f)) {
      close(true);
      return;
    }
    if (speed_ > 0 && !skipKind3(false)) return;
    if (!(f.flags & frame_flags::kAudio)) break;
  }
  step();
}

void CPlayWnd::resetPacing() {
  previousTimeStamp_ = frame_->timeStamp;
  dueTime_ = clock_.now();
  intervalValid_ = false;
  frameInterval_ = 0;
  if (!timerId_) startPaceTimer();
}

// After a failed seek the reader's cursor goes back behind the current frame, so playback
// carries on where it was.
void CPlayWnd::restoreCursor() {
  RecordingReader* r = reader();
  if (r) r->readFrame(*scratch_, frame_->block, frame_->frameInBlock);
}

bool CPlayWnd::seek(int block, int n) {
  if (!frame_ || block < 0 || n < 0) return false;
  RecordingReader& r = *reader();
  PictureFrame& s = *scratch_;
  // Only the record is read here: the step that shows it finds its picture in the cache or
  // decodes up to it. A frame number past the block's end counts on into the blocks after it.
  bool ok;
  if (uint32_t(n) < r.framesInBlock(block)) {
    ok = r.readFrame(s, block, n);
  } else {
    ok = r.readFrame(s, block, 0);
    for (int i = 0; ok && i < n; ++i) ok = readNext(s);
  }
  if (!ok) {
    restoreCursor();
    return false;
  }
  frame_->copyFrom(s);
  resetPacing();
  return true;
}

bool CPlayWnd::seekToTime(int64_t t) {
  if (!frame_) return false;
  RecordingReader& r = *reader();
  const int blocks = r.blockCount();
  if (blocks <= 0) return false;
  const int mid = blockForTime([&r](int b) { return r.blockTime(b); }, blocks, t);

  PictureFrame& s = *scratch_;
  bool ok = r.readFrame(s, mid, 0);
  const uint32_t framesInBlock = r.framesInBlock(mid);
  for (uint32_t k = 0; ok; ++k) {
    if (r.secondsAt(s.timeStamp) > t || k + 1 >= framesInBlock) break;
    ok = readNext(s);
  }
  if (ok) ok = s.frameInBlock != 0 ? readNext(s) : r.readFrame(s, mid, 0);
  if (!ok) {
    restoreCursor();
    return false;
  }
  frame_->copyFrom(s);
  resetPacing();
  return true;
}

void CPlayWnd::setScanMode(bool on) {
  if (on) {
    scanMode_ = true;
    const std::string path = path_;
    close(false);
    if (openRecording(path)) scanTimer_ = clock_.startTimer(kScanPeriodMs, [this] { step(); });
    return;
  }
  scanMode_ = false;
  // Leaving scan mode ends the 1 ms stepping; otherwise it would run beside the pace timer.
  killScanTimer();
  if (frame_ && !timerId_) {
    dueTime_ = clock_.now();
    startPaceTimer();
  }
}

void CPlayWnd::setMotionParameters(int sensitivity, uint32_t requiredCount, bool pauseOnMotion) {
  motion_.setParameters(sensitivity, requiredCount);
  pauseOnMotion_ = pauseOnMotion;
}

bool CPlayWnd::addMotionZone(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (zones_.count >= MotionZoneBlock::kMaxZones) return false;
  zones_.zones[zones_.count++] = MotionZone{left, top, right, bottom, 0, 0};
  return true;
}

void CPlayWnd::clearMotionZones() {
  zones_ = MotionZoneBlock{};
  motionNow_ = false;
}

void CPlayWnd::toggleMotionSuspend() {
  if (!motionSuspended_ && zones_.count > 0 && isPaused()) {
    for (auto& zone : zones_.zones) zone.active = 0;
    togglePause();
  }
  motionSuspended_ = !motionSuspended_;
}

}  // namespace kd
