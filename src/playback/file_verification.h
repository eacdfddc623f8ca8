#pragma once
// The verification pass: every frame of a recording read and decoded in sequence as fast as it
// goes, with the faulty frames found on the way. The command line and the player's verification
// window both run it; they see progress through a callback and stop it through a flag.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kd {

class RecordingReader;

struct VerificationFault {
  int block = 0;
  int frame = 0;         // within the block
  uint32_t number = 0;   // frame number across the recording
  bool hasTime = false;  // no time for a frame that could not be read
  int64_t time = 0;      // clock time of the frame's time stamp, seconds since 1970
  std::string reason;    // "unreadable", "decode" or "time"
  std::string detail;
};

struct VerificationResult {
  uint32_t framesIndexed = 0;
  uint32_t framesRead = 0;
  uint32_t framesDecoded = 0;  // decode calls that succeeded
  bool stopped = false;        // the cancel flag ended the run
  std::vector<VerificationFault> faults;
  bool intact() const { return faults.empty(); }
};

// Called after each frame read, with the frames read so far and the index's total.
using VerificationProgress = std::function<void(uint32_t framesRead, uint32_t framesIndexed)>;

// Runs the pass over `reader`, freshly opened (its sequential cursor at the first frame). A frame
// is faulty when it cannot be read before the index's total is reached (the run ends there), when
// its decode fails although it carries a picture, or when its time stamp goes backwards. Returns
// false, with `error`, only when the recording's decoder cannot be made.
bool verifyRecording(RecordingReader& reader, VerificationResult& result, std::string& error,
                     const VerificationProgress& progress = {},
                     const std::atomic<bool>* cancel = nullptr);

}  // namespace kd
