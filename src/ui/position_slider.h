#pragma once
// The control panel's position slider: range 0 … frame count, a tick at every block boundary and
// the clip selection drawn on the channel. The panel reads its moves and clicks and turns them
// into seeks and block jumps.
#include <QAbstractSlider>
#include <vector>

namespace kd {

// Block and frame within the block under slider position `position`. `ticks` holds the running
// frame total after each block (the last equals the frame count). A position at the far end
// stands for the last frame of the last block. Nothing (block −1) without ticks.
struct SliderLocation {
  int block = -1;
  int frame = 0;
};
SliderLocation locateOnTicks(int position, const std::vector<int>& ticks);

class CPositionSlider : public QAbstractSlider {
  Q_OBJECT

 public:
  static constexpr QRgb kBackground = 0xA8A8A8;

  explicit CPositionSlider(QWidget* parent = nullptr);

  void setTicks(const std::vector<int>& ticks);
  const std::vector<int>& ticks() const { return ticks_; }
  void setSelection(int from, int to);
  void clearSelection();
  bool hasSelection() const { return selectionTo_ > selectionFrom_; }
  int selectionFrom() const { return selectionFrom_; }
  int selectionTo() const { return selectionTo_; }

  // Geometry, for drawing and for tests that drive the mouse.
  QRect thumbRect() const;
  int xForValue(int value) const;

 signals:
  // The wheel turned over the slider: +1 forward (away from the user), −1 backward.
  void wheelTurned(int direction);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  int valueForX(int x) const;
  int channelLeft() const;
  int channelRight() const;

  std::vector<int> ticks_;
  int selectionFrom_ = 0;
  int selectionTo_ = 0;
  int grabOffset_ = 0;  // cursor x minus thumb centre while dragging
};

}  // namespace kd
