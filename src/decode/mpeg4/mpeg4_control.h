#pragma once
// The control call through which the system drives an Mpeg4Decoder: memory query,
// initialisation, release, post-processing level and decoding, selected by an option word.
#include <cstddef>
#include <cstdint>

#include "decode/mpeg4/mpeg4_decoder.h"

namespace kd::mpeg4 {

namespace control_option {
constexpr int kQueryMemory = 0x4000;
constexpr int kInitialise = 0x8000;
constexpr int kRelease = 0x10000;
constexpr int kPostProcessing = 0x20000;
constexpr int kDecode = 0;  // any option other than the four above decodes
}  // namespace control_option

namespace control_result {
constexpr int kDone = 0;
constexpr int kFrameFailed = 1;
constexpr int kBadParameter = 2;
}  // namespace control_result

constexpr int kOutputFormatBgr24 = 5;

struct MemoryQuery {  // 0x4000: in width/height, out the six block sizes
  int width = 0;
  int height = 0;
  size_t blockSizes[6] = {};
};

struct InitialiseParameters {  // 0x8000
  int width = 0;
  int height = 0;
  int outputFormat = kOutputFormatBgr24;
  uint8_t* blocks[6] = {};
};

struct DecodeParameters {  // decode
  const uint8_t* payload = nullptr;
  size_t length = 0;
  uint8_t* output = nullptr;
  int outputRowLength = 0;
  // Rows the output holds: the decoder writes no further (a layer larger than the output is cut).
  int outputHeight = 0;
  bool render = true;
};

// `input` / `output` point at the structures above (output: MemoryQuery for 0x4000); for
// 0x20000 `input` points at an int level. Returns a control_result.
int mpeg4Control(Mpeg4Decoder* handle, int option, void* input, void* output);

}  // namespace kd::mpeg4
