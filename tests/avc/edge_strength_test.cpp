// Boundary strengths against the rules written out edge by edge, over random neighbourhoods.
#include <gtest/gtest.h>

#include <random>

#include "decode/avc/avc_edge_strength.h"

namespace kd::avc {
namespace {

bool lumaCoded(const MacroblockRecord& r, int row, int col) {
  return (r.lumaCodedMask >> (4 * row + col)) & 1;
}
bool chromaCoded(const MacroblockRecord& r, int plane, int row, int col) {
  return ((plane == 0 ? r.uCodedMask : r.vCodedMask) >> (2 * row + col)) & 1;
}

// Across a macroblock edge: p in the neighbour, q in the current macroblock.
int outer(const MacroblockRecord& cur, const MacroblockRecord& nb, bool p, bool q) {
  if (cur.mbType == kMbIntra || nb.mbType == kMbIntra) return 4;
  if (p || q) return 2;
  const bool moved =
      cur.mvX != nb.mvX || cur.mvY != nb.mvY || cur.halfX != nb.halfX || cur.halfY != nb.halfY;
  return moved ? 1 : 0;
}
int inner(const MacroblockRecord& cur, bool p, bool q) {
  if (cur.mbType == kMbIntra) return 3;
  return p || q ? 2 : 0;
}

MacroblockRecord randomRecord(std::mt19937& rng) {
  MacroblockRecord r;
  r.mbType = uint8_t(rng() % 4);
  // Few distinct vectors, so that equal ones are common.
  r.mvX = int8_t(rng() % 2), r.mvY = int8_t(rng() % 2), r.halfX = int8_t(int(rng() % 3) - 1);
  r.halfY = 0;
  const int density = int(rng() % 3);  // none, sparse, dense
  for (int b = 0; b < 16; ++b)
    if (density && int(rng() % 4) < density * 2 - 1) r.lumaCodedMask |= uint16_t(1 << b);
  r.uCodedMask = uint8_t(rng() % 16);
  r.vCodedMask = uint8_t(rng() % 16);
  return r;
}

TEST(AvcEdgeStrengths, FollowTheRulesEdgeByEdge) {
  std::mt19937 rng(21);
  for (int trial = 0; trial < 20000; ++trial) {
    const MacroblockRecord cur = randomRecord(rng), l = randomRecord(rng), a = randomRecord(rng);
    const MacroblockRecord* left = trial % 5 == 1 ? nullptr : &l;
    const MacroblockRecord* above = trial % 7 == 2 ? nullptr : &a;
    const bool chroma = trial % 2;
    const EdgeStrengths s = edgeStrengths(cur, left, above, chroma);
    for (int edge = 0; edge < 4; ++edge) {
      for (int seg = 0; seg < 4; ++seg) {
        int v, h;  // vertical edge `edge` at block row `seg`; horizontal at block column `seg`
        if (edge == 0) {
          v = left ? outer(cur, l, lumaCoded(l, seg, 3), lumaCoded(cur, seg, 0)) : 0;
          h = above ? outer(cur, a, lumaCoded(a, 3, seg), lumaCoded(cur, 0, seg)) : 0;
        } else {
          v = inner(cur, lumaCoded(cur, seg, edge - 1), lumaCoded(cur, seg, edge));
          h = inner(cur, lumaCoded(cur, edge - 1, seg), lumaCoded(cur, edge, seg));
        }
        ASSERT_EQ(v, s.luma[0][edge][seg]) << "trial " << trial << " vertical " << edge;
        ASSERT_EQ(h, s.luma[1][edge][seg]) << "trial " << trial << " horizontal " << edge;
      }
    }
    for (int plane = 0; plane < 2; ++plane) {
      for (int edge = 0; edge < 2; ++edge) {
        for (int seg = 0; seg < 2; ++seg) {
          int v = 0, h = 0;
          if (!chroma) {
          } else if (edge == 0) {
            v = left ? outer(cur, l, chromaCoded(l, plane, seg, 1), chromaCoded(cur, plane, seg, 0))
                     : 0;
            h = above
                    ? outer(cur, a, chromaCoded(a, plane, 1, seg), chromaCoded(cur, plane, 0, seg))
                    : 0;
          } else {
            v = inner(cur, chromaCoded(cur, plane, seg, 0), chromaCoded(cur, plane, seg, 1));
            h = inner(cur, chromaCoded(cur, plane, 0, seg), chromaCoded(cur, plane, 1, seg));
          }
          ASSERT_EQ(v, s.chroma[plane][0][edge][seg]) << "trial " << trial << " plane " << plane;
          ASSERT_EQ(h, s.chroma[plane][1][edge][seg]) << "trial " << trial << " plane " << plane;
        }
      }
    }
  }
}

}  // namespace
}  // namespace kd::avc
