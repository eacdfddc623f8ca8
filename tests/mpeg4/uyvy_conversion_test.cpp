// The packed 4:2:2 conversion of the outside decoders' adapters.
#include <gtest/gtest.h>

#include <vector>

#include "decode/adapters/uyvy_to_bgr.h"

namespace kd {

TEST(UyvyConversion, CoefficientsSaturationAndRowOrder) {
  // Two rows of two pixels: row 0 grey (Y 90, 200), row 1 strong chroma (U 255, V 0).
  const std::vector<uint8_t> uyvy = {128, 90, 128, 200, 255, 20, 0, 250};
  std::vector<uint8_t> out(2 * 2 * 3, 0);
  convertUyvyToBgr(uyvy.data(), 2, 2, out.data(), 2, 2);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6),
            (std::vector<uint8_t>{90, 90, 90, 200, 200, 200}));
  // u = 127, v = −128: B = Y + 29033·127/16384 = Y + 225, G = Y − 43 + 91 = Y + 48,
  // R = Y + 22971·(−128)/16384 = Y − 179 (divisions truncate); then saturation.
  EXPECT_EQ(out[6], 245);
  EXPECT_EQ(out[7], 68);
  EXPECT_EQ(out[8], 0);
  EXPECT_EQ(out[9], 255);
  EXPECT_EQ(out[10], 255);
  EXPECT_EQ(out[11], 71);
  // A negative height reads the rows bottom to top.
  std::vector<uint8_t> flipped(12, 0);
  convertUyvyToBgr(uyvy.data(), 2, -2, flipped.data(), 2, 2);
  EXPECT_TRUE(std::equal(out.begin() + 6, out.end(), flipped.begin()));
  // Only the overlap of a larger input reaches a smaller output.
  std::vector<uint8_t> small(3 + 4, 0xEE);
  convertUyvyToBgr(uyvy.data(), 2, 2, small.data(), 1, 1);
  EXPECT_EQ(small[0], 90);
  EXPECT_EQ(small[3], 0xEE);
}

}  // namespace kd
