#pragma once
// Grey intra pictures as face files store them: an intra picture of type 0 whose macroblocks
// carry CBPY, a 2-bit CBPC and the four luma blocks only.
#include <cstdint>
#include <vector>

namespace kd {

// Encodes a width × height grey picture (rows of `width` bytes, 1..1023 each way); `recon`, when
// given, receives the picture as the decoder will reproduce it.
std::vector<uint8_t> encodeGreyPicture(const uint8_t* grey, int width, int height, int quant,
                                       std::vector<uint8_t>* recon = nullptr);

}  // namespace kd
