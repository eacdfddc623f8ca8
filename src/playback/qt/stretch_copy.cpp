#include "playback/qt/stretch_copy.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace kd {

bool stretchCopy(const QImage& source, const QRect& from, QImage& destination, const QRect& to,
                 bool blackTransparent) {
  if (from.isEmpty() || to.isEmpty() || !source.rect().contains(from)) return false;
  const QRect clipped = to.intersected(destination.rect());
  if (clipped.isEmpty()) return true;  // nothing of it is visible
  const int sw = from.width(), sh = from.height(), dw = to.width(), dh = to.height();

  // Source column of every destination column, computed once per copy.
  std::vector<int> columns(static_cast<size_t>(clipped.width()));
  for (int x = clipped.left(); x <= clipped.right(); ++x)
    columns[size_t(x - clipped.left())] = from.left() + int(int64_t(x - to.left()) * sw / dw);
  for (int& c : columns)
    if (c > from.right()) c = from.right();

  // A slight enlargement or reduction (a picture area a few pixels smaller than the surface) maps
  // long runs of neighbouring columns to neighbouring columns: such rows are copied run by run.
  struct Run {
    int at, from, length;
  };
  std::vector<Run> runs;
  if (!blackTransparent && sw != dw) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (!runs.empty() && columns[i] == columns[i - 1] + 1)
        ++runs.back().length;
      else
        runs.push_back({int(i), columns[i], 1});
    }
    if (runs.size() * 8 > columns.size()) runs.clear();  // short runs: the table is quicker
  }

  const bool oneToOneRows = sw == dw && !blackTransparent;
  // Exact doubling of an unclipped row (the usual window at twice the picture): each source
  // pixel twice, the same columns the table would pick.
  const bool doubledRows = dw == 2 * sw && !blackTransparent && clipped == to;
  int lastSourceRow = -1;
  for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
    int sy = from.top() + int(int64_t(y - to.top()) * sh / dh);
    if (sy > from.bottom()) sy = from.bottom();
    const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(sy));
    auto* out = reinterpret_cast<uint32_t*>(destination.scanLine(y)) + clipped.left();
    if (oneToOneRows) {
      std::memcpy(out, in + columns[0], size_t(clipped.width()) * 4);
      continue;
    }
    if (!blackTransparent && sy == lastSourceRow && y > clipped.top()) {
      // Vertical enlargement repeats the row just written.
      std::memcpy(
          out, reinterpret_cast<const uint32_t*>(destination.constScanLine(y - 1)) + clipped.left(),
          size_t(clipped.width()) * 4);
      continue;
    }
    lastSourceRow = sy;
    if (blackTransparent) {
      for (size_t i = 0; i < columns.size(); ++i) {
        const uint32_t px = in[columns[i]];
        if (px & 0x00FFFFFF) out[i] = px;
      }
    } else if (!runs.empty()) {
      for (const Run& run : runs) std::memcpy(out + run.at, in + run.from, size_t(run.length) * 4);
    } else if (doubledRows) {
      const uint32_t* row = in + from.left();
      for (int i = 0; i < sw; ++i) out[2 * i] = out[2 * i + 1] = row[i];
    } else {
      for (size_t i = 0; i < columns.size(); ++i) out[i] = in[columns[i]];
    }
  }
  return true;
}

}  // namespace kd
