#include "tools/quad_pane_widget.h"

#include <QMouseEvent>

namespace kd {

QuadPaneWidget::QuadPaneWidget(int index, Handlers handlers, QWidget* parent)
    : PictureWidget(parent), index_(index), handlers_(std::move(handlers)) {
  setObjectName(QStringLiteral("pane%1").arg(index));
}

void QuadPaneWidget::setCaptions(const std::string& camera, const std::string& card,
                                 const std::string& host) {
  camera_ = camera, card_ = card, host_ = host;
}

void QuadPaneWidget::onQuadChannelReady(const QuadPosition& first) {
  if (handlers_.ready) handlers_.ready(index_, first);
}

void QuadPaneWidget::onQuadFrame(const QuadPosition& shown) {
  if (handlers_.frame) handlers_.frame(index_, shown);
}

void QuadPaneWidget::onQuadStopped() {
  if (handlers_.stopped) handlers_.stopped(index_);
}

void QuadPaneWidget::setCaptionOn(bool on) {
  flags_ = on ? (flags_.load() | kCaptionsWanted) : (flags_.load() & ~kCaptionsWanted);
}

void QuadPaneWidget::setSoundPane(bool on) {
  flags_ = on ? (flags_.load() | kSoundPane) : (flags_.load() & ~kSoundPane);
}

void QuadPaneWidget::mousePressEvent(QMouseEvent* event) {
  if (handlers_.clicked) handlers_.clicked(index_);
  event->accept();
}

void QuadPaneWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (handlers_.doubleClicked) handlers_.doubleClicked(index_);
  event->accept();
}

}  // namespace kd
