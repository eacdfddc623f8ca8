#include "decode/mpeg4/stream_headers.h"

#include <cstring>

namespace kd::mpeg4 {

const uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

// Default matrices of clause 6.3.3, raster order.
constexpr uint8_t kDefaultIntraMatrix[64] = {
    8,  17, 18, 19, 21, 23, 25, 27, 17, 18, 19, 21, 23, 25, 27, 28, 20, 21, 22, 23, 24, 26,
    28, 30, 21, 22, 23, 24, 26, 28, 30, 32, 22, 23, 24, 26, 28, 30, 32, 35, 23, 24, 26, 28,
    30, 32, 35, 38, 25, 26, 28, 30, 32, 35, 38, 41, 27, 28, 30, 32, 35, 38, 41, 45};
constexpr uint8_t kDefaultInterMatrix[64] = {
    16, 17, 18, 19, 20, 21, 22, 23, 17, 18, 19, 20, 21, 22, 23, 24, 18, 19, 20, 21, 22, 23,
    24, 25, 19, 20, 21, 22, 23, 24, 26, 27, 20, 21, 22, 23, 25, 26, 27, 28, 21, 22, 23, 24,
    26, 27, 28, 30, 22, 23, 24, 26, 27, 28, 30, 31, 23, 24, 25, 27, 28, 30, 31, 33};

// Start code prefix 0x000001 at a byte boundary?
bool atStartCode(const BitReader& br) {
  return (br.position() & 7) == 0 && br.peek(24) == 1;
}

// next_start_code(): one 0 bit and 1 bits to the byte boundary. Encoders vary, so only the
// alignment is enforced.
void alignToStartCode(BitReader& br) {
  if (br.position() & 7)
    br.alignToByte();
  else if (br.peek(8) == 0x7F)
    br.skip(8);
}

// Moves to the next start code prefix at a byte boundary; false at the end of the payload.
bool seekStartCode(BitReader& br) {
  br.alignToByte();
  while (!br.atEnd()) {
    if (br.peek(24) == 1) return true;
    br.skip(8);
  }
  return false;
}

// Skips user_data() and any other start-code section we do not read.
void skipToNextStartCode(BitReader& br) {
  br.skip(32);
  seekStartCode(br);
}

void readMatrix(BitReader& br, uint8_t matrix[64]) {
  int last = 0;
  int i = 0;
  for (; i < 64; ++i) {
    const int v = int(br.read(8));
    if (v == 0) break;
    last = v;
    matrix[kZigzag[i]] = uint8_t(v);
  }
  for (; i < 64; ++i) matrix[kZigzag[i]] = uint8_t(last ? last : 1);
}

void skipComplexityEstimation(BitReader& br) {
  const int method = int(br.read(2));
  if (method == 0 || method == 1) {
    if (!br.readBit()) br.skip(6);  // shape complexity
    if (!br.readBit()) br.skip(4);  // texture set 1
    br.marker();
    if (!br.readBit()) br.skip(4);  // texture set 2
    if (!br.readBit()) br.skip(6);  // motion compensation
    br.marker();
    if (method == 1 && !br.readBit()) br.skip(2);  // version 2
  }
}

bool readVolHeader(BitReader& br, VolHeader& vol, std::string& error) {
  VolHeader v;  // fields not present keep their defaults
  br.skip(1);   // random_accessible_vol
  v.objectType = int(br.read(8));
  if (br.readBit()) {  // is_object_layer_identifier
    v.verid = int(br.read(4));
    br.skip(3);  // priority
  }
  v.aspectRatio = int(br.read(4));
  if (v.aspectRatio == 15) br.skip(16);  // par_width, par_height
  if (br.readBit()) {                    // vol_control_parameters
    v.chromaFormat = int(br.read(2));
    v.lowDelay = br.readBit();
    if (br.readBit()) br.skip(15 + 1 + 15 + 1 + 15 + 1 + 3 + 11 + 1 + 15 + 1);  // vbv_parameters
  }
  v.shape = LayerShape(br.read(2));
  if (v.shape == LayerShape::kGrayscale && v.verid != 1) br.skip(4);
  br.marker();
  v.timeIncrementResolution = int(br.read(16));
  br.marker();
  if (v.timeIncrementResolution == 0) return error = "vop_time_increment_resolution is 0", false;
  v.timeIncrementBits = timeIncrementBits(v.timeIncrementResolution);
  v.fixedVopRate = br.readBit();
  if (v.fixedVopRate) br.skip(v.timeIncrementBits);
  if (v.shape != LayerShape::kBinaryOnly) {
    if (v.shape == LayerShape::kRectangular) {
      br.marker();
      v.width = int(br.read(13));
      br.marker();
      v.height = int(br.read(13));
      br.marker();
    }
    v.interlaced = br.readBit();
    v.obmcDisable = br.readBit();
    v.spriteEnable = int(br.read(v.verid == 1 ? 1 : 2));
    if (v.spriteEnable == 1 || v.spriteEnable == 2) {
      if (v.spriteEnable != 2) br.skip(13 + 1 + 13 + 1 + 13 + 1 + 13 + 1);
      br.skip(6 + 2 + 1);
      if (v.spriteEnable != 2) br.skip(1);
    }
    if (v.verid != 1 && v.shape != LayerShape::kRectangular) br.skip(1);  // sadct_disable
    if (br.readBit()) {                                                   // not_8_bit
      v.quantPrecision = int(br.read(4));
      v.bitsPerPixel = int(br.read(4));
    }
    if (v.shape == LayerShape::kGrayscale) br.skip(3);
    v.mpegQuant = br.readBit();
    if (v.mpegQuant) {
      if (br.readBit()) readMatrix(br, v.intraMatrix);
      if (br.readBit()) readMatrix(br, v.interMatrix);
      if (v.shape == LayerShape::kGrayscale)
        return error = "grayscale shape is not supported", false;
    }
    if (v.verid != 1) v.quarterSample = br.readBit();
    v.complexityEstimation = !br.readBit();
    if (v.complexityEstimation) skipComplexityEstimation(br);
    v.resyncMarkerDisable = br.readBit();
    v.dataPartitioned = br.readBit();
    if (v.dataPartitioned) v.reversibleVlc = br.readBit();
    if (v.verid != 1) {
      v.newPred = br.readBit();
      if (v.newPred) br.skip(3);
      v.reducedResolution = br.readBit();
    }
    v.scalability = br.readBit();
    if (v.scalability) {
      const bool hierarchyType = br.readBit();
      br.skip(4 + 1 + 5 + 5 + 5 + 5 + 1);
      if (v.shape == LayerShape::kBinary && !hierarchyType) br.skip(1 + 1 + 5 + 5 + 5 + 5);
    }
  }
  if (br.overrun()) return error = "video object layer header is truncated", false;
  v.present = true;
  vol = v;
  return true;
}

}  // namespace

VolHeader::VolHeader() {
  std::memcpy(intraMatrix, kDefaultIntraMatrix, 64);
  std::memcpy(interMatrix, kDefaultInterMatrix, 64);
}

int timeIncrementBits(int resolution) {
  int bits = 1;
  while (bits < 16 && (1 << bits) < resolution) ++bits;
  return bits;
}

bool readHeadersToVop(BitReader& br, VolHeader& vol, std::string& error) {
  while (true) {
    if (!atStartCode(br)) {
      alignToStartCode(br);
      if (!atStartCode(br) && !seekStartCode(br)) break;
    }
    const uint32_t code = br.peek(32) & 0xFF;
    if (code == (start_code::kVop & 0xFF)) {
      br.skip(32);
      return true;
    }
    if (code >= 0x20 && code <= 0x2F) {  // video_object_layer_start_code
      br.skip(32);
      if (!readVolHeader(br, vol, error)) return false;
    } else if (code == (start_code::kGroupOfVop & 0xFF)) {
      br.skip(32 + 18 + 1 + 1);  // time_code, closed_gov, broken_link
    } else {
      // Visual object sequence and visual object (their fields are not needed), video object,
      // user data and anything else: on to the next start code.
      skipToNextStartCode(br);
    }
    if (br.overrun()) break;
  }
  error = "no vop_start_code";
  return false;
}

LayerProbe probeLayerSize(const uint8_t* data, size_t size, int& width, int& height) {
  bool hasLayer = false;
  for (size_t i = 0; i + 3 < size && !hasLayer; ++i)
    hasLayer = !data[i] && !data[i + 1] && data[i + 2] == 1 && (data[i + 3] & 0xF0) == 0x20;
  if (!hasLayer) return LayerProbe::kNoLayer;
  BitReader br;
  br.reset(data, size);
  VolHeader vol;
  std::string error;
  readHeadersToVop(br, vol, error);  // a payload of headers only has no VOP: that is fine here
  if (!vol.present || vol.shape != LayerShape::kRectangular || vol.width <= 0 || vol.height <= 0)
    return LayerProbe::kDamaged;
  width = vol.width;
  height = vol.height;
  return LayerProbe::kFound;
}

bool readVopHeader(BitReader& br, const VolHeader& vol, VopHeader& vop, std::string& error) {
  vop = VopHeader{};
  vop.type = VopType(br.read(2));
  while (br.readBit()) {  // modulo_time_base
    if (br.atEnd()) return error = "VOP header is truncated", false;
  }
  br.marker();
  br.skip(vol.timeIncrementBits);
  br.marker();
  vop.coded = br.readBit();
  if (!vop.coded) return error = "VOP is not coded", false;
  if (vol.interlaced) return error = "interlaced VOPs are not supported", false;
  if (vop.type == VopType::kB || vop.type == VopType::kS)
    return error =
               vop.type == VopType::kB ? "B-VOPs are not supported" : "S-VOPs are not supported",
           false;
  if (vol.shape != LayerShape::kRectangular)
    return error = "non-rectangular shape is not supported", false;
  if (vol.newPred) return error = "NEWPRED is not supported", false;
  if (vol.complexityEstimation) return error = "complexity estimation is not supported", false;
  if (vol.quarterSample) return error = "quarter-sample motion is not supported", false;
  if (vol.dataPartitioned) return error = "data partitioning is not supported", false;
  if (vol.scalability) return error = "scalability is not supported", false;
  if (vol.bitsPerPixel != 8) return error = "only 8-bit video is supported", false;
  if (vop.type == VopType::kP) vop.roundingType = int(br.read(1));
  if (vol.reducedResolution && br.readBit())
    return error = "reduced-resolution VOPs are not supported", false;
  vop.intraDcVlcThreshold = int(br.read(3));
  vop.quant = int(br.read(vol.quantPrecision));
  if (vop.quant == 0) return error = "vop_quant is 0", false;
  if (vop.type == VopType::kP) {
    vop.fcode = int(br.read(3));
    if (vop.fcode == 0) return error = "vop_fcode_forward is 0", false;
  }
  if (br.overrun()) return error = "VOP header is truncated", false;
  return true;
}

}  // namespace kd::mpeg4
