// The verification pass over long and damaged recordings, the verdict the player shows for it,
// and the document's clip marks.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/clip_marks.h"
#include "playback/file_verification.h"
#include "playback/verification_verdict.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using namespace kd;
using kd::testing::PlainFrame;
using kd::testing::TempDir;

namespace {

// `blocks` blocks of `frames` picture-less frames 40 ms apart.
std::vector<std::vector<PlainFrame>> plainBlocks(int blocks, int frames) {
  std::vector<std::vector<PlainFrame>> out(static_cast<size_t>(blocks));
  uint32_t stamp = 100000;
  for (auto& block : out)
    for (int i = 0; i < frames; ++i, stamp += 40)
      block.push_back(PlainFrame{0, frame_flags::kNoPicture, stamp, 0});
  return out;
}

struct Verified {
  RecordingInfo info;
  RecordingReader reader;
  VerificationResult result;
};

void verify(const std::string& path, Verified& v, const std::atomic<bool>* cancel = nullptr) {
  ASSERT_TRUE(v.info.probe(path));
  ASSERT_TRUE(v.reader.open(v.info));
  std::string error;
  ASSERT_TRUE(verifyRecording(v.reader, v.result, error, {}, cancel)) << error;
}

}  // namespace

TEST(VerificationVerdict, MoreThan65535FramesPassAndAStopTellsNothing) {
  TempDir dir;
  const std::string path = dir.file("long.kdz");
  kd::testing::writeRecording(path, plainBlocks(70, 1000));
  Verified v;
  verify(path, v);
  EXPECT_EQ(v.result.framesIndexed, 70000u);
  EXPECT_EQ(v.result.framesRead, 70000u);
  EXPECT_EQ(judgeVerification(v.result, v.reader).kind, VerificationVerdict::kPassed);

  std::atomic<bool> stop{true};
  Verified stopped;
  verify(path, stopped, &stop);
  EXPECT_TRUE(stopped.result.stopped);
  EXPECT_EQ(judgeVerification(stopped.result, stopped.reader).kind, VerificationVerdict::kNothing);
}

TEST(VerificationVerdict, TheLastFaultGivesTheTimeEvenWhenStopped) {
  TempDir dir;
  auto blocks = plainBlocks(3, 10);
  blocks[0][4].stamp = 99000;  // backwards: frame 0:4
  blocks[1][2].stamp = 99500;  // and 1:2, the later fault that is shown
  const std::string path = dir.file("back.kdz");
  kd::testing::writeRecording(path, blocks);
  Verified v;
  verify(path, v);
  ASSERT_EQ(v.result.faults.size(), 2u);
  VerificationVerdict verdict = judgeVerification(v.result, v.reader);
  EXPECT_EQ(verdict.kind, VerificationVerdict::kFaulty);
  EXPECT_EQ(verdict.block, 1);
  EXPECT_EQ(verdict.frame, 2);
  EXPECT_EQ(verdict.time, v.reader.secondsAt(99500));

  // Stopped after a fault was recorded: the fault is still told.
  v.result.stopped = true;
  EXPECT_EQ(judgeVerification(v.result, v.reader).kind, VerificationVerdict::kFaulty);

  // An unreadable frame has no stamp of its own: its block's time stands for it.
  VerificationResult cut;
  VerificationFault unreadable;
  unreadable.block = 2;
  unreadable.reason = "unreadable";
  cut.faults.push_back(unreadable);
  verdict = judgeVerification(cut, v.reader);
  EXPECT_EQ(verdict.kind, VerificationVerdict::kFaulty);
  EXPECT_EQ(verdict.time, v.reader.blockTime(2));
}

TEST(ClipMarks, EndBeforeStartSwapsAndTheSameFrameClears) {
  ClipMarks marks;
  EXPECT_FALSE(marks.markEnd({1, 1}, 11)) << "no end without a start";
  EXPECT_FALSE(marks.startSet());

  marks.markStart({3, 7}, 37);
  EXPECT_EQ(marks.selectionFrom(), 37u);
  EXPECT_EQ(marks.selectionTo(), 38u);
  EXPECT_TRUE(marks.markEnd({1, 2}, 12));
  EXPECT_TRUE(marks.complete());
  EXPECT_EQ(marks.start(), (FrameAddress{1, 2}));
  EXPECT_EQ(marks.end(), (FrameAddress{3, 7}));
  EXPECT_EQ(marks.selectionFrom(), 12u);
  EXPECT_EQ(marks.selectionTo(), 37u);

  // In one block the frames are ordered too.
  marks.markStart({3, 5}, 35);
  EXPECT_FALSE(marks.endSet()) << "a new start drops the end";
  EXPECT_TRUE(marks.markEnd({3, 2}, 32));
  EXPECT_EQ(marks.start(), (FrameAddress{3, 2}));
  EXPECT_EQ(marks.end(), (FrameAddress{3, 5}));

  marks.markStart({2, 4}, 24);
  EXPECT_FALSE(marks.markEnd({2, 4}, 24));
  EXPECT_FALSE(marks.startSet());
  EXPECT_FALSE(marks.endSet());
}
