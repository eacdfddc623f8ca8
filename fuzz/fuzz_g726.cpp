// The sound decoder (g726) on raw payloads.
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kd::fuzz::fuzzSoundDecoder(0, data, size);
  return 0;
}
