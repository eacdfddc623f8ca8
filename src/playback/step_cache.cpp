#include "playback/step_cache.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

#include "playback/decode_run.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

// Owned by the jobs while they run; the reader and packet are touched by the worker only.
struct StepCache::Recording {
  std::string path;
  PlayDecoderFactory decoders;
  int width = 0, height = 0;
  uint64_t generation = 0;
  std::unique_ptr<RecordingReader> reader;
  std::unique_ptr<PictureFrame> packet;
};

namespace {

// Blocks decoded per run when the filling moves outward: one block of warm-up serves two.
constexpr int kChunkBlocks = 2;

class Filler {
 public:
  Filler(RecordingReader& reader, PictureFrame& packet, const PlayDecoderFactory& decoders,
         PictureCache& pictures, uint64_t generation, const std::atomic<bool>& stop)
      : reader_(reader),
        packet_(packet),
        decoders_(decoders),
        pictures_(pictures),
        generation_(generation),
        stop_(stop) {}

  // Fills around `centre`; stops when the budget holds nothing nearer or the job is stopped.
  void run(int centre) {
    const int last = reader_.blockCount() - 1;
    if (last < 0) return;
    centre = std::clamp(centre, 0, last);
    int lo = std::max(0, centre - 1), hi = std::min(last, centre + 1);
    // A refusal around the centre ends neither direction: the other side may be nearer.
    if (!fill(lo, hi) && stop_.load()) return;
    bool back = lo > 0, ahead = hi < last;
    while ((back || ahead) && !stop_.load()) {
      if (back) {
        const int from = std::max(0, lo - kChunkBlocks);
        back = fill(from, lo - 1) && from > 0;
        lo = from;
      }
      if (ahead && !stop_.load()) {
        const int to = std::min(last, hi + kChunkBlocks);
        ahead = fill(hi + 1, to) && to < last;
        hi = to;
      }
    }
  }

 private:
  uint32_t firstOf(int block) const { return reader_.frameNumber(block, 0); }
  uint32_t lastOf(int block) const {
    return reader_.frameNumber(block, 0) + std::max<uint32_t>(reader_.framesInBlock(block), 1) - 1;
  }
  bool blockHeld(int block) const {
    return reader_.framesInBlock(block) == 0 ||
           pictures_.containsAll(firstOf(block), lastOf(block));
  }

  // Decodes blocks [first, last] where not yet held. False when the budget refused a picture,
  // the job was stopped or the recording could not be read. Pictures are decoded in order, so
  // behind the shown frame a refused one may be followed by nearer ones; ahead of it not.
  bool fill(int first, int last) {
    while (first <= last && blockHeld(first)) ++first;
    while (last >= first && blockHeld(last)) --last;
    if (first > last) return true;
    const size_t bytes = packet_.picture()->byteSize();
    // The nearest frame decides: when even it would be refused, nothing of the range is kept.
    const uint32_t position = pictures_.position();
    const uint32_t nearest = firstOf(first) > position ? firstOf(first)
                             : lastOf(last) < position ? lastOf(last)
                                                       : position;
    if (!pictures_.wouldKeep(nearest, bytes)) return false;

    for (int extra = 0; extra < 3; ++extra) {
      DecodeRun run(reader_, packet_, decoders_);
      const int start = runStartBlock(reader_, first, 0, extra);
      if (!run.start(start)) return false;
      const uint32_t end = lastOf(last);
      bool reachedFirst = false, settledInTime = false, refused = false;
      for (;;) {
        if (stop_.load()) return false;
        int32_t delay = 0;
        run.decode(delay);
        const uint32_t number = reader_.frameNumber(packet_.block, packet_.frameInBlock);
        if (!reachedFirst && number >= firstOf(first)) {
          reachedFirst = true;
          settledInTime = run.exact();
        }
        if (run.exact() && !pictures_.insert(generation_, number, *packet_.picture(), delay)) {
          refused = true;
          if (number > pictures_.position()) return false;
        }
        if (number >= end) break;
        if (!run.readNext()) return false;
      }
      if (settledInTime || start == 0) return !refused;
    }
    return true;
  }

  RecordingReader& reader_;
  PictureFrame& packet_;
  const PlayDecoderFactory& decoders_;
  PictureCache& pictures_;
  uint64_t generation_;
  const std::atomic<bool>& stop_;
};

}  // namespace

size_t StepCache::budgetFromEnvironment() {
  const char* text = std::getenv("KD_STEP_CACHE_MIB");
  if (!text || !*text) return PictureCache::kDefaultBudget;
  char* end = nullptr;
  const unsigned long long mib = std::strtoull(text, &end, 10);
  // Beyond 1 TiB is a typing error rather than a wish.
  if (*end != '\0' || text[0] == '-' || mib > (1ull << 20)) return PictureCache::kDefaultBudget;
  return size_t(mib) << 20;
}

StepCache::StepCache(std::unique_ptr<WorkerQueue> worker, size_t budgetBytes)
    : worker_(std::move(worker)), pictures_(budgetBytes) {}

StepCache::~StepCache() {
  if (worker_) worker_->cancel();
}

void StepCache::attach(const std::string& path, PlayDecoderFactory decoders, int width,
                       int height) {
  detach();
  auto recording = std::make_shared<Recording>();
  recording->path = path;
  recording->decoders = std::move(decoders);
  recording->width = width;
  recording->height = height;
  recording->generation = pictures_.generation();
  recording_ = std::move(recording);
}

void StepCache::detach() {
  // No job of the old recording may run on, nor store anything after the reset.
  if (worker_) worker_->cancel();
  recording_.reset();
  pictures_.reset();
}

void StepCache::onShown(const RecordingReader& reader, int block, uint32_t number) {
  const uint32_t keepFirst = reader.frameNumber(std::max(block - 1, 0), 0);
  const uint32_t frames = reader.framesInBlock(block);
  const uint32_t keepLast = reader.frameNumber(block, 0) + (frames > 0 ? frames - 1 : 0);
  pictures_.setPosition(number, keepFirst, keepLast);
}

void StepCache::fillAround(int block) {
  if (!worker_ || !recording_) return;
  std::shared_ptr<Recording> recording = recording_;
  PictureCache* pictures = &pictures_;
  worker_->submit([recording, pictures, block](const std::atomic<bool>& stop) {
    Recording& r = *recording;
    if (!r.reader) {
      auto reader = std::make_unique<RecordingReader>();
      RecordingInfo info;
      info.path = r.path;
      if (!reader->open(info)) return;
      r.packet = std::make_unique<PictureFrame>(reader->sourceKey(), r.width, r.height);
      r.reader = std::move(reader);
    }
    Filler(*r.reader, *r.packet, r.decoders, *pictures, r.generation, stop).run(block);
  });
}

void StepCache::stopFilling() {
  if (worker_) worker_->cancel();
}

}  // namespace kd
