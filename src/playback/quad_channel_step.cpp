// The four-channel play window's worker: the wake-ups, the channel steps, the hold check,
// synchronisation and the "XH x" block hops.
#include <algorithm>

#include "decode/dispatch/picture_transfer.h"
#include "playback/colour_set.h"
#include "playback/picture_delivery.h"
#include "playback/quad_caption.h"
#include "playback/quad_play_wnd.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

enum SyncResult { kEnded = 0, kInStep = 1, kRepositioned = 2, kWaits = 3 };

int64_t timeOf(PictureFrame& f) {
  return f.reader()->secondsAt(f.timeStamp);
}

}  // namespace

void CQuadPlayWnd::setKick() {
  events_.set(QuadEvents::Kick);
  if (threading_ != Threading::Stepping) return;
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  clock_.post([this, alive] {
    if (alive->load()) runWake();
  });
}

void CQuadPlayWnd::onTick() {
  // The worker takes its time from here: the clock itself belongs to this thread.
  lastTick_ = clock_.now();
  events_.set(QuadEvents::Tick);
  if (threading_ == Threading::Stepping) runWake();
}

void CQuadPlayWnd::workerLoop() {
  for (;;) {
    const QuadEvents::Event woke =
        events_.waitAny({QuadEvents::Stop, QuadEvents::Kick, QuadEvents::Tick});
    if (woke == QuadEvents::Stop) break;
    events_.reset(QuadEvents::Tick);
    events_.reset(QuadEvents::Kick);
    pass(lastTick_, woke == QuadEvents::Kick, woke == QuadEvents::Tick);
  }
  workerEnded_ = true;
}

// Stepping mode: one wake-up of the worker on the clock's thread.
void CQuadPlayWnd::runWake() {
  const int woke = events_.firstSet({QuadEvents::Stop, QuadEvents::Kick, QuadEvents::Tick});
  if (woke < 0 || woke == QuadEvents::Stop) return;
  events_.reset(QuadEvents::Tick);
  events_.reset(QuadEvents::Kick);
  pass(clock_.now(), woke == QuadEvents::Kick, woke == QuadEvents::Tick);
}

// Blocks while paused; false on stop (or, in stepping mode, while paused: the pass ends there).
bool CQuadPlayWnd::waitRun() {
  if (threading_ == Threading::Stepping) {
    return events_.firstSet({QuadEvents::Stop, QuadEvents::Run}) == QuadEvents::Run;
  }
  return events_.waitAny({QuadEvents::Stop, QuadEvents::Run}) == QuadEvents::Run;
}

bool CQuadPlayWnd::pass(uint32_t now, bool kicked, bool tickWake) {
  if (tickWake && speed_ > 3 && !stepFlag_) {
    if (!waitRun()) return false;
    if (++hopCounter_ < kHopTicks) return true;
    hopCounter_ = 0;
    if (blockHop(now)) return true;
  }
  // Commands may have moved any channel since the last pass.
  for (int i = 0; i < kChannels; ++i) {
    std::lock_guard<std::mutex> hold(channels_[i].lock);
    noteStanding(i, channels_[i]);
  }
  for (int i = 0; i < kChannels; ++i) {
    if (!waitRun()) return false;
    stepChannel(i, now, kicked);
  }
  // A single step pauses once every channel has stepped.
  if (stepFlag_) events_.reset(QuadEvents::Run);
  return true;
}

uint32_t CQuadPlayWnd::scaled(uint32_t interval) const {
  const int s = speed_;
  if (s > 0) return interval / uint32_t(2 * s);
  if (s < 0) return interval * uint32_t(-2 * s);
  return interval;
}

QuadPosition CQuadPlayWnd::positionOf(QuadChannel&, const PictureFrame& f) {
  QuadPosition p;
  RecordingReader& r = *const_cast<PictureFrame&>(f).reader();
  p.block = f.block;
  p.frame = f.frameInBlock;
  p.number = r.frameNumber(f.block, f.frameInBlock);
  p.time = r.secondsAt(f.timeStamp);
  p.timeStamp = f.timeStamp;
  p.flags = f.flags;
  p.blockCount = r.blockCount();
  p.frameCount = r.frameCount();
  return p;
}

void CQuadPlayWnd::endChannel(int index, QuadChannel& c) {
  c.active = false;
  c.running = false;
  post(Note{index, c.generation, PN_STOPPED, QuadPosition{}});
}

bool CQuadPlayWnd::startChannel(QuadChannel& c, int index) {
  auto reader = std::make_unique<RecordingReader>();
  RecordingInfo info = *c.recording;
  // A four-camera recording delivers the frames of the channel's own camera.
  const int camera = info.formatVersion == 8 ? index : -1;
  if (!reader->open(info, RecordingReader::kReadMode, camera)) return false;
  auto frame = std::make_unique<PictureFrame>(reader->sourceKey(), c.width, c.height);
  frame->attachReader(std::move(reader));
  if (!frame->reader()->readFrame(*frame)) return false;
  std::string reason;
  if (!openRecordingDecoder(*frame->reader(), frame->flags, DecodeContext::QuadPlayback, c.decoder,
                            reason)) {
    return false;
  }
  c.frame = std::move(frame);
  post(Note{index, c.generation, PN_CHANNEL_READY, positionOf(c, *c.frame)});
  return true;
}

// Called with the channel's lock held.
void CQuadPlayWnd::noteStanding(int index, QuadChannel& c) {
  Standing& s = standings_[index];
  s.running = c.running && c.frame;
  s.sound = c.sound != nullptr;
  s.time = c.frame ? timeOf(*c.frame) : 0;
}

// A channel joins the common clock only once the running ones have reached its time.
bool CQuadPlayWnd::holdCheck(int index, QuadChannel& c) {
  const int64_t mine = timeOf(*c.frame);
  bool any = false;
  int64_t latest = 0;
  for (int j = 0; j < kChannels; ++j) {
    const Standing& o = standings_[j];
    if (j == index || !o.running) continue;
    latest = any ? std::max(latest, o.time) : o.time;
    any = true;
  }
  return !(any && latest < mine);
}

// The sound channel's time, else the latest among the running channels (this one included).
bool CQuadPlayWnd::referenceTime(int index, QuadChannel& c, int64_t& reference) {
  noteStanding(index, c);
  bool any = false;
  int64_t latest = 0;
  for (const Standing& o : standings_) {
    if (!o.running) continue;
    if (o.sound) {
      reference = o.time;
      return true;
    }
    latest = any ? std::max(latest, o.time) : o.time;
    any = true;
  }
  reference = latest;
  return any;
}

bool CQuadPlayWnd::readPastKind3(QuadChannel& c) {
  PictureFrame& f = *c.frame;
  while (frame_flags::codecFamily(f.flags) == 4 && f.kind == 3) {
    if (!f.reader()->readFrame(f)) return false;
  }
  return true;
}

// Decodes forward from the current frame while it is earlier than `reference`.
bool CQuadPlayWnd::decodeUntil(QuadChannel& c, int64_t reference) {
  PictureFrame& f = *c.frame;
  while (timeOf(f) < reference) {
    int32_t delay = 0;
    decodeFrameRecord(c.decoder, f, false, delay);
    if (!f.reader()->readFrame(f) || !readPastKind3(c)) return false;
  }
  return true;
}

int CQuadPlayWnd::synchronise(int index, QuadChannel& c) {
  const int s = speed_;
  const int64_t tolerance = (s >= 1 && s <= 3) ? s : 1;
  int64_t reference = 0;
  if (c.pendingTime != 0) {
    reference = c.pendingTime;
    c.pendingTime = 0;
  } else if (!referenceTime(index, c, reference)) {
    return kInStep;
  }
  PictureFrame& f = *c.frame;
  RecordingReader& r = *f.reader();
  const int64_t now = timeOf(f);
  const int current = f.block;
  if (now < reference) {
    if (reference - now <= tolerance) return kInStep;
    int b = current + 1;
    while (b < r.blockCount() && r.blockTime(b) < reference) ++b;
    // The block holding the reference; past the last block's start that is the last block,
    // which may still reach the reference (the end of the recording ends the channel below).
    const int from = b < r.blockCount() ? b - 1 : r.blockCount() - 1;
    // Reading the current frame again puts the cursor back behind it.
    const bool read =
        from > current ? r.readFrame(f, from, 0) : r.readFrame(f, f.block, f.frameInBlock);
    if (!read || !decodeUntil(c, reference)) return kEnded;
    return kRepositioned;
  }
  if (now - reference <= tolerance) return kInStep;
  int b = current;
  while (b >= 0 && r.blockTime(b) > reference) --b;
  if (b < 0) {
    // The reference lies before this recording: wait at its start until the others get there,
    // instead of ending a channel that still has everything to show.
    if (!r.readFrame(f, 0, 0)) return kEnded;
    c.running = false;
    if (c.pane) c.pane->setPresenter(nullptr);
    return kWaits;
  }
  if (!r.readFrame(f, b, 0) || !decodeUntil(c, reference)) return kEnded;
  return kRepositioned;
}

bool CQuadPlayWnd::decodeShown(QuadChannel& c) {
  PictureFrame& f = *c.frame;
  int32_t delay = 0;
  decodeFrameRecord(c.decoder, f, true, delay);
  if (speed_ != 3) return true;
  // "H x": the picture shown is six frames further on.
  for (int k = 0; k < 5; ++k) {
    if (!f.reader()->readFrame(f) || !readPastKind3(c)) return false;
    decodeFrameRecord(c.decoder, f, true, delay);
  }
  return true;
}

void CQuadPlayWnd::show(int index, QuadChannel& c) {
  PictureFrame& f = *c.frame;
  RecordingReader& r = *f.reader();
  const bool noPicture = (f.flags & frame_flags::kNoPicture) != 0;
  const uint32_t paneFlags = c.pane ? c.pane->paneFlags() : 0;
  if (c.presenter && !noPicture) {
    deliverPicture(*f.picture(),
                   pictureLayout(r.formatVersion, f.flags, DecodeContext::QuadPlayback),
                   *c.presenter, nullptr, ColourSet{});
  }
  if (c.caption) {
    updateQuadCaption(*c.caption, noPicture, c.sound != nullptr, timeOf(f), paneFlags,
                      c.pane ? c.pane->captionColour() : CaptionInfo::kDefaultColour);
  }
  if (c.presenter && c.pane) c.presenter->present(c.pane->presentTarget(), c.caption.get());
  c.position = positionOf(c, f);
  c.hasPosition = true;
  post(Note{index, c.generation, PN_FRAME, c.position});
}

void CQuadPlayWnd::stepChannel(int index, uint32_t now, bool kicked) {
  QuadChannel& c = channels_[index];
  std::lock_guard<std::mutex> hold(c.lock);
  stepChannelLocked(index, c, now, kicked);
  noteStanding(index, c);
}

void CQuadPlayWnd::stepChannelLocked(int index, QuadChannel& c, uint32_t now, bool kicked) {
  if (!c.active) return;
  if (!c.frame && !startChannel(c, index)) return endChannel(index, c);
  if (!c.running) {
    if (!holdCheck(index, c)) return;
    c.running = true;
    if (c.pane) c.pane->setPresenter(c.presenter.get());
  }
  if (kicked && !c.sound) return;
  const int result = synchronise(index, c);
  if (result == kEnded) return endChannel(index, c);
  if (result == kWaits) return;
  if (result == kInStep && !stepFlag_ && !kicked && now - c.dueBase < c.interval) return;

  PictureFrame& f = *c.frame;
  if (c.sound && (f.flags & frame_flags::kAudio) && speed_ == 0 && !stepFlag_) {
    c.sound->write(f.audio(), f.audioSize);
    if (c.sound->queuedBuffers() > 1) {
      events_.reset(QuadEvents::Kick);
    } else {
      setKick();
    }
  }
  if (!decodeShown(c)) return endChannel(index, c);
  show(index, c);
  const uint32_t shownStamp = f.timeStamp;
  if (!f.reader()->readFrame(f)) return endChannel(index, c);
  const uint32_t interval = std::min(f.timeStamp - shownStamp, kMaxFrameInterval);
  c.interval = stepFlag_ ? interval : scaled(interval);
  c.dueBase = now;
}

// "XH x": the master channel (the sound pane's, else the first running one) moves to its next
// block; the others catch up through their reference time.
bool CQuadPlayWnd::blockHop(uint32_t now) {
  int master = -1;
  for (int pickSoundPane = 1; pickSoundPane >= 0 && master < 0; --pickSoundPane) {
    for (int i = 0; i < kChannels && master < 0; ++i) {
      QuadChannel& c = channels_[i];
      std::lock_guard<std::mutex> hold(c.lock);
      const bool soundPane = c.pane && (c.pane->paneFlags() & QuadPane::kSoundPane);
      if (c.active && c.running && (!pickSoundPane || soundPane)) master = i;
    }
  }
  if (master < 0) return false;
  {
    QuadChannel& c = channels_[master];
    std::lock_guard<std::mutex> hold(c.lock);
    if (!c.frame) return false;
    RecordingReader& r = *c.frame->reader();
    const int next = c.frame->block + 1;
    PictureFrame first(c.frame->sourceKey(), c.width, c.height);
    if (next >= r.blockCount() || !r.readFrame(first, next, 0)) {
      endChannel(master, c);
      return false;
    }
    c.pendingTime = r.secondsAt(first.timeStamp);
    // Back behind the current frame, in case the channel turns out to be in step already.
    r.readFrame(first, c.frame->block, c.frame->frameInBlock);
  }
  stepFlag_ = true;
  stepChannel(master, now, false);
  for (int i = 0; i < kChannels; ++i) {
    if (i != master) stepChannel(i, now, false);
  }
  stepFlag_ = false;
  return true;
}

}  // namespace kd
