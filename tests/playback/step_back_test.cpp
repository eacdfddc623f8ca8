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
      StepRun run(cache);
      stepBackToTheStart(run, path, decoded);
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
  StepRun run(true);
  stepBackToTheStart(run, path, decoded);
}

}  // namespace
}  // namespace kd::testing
