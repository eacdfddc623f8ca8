#include "decode/avc/avc_edge_strength.h"

#include <cstring>

namespace kd::avc {

namespace {

bool vectorsDiffer(const MacroblockRecord& a, const MacroblockRecord& b) {
  return a.mvX != b.mvX || a.mvY != b.mvY || a.halfX != b.halfX || a.halfY != b.halfY;
}

// One byte per segment s < n: bit `first + s × stride` of `bits`.
template <int n>
inline uint32_t segmentBits(unsigned bits, int first, int stride) {
  uint32_t w = 0;
  for (int s = 0; s < n; ++s) w |= uint32_t((bits >> (first + s * stride)) & 1) << (8 * s);
  return w;
}

// A macroblock edge: 4 when either side is intra, else 2 where either block has
// coefficients, else 1 where the vectors differ. `coded` has one 0/1 byte per segment.
template <int n>
inline uint32_t outerStrengths(bool intraEdge, uint32_t coded, bool moved) {
  constexpr uint32_t kEach = n == 4 ? 0x01010101u : 0x0101u;
  if (intraEdge) return 4 * kEach;
  return 2 * coded + (moved ? coded ^ kEach : 0);
}

// Edges of an n × n grid of blocks whose coded flags are `mask` (bit n × row + column), with
// the neighbours' masks. Inner edges of an intra macroblock are 3, of an inter one 2 where
// either block has coefficients. edge[direction][edge] holds the n segment strengths, one byte
// each, vertical edges first. Built in registers: the filter reads them back as whole words,
// which byte stores could not forward.
template <int n>
void gridStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                   const MacroblockRecord* above, unsigned mask, unsigned leftMask,
                   unsigned aboveMask, uint32_t edge[2][n]) {
  constexpr uint32_t kEach = n == 4 ? 0x01010101u : 0x0101u;
  const bool intra = cur.mbType == kMbIntra;
  edge[0][0] = left ? outerStrengths<n>(intra || left->mbType == kMbIntra,
                                        segmentBits<n>(mask | (leftMask >> (n - 1)), 0, n),
                                        vectorsDiffer(cur, *left))
                    : 0;
  edge[1][0] = above ? outerStrengths<n>(intra || above->mbType == kMbIntra,
                                         segmentBits<n>(mask | (aboveMask >> (n * (n - 1))), 0, 1),
                                         vectorsDiffer(cur, *above))
                     : 0;
  const unsigned besideLeft = mask | (mask << 1);   // block or its left neighbour coded
  const unsigned besideAbove = mask | (mask << n);  // block or the one above coded
  for (int e = 1; e < n; ++e) {
    edge[0][e] = intra ? 3 * kEach : 2 * segmentBits<n>(besideLeft, e, n);
    edge[1][e] = intra ? 3 * kEach : 2 * segmentBits<n>(besideAbove, n * e, 1);
  }
}

}  // namespace

EdgeStrengths edgeStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                            const MacroblockRecord* above, bool chroma) {
  EdgeStrengths s;
  uint32_t luma[2][4];
  gridStrengths<4>(cur, left, above, cur.lumaCodedMask, left ? left->lumaCodedMask : 0,
                   above ? above->lumaCodedMask : 0, luma);
  for (int dir = 0; dir < 2; ++dir)
    for (int half = 0; half < 2; ++half) {
      const uint64_t w = luma[dir][2 * half] | uint64_t(luma[dir][2 * half + 1]) << 32;
      std::memcpy(s.luma[dir][2 * half], &w, 8);
    }
  if (!chroma) return s;
  for (int c = 0; c < 2; ++c) {
    uint32_t e[2][2];
    gridStrengths<2>(cur, left, above, c == 0 ? cur.uCodedMask : cur.vCodedMask,
                     left ? (c == 0 ? left->uCodedMask : left->vCodedMask) : 0,
                     above ? (c == 0 ? above->uCodedMask : above->vCodedMask) : 0, e);
    const uint64_t w = uint64_t(e[0][0] | e[0][1] << 16) | uint64_t(e[1][0] | e[1][1] << 16) << 32;
    std::memcpy(s.chroma[c], &w, 8);
  }
  return s;
}

}  // namespace kd::avc
