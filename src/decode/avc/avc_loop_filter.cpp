#include "decode/avc/avc_loop_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/avc/avc_tables.h"

namespace kd::avc {

namespace {

inline uint8_t clip1(int v) {
  return uint8_t(std::clamp(v, 0, 255));
}

// One line across an edge: s points at q0, `step` leads from q0 to q1 (p0 is at -step).
void filterLumaLine(uint8_t* s, int step, int bs, int alpha, int beta, int tc0) {
  const int p0 = s[-step], p1 = s[-2 * step], p2 = s[-3 * step], p3 = s[-4 * step];
  const int q0 = s[0], q1 = s[step], q2 = s[2 * step], q3 = s[3 * step];
  if (std::abs(p0 - q0) >= alpha || std::abs(p1 - p0) >= beta || std::abs(q1 - q0) >= beta) return;
  const bool ap = std::abs(p2 - p0) < beta;
  const bool aq = std::abs(q2 - q0) < beta;
  if (bs < 4) {
    const int tc = tc0 + ap + aq;
    const int delta = std::clamp((((q0 - p0) << 2) + (p1 - q1) + 4) >> 3, -tc, tc);
    s[-step] = clip1(p0 + delta);
    s[0] = clip1(q0 - delta);
    if (ap)
      s[-2 * step] =
          uint8_t(p1 + std::clamp((p2 + ((p0 + q0 + 1) >> 1) - (p1 << 1)) >> 1, -tc0, tc0));
    if (aq)
      s[step] = uint8_t(q1 + std::clamp((q2 + ((p0 + q0 + 1) >> 1) - (q1 << 1)) >> 1, -tc0, tc0));
    return;
  }
  const bool small = std::abs(p0 - q0) < ((alpha >> 2) + 2);
  if (ap && small) {
    s[-step] = uint8_t((p2 + 2 * p1 + 2 * p0 + 2 * q0 + q1 + 4) >> 3);
    s[-2 * step] = uint8_t((p2 + p1 + p0 + q0 + 2) >> 2);
    s[-3 * step] = uint8_t((2 * p3 + 3 * p2 + p1 + p0 + q0 + 4) >> 3);
  } else {
    s[-step] = uint8_t((2 * p1 + p0 + q1 + 2) >> 2);
  }
  if (aq && small) {
    s[0] = uint8_t((p1 + 2 * p0 + 2 * q0 + 2 * q1 + q2 + 4) >> 3);
    s[step] = uint8_t((p0 + q0 + q1 + q2 + 2) >> 2);
    s[2 * step] = uint8_t((2 * q3 + 3 * q2 + q1 + q0 + p0 + 4) >> 3);
  } else {
    s[0] = uint8_t((2 * q1 + q0 + p1 + 2) >> 2);
  }
}

// The luma-type filter on chroma (versions other than 5): p2 and q2 never change.
void filterChromaLumaTypeLine(uint8_t* s, int step, int bs, int alpha, int beta, int tc0) {
  const int p0 = s[-step], p1 = s[-2 * step], p2 = s[-3 * step];
  const int q0 = s[0], q1 = s[step], q2 = s[2 * step];
  if (std::abs(p0 - q0) >= alpha || std::abs(p1 - p0) >= beta || std::abs(q1 - q0) >= beta) return;
  const bool ap = std::abs(p2 - p0) < beta;
  const bool aq = std::abs(q2 - q0) < beta;
  if (bs < 4) {
    const int tc = tc0 + ap + aq;
    const int delta = std::clamp((((q0 - p0) << 2) + (p1 - q1) + 4) >> 3, -tc, tc);
    s[-step] = clip1(p0 + delta);
    s[0] = clip1(q0 - delta);
    return;
  }
  const bool small = std::abs(p0 - q0) < ((alpha >> 2) + 2);
  if (ap && small) {
    s[-2 * step] = uint8_t((p2 + p1 + p0 + q0 + 2) >> 2);
    s[-step] = uint8_t((p2 + 2 * p1 + 2 * p0 + 2 * q0 + q1 + 4) >> 3);
  } else {
    s[-step] = uint8_t((2 * p1 + p0 + q1 + 2) >> 2);
  }
  if (aq && small) {
    s[step] = uint8_t((q2 + q1 + q0 + p0 + 2) >> 2);
    s[0] = uint8_t((q2 + 2 * q1 + 2 * q0 + 2 * p0 + p1 + 4) >> 3);
  } else {
    s[0] = uint8_t((2 * q1 + q0 + p1 + 2) >> 2);
  }
}

// The H.264 chroma filter (version 5).
void filterChromaLine(uint8_t* s, int step, int bs, int alpha, int beta, int tc0) {
  const int p0 = s[-step], p1 = s[-2 * step];
  const int q0 = s[0], q1 = s[step];
  if (std::abs(p0 - q0) >= alpha || std::abs(p1 - p0) >= beta || std::abs(q1 - q0) >= beta) return;
  if (bs < 4) {
    const int tc = tc0 + 1;
    const int delta = std::clamp((((q0 - p0) << 2) + (p1 - q1) + 4) >> 3, -tc, tc);
    s[-step] = clip1(p0 + delta);
    s[0] = clip1(q0 - delta);
  } else {
    s[-step] = uint8_t((2 * p1 + p0 + q1 + 2) >> 2);
    s[0] = uint8_t((2 * q1 + q0 + p1 + 2) >> 2);
  }
}

}  // namespace

namespace scalar {

void filterChromaEdges(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant, int version) {
  const int alpha = kAlpha[quant], beta = kBeta[quant];
  for (int dir = 0; dir < 2; ++dir) {
    const int along = dir == 0 ? stride : 1;  // from one line of the edge to the next
    const int across = dir == 0 ? 1 : stride;
    for (int edge = 0; edge < 2; ++edge) {
      for (int seg = 0; seg < 2; ++seg) {
        const int strength = bs[dir][edge][seg];
        if (strength == 0) continue;
        const int tc0 = strength < 4 ? kTc0[quant][strength - 1] : 0;
        uint8_t* s = c + edge * 4 * across + seg * 4 * along;
        for (int k = 0; k < 4; ++k, s += along) {
          if (version == 5)
            filterChromaLine(s, across, strength, alpha, beta, tc0);
          else
            filterChromaLumaTypeLine(s, across, strength, alpha, beta, tc0);
        }
      }
    }
  }
}

void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant) {
  const int alpha = kAlpha[quant], beta = kBeta[quant];
  for (int dir = 0; dir < 2; ++dir) {
    const int along = dir == 0 ? stride : 1;
    const int across = dir == 0 ? 1 : stride;
    for (int edge = 0; edge < 4; ++edge) {
      for (int seg = 0; seg < 4; ++seg) {
        const int strength = bs[dir][edge][seg];
        if (strength == 0) continue;
        const int tc0 = strength < 4 ? kTc0[quant][strength - 1] : 0;
        uint8_t* s = y + edge * 4 * across + seg * 4 * along;
        for (int k = 0; k < 4; ++k, s += along)
          filterLumaLine(s, across, strength, alpha, beta, tc0);
      }
    }
  }
}

}  // namespace scalar

bool avx2Usable() {
#if KD_AVC_HAVE_AVX2 && !defined(KD_SCALAR_ONLY)
  static const bool usable = __builtin_cpu_supports("avx2") && !std::getenv("KD_NO_AVX2");
  return usable;
#else
  return false;
#endif
}

namespace {

// Chroma strengths per version: versions 3 and 5 have their own, the others reuse the luma
// macroblock edges (segments 0-1 for the outer chroma edge, 2-3 for the inner one).
void chromaStrengths(const EdgeStrengths& strengths, bool ownChroma, uint8_t bs[2][2][2][2]) {
  for (int c = 0; c < 2; ++c)
    for (int dir = 0; dir < 2; ++dir)
      for (int edge = 0; edge < 2; ++edge)
        for (int seg = 0; seg < 2; ++seg)
          bs[c][dir][edge][seg] = ownChroma ? strengths.chroma[c][dir][edge][seg]
                                            : strengths.luma[dir][0][edge * 2 + seg];
}

}  // namespace

void filterMacroblock(const FilterPlanes& mb, const EdgeStrengths& strengths, int quant,
                      int version) {
  if (quant > 51 || kAlpha[quant] == 0) return;  // beyond the tables nothing is filtered
  // Most macroblocks of a quiet picture have no edge to filter at all.
  uint64_t luma[4], chroma[2];
  static_assert(sizeof luma == sizeof strengths.luma && sizeof chroma == sizeof strengths.chroma);
  std::memcpy(luma, strengths.luma, sizeof luma);
  std::memcpy(chroma, strengths.chroma, sizeof chroma);
  const bool ownChroma = version == 3 || version == 5;
  if ((luma[0] | luma[1] | luma[2] | luma[3] | (ownChroma ? chroma[0] | chroma[1] : 0)) == 0)
    return;
#if KD_AVC_USE_SSE2
  // Edges next to an intra macroblock (strength 4) need the 16-bit kernels; the rest, most of
  // a predicted picture, go sixteen lines at a time in 8-bit lanes. Strengths are 0-4, so
  // only a 4 has bit 2.
  constexpr uint64_t kFours = 0x0404040404040404;
  const bool lumaFour = ((luma[0] | luma[1] | luma[2] | luma[3]) & kFours) != 0;
  // Per chroma edge, U's two segments then V's, from whole words: edge 0 in the low half.
  uint64_t lanes[2];
  for (int dir = 0; dir < 2; ++dir) {
    const uint32_t u = ownChroma ? uint32_t(chroma[0] >> (32 * dir)) : uint32_t(luma[2 * dir]);
    const uint32_t v = ownChroma ? uint32_t(chroma[1] >> (32 * dir)) : u;
    lanes[dir] = ((u & 0xFFFF) | v << 16) | uint64_t(u >> 16 | (v & 0xFFFF0000u)) << 32;
  }
  const bool chromaFour = ((lanes[0] | lanes[1]) & kFours) != 0;
  uint8_t bs[2][2][2][2];  // for the 16-bit chroma kernels only
  if (chromaFour) chromaStrengths(strengths, ownChroma, bs);
#if KD_AVC_HAVE_AVX2
  if (avx2Usable()) {
    if (lumaFour)
      avx2::filterLumaEdges(mb.y, mb.yStride, strengths.luma, quant);
    else
      avx2::filterLumaEdgesBytes(mb.y, mb.yStride, strengths.luma, quant);
    if (chromaFour)
      avx2::filterChromaEdgePair(mb.u, mb.v, mb.uvStride, bs[0], bs[1], quant, version);
    else
      avx2::filterChromaEdgePairBytes(mb.u, mb.v, mb.uvStride, lanes[0], lanes[1], quant, version);
    return;
  }
#endif
  if (lumaFour)
    sse2::filterLumaEdges(mb.y, mb.yStride, strengths.luma, quant);
  else
    sse2::filterLumaEdgesBytes(mb.y, mb.yStride, strengths.luma, quant);
  if (chromaFour) {
    sse2::filterChromaEdges(mb.u, mb.uvStride, bs[0], quant, version);
    sse2::filterChromaEdges(mb.v, mb.uvStride, bs[1], quant, version);
  } else {
    sse2::filterChromaEdgePairBytes(mb.u, mb.v, mb.uvStride, lanes[0], lanes[1], quant, version);
  }
#else
  uint8_t bs[2][2][2][2];
  chromaStrengths(strengths, ownChroma, bs);
  scalar::filterLumaEdges(mb.y, mb.yStride, strengths.luma, quant);
  scalar::filterChromaEdges(mb.u, mb.uvStride, bs[0], quant, version);
  scalar::filterChromaEdges(mb.v, mb.uvStride, bs[1], quant, version);
#endif
}

}  // namespace kd::avc
