// The video decoder of codec family 2 (-1: the legacy decoder) on raw payloads.
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kd::fuzz::fuzzVideoDecoder(2, data, size);
  return 0;
}
