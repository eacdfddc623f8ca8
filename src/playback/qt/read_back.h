#pragma once
// Copies a read-back picture into the caller's buffer: 24-bit blue-green-red or 16-bit UYVY,
// rows from the picture's top, stepping by the request's stride (negative: from the buffer's last
// row upwards; 0: rows back to back).
#include <QImage>
#include <cstdint>

#include "playback/surface_view.h"

namespace kd {

// 0 on success; 1, with the buffer untouched, when a non-zero stride is shorter than a row (rows
// would overlap and run past the buffer) or the format is neither.
uint32_t writeReadBack(const QImage& picture, const ReadBackRequest& request);

// BT.601 studio-range UYVY of one RGB32 row, as display hardware converts in its stretch.
void rowToUyvy(const uint32_t* row, int width, uint8_t* out);

}  // namespace kd
