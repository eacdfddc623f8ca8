#pragma once
// What the operator is told at the end of a verification run: nothing (stopped with no fault),
// that the file passed, or that it is faulty with the time of the last faulty frame.
#include <cstdint>

namespace kd {

class RecordingReader;
struct VerificationResult;

struct VerificationVerdict {
  enum Kind { kNothing, kPassed, kFaulty };
  Kind kind = kNothing;
  // The last faulty frame (a later fault replaces an earlier one).
  int block = 0;
  int frame = 0;
  int64_t time = 0;  // seconds since 1970
};

// A frame that cannot be read has no time stamp of its own: its block's time stands for it.
VerificationVerdict judgeVerification(const VerificationResult& result,
                                      const RecordingReader& reader);

}  // namespace kd
