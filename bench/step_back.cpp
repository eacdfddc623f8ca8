// Stepping back one frame in a paused 704 × 576 family 4 (AVC, deblocking on) recording of 25
// frames a block, on the virtual clock: the time from the step back to its picture being shown,
//  - inside the step cache (filled by its worker around the pause),
//  - at a cache miss (no cache: the play window decodes from a block's first frame, with the
//    block before as warm-up for the first frames of a block), and
//  - as the play window did before the cache: decode from the block's first frame (deblocking
//    off) up to the frame wanted,
// the last two side by side over the same frames (every frame of blocks 2 and 3, stepped back
// from the end of block 3), taking turns over several rounds; and the memory the cache holds.
// Usage: bench_step_back [ROUNDS]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "decode/diagnostics.h"
#include "decode/dispatch/recording_decoder.h"
#include "platform/worker_queue.h"
#include "playback/play_session.h"
#include "playback/step_cache.h"
#include "playback/virtual_clock.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/generator.h"

using namespace kd;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBlocks = 10, kFramesPerBlock = 25, kFirstBlock = 2, kLastBlock = 3;

// The worker's jobs run when the benchmark says, before the timing.
class InlineQueue : public WorkerQueue {
 public:
  void submit(Job job) override { pending_ = std::move(job); }
  void cancel() override { pending_ = nullptr; }
  void run() {
    if (!pending_) return;
    Job job = std::move(pending_);
    pending_ = nullptr;
    std::atomic<bool> stop{false};
    job(stop);
  }

 private:
  Job pending_;
};

struct Shown : PlaySession {
  using PlaySession::PlaySession;
  void onPlayerFrame(PictureFrame& frame) override {
    number = frame.reader()->frameNumber(frame.block, frame.frameInBlock);
    block = frame.block;
    n = frame.frameInBlock;
    PlaySession::onPlayerFrame(frame);
  }
  uint32_t number = 0;
  int block = 0, n = 0;
};

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Steps back over blocks kFirstBlock … kLastBlock; returns milliseconds per step. With a cache
// the worker fills it around the first pause, untimed.
double playerSteps(const std::string& path, bool cache, size_t* held, size_t* count) {
  VirtualClock clock;
  Shown session(clock);
  InlineQueue* queue = nullptr;
  if (cache) {
    auto q = std::make_unique<InlineQueue>();
    queue = q.get();
    session.player().useStepCache(std::make_unique<StepCache>(std::move(q)));
  }
  if (!session.open(path, 0)) return -1;
  RecordingReader& r = *session.player().reader();
  const uint32_t end = r.frameNumber(kLastBlock + 1, 0);
  session.navigation().stepBack(kLastBlock + 1, 0, end);
  clock.runUntil(clock.now() + 20);
  if (queue) queue->run();
  if (held) *held = cache ? session.player().stepCache()->pictures().bytesHeld() : 0;
  if (count) *count = cache ? session.player().stepCache()->pictures().count() : 0;
  int steps = 0;
  const auto start = Clock::now();
  while (session.block >= kFirstBlock) {
    session.navigation().stepBack(session.block, session.n, session.number);
    clock.runUntil(clock.now() + 20);
    ++steps;
  }
  return msSince(start) / steps;
}

// Before the cache: each step back read the block from its first frame, decoding up to the
// frame wanted without deblocking, then decoded that frame with it.
double redecodeSteps(const std::string& path) {
  RecordingInfo info;
  info.path = path;
  RecordingReader r;
  if (!r.open(info)) return -1;
  PictureFrame frame(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  if (!r.readFrame(frame)) return -1;
  RecordingDecoder decoder;
  std::string reason;
  if (!openRecordingDecoder(info, frame.flags, DecodeContext::PlayerWindow, decoder, reason))
    return -1;
  int steps = 0;
  const auto start = Clock::now();
  for (int b = kLastBlock; b >= kFirstBlock; --b) {
    for (int n = int(r.framesInBlock(b)) - 1; n >= 0; --n) {
      int32_t delay = 0;
      r.readFrame(frame, b, 0);
      for (int i = 0; i < n; ++i) {
        decodeFrameRecord(decoder, frame, false, delay);
        r.readFrame(frame);
      }
      decodeFrameRecord(decoder, frame, true, delay);
      ++steps;
    }
  }
  return msSince(start) / steps;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
  setDiagnosticStream(nullptr);
  GeneratorOptions o;
  o.path = (std::filesystem::temp_directory_path() / "kd-bench-step-back.kdz").string();
  o.codec = "avc";         // deblocking on by default
  o.resolutionCode = 137;  // 704 × 576
  o.blocks = kBlocks;
  o.framesPerBlock = kFramesPerBlock;
  std::string error;
  if (!generateRecording(o, error)) {
    std::fprintf(stderr, "generator: %s\n", error.c_str());
    return 1;
  }
  std::vector<double> cached, miss, before;
  size_t held = 0, count = 0;
  for (int i = 0; i < rounds; ++i) {
    cached.push_back(playerSteps(o.path, true, &held, &count));
    miss.push_back(playerSteps(o.path, false, nullptr, nullptr));
    before.push_back(redecodeSteps(o.path));
  }
  std::filesystem::remove(o.path);
  const double c = median(cached), m = median(miss), b = median(before);
  std::printf(
      "step back, 704 x 576 AVC (family 4, deblocking on), %d frames a block, "
      "medians of %d rounds:\n",
      kFramesPerBlock, rounds);
  std::printf("  inside the cache:                 %8.3f ms per step\n", c);
  std::printf("  cache miss (decode to the frame):  %8.3f ms per step\n", m);
  std::printf("  re-decode from the block's start:  %8.3f ms per step (before the cache)\n", b);
  std::printf("  ratio re-decode / inside the cache: %.1f x\n", b / c);
  std::printf("  ratio re-decode / cache miss:       %.2f x\n", b / m);
  std::printf("  cache held after the paused fill:  %.1f MiB in %zu pictures (budget %.0f MiB)\n",
              double(held) / (1 << 20), count, double(PictureCache::kDefaultBudget) / (1 << 20));
  return 0;
}
