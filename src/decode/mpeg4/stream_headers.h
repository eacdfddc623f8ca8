#pragma once
// The headers above the macroblock layer (ISO/IEC 14496-2 clause 6.2): visual object sequence,
// visual object, video object layer, group of VOPs, VOP; user data is skipped where it may appear.
#include <cstdint>
#include <string>

#include "decode/mpeg4/bit_reader.h"

namespace kd::mpeg4 {

namespace start_code {
constexpr uint32_t kVisualObjectSequence = 0x1B0;
constexpr uint32_t kUserData = 0x1B2;
constexpr uint32_t kGroupOfVop = 0x1B3;
constexpr uint32_t kVisualObject = 0x1B5;
constexpr uint32_t kVop = 0x1B6;
}  // namespace start_code

enum class LayerShape { kRectangular = 0, kBinary = 1, kBinaryOnly = 2, kGrayscale = 3 };

struct VolHeader {
  bool present = false;  // false until a layer header was read: creation defaults apply
  int objectType = 1;
  int verid = 1;
  int aspectRatio = 1;
  int chromaFormat = 1;
  bool lowDelay = true;
  LayerShape shape = LayerShape::kRectangular;
  // Assumed when a stream starts without a layer header (common value of these recorders).
  int timeIncrementResolution = 30000;
  int timeIncrementBits = 15;
  bool fixedVopRate = false;
  int width = 0;
  int height = 0;
  bool interlaced = false;
  bool obmcDisable = true;
  int spriteEnable = 0;
  int quantPrecision = 5;
  int bitsPerPixel = 8;
  bool mpegQuant = false;
  uint8_t intraMatrix[64];  // raster order
  uint8_t interMatrix[64];
  bool quarterSample = false;
  bool complexityEstimation = false;
  bool resyncMarkerDisable = false;
  bool dataPartitioned = false;
  bool reversibleVlc = false;
  bool newPred = false;
  bool reducedResolution = false;
  bool scalability = false;

  VolHeader();
};

enum class VopType { kI = 0, kP = 1, kB = 2, kS = 3 };

struct VopHeader {
  VopType type = VopType::kI;
  bool coded = true;
  int roundingType = 0;
  int intraDcVlcThreshold = 0;
  int quant = 1;
  int fcode = 1;
};

// Reads the optional headers in front of the VOP and the VOP start code. `vol` is updated when a
// layer header is present. Returns false (with `error`) when no vop_start_code follows.
bool readHeadersToVop(BitReader& br, VolHeader& vol, std::string& error);

// Parses the VOP header after its start code. False (with `error`) for what this decoder does not
// decode.
bool readVopHeader(BitReader& br, const VolHeader& vol, VopHeader& vop, std::string& error);

// The picture size a payload's video object layer header announces, for callers that hand the
// payload to another decoder and must size its output first.
enum class LayerProbe { kNoLayer, kFound, kDamaged };
LayerProbe probeLayerSize(const uint8_t* data, size_t size, int& width, int& height);

// Number of bits of vop_time_increment for a resolution: ⌈log2 resolution⌉, at least 1.
int timeIncrementBits(int resolution);

// ISO/IEC 14496-2 zigzag order: scan position → raster index.
extern const uint8_t kZigzag[64];

}  // namespace kd::mpeg4
