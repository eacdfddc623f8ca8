#pragma once
// The loop filter's arithmetic on a vector of lines across one edge, one 16-bit lane per line,
// written once for every vector width. `V` supplies the type `T` and the lane operations; each
// SIMD source file instantiates it with its own operations (compiled for its own instruction
// set), so nothing here may be used outside such a file.
#include <cstdint>

namespace kd::avc::lanes {

enum Mode { kLumaLines, kChromaLumaType, kChromaLines };

template <class V>
struct Lines {
  typename V::T p[4];  // p0..p3
  typename V::T q[4];  // q0..q3
};

// Filters the lanes whose strength `bs` is non-zero; `tc0` per lane (for the H.264 chroma
// filter already raised by one). The chroma modes change fewer samples: the luma-type one
// leaves p1/q1 of weak edges and p2/q2 alone, the H.264 one never takes the strong branch.
// Returns false when no lane passed the thresholds (nothing changed).
template <class V, Mode mode>
__attribute__((always_inline)) inline bool filterLines(Lines<V>& l, typename V::T alpha,
                                                       typename V::T beta, typename V::T bs,
                                                       typename V::T tc0) {
  using T = typename V::T;
  const T zero = V::zero(), two = V::set1(2), four = V::set1(4);
  const T p0 = l.p[0], p1 = l.p[1], p2 = l.p[2], p3 = l.p[3];
  const T q0 = l.q[0], q1 = l.q[1], q2 = l.q[2], q3 = l.q[3];
  T mask = V::cmpgt(bs, zero);
  mask = V::and_(mask, V::cmpgt(alpha, V::absDiff(p0, q0)));
  mask = V::and_(mask, V::cmpgt(beta, V::absDiff(p1, p0)));
  mask = V::and_(mask, V::cmpgt(beta, V::absDiff(q1, q0)));
  const T strong = V::cmpeq(bs, four);
  const T weak = V::andnot(strong, mask);
  const T hard = V::and_(strong, mask);
  const bool anyWeak = V::any(weak), anyHard = V::any(hard);
  if (!anyWeak && !anyHard) return false;
  const T ap = mode == kChromaLines ? zero : V::cmpgt(beta, V::absDiff(p2, p0));
  const T aq = mode == kChromaLines ? zero : V::cmpgt(beta, V::absDiff(q2, q0));
  T r0 = p0, r1 = p1, r2 = p2, s0 = q0, s1 = q1, s2 = q2;

  if (anyWeak) {  // strengths 1-3; ap and aq are -1 where true, so subtracting adds one
    const T tc = V::sub(V::sub(tc0, ap), aq);
    const T negTc = V::sub(zero, tc);
    T delta = V::add(V::template slli<2>(V::sub(q0, p0)), V::sub(p1, q1));
    delta = V::clamp(V::template srai<3>(V::add(delta, four)), negTc, tc);
    const T max255 = V::set1(255);
    r0 = V::select(weak, V::clamp(V::add(p0, delta), zero, max255), r0);
    s0 = V::select(weak, V::clamp(V::sub(q0, delta), zero, max255), s0);
    if (mode == kLumaLines) {
      const T avg = V::template srai<1>(V::add(V::add(p0, q0), V::set1(1)));
      const T negTc0 = V::sub(zero, tc0);
      const T dp1 = V::clamp(V::template srai<1>(V::sub(V::add(p2, avg), V::template slli<1>(p1))),
                             negTc0, tc0);
      const T dq1 = V::clamp(V::template srai<1>(V::sub(V::add(q2, avg), V::template slli<1>(q1))),
                             negTc0, tc0);
      r1 = V::select(V::and_(weak, ap), V::add(p1, dp1), r1);
      s1 = V::select(V::and_(weak, aq), V::add(q1, dq1), s1);
    }
  }

  if (anyHard) {  // strength 4
    const T small = V::cmpgt(V::add(V::template srai<2>(alpha), two), V::absDiff(p0, q0));
    const T sp = V::and_(V::and_(ap, small), hard);
    const T sq = V::and_(V::and_(aq, small), hard);
    const T pq0 = V::add(p0, q0);
    const T wp0 = V::template srai<2>(V::add(V::add(V::add(V::template slli<1>(p1), p0), q1), two));
    const T wq0 = V::template srai<2>(V::add(V::add(V::add(V::template slli<1>(q1), q0), p1), two));
    r0 = V::select(hard, wp0, r0);
    s0 = V::select(hard, wq0, s0);
    if (V::any(V::or_(sp, sq))) {
      const T sp0 = V::template srai<3>(
          V::add(V::add(V::add(p2, V::template slli<1>(V::add(p1, pq0))), q1), four));
      const T sp1 = V::template srai<2>(V::add(V::add(V::add(p2, p1), pq0), two));
      const T sq0 = V::template srai<3>(
          V::add(V::add(V::add(q2, V::template slli<1>(V::add(q1, pq0))), p1), four));
      const T sq1 = V::template srai<2>(V::add(V::add(V::add(q2, q1), pq0), two));
      r0 = V::select(sp, sp0, r0);
      r1 = V::select(sp, sp1, r1);
      s0 = V::select(sq, sq0, s0);
      s1 = V::select(sq, sq1, s1);
      if (mode == kLumaLines) {
        const T threeP2 = V::add(p2, V::template slli<1>(p2));
        const T threeQ2 = V::add(q2, V::template slli<1>(q2));
        const T sp2 = V::template srai<3>(
            V::add(V::add(V::add(V::template slli<1>(p3), threeP2), V::add(p1, pq0)), four));
        const T sq2 = V::template srai<3>(
            V::add(V::add(V::add(V::template slli<1>(q3), threeQ2), V::add(q1, pq0)), four));
        r2 = V::select(sp, sp2, r2);
        s2 = V::select(sq, sq2, s2);
      }
    }
  }
  l.p[0] = r0, l.p[1] = r1, l.p[2] = r2;
  l.q[0] = s0, l.q[1] = s1, l.q[2] = s2;
  return true;
}

// Vertical edges are filtered across columns, so their rows are turned into columns first:
// eight rows of eight bytes (the low half of each 128-bit part of r[k]; wider vectors transpose
// one block per 128-bit part) become eight 16-bit column vectors whose lanes run down the rows.
template <class V>
inline void transposeBytes(const typename V::T r[8], typename V::T d[4]) {
  using T = typename V::T;
  const T a0 = V::unpacklo8(r[0], r[1]), a1 = V::unpacklo8(r[2], r[3]);
  const T a2 = V::unpacklo8(r[4], r[5]), a3 = V::unpacklo8(r[6], r[7]);
  const T b0 = V::unpacklo16(a0, a1), b1 = V::unpackhi16(a0, a1);
  const T b2 = V::unpacklo16(a2, a3), b3 = V::unpackhi16(a2, a3);
  d[0] = V::unpacklo32(b0, b2), d[1] = V::unpackhi32(b0, b2);
  d[2] = V::unpacklo32(b1, b3), d[3] = V::unpackhi32(b1, b3);
}

template <class V>
inline void rowsToColumns(const typename V::T r[8], typename V::T c[8]) {
  typename V::T d[4];
  transposeBytes<V>(r, d);  // d[k]: columns 2k and 2k + 1, eight bytes each
  for (int k = 0; k < 4; ++k) {
    c[2 * k] = V::unpacklo8(d[k], V::zero());
    c[2 * k + 1] = V::unpackhi8(d[k], V::zero());
  }
}

// The inverse: d[k] holds rows 2k and 2k + 1, eight bytes each, per 128-bit part.
template <class V>
inline void columnsToRows(const typename V::T c[8], typename V::T d[4]) {
  typename V::T r[8];
  for (int k = 0; k < 4; ++k) {
    r[2 * k] = V::packus(c[2 * k], c[2 * k + 1]);
    r[2 * k + 1] = V::highHalves(r[2 * k]);
  }
  transposeBytes<V>(r, d);
}

}  // namespace kd::avc::lanes
