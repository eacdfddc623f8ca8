#include "playback/quad_play_wnd.h"

#include <utility>

#include "playback/quad_caption.h"
#include "playback/surface_capture.h"
#include "recording/recording_reader.h"

namespace kd {

CQuadPlayWnd::CQuadPlayWnd(EngineClock& clock, Threading threading, AudioDevices& devices,
                           PresenterFactory presenters)
    : clock_(clock),
      threading_(threading),
      devices_(devices),
      presenters_(std::move(presenters)),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
  for (QuadChannel& c : channels_) {
    c.soundDevices = std::make_unique<LockedAudioDevices>(devices_, c.lock);
  }
}

CQuadPlayWnd::~CQuadPlayWnd() {
  destroy();
}

bool CQuadPlayWnd::fail(const std::string& reason) {
  error_ = reason;
  return false;
}

bool CQuadPlayWnd::create() {
  if (created_) return true;
  created_ = true;
  timer_ = clock_.startTimer(kTickPeriodMs, [this] { onTick(); });
  if (threading_ == Threading::Worker) worker_ = std::thread([this] { workerLoop(); });
  return true;
}

void CQuadPlayWnd::destroy() {
  events_.reset(QuadEvents::Run);
  for (int i = 0; i < kChannels; ++i) closeChannel(i, false);
  if (timer_) clock_.killTimer(timer_);
  timer_ = 0;
  events_.set(QuadEvents::Stop);
  if (worker_.joinable()) worker_.join();
  workerEnded_ = true;
  // Whatever the worker posted and the loop has not handled yet goes nowhere.
  alive_->store(false);
  created_ = false;
}

// ---- Channels ------------------------------------------------------------------------------

bool CQuadPlayWnd::openChannelLocked(QuadChannel& c, int index, const std::string& path,
                                     QuadPane* pane) {
  auto info = std::make_unique<RecordingInfo>();
  if (!info->probe(path)) {
    const std::string why = info->parseError();
    return fail(path + ": " + (why.empty() ? "the recording cannot be opened" : why));
  }
  const bool four = info->formatVersion == 8;
  pane->setCaptions(four ? info->cameraNameOf(index) : info->cameraName,
                    four ? info->cardNameOf(index) : info->cardName, info->hostName);
  c.width = info->pictureWidth();
  c.height = info->pictureHeight();
  if (info->isWide() && info->resolutionCode == 7) c.width = 352, c.height = 240;
  if (info->isWide() && info->resolutionCode == 135) c.width = 352, c.height = 288;
  if (c.width <= 0 || c.height <= 0) return fail(path + ": the recording has no picture size");
  if (presenters_) {
    c.presenter = presenters_();
    if (!c.presenter || c.presenter->create(c.width, c.height, nullptr) != present_result::kOk) {
      return fail(path + ": no picture surface for channel " + std::to_string(index + 1));
    }
  }
  c.caption = std::make_unique<CaptionInfo>(
      makeQuadCaption(*info, index, c.width, c.height, pane->paneFlags()));
  c.recording = std::move(info);
  c.pane = pane;
  c.hasPosition = false;
  c.position = QuadPosition{};
  c.dueBase = c.interval = 0;
  c.pendingTime = 0;
  c.active = true;
  c.running = false;
  ++c.generation;
  return true;
}

void CQuadPlayWnd::releaseChannelLocked(QuadChannel& c) {
  c.sound.reset();
  c.frame.reset();
  c.decoder = RecordingDecoder{};
  c.recording.reset();
  if (c.presenter) c.presenter->release();
  c.presenter.reset();
  c.caption.reset();
  c.hasPosition = false;
  c.pendingTime = 0;
  c.active = false;
  c.running = false;
}

bool CQuadPlayWnd::openChannel(int index, const std::string& path, QuadPane* pane) {
  error_.clear();
  if (!validIndex(index)) return fail("no channel " + std::to_string(index));
  if (!pane) return fail("channel " + std::to_string(index + 1) + " has no pane");
  closeChannel(index, false);
  QuadChannel& c = channels_[index];
  {
    std::lock_guard<std::mutex> hold(c.lock);
    if (!openChannelLocked(c, index, path, pane)) {
      releaseChannelLocked(c);
      c.pane = nullptr;
      return false;
    }
  }
  setRun();
  return true;
}

void CQuadPlayWnd::closeChannel(int index, bool notify) {
  if (!validIndex(index)) return;
  QuadChannel& c = channels_[index];
  QuadPane* window = nullptr;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    releaseChannelLocked(c);
    if (c.pane) c.pane->setPresenter(nullptr);
    window = c.pane;
    c.pane = nullptr;
    ++c.generation;
  }
  if (notify && window) window->onQuadStopped();
}

bool CQuadPlayWnd::hasRecording(int index) {
  if (!validIndex(index)) return false;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  return channels_[index].recording != nullptr;
}

bool CQuadPlayWnd::channelActive(int index) {
  if (!validIndex(index)) return false;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  return channels_[index].active;
}

bool CQuadPlayWnd::channelRunning(int index) {
  if (!validIndex(index)) return false;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  return channels_[index].running;
}

bool CQuadPlayWnd::channelHasSound(int index) {
  if (!validIndex(index)) return false;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  return channels_[index].sound != nullptr;
}

uint32_t CQuadPlayWnd::channelGeneration(int index) {
  if (!validIndex(index)) return 0;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  return channels_[index].generation;
}

bool CQuadPlayWnd::channelFrame(int index, QuadPosition& out) {
  if (!validIndex(index)) return false;
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  if (!c.frame) return false;
  out = positionOf(c, *c.frame);
  return true;
}

void CQuadPlayWnd::setPanePosition(int index, int32_t value) {
  if (!validIndex(index)) return;
  std::lock_guard<std::mutex> hold(channels_[index].lock);
  channels_[index].paneValue = value;
}

std::vector<uint32_t> CQuadPlayWnd::blockStarts(int index) {
  std::vector<uint32_t> starts;
  if (!validIndex(index)) return starts;
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  RecordingReader* r = c.frame ? c.frame->reader() : nullptr;
  for (int b = 0; r && b < r->blockCount(); ++b) starts.push_back(r->framesBefore(b));
  return starts;
}

bool CQuadPlayWnd::snapshot(int index, Snapshot& out) {
  if (!validIndex(index)) return false;
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  if (!c.recording || !c.presenter || !c.hasPosition) return false;
  out.pixels = capturePresenter(*c.presenter, out.width, out.height);
  if (out.pixels.empty()) return false;
  const RecordingInfo& r = *c.recording;
  const bool four = r.formatVersion == 8;
  out.sourceKey = r.sourceKey();
  out.path = r.path;
  out.hostName = r.hostName;
  out.cardName = four ? r.cardNameOf(index) : r.cardName;
  out.cameraName = four ? r.cameraNameOf(index) : r.cameraName;
  return true;
}

// ---- Commands ------------------------------------------------------------------------------

void CQuadPlayWnd::togglePause() {
  if (events_.isSet(QuadEvents::Run)) {
    events_.reset(QuadEvents::Run);
  } else {
    setRun();
  }
}

void CQuadPlayWnd::play() {
  speed_ = 0;
  stepFlag_ = false;
  setRun();
}

void CQuadPlayWnd::setSpeed(int speed) {
  speed_ = speed;
  setRun();
  stepFlag_ = false;
}

void CQuadPlayWnd::stepForward() {
  stepFlag_ = true;
  speed_ = 0;
  setRun();
}

bool CQuadPlayWnd::pauseIfRunning() {
  const bool wasRunning = events_.isSet(QuadEvents::Run);
  if (wasRunning) events_.reset(QuadEvents::Run);
  return wasRunning;
}

void CQuadPlayWnd::undoPause(bool wasRunning) {
  if (wasRunning) setRun();
}

// The frame `back` frames before `f`, crossing into earlier blocks; false before the first.
bool CQuadPlayWnd::addressBefore(RecordingReader& r, const PictureFrame& f, int back, int& block,
                                 int& n) {
  int64_t number = int64_t(r.frameNumber(f.block, f.frameInBlock)) - back;
  if (number < 0) return false;
  block = 0;
  while (block + 1 < r.blockCount() && int64_t(r.framesInBlock(block)) <= number) {
    number -= r.framesInBlock(block);
    ++block;
  }
  n = int(number);
  return true;
}

void CQuadPlayWnd::stepBack() {
  speed_ = 0;
  stepFlag_ = true;
  pauseIfRunning();
  for (int i = 0; i < kChannels; ++i) {
    QuadChannel& c = channels_[i];
    int block = 0, n = 0;
    bool earlier = false;
    {
      std::lock_guard<std::mutex> hold(c.lock);
      if (!c.active || !c.running || !c.frame || !c.frame->reader()) continue;
      // The frame object already holds the frame after the one shown.
      earlier = addressBefore(*c.frame->reader(), *c.frame, 2, block, n);
    }
    if (earlier) {
      seekChannel(i, block, n);
    } else {
      closeChannel(i, true);  // nothing before the first frame
    }
  }
  setRun();
}

bool CQuadPlayWnd::nextBlock(int index) {
  if (!validIndex(index)) return false;
  pauseIfRunning();
  QuadChannel& c = channels_[index];
  int target = -1;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    if (c.active && c.running && c.frame && c.frame->reader() &&
        c.frame->block + 1 < c.frame->reader()->blockCount()) {
      target = c.frame->block + 1;
    }
  }
  const bool moved = target >= 0 && seekChannel(index, target, 0);
  setRun();
  return moved;
}

bool CQuadPlayWnd::previousBlock(int index) {
  if (!validIndex(index)) return false;
  pauseIfRunning();
  QuadChannel& c = channels_[index];
  int target = -1;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    if (c.active && c.running && c.frame) target = c.frame->block > 0 ? c.frame->block - 1 : 0;
  }
  const bool moved = target >= 0 && seekChannel(index, target, 0);
  setRun();
  return moved;
}

bool CQuadPlayWnd::seekChannel(int index, int block, int n) {
  if (!validIndex(index) || block < 0 || n < 0) return false;
  const bool wasRunning = pauseIfRunning();
  QuadChannel& c = channels_[index];
  int64_t meeting = 0;
  {
    std::unique_lock<std::mutex> hold(c.lock);
    RecordingReader* r = c.frame ? c.frame->reader() : nullptr;
    if (!r || block >= r->blockCount() || !r->readFrame(*c.frame, block, 0)) {
      hold.unlock();
      undoPause(wasRunning);
      return false;
    }
    if (uint32_t(n) >= r->framesInBlock(block)) n = 0;
    // The decoder sees every frame from the block's first one, to rebuild inter-coded pictures.
    for (int k = 0; k < n; ++k) {
      int32_t delay = 0;
      decodeFrameRecord(c.decoder, *c.frame, false, delay);
      if (!r->readFrame(*c.frame) || !readPastKind3(c)) {
        hold.unlock();
        undoPause(wasRunning);
        closeChannel(index, true);
        return false;
      }
    }
    meeting = r->secondsAt(c.frame->timeStamp);
    c.pendingTime = meeting;
  }
  for (int i = 0; i < kChannels; ++i) {
    if (i != index) setStartTime(i, meeting);
  }
  undoPause(wasRunning);
  return true;
}

bool CQuadPlayWnd::setStartTime(int index, int64_t t) {
  if (!validIndex(index)) return false;
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  if (!c.recording) return false;
  if (t < c.recording->startTime) t = c.recording->startTime;
  if (t > c.recording->endTime) return false;
  c.pendingTime = t;
  return true;
}

void CQuadPlayWnd::setActive(bool active) {
  windowActive_ = active;
  if (active) return;
  for (QuadChannel& c : channels_) {
    std::lock_guard<std::mutex> hold(c.lock);
    c.sound.reset();
  }
}

// ---- Notifications and sound ---------------------------------------------------------------

void CQuadPlayWnd::post(const Note& note) {
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  clock_.post([this, alive, note] {
    if (alive->load()) deliver(note);
  });
}

void CQuadPlayWnd::deliver(const Note& note) {
  if (workerEnded_) return;
  QuadChannel& c = channels_[note.channel];
  QuadPane* pane = nullptr;
  {
    std::lock_guard<std::mutex> hold(c.lock);
    // Closed or reopened since the worker spoke: the pane is not told about another recording.
    if (c.generation != note.generation) return;
    pane = c.pane;
  }
  switch (note.code) {
    case PN_STOPPED:
      closeChannel(note.channel, true);
      break;
    case PN_FRAME:
      manageSound(note.channel);
      if (pane) pane->onQuadFrame(note.position);
      break;
    case PN_CHANNEL_READY:
      if (pane) pane->onQuadChannelReady(note.position);
      break;
    default:
      break;
  }
}

void CQuadPlayWnd::manageSound(int index) {
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  const bool wanted = c.frame && c.active && c.running && windowActive_ && c.pane &&
                      (c.pane->paneFlags() & QuadPane::kSoundPane) && speed_ == 0 && !stepFlag_ &&
                      events_.isSet(QuadEvents::Run);
  // A frame without sound leaves the output playing what is queued: recorders that send sound
  // every other frame would otherwise lose it all, as each output lived for one frame.
  if (!wanted) {
    if (c.sound) {
      c.sound.reset();
      events_.reset(QuadEvents::Kick);
    }
    return;
  }
  if (c.sound || !(c.frame->flags & frame_flags::kAudio)) return;
  auto out = std::make_unique<CWaveOut>(*c.soundDevices);
  const int nibble = frame_flags::codecFamily(c.frame->flags);
  const SoundFamily family = nibble == 2 ? SoundFamily::ImaAdpcm : SoundFamily::G726;
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  if (!out->open(
          clock_,
          [this, alive, index](int buffer) {
            if (alive->load()) onSoundDone(index, buffer);
          },
          family)) {
    return;
  }
  c.sound = std::move(out);
  events_.reset(QuadEvents::Kick);
}

// Runs with the channel's lock held (the output's devices take it around every report).
void CQuadPlayWnd::onSoundDone(int index, int buffer) {
  QuadChannel& c = channels_[index];
  if (c.sound && c.sound->release(buffer)) setKick();
}

}  // namespace kd
