#include "decode/avc/avc_edge_strength.h"

#include <cstring>

namespace kd::avc {

namespace {

bool vectorsDiffer(const MacroblockRecord& a, const MacroblockRecord& b) {
  return a.mvX != b.mvX || a.mvY != b.mvY || a.halfX != b.halfX || a.halfY != b.halfY;
}

// A macroblock edge: 4 when either side is intra, else 2 where either block has
// coefficients, else 1 where the vectors differ.
inline uint8_t outerStrength(bool intraEdge, bool coded, bool moved) {
  return intraEdge ? 4 : coded ? 2 : moved ? 1 : 0;
}

// Edges of an n × n grid of blocks whose coded flags are `mask` (bit n × row + column), with
// the neighbours' masks. Inner edges of an intra macroblock are 3, of an inter one 2 where
// either block has coefficients. out[direction][edge][segment], vertical edges first.
template <int n, class Out>
void gridStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                   const MacroblockRecord* above, unsigned mask, unsigned leftMask,
                   unsigned aboveMask, Out& out) {
  const bool intra = cur.mbType == kMbIntra;
  if (left) {
    const bool intraEdge = intra || left->mbType == kMbIntra;
    const bool moved = vectorsDiffer(cur, *left);
    for (int seg = 0; seg < n; ++seg) {
      const bool coded = ((mask >> (n * seg)) | (leftMask >> (n * seg + n - 1))) & 1;
      out[0][0][seg] = outerStrength(intraEdge, coded, moved);
    }
  }
  if (above) {
    const bool intraEdge = intra || above->mbType == kMbIntra;
    const bool moved = vectorsDiffer(cur, *above);
    for (int seg = 0; seg < n; ++seg) {
      const bool coded = ((mask >> seg) | (aboveMask >> (n * (n - 1) + seg))) & 1;
      out[1][0][seg] = outerStrength(intraEdge, coded, moved);
    }
  }
  if (intra) {
    for (int dir = 0; dir < 2; ++dir)
      for (int edge = 1; edge < n; ++edge) std::memset(out[dir][edge], 3, n);
    return;
  }
  if (mask == 0) return;
  const unsigned besideLeft = mask | (mask << 1);   // block or its left neighbour coded
  const unsigned besideAbove = mask | (mask << n);  // block or the one above coded
  for (int edge = 1; edge < n; ++edge) {
    for (int seg = 0; seg < n; ++seg) {
      out[0][edge][seg] = (besideLeft >> (n * seg + edge)) & 1 ? 2 : 0;
      out[1][edge][seg] = (besideAbove >> (n * edge + seg)) & 1 ? 2 : 0;
    }
  }
}

}  // namespace

EdgeStrengths edgeStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                            const MacroblockRecord* above, bool chroma) {
  EdgeStrengths s;
  gridStrengths<4>(cur, left, above, cur.lumaCodedMask, left ? left->lumaCodedMask : 0,
                   above ? above->lumaCodedMask : 0, s.luma);
  if (!chroma) return s;
  gridStrengths<2>(cur, left, above, cur.uCodedMask, left ? left->uCodedMask : 0,
                   above ? above->uCodedMask : 0, s.chroma[0]);
  gridStrengths<2>(cur, left, above, cur.vCodedMask, left ? left->vCodedMask : 0,
                   above ? above->vCodedMask : 0, s.chroma[1]);
  return s;
}

}  // namespace kd::avc
