#include "decode/mpeg4/block_coefficients.h"

#include <algorithm>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#endif

#include "decode/mpeg4/vlc_tables.h"

namespace kd::mpeg4 {

// The alternate scans of clause 7.4.2: scan position → raster index.
const uint8_t kAlternateVerticalScan[64] = {
    0,  8,  16, 24, 1,  9,  2,  10, 17, 25, 32, 40, 48, 56, 57, 49, 41, 33, 26, 18, 3,  11,
    4,  12, 19, 27, 34, 42, 50, 58, 35, 43, 51, 59, 20, 28, 5,  13, 6,  14, 21, 29, 36, 44,
    52, 60, 37, 45, 53, 61, 22, 30, 7,  15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63};
const uint8_t kAlternateHorizontalScan[64] = {
    0,  1,  2,  3,  8,  9,  16, 17, 10, 11, 4,  5,  6,  7,  15, 14, 13, 12, 19, 18, 24, 25,
    32, 33, 26, 27, 20, 21, 22, 23, 28, 29, 30, 31, 34, 35, 40, 41, 48, 49, 42, 43, 36, 37,
    38, 39, 44, 45, 46, 47, 50, 51, 56, 57, 58, 59, 52, 53, 54, 55, 60, 61, 62, 63};

namespace {

inline int16_t saturate(int v) {
  return int16_t(std::clamp(v, -2048, 2047));
}

// The three escape modes after the escape code of `length` bits.
bool readEscape(BitReader& br, bool intra, int length, int& run, int& level, bool& last) {
  br.skip(length);
  CoefficientEvent e;
  if (!br.readBit()) {  // type 1: level offset
    if (!readCoefficient(br, intra, e) || e.escape) return false;
    run = e.run;
    last = e.last;
    level = e.level + maxLevel(intra, e.last, e.run);
    if (br.readBit()) level = -level;
  } else if (!br.readBit()) {  // type 2: run offset
    if (!readCoefficient(br, intra, e) || e.escape) return false;
    last = e.last;
    level = e.level;
    run = e.run + maxRun(intra, e.last, e.level) + 1;
    if (br.readBit()) level = -level;
  } else {  // type 3: fixed length
    last = br.readBit();
    run = int(br.read(6));
    br.marker();
    level = int(br.read(12));
    br.marker();
    if (level & 0x800) level -= 0x1000;
    if (level == 0) return false;
  }
  return true;
}

}  // namespace

bool readBlockCoefficients(BitReader& br, bool intra, int first, const uint8_t* scan,
                           int16_t* block, uint8_t* positions, int& count) {
  count = 0;
  int i = first;
  int n = 0;
  const CoefficientEntry* table = coefficientEntries(intra);
  while (true) {
    // One look-ahead serves the code and the sign bit after it (codes are at most 12 bits).
    const uint64_t window = br.peekWindow();
    const CoefficientEntry entry = table[window >> (64 - kCoefficientBits)];
    if (!entry.length) return false;
    int run, level;
    bool last;
    if (entry.run != kEscapeRun) {
      run = entry.run;
      last = entry.last;
      level = (window << entry.length) >> 63 ? -int(entry.level) : int(entry.level);
      br.skip(entry.length + 1);
    } else if (!readEscape(br, intra, entry.length, run, level, last)) {
      return false;
    }
    i += run;
    if (i > 63) return false;
    const int pos = scan[i];
    block[pos] = int16_t(std::clamp(level, -2048, 2047));
    positions[n++] = uint8_t(pos);
    ++i;
    if (last) {
      count = n;
      return !br.overrun();
    }
  }
}

namespace {

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
// The H.263 rule on a whole block, eight levels at a time: the magnitude times 2 qp in 32 bits,
// plus `add`, saturated and clipped to 2047 (2048 for negative levels), the sign put back;
// zero levels stay zero.
void dequantiseH263Block(int16_t* block, int qp, int add) {
  const __m128i twoQp = _mm_set1_epi16(int16_t(2 * qp)), add32 = _mm_set1_epi32(add);
  const __m128i zero = _mm_setzero_si128(), limit = _mm_set1_epi16(2047);
  for (int k = 0; k < 64; k += 8) {
    __m128i* at = reinterpret_cast<__m128i*>(block + k);
    const __m128i l = _mm_loadu_si128(at);
    const __m128i sign = _mm_srai_epi16(l, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(l, sign), sign);  // 0..32768
    const __m128i lo = _mm_mullo_epi16(magnitude, twoQp);
    const __m128i hi = _mm_mulhi_epu16(magnitude, twoQp);
    const __m128i v = _mm_packs_epi32(_mm_add_epi32(_mm_unpacklo_epi16(lo, hi), add32),
                                      _mm_add_epi32(_mm_unpackhi_epi16(lo, hi), add32));
    const __m128i clipped = _mm_min_epi16(v, _mm_sub_epi16(limit, sign));
    const __m128i signed_ = _mm_sub_epi16(_mm_xor_si128(clipped, sign), sign);
    _mm_storeu_si128(at, _mm_andnot_si128(_mm_cmpeq_epi16(l, zero), signed_));
  }
}
#else
void dequantiseH263Block(int16_t* block, int qp, int add) {
  for (int p = 0; p < 64; ++p) {
    const int l = block[p];
    if (l) block[p] = saturate(l > 0 ? 2 * qp * l + add : 2 * qp * l - add);
  }
}
#endif

}  // namespace

void dequantiseInter(int16_t* block, const uint8_t* positions, int count, int qp, bool mpeg,
                     const uint8_t* matrix) {
  if (!mpeg) {
    const int add = (qp & 1) ? qp : qp - 1;
    // Past a dozen levels the whole block in vectors costs less than the listed positions, whose
    // signs the branch predictor cannot learn.
    if (count > 12) {
      dequantiseH263Block(block, qp, add);
      return;
    }
    for (int k = 0; k < count; ++k) {
      const int p = positions[k];
      const int l = block[p];
      block[p] = saturate(l > 0 ? 2 * qp * l + add : 2 * qp * l - add);
    }
    return;
  }
  int sum = 0;
  for (int k = 0; k < count; ++k) {
    const int p = positions[k];
    const int l = block[p];
    const int v = ((2 * l + (l > 0 ? 1 : -1)) * matrix[p] * qp) / 16;
    block[p] = saturate(v);
    sum += block[p];
  }
  if (count && !(sum & 1)) block[63] ^= 1;  // mismatch control
}

void dequantiseIntra(int16_t* block, int qp, int scaler, bool mpeg, const uint8_t* matrix) {
  if (!mpeg) {
    const int dc = block[0];
    dequantiseH263Block(block, qp, (qp & 1) ? qp : qp - 1);
    block[0] = saturate(dc * scaler);
    return;
  }
  block[0] = saturate(block[0] * scaler);
  int sum = block[0];
  for (int p = 1; p < 64; ++p) {
    const int l = block[p];
    if (!l) continue;
    block[p] = saturate((2 * l * matrix[p] * qp) / 16);
    sum += block[p];
  }
  if (!(sum & 1)) block[63] ^= 1;
}

int dcScaler(int qp, bool chroma) {
  if (qp <= 4) return 8;
  if (chroma) return qp <= 24 ? (qp + 13) / 2 : qp - 6;
  if (qp <= 8) return 2 * qp;
  return qp <= 24 ? qp + 8 : 2 * qp - 16;
}

}  // namespace kd::mpeg4
