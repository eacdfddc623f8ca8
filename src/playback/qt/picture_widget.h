#pragma once
// The per-window output of the display layer: presenters hand it their composed picture (under
// the display lock, from any thread) and it draws that picture stretched over its client area in
// its own paint, on the user-interface thread.
#include <QImage>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <vector>

#include "playback/presenter.h"

namespace kd {

class PictureWidget : public QWidget, public PresentTarget {
  Q_OBJECT

 public:
  explicit PictureWidget(QWidget* parent = nullptr);

  // The calls below need the display lock held by the caller (display::lock()).
  // Replaces the shown picture and the icons; schedules a paint.
  void showFrame(const QImage& given);
  // Adds a 16 × 16 icon drawn one-to-one at the top-right or bottom-right corner of the window.
  void showCornerIcon(const QImage& icon, bool top);
  QImage shownFrame() const { return front_; }

  // The client size as last laid out; safe from any thread.
  QSize outputSize() const { return QSize(outputWidth_.load(), outputHeight_.load()); }
  // Pictures handed over so far.
  uint64_t framesShown() const { return framesShown_.load(); }
  // Draws what is shown into an image of the client size, as paint does (for tests and tools).
  QImage renderClient();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void paintInto(QPaintDevice& device, QSize size);

  struct CornerIcon {
    QImage picture;
    bool top;
  };
  QImage front_;
  QImage stretched_;  // front_ at the client size, rebuilt at every paint
  std::vector<CornerIcon> icons_;
  std::atomic<int> outputWidth_{0}, outputHeight_{0};
  std::atomic<uint64_t> framesShown_{0};
  std::atomic<bool> paintPending_{false};
};

}  // namespace kd
