#include "decode/avc/avc_edge_strength.h"

#include <cstddef>
#include <cstring>

namespace kd::avc {

namespace {

// The vectors as one word: the record's first four bytes, just written in one store when the
// macroblock is the current one, which a load of the same width is forwarded from.
inline uint32_t vectorWord(const MacroblockRecord& r) {
  static_assert(offsetof(MacroblockRecord, halfY) == 3);
  uint32_t w;
  std::memcpy(&w, &r, 4);
  return w;
}

bool vectorsDiffer(const MacroblockRecord& a, const MacroblockRecord& b) {
  return vectorWord(a) != vectorWord(b);
}

// One byte per segment s < n: bit `first + s × stride` of `bits`.
template <int n>
inline uint32_t segmentBits(unsigned bits, int first, int stride) {
  if constexpr (n == 4) {
    // By multiplications whose partial products never overlap: four bits four apart into a
    // nibble, and a nibble's bits into four bytes.
    const unsigned nibble =
        stride == 4 ? ((bits >> first) & 0x1111u) * 0x1248u >> 12 & 0xFu : (bits >> first) & 0xFu;
    return (nibble * 0x204081u) & 0x01010101u;
  }
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

// Edge `e` in direction `dir` (0 vertical) of an n × n grid of blocks whose coded flags are
// `mask` (bit n × row + column), with the neighbours' masks: its n segment strengths, one byte
// each. Inner edges of an intra macroblock are 3, of an inter one 2 where either block has
// coefficients. Kept in registers: the filter reads the strengths back as whole words, which
// narrower stores could not forward.
template <int n>
inline uint32_t gridEdge(const MacroblockRecord& cur, const MacroblockRecord* left,
                         const MacroblockRecord* above, unsigned mask, unsigned leftMask,
                         unsigned aboveMask, int dir, int e) {
  constexpr uint32_t kEach = n == 4 ? 0x01010101u : 0x0101u;
  const bool intra = cur.mbType == kMbIntra;
  if (e > 0) {
    if (intra) return 3 * kEach;
    return dir == 0 ? 2 * segmentBits<n>(mask | (mask << 1), e, n)       // or its left neighbour
                    : 2 * segmentBits<n>(mask | (mask << n), n * e, 1);  // or the one above
  }
  const MacroblockRecord* other = dir == 0 ? left : above;
  if (!other) return 0;
  const uint32_t coded = dir == 0 ? segmentBits<n>(mask | (leftMask >> (n - 1)), 0, n)
                                  : segmentBits<n>(mask | (aboveMask >> (n * (n - 1))), 0, 1);
  return outerStrengths<n>(intra || other->mbType == kMbIntra, coded, vectorsDiffer(cur, *other));
}

}  // namespace

// Two words stored at once: the loop filter loads each direction's strengths, and both
// chroma planes', sixteen bytes at a time, which two 8-byte stores could not forward.
typedef uint64_t WordPair __attribute__((vector_size(16)));

EdgeStrengths edgeStrengths(const MacroblockRecord& cur, const MacroblockRecord* left,
                            const MacroblockRecord* above, bool chroma) {
  EdgeStrengths s;
  const unsigned leftLuma = left ? left->lumaCodedMask : 0;
  const unsigned aboveLuma = above ? above->lumaCodedMask : 0;
  auto luma = [&](int dir, int e) {
    return uint64_t(gridEdge<4>(cur, left, above, cur.lumaCodedMask, leftLuma, aboveLuma, dir, e));
  };
  for (int dir = 0; dir < 2; ++dir) {
    const WordPair w = {luma(dir, 0) | luma(dir, 1) << 32, luma(dir, 2) | luma(dir, 3) << 32};
    std::memcpy(s.luma[dir], &w, 16);
  }
  if (!chroma) return s;
  uint64_t planes[2];
  for (int c = 0; c < 2; ++c) {
    const unsigned mask = c == 0 ? cur.uCodedMask : cur.vCodedMask;
    const unsigned leftMask = left ? (c == 0 ? left->uCodedMask : left->vCodedMask) : 0;
    const unsigned aboveMask = above ? (c == 0 ? above->uCodedMask : above->vCodedMask) : 0;
    auto edge = [&](int dir, int e) {
      return uint64_t(gridEdge<2>(cur, left, above, mask, leftMask, aboveMask, dir, e));
    };
    planes[c] = edge(0, 0) | edge(0, 1) << 16 | (edge(1, 0) | edge(1, 1) << 16) << 32;
  }
  const WordPair w = {planes[0], planes[1]};
  std::memcpy(s.chroma, &w, 16);
  return s;
}

}  // namespace kd::avc
