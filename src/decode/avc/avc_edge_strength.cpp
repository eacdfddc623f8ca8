#include "decode/avc/avc_edge_strength.h"

namespace kd::avc {

namespace {

// Luma block index at 4×4 column c, row r of a macroblock.
constexpr uint8_t kBlockAt[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 9, 12, 13}, {10, 11, 14, 15}};

bool vectorsDiffer(const MacroblockRecord& a, const MacroblockRecord& b) {
  return a.mvX != b.mvX || a.mvY != b.mvY || a.halfX != b.halfX || a.halfY != b.halfY;
}

// Strength of a macroblock edge segment whose blocks are coded `a` and `b`.
uint8_t edgeStrength(const MacroblockRecord& cur, const MacroblockRecord& nb, bool a, bool b) {
  if (cur.mbType == kMbIntra || nb.mbType == kMbIntra) return 4;
  if (a || b) return 2;
  return vectorsDiffer(cur, nb) ? 1 : 0;
}

uint8_t innerStrength(const MacroblockRecord& cur, bool a, bool b) {
  if (cur.mbType == kMbIntra) return 3;
  return (a || b) ? 2 : 0;
}

void chromaStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                     const MacroblockRecord* above, const uint8_t* coded, const uint8_t* leftCoded,
                     const uint8_t* aboveCoded, uint8_t out[2][2][2]) {
  for (int seg = 0; seg < 2; ++seg) {
    // Vertical edges: segment = chroma block row.
    out[0][0][seg] = left ? edgeStrength(cur, *left, coded[seg * 2], leftCoded[seg * 2 + 1]) : 0;
    out[0][1][seg] = innerStrength(cur, coded[seg * 2], coded[seg * 2 + 1]);
    // Horizontal edges: segment = chroma block column.
    out[1][0][seg] = above ? edgeStrength(cur, *above, coded[seg], aboveCoded[2 + seg]) : 0;
    out[1][1][seg] = innerStrength(cur, coded[seg], coded[2 + seg]);
  }
}

}  // namespace

EdgeStrengths edgeStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                            const MacroblockRecord* above, bool chroma) {
  EdgeStrengths s;
  // An inter macroblock without luma coefficients has no internal luma edges to filter.
  const bool innerEdges = cur.mbType == kMbIntra || (cur.cbp & 15) != 0;
  for (int edge = 0; edge < (innerEdges ? 4 : 1); ++edge) {
    for (int seg = 0; seg < 4; ++seg) {
      // Vertical edge `edge`, row of blocks `seg`.
      const bool q = cur.lumaCoded[kBlockAt[seg][edge]];
      if (edge == 0) {
        s.luma[0][0][seg] =
            left ? edgeStrength(cur, *left, q, left->lumaCoded[kBlockAt[seg][3]]) : 0;
      } else {
        s.luma[0][edge][seg] = innerStrength(cur, q, cur.lumaCoded[kBlockAt[seg][edge - 1]]);
      }
      // Horizontal edge `edge`, column of blocks `seg`.
      const bool qh = cur.lumaCoded[kBlockAt[edge][seg]];
      if (edge == 0) {
        s.luma[1][0][seg] =
            above ? edgeStrength(cur, *above, qh, above->lumaCoded[kBlockAt[3][seg]]) : 0;
      } else {
        s.luma[1][edge][seg] = innerStrength(cur, qh, cur.lumaCoded[kBlockAt[edge - 1][seg]]);
      }
    }
  }
  if (!chroma) return s;
  chromaStrengths(cur, left, above, cur.uCoded, left ? left->uCoded : nullptr,
                  above ? above->uCoded : nullptr, s.chroma[0]);
  chromaStrengths(cur, left, above, cur.vCoded, left ? left->vCoded : nullptr,
                  above ? above->vCoded : nullptr, s.chroma[1]);
  return s;
}

}  // namespace kd::avc
