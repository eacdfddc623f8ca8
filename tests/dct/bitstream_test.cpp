// The bit reader's edges and the code tables read back what the writer wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "decode/dct/bit_reader.h"
#include "decode/dct/vlc_tables.h"
#include "synth/dct/bit_writer.h"

namespace kd::dct {
namespace {

TEST(BitReader, AlignmentStartCodeAndReadsPastTheEnd) {
  const uint8_t bytes[] = {0xA5, 0xFF, 0x01, 0x80};
  BitReader r(bytes, sizeof bytes);
  r.alignTo16();  // at offset 0 nothing is skipped
  EXPECT_EQ(r.bitPosition(), 0u);
  EXPECT_EQ(r.read(3), 5u);
  r.alignTo16();
  EXPECT_EQ(r.bitPosition(), 16u);
  r.alignTo16();
  EXPECT_EQ(r.bitPosition(), 16u);
  EXPECT_EQ(r.read(16), 0x0180u);
  EXPECT_EQ(r.read(32), 0u);  // past the end: zeros
  EXPECT_TRUE(r.pastEnd());

  // The start code found at an odd bit offset after garbage; none in a payload without it.
  BitWriter w;
  w.put(0x5, 3);
  w.put(0xFFFF, 16);
  w.put(16, 21);
  w.put(0x2, 2);
  BitReader s(w.bytes().data(), w.bytes().size());
  ASSERT_TRUE(s.findStartCode());
  EXPECT_EQ(s.bitPosition(), 40u);
  EXPECT_EQ(s.read(2), 2u);
  const uint8_t none[] = {0xFF, 0x00, 0x01};
  BitReader n(none, sizeof none);
  EXPECT_FALSE(n.findStartCode());
  BitReader empty(nullptr, 0);
  EXPECT_FALSE(empty.findStartCode());
}

TEST(VariableLengthCodes, EveryCodeReadsBackAndBadCodesStop) {
  BitWriter w;
  std::vector<Tcoef> written;
  for (int last = 0; last < 2; ++last)
    for (int run = 0; run < 64; ++run)
      for (int level = 1; level <= 12; ++level) {
        const VlcCode c = tcoefCode(last, run, level);
        if (!c.length) continue;
        for (int sign : {1, -1}) {
          w.put(c.code, c.length);
          w.putBit(sign < 0);
          written.push_back({last, run, sign * level});
        }
      }
  EXPECT_EQ(written.size(), 204u);  // 102 table entries, both signs
  // Escapes: LAST, 6-bit RUN, 8-bit two's complement LEVEL.
  for (const Tcoef e : {Tcoef{0, 5, 100}, Tcoef{1, 63, -127}, Tcoef{0, 0, -20}}) {
    w.put(kTcoefEscape.code, kTcoefEscape.length);
    w.putBit(uint32_t(e.last));
    w.put(uint32_t(e.run), 6);
    w.put(uint32_t(e.level) & 0xFF, 8);
    written.push_back(e);
  }
  for (int v = 0; v < 16; ++v) w.put(cbpyCode(v).code, cbpyCode(v).length);
  for (int mv = -32; mv <= 32; ++mv) {
    const VlcCode c = motionCode(std::abs(mv));
    w.put(c.code, c.length);
    if (mv) w.putBit(mv < 0);
  }
  w.put(0, 12);  // a TCOEF prefix below 8: invalid
  BitReader r(w.bytes().data(), w.bytes().size());
  for (const Tcoef& e : written) {
    Tcoef t{};
    ASSERT_TRUE(readTcoef(r, t));
    EXPECT_EQ(t.last, e.last);
    EXPECT_EQ(t.run, e.run);
    EXPECT_EQ(t.level, e.level);
  }
  for (int v = 0; v < 16; ++v) EXPECT_EQ(readCbpy(r), v);
  for (int mv = -32; mv <= 32; ++mv) EXPECT_EQ(readMotionCode(r), mv);
  Tcoef t;
  EXPECT_FALSE(readTcoef(r, t));
}

}  // namespace
}  // namespace kd::dct
