#include "decode/avc/avc_vlc.h"

#include <algorithm>

namespace kd::avc {

VlcLookup::VlcLookup(const VlcCode* codes, int count) {
  for (int i = 0; i < count; ++i) maxLength_ = std::max<int>(maxLength_, codes[i].length);
  entries_.resize(size_t(1) << maxLength_);
  for (int i = 0; i < count; ++i) {
    const int len = codes[i].length;
    if (len == 0) continue;
    const uint32_t first = uint32_t(codes[i].code) << (maxLength_ - len);
    const uint32_t span = 1u << (maxLength_ - len);
    for (uint32_t k = 0; k < span; ++k) {
      entries_[first + k].symbol = uint8_t(i);
      entries_[first + k].length = uint8_t(len);
    }
  }
}

namespace {

struct Tables {
  std::vector<VlcLookup> all;
  VlcSet set{};
  Tables() {
    all.reserve(32);
    for (int t = 0; t < 4; ++t) all.emplace_back(&kCoeffToken[t][0][0], 17 * 4);
    all.emplace_back(&kChromaDcCoeffToken[0][0], 5 * 4);
    for (int t = 0; t < 15; ++t) all.emplace_back(kTotalZeros[t], 16);
    for (int t = 0; t < 3; ++t) all.emplace_back(kChromaDcTotalZeros[t], 4);
    for (int t = 0; t < 7; ++t) all.emplace_back(kRunBefore[t], 15);
    all.emplace_back(kMotionCode, 33);
    int k = 0;
    for (int t = 0; t < 4; ++t) set.coeffToken[t] = &all[k++];
    set.chromaDcCoeffToken = &all[k++];
    for (int t = 0; t < 15; ++t) set.totalZeros[t] = &all[k++];
    for (int t = 0; t < 3; ++t) set.chromaDcTotalZeros[t] = &all[k++];
    for (int t = 0; t < 7; ++t) set.runBefore[t] = &all[k++];
    set.motionMagnitude = &all[k++];
  }
};

}  // namespace

const VlcSet& vlcSet() {
  static const Tables tables;
  return tables.set;
}

}  // namespace kd::avc
