#include "playback/motion_comparison.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_MOTION_SSE2 1
#endif

namespace kd {

namespace {

// Pixels of one row of packed pixels whose summed colour difference exceeds `threshold`.
// Counting whole rows (and checking the total after each row) gives the same outcome as
// stopping at the 17th changed pixel. The work runs over contiguous bytes so the compiler can
// vectorise it: byte differences, then sums of three neighbours counted at every third
// position (`phase` holds 1 there). `diffs` has room for 3n entries.
int countPackedRow(const uint8_t* __restrict p, const uint8_t* __restrict r, int n, int threshold,
                   uint8_t* __restrict diffs, const uint8_t* __restrict phase) {
  const int bytes = 3 * n;
  for (int i = 0; i < bytes; ++i) diffs[i] = uint8_t(p[i] > r[i] ? p[i] - r[i] : r[i] - p[i]);
  int count = 0;
  for (int i = 0; i + 2 < bytes; ++i) {
    const int d = diffs[i] + diffs[i + 1] + diffs[i + 2];
    count += (d > threshold) & phase[i];
  }
  return count;
}

int countPlanarRow(const uint8_t* __restrict p0, const uint8_t* __restrict p1,
                   const uint8_t* __restrict p2, const uint8_t* __restrict r0,
                   const uint8_t* __restrict r1, const uint8_t* __restrict r2, int n,
                   int threshold) {
  int count = 0;
  int i = 0;
#if KD_MOTION_SSE2
  // 16 pixels a step: byte differences, summed in 16-bit lanes (at most 765, so the signed
  // comparison holds), and the lanes above the threshold counted per lane.
  const __m128i zero = _mm_setzero_si128();
  const __m128i limit = _mm_set1_epi16(int16_t(threshold));
  const auto absDiff = [](const uint8_t* a, const uint8_t* b) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    return _mm_or_si128(_mm_subs_epu8(x, y), _mm_subs_epu8(y, x));
  };
  __m128i lanes = zero;  // each lane counts at most n / 8, far below 2^15 for any picture
  for (; i + 16 <= n; i += 16) {
    const __m128i d0 = absDiff(p0 + i, r0 + i);
    const __m128i d1 = absDiff(p1 + i, r1 + i);
    const __m128i d2 = absDiff(p2 + i, r2 + i);
    const __m128i lo =
        _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(d0, zero), _mm_unpacklo_epi8(d1, zero)),
                      _mm_unpacklo_epi8(d2, zero));
    const __m128i hi =
        _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(d0, zero), _mm_unpackhi_epi8(d1, zero)),
                      _mm_unpackhi_epi8(d2, zero));
    lanes = _mm_sub_epi16(lanes, _mm_cmpgt_epi16(lo, limit));
    lanes = _mm_sub_epi16(lanes, _mm_cmpgt_epi16(hi, limit));
  }
  alignas(16) int32_t sums[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(lanes, _mm_set1_epi16(1)));
  count = sums[0] + sums[1] + sums[2] + sums[3];
#endif
  for (; i < n; ++i) {
    const int d = std::abs(p0[i] - r0[i]) + std::abs(p1[i] - r1[i]) + std::abs(p2[i] - r2[i]);
    count += d > threshold;
  }
  return count;
}

}  // namespace

void MotionComparison::setParameters(int sensitivity, uint32_t requiredCount) {
  threshold_ = uint32_t(int32_t(150 - 15 * sensitivity));
  requiredCount_ = requiredCount;
}

bool MotionComparison::zoneChanged(const DecodedPicture& picture, bool planar,
                                   const MotionZone& zone) {
  const int width = picture.width();
  const int height = picture.height();
  // Zones are kept inside the picture here too, so a stray zone never reads past the buffers.
  const int x0 = std::clamp(zone.left, 0, width);
  const int x1 = std::clamp(zone.right, 0, width);
  const int y0 = std::clamp(zone.top, 0, height);
  const int y1 = std::clamp(zone.bottom, 0, height);
  if (x1 <= x0 || y1 <= y0) return false;
  // No summed difference of three bytes exceeds 765.
  const int threshold = int(std::min<uint32_t>(threshold_, 765));
  const uint8_t* p = picture.pixels();
  const uint8_t* r = reference_.data();
  const size_t planeSize = size_t(width) * size_t(height);
  int changed = 0;
  for (int y = y0; y < y1; ++y) {
    const size_t at = size_t(y) * size_t(width) + size_t(x0);
    if (planar) {
      changed += countPlanarRow(p + at, p + planeSize + at, p + 2 * planeSize + at, r + at,
                                r + planeSize + at, r + 2 * planeSize + at, x1 - x0, threshold);
    } else {
      changed += countPackedRow(p + 3 * at, r + 3 * at, x1 - x0, threshold, rowDiffs_.data(),
                                rowPhase_.data());
    }
    if (changed > kChangedPixelsForChange) return true;
  }
  return false;
}

void MotionComparison::updateZone(MotionZone& zone, bool changed) const {
  if (changed && !zone.active) {
    if (uint32_t(++zone.counter) >= requiredCount_) {
      zone.active = 1;
      zone.counter = 0;
    }
  } else if (!changed && zone.active) {
    if (++zone.counter >= kIdlePictures) {
      zone.active = 0;
      zone.counter = 0;
    }
  }
}

bool MotionComparison::compare(const DecodedPicture& picture, uint16_t frameKind, bool planar,
                               MotionZoneBlock& zones) {
  const size_t size = picture.byteSize();
  if (reference_.size() != size) {
    reference_.assign(picture.pixels(), picture.pixels() + size);
    const size_t rowBytes = size_t(picture.width()) * 3;
    rowDiffs_.assign(rowBytes, 0);
    rowPhase_.assign(rowBytes, 0);
    for (size_t i = 0; i < rowBytes; i += 3) rowPhase_[i] = 1;
    return false;
  }
  if (frameKind == 4 || frameKind == 5) {
    std::memcpy(reference_.data(), picture.pixels(), size);
    return false;
  }
  const uint32_t count = std::min(zones.count, MotionZoneBlock::kMaxZones);
  for (uint32_t i = 0; i < count; ++i) {
    MotionZone& zone = zones.zones[i];
    updateZone(zone, zoneChanged(picture, planar, zone));
  }
  std::memcpy(reference_.data(), picture.pixels(), size);
  for (uint32_t i = 0; i < count; ++i) {
    if (zones.zones[i].active) return true;
  }
  return false;
}

}  // namespace kd
