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
  const char* file;
};

TEST(StepBack, EveryPictureEqualsKdtoolDecodeWithAndWithoutTheCache) {
  const Variant variants[] = {
      {"avc", "--codec avc --format 3 --option deblock=1", "r.kdz"},
      {"avc-b", "--codec avc --format 3 --avc-version 3 --b-pictures", "r.kdz"},
      {"avc-nonref", "--codec avc --format 3 --avc-version 4 --option non-reference=1", "r.kdz"},
      {"dct-mc", "--codec dct-mc --format 7 --resolution 135", "r.ckd"},
      {"mpeg4", "--codec mpeg4 --format 3", "r.kdz"},
      {"legacy", "--codec legacy --format 2", "r.kdq"},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TempDir dir;
    const std::string path = dir.file(v.file);
    synth(v.synth + " --blocks 4 --frames-per-block 9 --no-picture-every 7", path);
    const std::string decoded = decodeToPpm(path, dir.file("ppm"));
    for (bool cache : {true, false}) {
      SCOPED_TRACE(cache ? "cached" : "decoded each step");
      StepRun run(cache);
      stepBackToTheStart(run, path, decoded);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(StepBack, WithTheWorkerOnItsOwnThreadThePicturesStayExact) {
  TempDir dir;
  const std::string path = dir.file("threaded.kdz");
  synth("--codec avc --format 3 --blocks 6 --frames-per-block 9", path);
  const std::string decoded = decodeToPpm(path, dir.file("ppm"));
  // The worker races the steps: some are served from the cache, some decoded; all exact.
  StepRun run(StepRun::Threaded{});
  stepBackToTheStart(run, path, decoded, false);
  EXPECT_GT(run.pictures().count(), 0u);
}

TEST(StepBack, ADamagedFrameShowsWhatPlayingFromTheStartShows) {
  TempDir dir;
  const std::string path = dir.file("damaged.kdz");
  synth("--codec avc --format 3 --blocks 4 --frames-per-block 9", path);
  // Block 1 frame 4 fails to decode: the AVC decoder drops its pictures until the next key.
  ASSERT_TRUE(damagePayload(path, 1, 4));
  const std::string decoded = decodeToPpm(path, dir.file("ppm"));
  StepRun run(true);
  stepBackToTheStart(run, path, decoded);
}

TEST(StepBack, PreviousBlockScrubbingAndStepsForwardComeFromTheCache) {
  TempDir dir;
  const std::string path = dir.file("play.kdz");
  synth("--codec avc --format 3 --blocks 4 --frames-per-block 9", path);
  const std::string decoded = decodeToPpm(path, dir.file("ppm"));
  StepRun run(true);
  ASSERT_TRUE(run.session.open(path, 0));
  RecordingReader& reader = *run.session.player().reader();
  const int width = reader.pictureWidth(), height = reader.pictureHeight();
  auto expectShown = [&](uint32_t number) {
    EXPECT_EQ(run.session.shown.number, number);
    EXPECT_EQ(run.session.shown.rgb, readPpm(ppmPath(decoded, number), width, height)) << number;
  };
  // Playing forward fills the cache: block 2 frame 5 is reached decoding each frame once.
  while (run.session.shown.number < reader.frameNumber(2, 5))
    run.clock.runUntil(run.clock.now() + 10);
  const int played = run.decodes.onPlayWindow;
  EXPECT_EQ(played, int(reader.frameNumber(2, 5)) + 1);

  // "Previous block" while playing, then the slider back into block 2: all from the cache.
  ASSERT_TRUE(run.session.navigation().previousBlock(2));
  run.clock.runUntil(run.clock.now() + 10);
  expectShown(reader.frameNumber(1, 0));
  ASSERT_TRUE(run.session.player().seek(2, 3));
  run.clock.runUntil(run.clock.now() + 10);
  expectShown(reader.frameNumber(2, 3));
  ASSERT_TRUE(run.session.player().seek(0, 7));
  run.clock.runUntil(run.clock.now() + 10);
  expectShown(reader.frameNumber(0, 7));
  EXPECT_EQ(run.decodes.onPlayWindow, played);

  // Paused there, steps forward too. Past what the cache holds the decoder still stands where
  // playing left it, so the two frames after decode in step, one each.
  run.session.navigation().togglePause();
  for (uint32_t n = reader.frameNumber(0, 8); n <= reader.frameNumber(2, 7); ++n) {
    run.session.navigation().stepForward();
    run.clock.runUntil(run.clock.now() + 50);
    ASSERT_TRUE(run.session.player().isPaused());
    expectShown(n);
  }
  EXPECT_EQ(run.decodes.onPlayWindow, played + 2);
}

}  // namespace
}  // namespace kd::testing
