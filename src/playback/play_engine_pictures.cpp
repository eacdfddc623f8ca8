// Where the play window's pictures come from: the step cache, or its decoder kept in step with a
// play from the recording's start. A seek only reads the frame record; the step that shows it
// brings the decoder there (or finds the picture cached), so pictures after any jump are those
// the recording shows when played from its start.
#include <cstring>

#include "playback/play_engine.h"
#include "playback/step_cache.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {
// Runs that have not settled by the frame wanted start this many blocks earlier at most.
constexpr int kMaxExtraBlocks = 3;
}  // namespace

void CPlayWnd::useStepCache(std::unique_ptr<StepCache> cache) {
  if (stepCache_) stepCache_->detach();
  stepCache_ = std::move(cache);
}

int64_t CPlayWnd::numberOf(const PictureFrame& f) {
  RecordingReader* r = reader();
  return r ? int64_t(r->frameNumber(f.block, f.frameInBlock)) : 0;
}

bool CPlayWnd::inSequence(PictureFrame& f) {
  const int64_t n = numberOf(f);
  if (decoderNext_ != n) return false;
  if (pictureHolds_ == n - 1) return true;
  // The decoder is in place but the picture was replaced by a cached one: put its own back.
  int32_t delay = 0;
  if (n > 0 && stepCache_ && stepCache_->pictures().lookup(uint32_t(n - 1), *f.picture(), delay)) {
    pictureHolds_ = n - 1;
    return true;
  }
  return false;
}

void CPlayWnd::showPicture(PictureFrame& f, int32_t& delay) {
  const int64_t n = numberOf(f);
  shownBlock_ = f.block;
  PictureCache* pictures = stepCache_ && !scanMode_ ? &stepCache_->pictures() : nullptr;
  if (pictures) {
    stepCache_->onShown(*reader(), f.block, uint32_t(n));
    // Decoding in step costs one decode; anything else would cost a run from a block start.
    const bool exactInStep = inSequence(f) && run_.exact();
    if (!exactInStep && pictures->lookup(uint32_t(n), *f.picture(), delay)) {
      pictureHolds_ = n;
      return;
    }
  }
  decodeInSequence(f, true, delay);
  if (pictures && run_.exact()) {
    if (isPaused())
      pictures->insert(pictures->generation(), uint32_t(n), *f.picture(), delay);
    else
      pictures->insertWhilePlaying(pictures->generation(), uint32_t(n), *f.picture(), delay);
  }
}

void CPlayWnd::decodeInSequence(PictureFrame& f, bool deblock, int32_t& delay) {
  if (!inSequence(f)) resync(f);
  const bool reported = decodePicture(f, deblock, delay);
  run_.decoded(reported);
  if (!deblock && !(f.flags & frame_flags::kNoPicture)) run_.tainted = true;
  pictureHolds_ = numberOf(f);
  decoderNext_ = pictureHolds_ + 1;
}

// Decodes into the scratch packet from a block's first frame up to the frame before f, with a
// fresh decoder that the play window then keeps. Pictures exact on the way go into the cache.
void CPlayWnd::resync(PictureFrame& f) {
  RecordingReader& r = *reader();
  PictureFrame& s = *scratch_;
  const uint32_t target = r.frameNumber(f.block, f.frameInBlock);
  const bool caching = stepCache_ && !scanMode_;
  for (int extra = 0;; ++extra) {
    const int start = runStartBlock(r, f.block, f.frameInBlock, extra);
    DecodeRun run(r, s, decoderFactory_);
    bool ok = run.start(start);
    uint32_t at = r.frameNumber(s.block, s.frameInBlock);
    while (ok && at < target) {
      int32_t delay = 0;
      run.decode(delay);
      if (caching && run.exact()) {
        PictureCache& pictures = stepCache_->pictures();
        pictures.insert(pictures.generation(), at, *s.picture(), delay);
      }
      ok = run.readNext();
      if (ok) at = r.frameNumber(s.block, s.frameInBlock);
    }
    const bool settled = ok && run.exact();
    if (settled || start == 0 || extra >= kMaxExtraBlocks || !ok) {
      std::unique_ptr<PlayDecoder> decoder = run.takeDecoder();
      if (decoder) decoder_ = std::move(decoder);
      run_ = run.exactness();
      if (!ok) run_.tainted = true;
      break;
    }
  }
  std::memcpy(f.picture()->pixels(), s.picture()->pixels(), f.picture()->byteSize());
  pictureHolds_ = int64_t(target) - 1;
  decoderNext_ = target;
  // The reader goes on after f, as it did before the run.
  r.readFrame(s, f.block, f.frameInBlock);
}

void CPlayWnd::pausedOn(int block) {
  if (stepCache_ && !scanMode_) stepCache_->fillAround(block);
}

}  // namespace kd
