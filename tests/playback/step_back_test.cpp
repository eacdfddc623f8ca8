// Stepping back through generator recordings one frame at a time, from the end to the start:
// every picture shown equals kdtool decode's, from the step cache and without it, and the steps
// the cache serves decode nothing on the play window's thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "step_fixtures.h"

namespace kd::testing {
namespace {

struct Variant {
  const char* name;
  std::string synth;  // kdtool synth options
};

// Steps back from the second-to-last frame (showing the last one would end playback) to the
// first, comparing each shown picture with kdtool decode's.
void stepBackToTheStart(const std::string& path, const std::string& decoded, bool withCache) {
  StepRun run(withCache);
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
    ASSERT_FALSE(run.session.navigation().stepPending() && !run.session.player().isPaused());
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

TEST(StepBack, EveryPictureEqualsKdtoolDecodeWithAndWithoutTheCache) {
  const Variant variants[] = {
      {"avc", "--codec avc --option deblock=1"},
      {"avc-b", "--codec avc --avc-version 3 --b-pictures"},
      {"avc-nonref", "--codec avc --avc-version 4 --option non-reference=1"},
      {"dct-mc", "--codec dct-mc"},
      {"mpeg4", "--codec mpeg4"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TempDir dir;
    const std::string path = dir.file("r.kdz");
    synth(v.synth + " --format 3 --blocks 4 --frames-per-block 9 --no-picture-every 7", path);
    const std::string decoded = decodeToPpm(path, dir.file("ppm"));
    for (bool cache : {true, false}) {
      SCOPED_TRACE(cache ? "cached" : "decoded each step");
      stepBackToTheStart(path, decoded, cache);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(StepBack, ADamagedFrameShowsWhatPlayingFromTheStartShows) {
  TempDir dir;
  const std::string path = dir.file("damaged.kdz");
  synth("--codec avc --format 3 --blocks 4 --frames-per-block 9", path);
  // Block 1 frame 4 fails to decode: the AVC decoder drops its pictures until the next key.
  ASSERT_TRUE(damagePayload(path, 1, 4));
  const std::string decoded = decodeToPpm(path, dir.file("ppm"));
  stepBackToTheStart(path, decoded, true);
}

}  // namespace
}  // namespace kd::testing
