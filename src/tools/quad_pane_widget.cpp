#include "tools/quad_pane_widget.h"

#include <QMetaObject>
#include <QMouseEvent>

#include "playback/qt/display_resources.h"
#include "playback/qt/side_pictures.h"

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
  ++channelFrames_;
  if (handlers_.frame) handlers_.frame(index_, shown);
}

void QuadPaneWidget::onQuadStopped() {
  if (handlers_.stopped) handlers_.stopped(index_);
}

// Called with a presenter on the worker when the channel joins, with none under the channel's
// lock when it closes: the stand-by picture is drawn later, on this thread, outside that lock.
void QuadPaneWidget::setPresenter(Presenter* presenter) {
  presenting_ = presenter != nullptr;
  if (!presenter)
    QMetaObject::invokeMethod(
        this, [this] { showStandby(); }, Qt::QueuedConnection);
}

void QuadPaneWidget::setSelected(bool selected) {
  selected_ = selected;
  showStandby();
}

void QuadPaneWidget::showStandby() {
  if (presenting_) return;  // a channel joined meanwhile
  display::drawSidePicture(this, side_picture::kStandbyB, selected_);
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
