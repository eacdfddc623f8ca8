#pragma once
// A headless player with the step cache whose worker runs when the test says, the pictures it
// shows as kdtool decode writes them, and a count of the decodes on the play window's thread.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/worker_queue.h"
#include "playback/play_session.h"
#include "playback/step_cache.h"
#include "playback/virtual_clock.h"
#include "recording/recording_reader.h"

namespace kd::testing {

// Jobs wait until runPending() runs them on the calling thread.
class ManualWorkerQueue : public WorkerQueue {
 public:
  void submit(Job job) override { pending_ = std::move(job); }
  void cancel() override { pending_ = nullptr; }
  bool runPending();
  bool hasPending() const { return bool(pending_); }

 private:
  Job pending_;
};

struct DecodeCount {
  int onPlayWindow = 0;
  int onWorker = 0;
  bool inWorker = false;
};
// The product's decoders, counted.
PlayDecoderFactory countedDecoders(DecodeCount& count);

struct ShownFrame {
  int block = -1;
  int frame = -1;
  uint32_t number = 0;
  std::vector<uint8_t> rgb;  // top-down RGB, as kdtool decode writes it
};

class PictureSession : public PlaySession {
 public:
  using PlaySession::PlaySession;
  void onPlayerFrame(PictureFrame& frame) override;
  ShownFrame shown;
};

struct StepRun {
  // Without the cache every step decodes; `budget` bounds the cache.
  explicit StepRun(bool withCache, size_t budget = PictureCache::kDefaultBudget);
  // With the cache filled on a thread of its own, as the player does.
  struct Threaded {};
  explicit StepRun(Threaded);
  ~StepRun();  // the decoders' diagnostics, silenced meanwhile, go back to standard output
  // The document's step back from the shown frame (block, frame, number), run to its pause.
  bool stepBack(int block, int frame, uint32_t number);
  // Lets the worker fill the cache around the pause.
  void fill();
  PictureCache& pictures() { return session.player().stepCache()->pictures(); }

  VirtualClock clock;
  DecodeCount decodes;
  PictureSession session;
  ManualWorkerQueue* worker = nullptr;
};

// Opens `path` and steps back from its second-to-last frame (showing the last one would end
// playback) to the first, comparing each shown picture with kdtool decode's in `decoded`; with
// `servedFromCache`, the steps after the first decode nothing on the play window's thread.
void stepBackToTheStart(StepRun& run, const std::string& path, const std::string& decoded,
                        bool servedFromCache = true);

// kdtool synth OPTIONS PATH; fails the test on an error.
void synth(const std::string& options, const std::string& path);
// kdtool decode into `dir`; returns it.
std::string decodeToPpm(const std::string& path, const std::string& dir);
std::string ppmPath(const std::string& dir, uint32_t number);
// Overwrites the middle of frame (block, n)'s video payload in the file with 0xFF bytes.
bool damagePayload(const std::string& path, int block, int n);

}  // namespace kd::testing
