#pragma once
// Converting one recording into an AVI file: open the recording and fix its plan, create the
// output with its three streams, then the frame loop (sound, picture, caption per frame). The
// output is written beside its final name and renamed only when every frame went in; a
// failure or a stop removes it and leaves any earlier file of that name alone.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "convert/conversion_plan.h"
#include "convert/conversion_streams.h"

namespace kd {

struct AviConversionSettings {
  AviVideoCodec codec = AviVideoCodec::Raw;
  int quality = 75;  // Motion JPEG, 1 … 100
};

// Which step failed; the dialog shows a message for each.
enum class ConversionFailure {
  None,
  CannotOpen,     // the recording cannot be opened or decoded
  CannotCreate,   // the output cannot be created, or it is the recording itself
  FormatRefused,  // the recording gives no stream format (no size, no duration)
  Failed,         // a frame could not be read, decoded into the file or written
  Stopped         // the caller asked to stop
};

class AviConversion {
 public:
  // After each frame: frames done, frame count.
  using Progress = std::function<void(uint32_t done, uint32_t total)>;

  AviConversion();
  ~AviConversion();
  AviConversion(const AviConversion&) = delete;
  AviConversion& operator=(const AviConversion&) = delete;

  // Opens the recording, reads its first frame and makes its decoders.
  bool openRecording(const std::string& input);
  // Creates the output (beside `output`) with its streams. The recording must be open.
  bool createOutput(const std::string& output, const AviConversionSettings& settings);
  // The frame loop; on success the output is in place. `stop` is polled between frames.
  bool run(const Progress& progress = {}, const std::atomic<bool>* stop = nullptr);

  const ConversionPlan& plan() const { return plan_; }
  ConversionFailure failure() const { return failure_; }
  // The file the failure concerns (the recording or the output) and what went wrong there.
  const std::string& failedPath() const { return failedPath_; }
  const std::string& error() const { return error_; }

 private:
  struct Job;
  bool fail(ConversionFailure failure, const std::string& path, const std::string& reason);
  void discardOutput();

  std::unique_ptr<Job> job_;
  ConversionPlan plan_;
  ConversionFailure failure_ = ConversionFailure::None;
  std::string failedPath_;
  std::string error_;
};

// The whole conversion in one call (kdtool, tests).
bool convertToAvi(const std::string& input, const std::string& output,
                  const AviConversionSettings& settings, AviConversion& conversion,
                  const AviConversion::Progress& progress = {},
                  const std::atomic<bool>* stop = nullptr);

}  // namespace kd
