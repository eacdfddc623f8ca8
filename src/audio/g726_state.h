#pragma once
// The adaptive core of ITU-T G.726 at 24 kbit/s (3-bit code words): the inverse quantiser, the
// step-size adaptation, the pole-zero predictor and the tone and transition detectors, all in
// the Recommendation's fixed-point arithmetic. Decoder and encoder share it so that both sides
// track the same state.
#include <cstdint>

namespace kd {

class G726State {
 public:
  G726State() { reset(); }
  // The Recommendation's initial state.
  void reset();

  // Decodes one code word (0…7) into the 14-bit reconstructed signal.
  int decode(int code);
  // Quantises one 14-bit sample into a code word and advances the state as the decoder will.
  int encode(int sample14);

  // The Recommendation's floating form of DQ and SR: sign, exponent, 6-bit mantissa.
  struct Float {
    bool negative = false;
    int exponent = 0;
    int mantissa = 32;  // 1.0 × 2^0 ≈ 0, the initial value
    static Float of(bool negative, int magnitude);
  };

 private:
  // Magnitude, sign and floating form of the quantised difference.
  struct Difference {
    int magnitude;
    bool negative;
  };
  struct Estimate {
    int signal;  // SE
    int zeros;   // SEZ: the six-zero part alone
  };

  int stepSize() const;
  Estimate estimate() const;
  Difference reconstructDifference(int code, int y) const;
  int reconstructSignal(int code, int y, const Estimate& e);
  void update(int code, int y, const Difference& dq, int sr, int dqsez);

  int32_t yl_;   // slow scale factor
  int yu_;       // fast scale factor
  int dms_;      // short-term average of F(I)
  int dml_;      // long-term average of F(I)
  int ap_;       // speed control
  int a_[2];     // pole coefficients
  int b_[6];     // zero coefficients
  int pk_[2];    // signs of past DQ + SEZ
  Float dq_[6];  // past quantised differences
  Float sr_[2];  // past reconstructed signals
  int td_;       // tone detected
};

}  // namespace kd
