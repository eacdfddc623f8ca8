#pragma once
// A play window's cache of exact pictures around the shown frame, and the background decoding
// that fills it while playback is paused: the shown block and its neighbours first, then
// further out on both sides until the budget holds nothing nearer. The worker has its own reader
// and decoder; the play window fills the cache itself while it plays forward.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/worker_queue.h"
#include "playback/picture_cache.h"
#include "playback/play_decoder.h"

namespace kd {

class RecordingReader;

class StepCache {
 public:
  explicit StepCache(std::unique_ptr<WorkerQueue> worker,
                     size_t budgetBytes = PictureCache::kDefaultBudget);
  // Stops the worker first.
  ~StepCache();
  StepCache(const StepCache&) = delete;
  StepCache& operator=(const StepCache&) = delete;

  // The budget KD_STEP_CACHE_MIB names (mebibytes, 0 keeps nothing), else the default.
  static size_t budgetFromEnvironment();

  PictureCache& pictures() { return pictures_; }
  const PictureCache& pictures() const { return pictures_; }

  // A recording was opened (or reopened): every picture and the worker's reader are dropped.
  void attach(const std::string& path, PlayDecoderFactory decoders, int width, int height);
  // The recording is closed.
  void detach();

  // The frame (block, number) is being shown.
  void onShown(const RecordingReader& reader, int block, uint32_t number);
  // Paused on `block`: decode around it on the worker.
  void fillAround(int block);
  // Playback resumed: the play window decodes, the worker stops.
  void stopFilling();

 private:
  struct Recording;  // what the worker's jobs read, shared with them
  std::unique_ptr<WorkerQueue> worker_;
  PictureCache pictures_;
  std::shared_ptr<Recording> recording_;
};

}  // namespace kd
