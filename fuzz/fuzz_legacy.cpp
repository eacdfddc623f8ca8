// The video decoder of legacy DCT decoder (old format versions) on raw payloads.
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kd::fuzz::fuzzVideoDecoder(-1, data, size);
  return 0;
}
