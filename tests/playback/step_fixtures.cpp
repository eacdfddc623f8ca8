#include "step_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "common/temp_dir.h"
#include "decode/diagnostics.h"
#include "decode/dispatch/picture_transfer.h"
#include "platform/thread_worker_queue.h"
#include "recording/frame_packet.h"

namespace kd::testing {

bool ManualWorkerQueue::runPending() {
  if (!pending_) return false;
  Job job = std::move(pending_);
  pending_ = nullptr;
  std::atomic<bool> stop{false};
  job(stop);
  return true;
}

namespace {

class CountedDecoder : public PlayDecoder {
 public:
  CountedDecoder(std::unique_ptr<PlayDecoder> inner, DecodeCount& count)
      : inner_(std::move(inner)), count_(count) {}
  bool decode(PictureFrame& frame, bool deblock, int32_t& delay) override {
    ++(count_.inWorker ? count_.onWorker : count_.onPlayWindow);
    return inner_->decode(frame, deblock, delay);
  }
  bool planar() const override { return inner_->planar(); }

 private:
  std::unique_ptr<PlayDecoder> inner_;
  DecodeCount& count_;
};

}  // namespace

PlayDecoderFactory countedDecoders(DecodeCount& count) {
  return [&count](const RecordingInfo& info, const FramePacket& first,
                  std::string& reason) -> std::unique_ptr<PlayDecoder> {
    auto inner = choosePlayDecoder(info, first, reason);
    if (!inner) return nullptr;
    return std::make_unique<CountedDecoder>(std::move(inner), count);
  };
}

void PictureSession::onPlayerFrame(PictureFrame& frame) {
  RecordingReader& reader = *frame.reader();
  shown.block = frame.block;
  shown.frame = frame.frameInBlock;
  shown.number = reader.frameNumber(frame.block, frame.frameInBlock);
  const uint16_t layoutFlags = frame.flags & ~frame_flags::kNoPicture;
  shown.rgb = toTopDownRgb(*frame.picture(), pictureLayout(reader.formatVersion, layoutFlags,
                                                           DecodeContext::PlayerWindow));
  PlaySession::onPlayerFrame(frame);
}

StepRun::StepRun(bool withCache, size_t budget) : session(clock, countedDecoders(decodes)) {
  setDiagnosticStream(nullptr);
  if (!withCache) return;
  auto queue = std::make_unique<ManualWorkerQueue>();
  worker = queue.get();
  session.player().useStepCache(std::make_unique<StepCache>(std::move(queue), budget));
}

StepRun::StepRun(Threaded) : session(clock, choosePlayDecoder) {
  setDiagnosticStream(nullptr);
  session.player().useStepCache(std::make_unique<StepCache>(std::make_unique<ThreadWorkerQueue>()));
}

StepRun::~StepRun() {
  setDiagnosticStream(stdout);
}

bool StepRun::stepBack(int block, int frame, uint32_t number) {
  if (!session.navigation().stepBack(block, frame, number)) return false;
  clock.runUntil(clock.now() + 20);
  return true;
}

void StepRun::fill() {
  if (!worker) return;
  decodes.inWorker = true;
  worker->runPending();
  decodes.inWorker = false;
}

void stepBackToTheStart(StepRun& run, const std::string& path, const std::string& decoded,
                        bool servedFromCache) {
  const bool withCache = servedFromCache && run.worker != nullptr;
  ASSERT_TRUE(run.session.open(path, 0)) << run.session.player().lastError();
  RecordingReader& reader = *run.session.player().reader();
  const int width = reader.pictureWidth(), height = reader.pictureHeight();
  const uint32_t total = reader.frameCount();
  const int lastBlock = reader.blockCount() - 1;
  ASSERT_GT(total, 2u);
  ASSERT_TRUE(run.stepBack(lastBlock, int(reader.framesInBlock(lastBlock)) - 1, total - 1));
  for (uint32_t expected = total - 2;; --expected) {
    SCOPED_TRACE("frame " + std::to_string(expected));
    ASSERT_EQ(run.session.shown.number, expected);
    ASSERT_TRUE(run.session.player().isPaused());
    ASSERT_EQ(run.session.shown.rgb, readPpm(ppmPath(decoded, expected), width, height));
    if (expected == 0) break;
    run.fill();
    const int before = run.decodes.onPlayWindow;
    const ShownFrame at = run.session.shown;
    ASSERT_TRUE(run.stepBack(at.block, at.frame, at.number));
    if (withCache) EXPECT_EQ(run.decodes.onPlayWindow, before) << "decoded instead of cached";
  }
  // Nothing before the first frame.
  EXPECT_FALSE(run.session.navigation().stepBack(0, 0, 0));
  EXPECT_FALSE(run.session.stopped());
}

void synth(const std::string& options, const std::string& path) {
  std::string out;
  ASSERT_EQ(runCommand(std::string(KD_KDTOOL) + " synth " + options + " " + path + " 2>&1", &out),
            0)
      << out;
}

std::string decodeToPpm(const std::string& path, const std::string& dir) {
  std::string out;
  EXPECT_EQ(
      runCommand(std::string(KD_KDTOOL) + " decode --out " + dir + " " + path + " 2>&1", &out), 0)
      << out;
  return dir;
}

std::string ppmPath(const std::string& dir, uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "/%06u.ppm", number);
  return dir + name;
}

bool damagePayload(const std::string& path, int block, int n) {
  RecordingReader reader;
  RecordingInfo info;
  info.path = path;
  if (!reader.open(info)) return false;
  PictureFrame packet(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  if (!reader.readFrame(packet, block, n) || packet.videoSize < 64) return false;
  reader.close();
  // The payload is found by its bytes: 24 from a quarter in are unique enough in a small file.
  const size_t from = packet.videoSize / 4;
  const std::vector<uint8_t> needle(packet.video() + from, packet.video() + from + 24);
  std::vector<uint8_t> bytes = readFileBytes(path);
  auto at = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end());
  if (at == bytes.end()) return false;
  std::fill(at, at + std::min<long>(64, bytes.end() - at), 0xFF);
  writeFileBytes(path, bytes);
  return true;
}

}  // namespace kd::testing
