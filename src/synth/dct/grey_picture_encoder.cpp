#include "synth/dct/grey_picture_encoder.h"

#include <algorithm>

#include "decode/dct/macroblock_picture.h"
#include "decode/dct/vlc_tables.h"
#include "synth/dct/bit_writer.h"
#include "synth/dct/block_coder.h"

namespace kd {

using namespace dct;

std::vector<uint8_t> encodeGreyPicture(const uint8_t* grey, int width, int height, int quant,
                                       std::vector<uint8_t>* recon) {
  width = std::clamp(width, 1, 1023);
  height = std::clamp(height, 1, 1023);
  quant = std::clamp(quant, 1, 31);
  BitWriter w;
  w.put(16, 21);
  w.put(0, 2);
  w.put(uint32_t(width), 10);
  w.put(uint32_t(height), 10);
  w.put(uint32_t(quant), 8);
  w.putBit(0);
  w.alignTo16();
  w.put(0, 16);
  if (recon) recon->assign(size_t(width) * size_t(height), 0);
  alignas(16) int16_t mb[kSamplesPerMacroblock] = {};
  MacroblockLevels levels;
  for (int row = 0; row * 16 < height; ++row) {
    for (int col = 0; col * 16 < width; ++col) {
      // Luma from the picture (edges repeated); chroma is not sent.
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
          const int sx = std::min(col * 16 + x, width - 1), sy = std::min(row * 16 + y, height - 1);
          mb[y * 16 + x] = grey[size_t(sy) * size_t(width) + size_t(sx)];
        }
      quantiseMacroblock(mb, true, quant, levels);
      levels.mask &= ~3;
      const VlcCode cbpy = cbpyCode(cbpyIndex(levels.mask, true));
      w.put(cbpy.code, cbpy.length);
      w.put(0, 2);
      writeBlocks(w, levels, true, true);
      if (!recon) continue;
      reconstructMacroblock(levels, mb, true, quant, Transform::RoundingA);
      for (int y = 0; y < 16 && row * 16 + y < height; ++y)
        for (int x = 0; x < 16 && col * 16 + x < width; ++x)
          (*recon)[size_t(row * 16 + y) * size_t(width) + size_t(col * 16 + x)] =
              uint8_t(mb[y * 16 + x]);
    }
  }
  return w.bytes();
}

}  // namespace kd
