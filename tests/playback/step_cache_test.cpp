// The step cache's bound (never more than its budget, the farthest pictures go first, the shown
// block and the one before stay) and its freshness (nothing of another recording, of a file
// since rewritten, or of work begun before a reopen is ever shown).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/temp_dir.h"
#include "recording/decoded_picture.h"
#include "step_fixtures.h"

namespace kd::testing {
namespace {

constexpr int kSide = 16;
constexpr size_t kPictureBytes = kSide * kSide * 3;

DecodedPicture& pictureOf(uint32_t number) {
  static DecodedPicture picture(kSide, kSide);
  std::memset(picture.pixels(), int(number & 0xFF), picture.byteSize());
  return picture;
}

uint32_t distanceTo(uint32_t a, uint32_t b) {
  return a > b ? a - b : b - a;
}

TEST(PictureCache, HoldsAtMostItsBudgetAndEvictsTheFarthestButNeverTheKeptRange) {
  PictureCache cache(10 * kPictureBytes);
  const uint64_t generation = cache.generation();
  cache.setPosition(50, 47, 53);  // seven kept whatever their distance
  std::vector<uint32_t> order;
  for (uint32_t n = 30; n <= 70; ++n) order.push_back(n);
  // Far ones first and near ones last, then the other way round: the outcome is the same.
  std::rotate(order.begin(), order.begin() + 25, order.end());
  for (uint32_t n : order) {
    cache.insert(generation, n, pictureOf(n), int32_t(n));
    ASSERT_LE(cache.bytesHeld(), cache.budget()) << n;
  }
  EXPECT_EQ(cache.count(), 10u);
  EXPECT_TRUE(cache.containsAll(47, 53));
  uint32_t farthestHeld = 0, nearestDropped = 1000;
  for (uint32_t n = 30; n <= 70; ++n) {
    const uint32_t d = (n >= 47 && n <= 53) ? 0 : distanceTo(n, 50);
    if (cache.contains(n))
      farthestHeld = std::max(farthestHeld, d);
    else
      nearestDropped = std::min(nearestDropped, d);
  }
  EXPECT_LE(farthestHeld, nearestDropped);

  // What comes back is what went in, with its delay.
  DecodedPicture out(kSide, kSide);
  int32_t delay = 0;
  ASSERT_TRUE(cache.lookup(52, out, delay));
  EXPECT_EQ(delay, 52);
  EXPECT_EQ(out.pixels()[100], 52);
  EXPECT_FALSE(cache.lookup(30, out, delay));

  // Full: a picture farther than all held is refused, a nearer one evicts the farthest.
  EXPECT_FALSE(cache.wouldKeep(90, kPictureBytes));
  EXPECT_FALSE(cache.insert(generation, 90, pictureOf(90), 0));
  uint32_t highest = 0;
  for (uint32_t n = 30; n <= 70; ++n)
    if (cache.contains(n)) highest = n;
  cache.setPosition(40, 38, 44);
  EXPECT_TRUE(cache.insert(generation, 40, pictureOf(40), 0));
  EXPECT_FALSE(cache.contains(highest));  // the farthest from 40 once 47 … 53 are not kept
  EXPECT_TRUE(cache.contains(47));
  EXPECT_EQ(cache.count(), 10u);

  // A lower budget evicts down to it; a new generation refuses work begun before it.
  cache.setBudget(4 * kPictureBytes);
  EXPECT_EQ(cache.count(), 4u);
  EXPECT_TRUE(cache.contains(40));
  const uint64_t next = cache.reset();
  EXPECT_EQ(cache.count(), 0u);
  EXPECT_EQ(cache.bytesHeld(), 0u);
  EXPECT_FALSE(cache.insert(generation, 41, pictureOf(41), 0));
  EXPECT_TRUE(cache.insert(next, 41, pictureOf(41), 0));
  // A picture larger than the whole budget is never held.
  PictureCache tiny(kPictureBytes - 1);
  EXPECT_FALSE(tiny.insert(tiny.generation(), 0, pictureOf(0), 0));
  EXPECT_EQ(tiny.bytesHeld(), 0u);
}

// Playing forward fills only what a step back needs; a paused fill may take the whole budget.
TEST(PictureCache, PlayingForwardHoldsTheKeptRangeAndReusesWhatFallsBehind) {
  PictureCache cache(100 * kPictureBytes);
  const uint64_t generation = cache.generation();
  for (uint32_t n = 0; n < 60; ++n) {
    const uint32_t block = n / 10;
    cache.setPosition(n, block > 0 ? (block - 1) * 10 : 0, block * 10 + 9);
    ASSERT_TRUE(cache.insertWhilePlaying(generation, n, pictureOf(n), 40)) << n;
    EXPECT_LE(cache.bytesHeld(), 21 * kPictureBytes) << n;
  }
  // The block shown and the one before are all there for stepping back.
  EXPECT_TRUE(cache.containsAll(40, 59));
  DecodedPicture out(kSide, kSide);
  int32_t delay = 0;
  ASSERT_TRUE(cache.lookup(45, out, delay));
  EXPECT_EQ(out.pixels()[0], 45);
  // Paused, the rest of the budget fills.
  for (uint32_t n = 0; n < 40; ++n) EXPECT_TRUE(cache.insert(generation, n, pictureOf(n), 40));
  EXPECT_EQ(cache.count(), 60u);
}

TEST(StepCacheBudget, TheEnvironmentSetsItAndNonsenseKeepsTheDefault) {
  const size_t fallback = PictureCache::kDefaultBudget;
  const std::pair<const char*, size_t> cases[] = {
      {"64", size_t(64) << 20}, {"0", 0}, {"", fallback}, {"12x", fallback}, {"-5", fallback}};
  for (const auto& [text, budget] : cases) {
    ::setenv("KD_STEP_CACHE_MIB", text, 1);
    EXPECT_EQ(StepCache::budgetFromEnvironment(), budget) << text;
  }
  ::unsetenv("KD_STEP_CACHE_MIB");
  EXPECT_EQ(StepCache::budgetFromEnvironment(), fallback);
}

TEST(StepCacheBound, PausedTheWorkerFillsToTheBudgetKeepingTheShownBlockAndTheOneBefore) {
  TempDir dir;
  const std::string path = dir.file("eight.kdz");
  synth("--codec avc --format 3 --blocks 8 --frames-per-block 9", path);
  const size_t picture = 352 * 288 * 3;
  StepRun run(true, 20 * picture);
  ASSERT_TRUE(run.session.open(path, 0));
  RecordingReader& reader = *run.session.player().reader();
  // Paused on block 4, frame 2.
  ASSERT_TRUE(run.stepBack(4, 3, reader.frameNumber(4, 3)));
  ASSERT_EQ(run.session.shown.number, reader.frameNumber(4, 2));
  run.fill();
  EXPECT_LE(run.pictures().bytesHeld(), run.pictures().budget());
  EXPECT_EQ(run.pictures().count(), 20u);
  EXPECT_TRUE(run.pictures().containsAll(reader.frameNumber(3, 0), reader.frameNumber(5, 0) - 1));

  // Back to the first frame of block 3: no decoding. The budget ended there, so one more step
  // decodes (block 2 from its start, after block 1 as warm-up).
  int before = run.decodes.onPlayWindow;
  for (int k = 0; k < 11; ++k) {
    const ShownFrame at = run.session.shown;
    ASSERT_TRUE(run.stepBack(at.block, at.frame, at.number));
  }
  EXPECT_EQ(run.session.shown.number, reader.frameNumber(3, 0));
  EXPECT_EQ(run.decodes.onPlayWindow, before);
  ASSERT_TRUE(run.stepBack(3, 0, reader.frameNumber(3, 0)));
  EXPECT_GT(run.decodes.onPlayWindow, before);
  EXPECT_LE(run.pictures().bytesHeld(), run.pictures().budget());

  // Playing on, the play window's own decodes fill it: still within the budget.
  run.session.navigation().togglePause();
  run.clock.runUntil(run.clock.now() + 40 * 30);
  EXPECT_LE(run.pictures().bytesHeld(), run.pictures().budget());
  const uint32_t shown = run.session.shown.number;
  EXPECT_TRUE(run.pictures().contains(shown));
  EXPECT_TRUE(run.pictures().contains(shown - 1));

  // Four pictures beyond the two blocks kept: the nearest on either side are filled.
  StepRun near(true, 22 * picture);
  ASSERT_TRUE(near.session.open(path, 0));
  ASSERT_TRUE(near.stepBack(4, 3, reader.frameNumber(4, 3)));
  near.fill();
  EXPECT_EQ(near.pictures().count(), 22u);
  const uint32_t at = reader.frameNumber(4, 2);
  const uint32_t keptFirst = reader.frameNumber(3, 0), keptLast = reader.frameNumber(5, 0) - 1;
  uint32_t farthestHeld = 0, nearestMissing = ~0u;
  for (uint32_t n = 0; n < reader.frameCount(); ++n) {
    const uint32_t d = n >= keptFirst && n <= keptLast ? 0 : distanceTo(n, at);
    if (near.pictures().contains(n))
      farthestHeld = std::max(farthestHeld, d);
    else
      nearestMissing = std::min(nearestMissing, d);
  }
  EXPECT_LE(farthestHeld, nearestMissing);

  // A budget below one picture: nothing held, every step decodes, and the pictures stay right.
  const std::string decoded = decodeToPpm(path, dir.file("ppm"));
  StepRun tiny(true, picture - 1);
  stepBackToTheStart(tiny, path, decoded, false);
  EXPECT_EQ(tiny.pictures().bytesHeld(), 0u);
}

TEST(StepCacheBound, APauseAsksForAFillButAFastScanHopDoesNot) {
  TempDir dir;
  const std::string path = dir.file("hops.kdz");
  synth("--codec avc --format 3 --blocks 4 --frames-per-block 9", path);
  StepRun hops(true);
  ASSERT_TRUE(hops.session.open(path, 3));  // "H x"
  hops.clock.runUntil(300);
  ASSERT_TRUE(hops.session.player().isPaused());
  EXPECT_FALSE(hops.worker->hasPending());

  StepRun paused(true);
  ASSERT_TRUE(paused.session.open(path, 0));
  paused.clock.runUntil(300);
  paused.session.navigation().togglePause();
  EXPECT_TRUE(paused.worker->hasPending());
  paused.session.navigation().togglePause();  // playing again: the fill is dropped
  EXPECT_FALSE(paused.worker->hasPending());
}

TEST(StepCacheFreshness, AnotherRecordingOrARewrittenFileNeverShowsCachedPictures) {
  TempDir dir;
  const std::string a = dir.file("a.kdz"), b = dir.file("b.kdz");
  synth("--codec avc --format 3 --blocks 3 --frames-per-block 9", a);
  synth("--codec avc --format 3 --blocks 3 --frames-per-block 9 --quant 40", b);
  const std::string decodedA = decodeToPpm(a, dir.file("ppm-a"));
  const std::string decodedB = decodeToPpm(b, dir.file("ppm-b"));

  // The same frame addresses in a second recording of the same size.
  StepRun run(true);
  stepBackToTheStart(run, a, decodedA);
  ASSERT_GT(run.pictures().count(), 20u);
  stepBackToTheStart(run, b, decodedB);

  // The same path, rewritten between two opens.
  synth("--codec avc --format 3 --blocks 3 --frames-per-block 9 --quant 40", a);
  stepBackToTheStart(run, a, decodedB);

  // A fill asked for before the reopen does not run after it.
  ASSERT_TRUE(run.session.open(b, 0));
  run.session.player().togglePause();
  run.session.player().togglePause();  // paused at once: a fill is waiting
  ASSERT_TRUE(run.session.open(a, 0));
  run.fill();
  EXPECT_EQ(run.pictures().count(), 0u);
}

}  // namespace
}  // namespace kd::testing
