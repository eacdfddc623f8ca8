#include "playback/caption_layout.h"

#include "playback/caption_info.h"

namespace kd {

namespace {
constexpr int kLineWidth = 200;
constexpr int kLineHeight = 20;
constexpr int kMargin = 5;
constexpr int kIconSize = 16;

CaptionRect halved(CaptionRect r) {
  return {r.left / 2, r.top / 2, r.right / 2, r.bottom / 2};
}

// Keeps arithmetic on a careless record's area far from overflow; no picture is this large.
int32_t bounded(int32_t v) {
  constexpr int32_t kLimit = 1 << 20;
  return v < -kLimit ? -kLimit : (v > kLimit ? kLimit : v);
}
}  // namespace

CaptionLayout::CaptionLayout(const CaptionInfo& record, int surfaceWidth, int surfaceHeight)
    : flags_(record.flags), mode_(int(record.scale())) {
  if (flags_ & caption_flags::kArea)
    area_ = {bounded(record.areaLeft), bounded(record.areaTop), bounded(record.areaRight),
             bounded(record.areaBottom)};
  else
    area_ = {0, 0, surfaceWidth, surfaceHeight};
}

bool CaptionLayout::wholeArea(CaptionRect& out) const {
  out = area_;
  if (!(flags_ & (2u << caption_flags::kScaleShift))) return true;
  out = halved(area_);
  return mode_ == int(CaptionScale::Halved);
}

CaptionRect CaptionLayout::scaledText(CaptionRect r) const {
  if (mode_ == int(CaptionScale::Doubled)) {
    r.left *= 2;
    r.right *= 2;
  }
  return scaledOther(r);
}

CaptionRect CaptionLayout::scaledOther(CaptionRect r) const {
  return mode_ == int(CaptionScale::Halved) ? halved(r) : r;
}

CaptionRect CaptionLayout::iconA() const {
  const int width = mode_ == int(CaptionScale::Doubled) ? 2 * kIconSize : kIconSize;
  return scaledOther({area_.right - width, area_.bottom - kIconSize, area_.right, area_.bottom});
}

CaptionRect CaptionLayout::iconB() const {
  const int width = mode_ == int(CaptionScale::Doubled) ? 2 * kIconSize : kIconSize;
  return scaledOther({area_.right - width, area_.top, area_.right, area_.top + kIconSize});
}

CaptionRect CaptionLayout::firstLine() const {
  const int left = area_.left + kMargin, top = area_.top + 25;
  return scaledText({left, top, left + kLineWidth, top + kLineHeight});
}

CaptionRect CaptionLayout::secondLine() const {
  const int left = area_.left + kMargin, top = area_.top + 45;
  return scaledText({left, top, left + kLineWidth, top + kLineHeight});
}

CaptionRect CaptionLayout::stackLine(int raise) const {
  const int left = area_.left + kMargin;
  const int bottom = area_.bottom - kMargin - raise * kLineHeight;
  return scaledText({left, bottom - kLineHeight, left + kLineWidth, bottom});
}

CaptionRect CaptionLayout::endTime() const {
  return stackLine(0);
}

CaptionRect CaptionLayout::currentTime() const {
  return stackLine((flags_ & caption_flags::kEndTime) ? 1 : 0);
}

CaptionRect CaptionLayout::startTime() const {
  return stackLine(((flags_ & caption_flags::kEndTime) ? 1 : 0) +
                   ((flags_ & caption_flags::kCurrentTime) ? 1 : 0));
}

CaptionRect CaptionLayout::date() const {
  return stackLine(((flags_ & caption_flags::kEndTime) ? 1 : 0) +
                   ((flags_ & caption_flags::kCurrentTime) ? 1 : 0) +
                   ((flags_ & caption_flags::kStartTime) ? 1 : 0));
}

CaptionRect CaptionLayout::gmtLabel() const {
  const bool doubled = mode_ == int(CaptionScale::Doubled);
  const int right = area_.right - (doubled ? 10 : kMargin);
  const int width = doubled ? 140 : 70;
  return scaledOther(
      {right - width, area_.top + kMargin, right, area_.top + kMargin + kLineHeight});
}

}  // namespace kd
