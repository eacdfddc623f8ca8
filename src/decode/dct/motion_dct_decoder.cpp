#include "decode/dct/motion_dct_decoder.h"

#include "decode/dct/motion_vectors.h"
#include "decode/dct/vlc_tables.h"

namespace kd {

using namespace dct;

MotionDctDecoder::~MotionDctDecoder() = default;

void MotionDctDecoder::decodeInterMacroblocks(BitReader& r, int quant, Transform t) {
  const int cols = internal_.mbCols, count = internal_.count();
  vx_.assign(size_t(count), 0);
  vy_.assign(size_t(count), 0);
  for (int m = 0; m < count; ++m) {
    const int col = m % cols, row = m / cols;
    const bool vector = r.readBit();
    if (vector) {
      const int dx = readMotionCode(r), dy = readMotionCode(r);
      int px, py;
      predictVector(vx_, vy_, cols, col, row, px, py);
      vx_[size_t(m)] = wrapVector(px + dx);
      vy_[size_t(m)] = wrapVector(py + dy);
    }
    const bool notCoded = r.readBit();
    int16_t* mb = internal_.macroblock(m);
    if (vector) reference_.predict(col, row, vx_[size_t(m)], vy_[size_t(m)], mb);
    if (!notCoded) {
      const int value = readCbpy(r);
      const int cbpy = vector ? 15 - value : value;
      const int cbpc = int(r.read(2));
      decodeMacroblockBlocks(r, mb, codedBlockMask(cbpy, cbpc), !vector, quant, t);
    }
    flags_[size_t(m)] = (vector || !notCoded) ? 1 : 0;
  }
}

}  // namespace kd
