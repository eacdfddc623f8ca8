// The strength 1-3 filter in 8-bit lanes, written once for the 128-bit (SSE2) and, in files
// built for AVX2, the 256-bit vectors. `B` supplies the vector type `T` and the lane
// operations. Averages and saturating steps keep every intermediate in a byte and give the
// portable filter's results exactly.
//
// Included by the files that build the 8-bit kernels, each for its own instruction set, inside
// the namespace KD_AVC_BYTES_NAMESPACE names; everything here has internal linkage, so that no
// copy built for AVX2 can stand in for the SSE2 one.
#ifndef KD_AVC_BYTES_NAMESPACE
#error "define KD_AVC_BYTES_NAMESPACE before including this file"
#endif

#include <emmintrin.h>

#include "decode/avc/avc_tables.h"
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace kd::avc::KD_AVC_BYTES_NAMESPACE {
namespace {

enum Kind { kLuma, kChromaLumaType, kChroma };

struct Bytes128 {
  using T = __m128i;
  static T zero() { return _mm_setzero_si128(); }
  static T set1(int v) { return _mm_set1_epi8(char(v)); }
  static T subs(T a, T b) { return _mm_subs_epu8(a, b); }
  static T adds(T a, T b) { return _mm_adds_epu8(a, b); }
  static T sub(T a, T b) { return _mm_sub_epi8(a, b); }
  static T avg(T a, T b) { return _mm_avg_epu8(a, b); }
  static T min(T a, T b) { return _mm_min_epu8(a, b); }
  static T max(T a, T b) { return _mm_max_epu8(a, b); }
  static T and_(T a, T b) { return _mm_and_si128(a, b); }
  static T or_(T a, T b) { return _mm_or_si128(a, b); }
  static T xor_(T a, T b) { return _mm_xor_si128(a, b); }
  static T cmpeq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
  static bool any(T mask) { return _mm_movemask_epi8(mask) != 0; }
};

#if defined(__AVX2__)
struct Bytes256 {
  using T = __m256i;
  static T zero() { return _mm256_setzero_si256(); }
  static T set1(int v) { return _mm256_set1_epi8(char(v)); }
  static T subs(T a, T b) { return _mm256_subs_epu8(a, b); }
  static T adds(T a, T b) { return _mm256_adds_epu8(a, b); }
  static T sub(T a, T b) { return _mm256_sub_epi8(a, b); }
  static T avg(T a, T b) { return _mm256_avg_epu8(a, b); }
  static T min(T a, T b) { return _mm256_min_epu8(a, b); }
  static T max(T a, T b) { return _mm256_max_epu8(a, b); }
  static T and_(T a, T b) { return _mm256_and_si256(a, b); }
  static T or_(T a, T b) { return _mm256_or_si256(a, b); }
  static T xor_(T a, T b) { return _mm256_xor_si256(a, b); }
  static T cmpeq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
  static bool any(T mask) { return !_mm256_testz_si256(mask, mask); }
};
#endif

// The six samples across an edge, one line per lane.
template <class B>
struct Edge {
  typename B::T p2, p1, p0, q0, q1, q2;
};

template <class B>
inline typename B::T absDiff(typename B::T a, typename B::T b) {
  return B::or_(B::subs(a, b), B::subs(b, a));
}

// 0xFF where |a - b| < limit, given limit - 1 (limit ≥ 1).
template <class B>
inline typename B::T closer(typename B::T a, typename B::T b, typename B::T limitLess1) {
  return B::cmpeq(B::subs(absDiff<B>(a, b), limitLess1), B::zero());
}

// Filters the lanes where `live` is set and the thresholds pass (alpha - 1 and beta - 1 in every
// byte); `tc0` per lane (for the H.264 chroma filter already raised by one). The luma filter
// also changes p1 and q1; the chroma ones only p0 and q0, and the H.264 one ignores p2 and q2.
// Returns false when no lane passed the thresholds.
template <class B, Kind kind>
__attribute__((always_inline)) inline bool filterWeak(Edge<B>& e, typename B::T alpha1,
                                                      typename B::T beta1, typename B::T live,
                                                      typename B::T tc0) {
  using T = typename B::T;
  const T zero = B::zero();
  const T p0 = e.p0, p1 = e.p1, q0 = e.q0, q1 = e.q1;
  T excess = B::subs(absDiff<B>(p0, q0), alpha1);
  excess = B::or_(excess, B::subs(absDiff<B>(p1, p0), beta1));
  excess = B::or_(excess, B::subs(absDiff<B>(q1, q0), beta1));
  const T mask = B::and_(B::cmpeq(excess, zero), live);
  if (!B::any(mask)) return false;

  T tc = tc0, tcP1 = zero, tcQ1 = zero;
  if (kind != kChroma) {  // ap and aq are 0xFF where true, so subtracting adds one
    const T ap = closer<B>(e.p2, p0, beta1), aq = closer<B>(e.q2, q0, beta1);
    tc = B::sub(B::sub(tc0, ap), aq);
    if (kind == kLuma) {
      tcP1 = B::and_(tc0, B::and_(ap, mask));
      tcQ1 = B::and_(tc0, B::and_(aq, mask));
    }
  }
  tc = B::and_(tc, mask);

  // 161 + ((4 (q0 - p0) + (p1 - q1) + 4) >> 3), saturated above 255 (past any tc):
  // avg(p1, ~q1) = 128 + ⌊(p1 - q1) / 2⌋; averaged with 3 it is 66 + ⌊(p1 - q1) / 4⌋; averaged
  // with the parity of q0 - p0 it is 33 + ⌊(⌊(p1 - q1) / 4⌋ + parity + 1) / 2⌋; and
  // avg(q0, ~p0) = 128 + ⌊(q0 - p0) / 2⌋.
  const T ones = B::set1(-1), one = B::set1(1);
  T t = B::avg(p1, B::xor_(q1, ones));
  t = B::avg(t, B::set1(3));
  t = B::avg(t, B::and_(B::xor_(p0, q0), one));
  const T biased = B::adds(B::avg(q0, B::xor_(p0, ones)), t);
  const T bias = B::set1(161);
  const T up = B::min(B::subs(biased, bias), tc);
  const T down = B::min(B::subs(bias, biased), tc);
  e.p0 = B::subs(B::adds(p0, up), down);
  e.q0 = B::adds(B::subs(q0, up), down);

  if (kind == kLuma) {
    // p1 + clip(±tc0, (p2 + avg - 2 p1) >> 1) is ⌊(p2 + avg) / 2⌋ clipped to p1 ± tc0; a tc0 of
    // 0 (lane not filtered) leaves p1.
    const T avg = B::avg(p0, q0);
    T h = B::avg(e.p2, avg);
    h = B::sub(h, B::and_(B::xor_(e.p2, avg), one));
    e.p1 = B::min(B::max(h, B::subs(p1, tcP1)), B::adds(p1, tcP1));
    h = B::avg(e.q2, avg);
    h = B::sub(h, B::and_(B::xor_(e.q2, avg), one));
    e.q1 = B::min(B::max(h, B::subs(q1, tcQ1)), B::adds(q1, tcQ1));
  }
  return true;
}

// tc0 per lane from strengths 0-3 per lane (0 where the strength is 0), and the lanes that
// are filtered at all.
template <class B>
inline void laneParameters(typename B::T bs, int quant, int tcExtra, typename B::T& live,
                           typename B::T& tc0) {
  using T = typename B::T;
  const T zero = B::zero();
  live = B::xor_(B::cmpeq(bs, zero), B::set1(-1));
  auto is = [&](int v) { return B::cmpeq(bs, B::set1(v)); };
  auto tc = [&](int s) { return B::set1(kTc0[quant][s - 1] + tcExtra); };
  tc0 = B::or_(B::or_(B::and_(is(1), tc(1)), B::and_(is(2), tc(2))), B::and_(is(3), tc(3)));
}

}  // namespace
}  // namespace kd::avc::KD_AVC_BYTES_NAMESPACE
