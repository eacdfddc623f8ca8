// Motion-compensated prediction: the vector path against the plain rules, vectors far outside
// the picture, and the chroma vector rounding.
#include "decode/mpeg4/motion_compensation.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/mpeg4/picture_planes.h"

namespace kd::mpeg4 {

TEST(Mpeg4MotionCompensation, VectorPathMatchesThePlainRules) {
  PicturePlanes reference;
  reference.allocate(64, 48);
  std::mt19937 rng(42);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      reference.plane(0)[y * reference.lumaStride() + x] = uint8_t(rng());
  reference.extendEdges();
  const int stride = reference.lumaStride();
  std::vector<uint8_t> a(size_t(stride) * 16), b(size_t(stride) * 16);
  for (int n = 0; n < 4000; ++n) {
    const int size = n & 1 ? 16 : 8;
    const int x = int(rng() % 7) * 8, y = int(rng() % 5) * 8;
    // Mostly small vectors, some far outside the picture (clamped into the border).
    const int range = n % 10 == 0 ? 2048 : 40;
    const int mvx = int(rng() % (2 * range)) - range, mvy = int(rng() % (2 * range)) - range;
    const int rounding = int(rng() & 1);
    predictBlock(reference.plane(0), stride, 64, 48, x, y, mvx, mvy, size, rounding, a.data());
    predictBlockScalar(reference.plane(0), stride, 64, 48, x, y, mvx, mvy, size, rounding,
                       b.data());
    for (int row = 0; row < size; ++row)
      for (int col = 0; col < size; ++col)
        ASSERT_EQ(a[size_t(row) * stride + col], b[size_t(row) * stride + col])
            << "vector " << mvx << "," << mvy << " rounding " << rounding << " size " << size;
  }
  // A block far to the right repeats the last column of each row.
  predictBlock(reference.plane(0), stride, 64, 48, 0, 0, 4000, 0, 8, 0, a.data());
  for (int row = 0; row < 8; ++row)
    EXPECT_EQ(a[size_t(row) * stride + 3], reference.plane(0)[row * stride + 63]);
}

TEST(Mpeg4MotionCompensation, ChromaVectorsRoundToHalfSamples) {
  // One luma vector v (sum 4v): quarter positions go to the half sample.
  EXPECT_EQ(chromaVectorFromSum(4 * 0), 0);
  EXPECT_EQ(chromaVectorFromSum(4 * 1), 1);
  EXPECT_EQ(chromaVectorFromSum(4 * 2), 1);
  EXPECT_EQ(chromaVectorFromSum(4 * 3), 1);
  EXPECT_EQ(chromaVectorFromSum(4 * 4), 2);
  EXPECT_EQ(chromaVectorFromSum(4 * -3), -1);
  // Four vectors: sixteenths 0..2 round down, 3..13 to the half, 14 and 15 up.
  EXPECT_EQ(chromaVectorFromSum(2), 0);
  EXPECT_EQ(chromaVectorFromSum(3), 1);
  EXPECT_EQ(chromaVectorFromSum(13), 1);
  EXPECT_EQ(chromaVectorFromSum(14), 2);
  EXPECT_EQ(chromaVectorFromSum(-17), -2);
}

}  // namespace kd::mpeg4
