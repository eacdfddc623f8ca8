#include "audio/g726_state.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <iterator>

namespace kd {

namespace {

// 24 kbit/s tables, indexed by the code word's magnitude |I| (0…3).
constexpr int kLogReconstruction[4] = {-2048, 135, 273, 373};  // log2 |DQ/y|, 1/128 units
constexpr int kScaleWeight[4] = {-4, 30, 137, 582};            // W(I), 1/16 units
constexpr int kTransitionWeight[4] = {0, 1, 2, 7};             // F(I)
// Quantiser decision levels of log2 |d/y| for |I| = 1, 2, 3, in 1/128 units.
constexpr int kDecisionLevels[3] = {8, 218, 331};

constexpr int kFloatZero = 32;  // mantissa 1.0 × 2^0 ≈ 0, the initial value of DQ and SR

// Number of significant bits of a non-negative value.
int bitLength(int value) {
  return int(std::bit_width(unsigned(value)));
}

}  // namespace

G726State::Float G726State::Float::of(bool negative, int magnitude) {
  const int exponent = bitLength(magnitude);
  return Float{negative, exponent, magnitude ? (magnitude << 6) >> exponent : kFloatZero};
}

namespace {

// FMULT: a predictor coefficient (16-bit, 2^-14 units) times a value in floating form; the
// product carries one extra fraction bit.
int floatMultiply(int coefficient, const G726State::Float& value) {
  const bool coefNegative = coefficient < 0;
  const int coefMagnitude = coefNegative ? (-(coefficient >> 2)) & 0x1FFF : coefficient >> 2;
  const int coefExponent = bitLength(coefMagnitude);
  const int coefMantissa = coefMagnitude ? (coefMagnitude << 6) >> coefExponent : kFloatZero;

  const int exponent = value.exponent + coefExponent;
  const int mantissa = (coefMantissa * value.mantissa + 48) >> 4;
  const int magnitude = exponent >= 19 ? mantissa << (exponent - 19) : mantissa >> (19 - exponent);
  return value.negative != coefNegative ? -magnitude : magnitude;
}

int codeMagnitude(int code) {
  return (code & 4) ? 7 - code : code;
}

}  // namespace

void G726State::reset() {
  yl_ = 34816;
  yu_ = 544;
  dms_ = dml_ = ap_ = 0;
  std::fill(std::begin(a_), std::end(a_), 0);
  std::fill(std::begin(b_), std::end(b_), 0);
  std::fill(std::begin(pk_), std::end(pk_), 0);
  std::fill(std::begin(dq_), std::end(dq_), Float{});
  std::fill(std::begin(sr_), std::end(sr_), Float{});
  td_ = 0;
}

// MIX: the quantiser scale factor, between the fast and the slow one by the speed control; the
// slow factor's fraction bits take part in the rounding.
int G726State::stepSize() const {
  const int weight = ap_ >= 256 ? 64 : ap_ >> 2;
  return (yl_ + (yu_ - (yl_ >> 6)) * weight) >> 6;
}

G726State::Estimate G726State::estimate() const {
  int zeros = 0;
  for (int i = 0; i < 6; ++i) zeros += floatMultiply(b_[i], dq_[i]);
  const int all = zeros + floatMultiply(a_[0], sr_[0]) + floatMultiply(a_[1], sr_[1]);
  return Estimate{all >> 1, zeros >> 1};
}

// ADDA and ANTILOG: the quantised difference of a code word at scale factor y.
G726State::Difference G726State::reconstructDifference(int code, int y) const {
  const int logValue = kLogReconstruction[codeMagnitude(code)] + (y >> 2);
  const bool negative = (code & 4) != 0;
  if (logValue < 0) return Difference{0, negative};
  const int exponent = (logValue >> 7) & 15;
  const int mantissa = 128 + (logValue & 127);
  return Difference{(mantissa << 7) >> (14 - exponent), negative};
}

int G726State::reconstructSignal(int code, int y, const Estimate& e) {
  const Difference dq = reconstructDifference(code, y);
  const int signedDq = dq.negative ? -dq.magnitude : dq.magnitude;
  const int sr = e.signal + signedDq;
  update(code, y, dq, sr, signedDq + e.zeros);
  return sr;
}

int G726State::decode(int code) {
  const int y = stepSize();
  const Estimate e = estimate();
  return reconstructSignal(code & 7, y, e);
}

int G726State::encode(int sample14) {
  const int y = stepSize();
  const Estimate e = estimate();
  // LOG and SUBTB: log2 of the difference, normalised by the scale factor.
  const int d = sample14 - e.signal;
  const bool negative = d < 0;
  const int magnitude = negative ? -d : d;
  const int exponent = std::max(bitLength(magnitude) - 1, 0);
  const int logValue = (exponent << 7) + (((magnitude << 7) >> exponent) & 127) - (y >> 2);
  int level = 0;
  while (level < 3 && logValue >= kDecisionLevels[level]) ++level;
  // One's complement for negative differences; the all-zero word is never sent.
  const int code = negative ? 7 - level : (level == 0 ? 7 : level);
  reconstructSignal(code, y, e);
  return code;
}

void G726State::update(int code, int y, const Difference& dq, int sr, int dqsez) {
  const int magnitudeIndex = codeMagnitude(code);

  // TRANS: a transition from a tone ends the predictor's adaptation at once.
  const int ylInt = yl_ >> 15;
  const int ylFrac = (yl_ >> 10) & 31;
  const int thr1 = (32 + ylFrac) << ylInt;
  const int thr2 = ylInt > 9 ? 31 << 10 : thr1;
  const int dqThreshold = (thr2 + (thr2 >> 1)) >> 1;
  const bool transition = td_ && dq.magnitude > dqThreshold;

  // Scale factor adaptation (FILTD, LIMB, FILTE).
  yu_ = std::clamp(y + (((kScaleWeight[magnitudeIndex] << 5) - y) >> 5), 544, 5120);
  yl_ += yu_ + ((-yl_) >> 6);

  // Predictor coefficients (UPA2, LIMC, UPA1, LIMD, UPB, TRIGB).
  const int pk0 = dqsez < 0 ? 1 : 0;
  const bool zeroGradient = dqsez == 0;
  int a2 = 0;
  if (transition) {
    a_[0] = a_[1] = 0;
    std::fill(std::begin(b_), std::end(b_), 0);
  } else {
    const bool pks1 = pk0 != pk_[0];
    const bool pks2 = pk0 != pk_[1];
    a2 = a_[1] - (a_[1] >> 7);
    if (!zeroGradient) {
      const int fa1 = std::clamp(a_[0], -8191, 8191) << 2;
      a2 += ((pks2 ? -16384 : 16384) + (pks1 ? fa1 : -fa1)) >> 7;
    }
    a2 = std::clamp(a2, -12288, 12288);
    int a1 = a_[0] - (a_[0] >> 8);
    if (!zeroGradient) a1 += pks1 ? -192 : 192;
    const int a1Limit = 15360 - a2;
    a_[0] = std::clamp(a1, -a1Limit, a1Limit);
    a_[1] = a2;
    for (int i = 0; i < 6; ++i) {
      b_[i] -= b_[i] >> 8;
      if (dq.magnitude) b_[i] += dq.negative != dq_[i].negative ? -128 : 128;
    }
  }

  // Delay line of the quantised differences and reconstructed signals.
  for (int i = 5; i > 0; --i) dq_[i] = dq_[i - 1];
  dq_[0] = Float::of(dq.negative, dq.magnitude);
  sr_[1] = sr_[0];
  sr_[0] = Float::of(sr < 0, sr < 0 ? -sr : sr);
  pk_[1] = pk_[0];
  pk_[0] = pk0;

  // TONE: a strongly negative second pole marks a tone.
  td_ = !transition && a2 < -11776;

  // Adaptation speed control (FUNCTF, FILTA, FILTB, SUBTC, FILTC, TRIGA).
  const int f = kTransitionWeight[magnitudeIndex];
  dms_ += ((f << 9) - dms_) >> 5;
  dml_ += ((f << 11) - dml_) >> 7;
  if (transition) {
    ap_ = 256;
  } else {
    const bool fast = y < 1536 || td_ || std::abs((dms_ << 2) - dml_) >= (dml_ >> 3);
    ap_ += (((fast ? 1 : 0) << 9) - ap_) >> 4;
  }
}

}  // namespace kd
