#include "ui/position_slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>

namespace kd {

namespace {
constexpr int kThumbHalfWidth = 4;
constexpr int kGrooveTop = 4;
constexpr int kGrooveHeight = 4;
constexpr int kTickTop = 12;
}  // namespace

SliderLocation locateOnTicks(int position, const std::vector<int>& ticks) {
  if (ticks.empty()) return {};
  // Block i spans [ticks[i − 1], ticks[i]); the walk stops at the last block, so the far end of
  // the range (equal to the frame count) stays inside the recording.
  const int last = int(ticks.size()) - 1;
  int block = 0;
  while (block < last && position >= ticks[size_t(block)]) ++block;
  const int start = block == 0 ? 0 : ticks[size_t(block) - 1];
  const int frames = ticks[size_t(block)] - start;
  const int frame = std::clamp(position - start, 0, std::max(frames - 1, 0));
  return {block, frame};
}

CPositionSlider::CPositionSlider(QWidget* parent) : QAbstractSlider(parent) {
  setOrientation(Qt::Horizontal);
  setRange(0, 0);
  setTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CPositionSlider::setTicks(const std::vector<int>& ticks) {
  ticks_ = ticks;
  update();
}

void CPositionSlider::setSelection(int from, int to) {
  selectionFrom_ = std::min(from, to);
  selectionTo_ = std::max(from, to);
  update();
}

void CPositionSlider::clearSelection() {
  setSelection(0, 0);
}

int CPositionSlider::channelLeft() const {
  return kThumbHalfWidth + 1;
}
int CPositionSlider::channelRight() const {
  return width() - kThumbHalfWidth - 2;
}

int CPositionSlider::xForValue(int value) const {
  const int span = maximum() - minimum();
  if (span <= 0) return channelLeft();
  const qint64 along = qint64(std::clamp(value, minimum(), maximum()) - minimum());
  return channelLeft() + int((along * (channelRight() - channelLeft()) + span / 2) / span);
}

int CPositionSlider::valueForX(int x) const {
  const int length = channelRight() - channelLeft();
  if (length <= 0) return minimum();
  const qint64 along = std::clamp(x - channelLeft(), 0, length);
  const qint64 span = qint64(maximum()) - minimum();
  return minimum() + int((along * span + length / 2) / length);
}

QRect CPositionSlider::thumbRect() const {
  const int centre = xForValue(sliderPosition());
  return QRect(centre - kThumbHalfWidth, 1, 2 * kThumbHalfWidth + 1, height() - 3);
}

void CPositionSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();  // also with no range: a press on the slider never drags the panel
  if (maximum() <= minimum()) return;
  const int x = event->position().toPoint().x();
  const QRect thumb = thumbRect();
  if (thumb.contains(event->position().toPoint())) {
    grabOffset_ = x - thumb.center().x();
    setSliderDown(true);
    return;
  }
  // A click beside the thumb pages towards the click.
  triggerAction(x > thumb.center().x() ? SliderPageStepAdd : SliderPageStepSub);
}

void CPositionSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!isSliderDown()) {
    event->ignore();
    return;
  }
  event->accept();
  setSliderPosition(valueForX(event->position().toPoint().x() - grabOffset_));
}

void CPositionSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (!isSliderDown() || event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  setSliderDown(false);
}

void CPositionSlider::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  event->accept();
  emit wheelTurned(delta > 0 ? 1 : -1);
}

void CPositionSlider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(kBackground));

  // Sunken groove along the channel.
  const int left = channelLeft() - 2;
  const int right = channelRight() + 2;
  const QRect groove(left, kGrooveTop, right - left + 1, kGrooveHeight);
  p.fillRect(groove, QColor(0x3A, 0x3A, 0x3A));
  p.fillRect(QRect(groove.left(), groove.top() - 1, groove.width(), 1), QColor(0x70, 0x70, 0x70));
  p.fillRect(QRect(groove.left(), groove.bottom() + 1, groove.width(), 1),
             QColor(0xE4, 0xE4, 0xE4));

  // Clip selection: a band in the groove with a mark under each end.
  if (hasSelection()) {
    const int from = xForValue(selectionFrom_);
    const int to = std::max(xForValue(selectionTo_), from + 1);
    const QColor band(0x2F, 0x8F, 0xFF);
    p.fillRect(QRect(from, kGrooveTop, to - from + 1, kGrooveHeight), band);
    for (int x : {from, to}) p.fillRect(QRect(x, kGrooveTop + kGrooveHeight + 1, 1, 2), band);
  }

  // Block boundaries as ticks under the groove, and the two ends of the range.
  const QColor tickColour(0x30, 0x30, 0x30);
  auto tick = [&](int value, int length) {
    p.fillRect(QRect(xForValue(value), kTickTop, 1, length), tickColour);
  };
  tick(minimum(), 3);
  tick(maximum(), 3);
  for (int t : ticks_) tick(t, 2);

  // The thumb: a light key with a point towards the ticks.
  if (maximum() <= minimum()) return;
  const QRect thumb = thumbRect();
  p.setRenderHint(QPainter::Antialiasing, true);
  const qreal l = thumb.left() + 0.5, r = thumb.right() + 0.5;
  const qreal top = thumb.top() + 0.5, shoulder = thumb.bottom() - 3.5;
  QPainterPath key;
  key.moveTo(l, top);
  key.lineTo(r, top);
  key.lineTo(r, shoulder);
  key.lineTo((l + r) / 2, thumb.bottom() + 0.5);
  key.lineTo(l, shoulder);
  key.closeSubpath();
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
  p.setBrush(isSliderDown() ? QColor(0xC8, 0xD8, 0xF0) : QColor(0xF2, 0xF2, 0xF2));
  p.drawPath(key);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(thumb.center().x(), thumb.top() + 3, 1, thumb.height() - 8),
             QColor(0x60, 0x60, 0x60));
}

}  // namespace kd
