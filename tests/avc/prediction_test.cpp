// Prediction rules that the encoder cannot tell apart from the decoder: checked by value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "decode/avc/avc_inter_pred.h"
#include "decode/avc/avc_intra_pred.h"
#include "decode/avc/avc_picture_builder.h"
#include "decode/avc/avc_transform.h"

namespace kd::avc {
namespace {

TEST(AvcPrediction, InterRules) {
  const int stride = 48;
  std::vector<uint8_t> ref(stride * 48);
  for (size_t i = 0; i < ref.size(); ++i) ref[i] = uint8_t((i * 37 + i / stride * 11) & 255);
  const uint8_t* src = ref.data() + 16 * stride + 16;
  // Both half flags set: horizontal only.
  uint8_t both[256], horizontal[256];
  predictLuma16x16(src, stride, 1, 1, both, 16);
  predictLuma16x16(src, stride, 1, 0, horizontal, 16);
  EXPECT_EQ(0, std::memcmp(both, horizontal, 256));
  // Six-tap value by hand at one position.
  const uint8_t* s = src;
  const int sum = s[-2] - 5 * s[-1] + 20 * s[0] + 20 * s[1] - 5 * s[2] + s[3];
  EXPECT_EQ(horizontal[0], std::clamp((sum + 16) >> 5, 0, 255));

  // Chroma: an odd negative vector starts one sample to the left; version 5 copies.
  const uint8_t* c = ref.data() + 8 * stride + 8;
  const uint8_t* d = c + 16;  // the other plane
  uint8_t out[64], other[64];
  predictChroma8x8Motion(c, d, stride, -1, 0, 0, 0, false, out, other, 8);
  EXPECT_EQ(out[0], (c[-1] + c[0] + 1) >> 1);
  EXPECT_EQ(other[0], (d[-1] + d[0] + 1) >> 1);
  predictChroma8x8Motion(c, d, stride, 2, 1, 1, 0, false, out, other, 8);  // fx = 1, fy = 1
  EXPECT_EQ(out[0], (((c[0] + c[1] + 1) >> 1) + ((c[stride] + c[stride + 1] + 1) >> 1) + 1) >> 1);
  predictChroma8x8Motion(c, d, stride, 3, -3, 1, -1, true, out, other, 8);
  EXPECT_EQ(out[9], c[stride + 1]);
  EXPECT_EQ(other[9], d[stride + 1]);

  // Direct vectors: s = -(T × 256) / 3 toward zero, arithmetic shifts.
  int forward = 0, backward = 0;
  PictureBuilder::directVectors(6, 0, forward, backward);
  EXPECT_EQ(forward, -2);  // (6 × -85 + 128) >> 8
  EXPECT_EQ(backward, 4);  // (6 × 171 + 128) >> 8
  PictureBuilder::directVectors(-32, 3, forward, backward);
  EXPECT_EQ(forward, (-32 * -341 + 128) >> 8);
  EXPECT_EQ(backward, (-32 * -85 + 128) >> 8);
}

TEST(AvcPrediction, IntraRules) {
  LumaNeighbours n{};
  for (int k = 0; k < 8; ++k) n.top[k] = uint8_t(10 * (k + 1));
  for (int k = 0; k < 4; ++k) n.left[k] = uint8_t(100 + 5 * k);
  n.corner = 7;
  n.topAvailable = n.leftAvailable = true;
  uint8_t p[16];
  predictLuma4x4(n, 2, p);  // both sides: (sum + 4) >> 3
  EXPECT_EQ(p[5], (10 + 20 + 30 + 40 + 100 + 105 + 110 + 115 + 4) >> 3);
  n.topAvailable = false;
  predictLuma4x4(n, 2, p);
  EXPECT_EQ(p[0], (100 + 105 + 110 + 115 + 2) >> 2);
  n.leftAvailable = false;
  predictLuma4x4(n, 2, p);
  EXPECT_EQ(p[15], 128);
  predictLuma4x4(n, 3, p);  // diagonal down-left, last sample
  EXPECT_EQ(p[15], (70 + 3 * 80 + 2) >> 2);
  predictLuma4x4(n, 4, p);  // diagonal down-right, diagonal through the corner
  EXPECT_EQ(p[0], (10 + 2 * 7 + 100 + 2) >> 2);
  predictLuma4x4(n, 8, p);  // horizontal-up beyond the last left sample
  EXPECT_EQ(p[15], 115);

  // Chroma plane: b = (17 × H + 16) >> 5, the corner sample inside H.
  ChromaNeighbours c{};
  for (int k = 0; k < 8; ++k) c.top[k] = uint8_t(40 + 4 * k), c.left[k] = uint8_t(40 + 4 * k);
  c.corner = 36;
  c.topAvailable = c.leftAvailable = true;
  uint8_t q[64];
  predictChroma8x8(c, 3, q);
  int hh = 0;
  for (int k = 0; k < 4; ++k) hh += (k + 1) * (c.top[4 + k] - (k == 3 ? c.corner : c.top[2 - k]));
  const int b = (17 * hh + 16) >> 5;
  const int a = 16 * (c.left[7] + c.top[7]);
  EXPECT_EQ(q[0], std::clamp((a + b * -3 + b * -3 + 16) >> 5, 0, 255));
  EXPECT_EQ(q[63], std::clamp((a + b * 4 + b * 4 + 16) >> 5, 0, 255));
}

TEST(AvcPrediction, TransformRounding) {
  // A DC of 64 adds one to every sample; the ceiling holds a huge sum at 32735.
  int16_t coeff[16] = {64};
  uint8_t block[16];
  std::memset(block, 100, 16);
  inverseTransformAdd(coeff, block, 4);
  for (uint8_t v : block) EXPECT_EQ(v, 101);
  int16_t huge[16] = {32767, 32767};
  std::memset(block, 0, 16);
  inverseTransformAdd(huge, block, 4);
  EXPECT_EQ(block[0], 255);
  int16_t dc[4] = {10, 20, 30, 40}, out[4];
  chromaDcTransform(dc, out);
  EXPECT_EQ(out[0], 100);
  EXPECT_EQ(out[1], 10 - 20 + 30 - 40);
  EXPECT_EQ(out[2], 10 + 20 - 30 - 40);
  EXPECT_EQ(out[3], 10 - 20 - 30 + 40);
}

}  // namespace
}  // namespace kd::avc
