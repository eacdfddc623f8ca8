#include "playback/verification_verdict.h"

#include "playback/file_verification.h"
#include "recording/recording_reader.h"

namespace kd {

VerificationVerdict judgeVerification(const VerificationResult& result,
                                      const RecordingReader& reader) {
  VerificationVerdict verdict;
  if (result.faults.empty()) {
    verdict.kind = result.stopped ? VerificationVerdict::kNothing : VerificationVerdict::kPassed;
    return verdict;
  }
  const VerificationFault& last = result.faults.back();
  verdict.kind = VerificationVerdict::kFaulty;
  verdict.block = last.block;
  verdict.frame = last.frame;
  if (last.hasTime)
    verdict.time = last.time;
  else if (last.block >= 0 && last.block < reader.blockCount())
    verdict.time = reader.blockTime(last.block);
  return verdict;
}

}  // namespace kd
