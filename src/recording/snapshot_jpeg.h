#pragma once
// JPEG coding of snapshot pictures through libjpeg, in memory: the snapshot file adds its
// trailer and writes the file itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

// Baseline JPEG at quality 80 of a bottom-up BGR picture (width × 3 bytes per row).
bool encodeSnapshotJpeg(const uint8_t* bgrBottomUp, int width, int height,
                        std::vector<uint8_t>& jpeg, std::string& error);

// Decodes `jpeg` into bottom-up BGR rows (a grey picture is expanded to three equal components).
// Refused unless the picture is exactly `width` × `height`: the caller's sizes come from the
// file's trailer, and a disagreement means a damaged file.
bool decodeSnapshotJpeg(const uint8_t* jpeg, size_t size, int width, int height,
                        std::vector<uint8_t>& bgrBottomUp, std::string& error);

}  // namespace kd
