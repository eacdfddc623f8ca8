// Header parse of every format; the first input byte picks the file name's extension.
#include "support.h"
#include "recording/recording_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string path = kd::fuzz::writeScratchFile(data + 1, size - 1,
                                                      kd::fuzz::extensionFor(data[0]));
  kd::RecordingInfo info;
  if (info.probe(path)) {
    (void)info.headerLength();
    (void)info.displayWidth();
    (void)info.secondsAt(info.timeBase + 1000);
  }
  return 0;
}
