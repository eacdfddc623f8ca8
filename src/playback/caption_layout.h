#pragma once
// Where each caption item lands on the presented surface, by the record's flags and area and the
// scale mode (bits 18–19).
#include <cstdint>

namespace kd {

struct CaptionInfo;

// Left, top, right, bottom; right and bottom exclusive.
struct CaptionRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool operator==(const CaptionRect&) const = default;
};

class CaptionLayout {
 public:
  // `flags` and the area as the overlay's copy of the record holds them.
  CaptionLayout(const CaptionInfo& record, int surfaceWidth, int surfaceHeight);

  // The area, halved with bit 19; false with bit 19 set and a mode other than 2.
  bool wholeArea(CaptionRect& out) const;
  CaptionRect iconA() const;
  CaptionRect iconB() const;
  CaptionRect firstLine() const;
  CaptionRect secondLine() const;
  CaptionRect currentTime() const;
  CaptionRect startTime() const;
  CaptionRect endTime() const;
  CaptionRect date() const;
  CaptionRect gmtLabel() const;

 private:
  // A bottom-left line `raise` lines above the lowest place.
  CaptionRect stackLine(int raise) const;
  CaptionRect scaledText(CaptionRect r) const;
  CaptionRect scaledOther(CaptionRect r) const;

  uint32_t flags_;
  int mode_;
  CaptionRect area_;
};

}  // namespace kd
