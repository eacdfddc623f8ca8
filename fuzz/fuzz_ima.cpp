// The sound decoder (ima) on raw payloads.
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kd::fuzz::fuzzSoundDecoder(1, data, size);
  return 0;
}
