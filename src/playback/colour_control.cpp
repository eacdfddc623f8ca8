#include "playback/colour_control.h"

namespace kd {

ColourControl::Effect ColourControl::setColours(const ColourSet& colours, bool snapshotShown,
                                                Presenter* presenter) {
  if (snapshotShown) {
    snapshot_ = colours;
    return Effect::RedrawSnapshot;
  }
  if (!presenter) return Effect::None;  // nothing open: nothing changes
  video_ = colours;
  if (video_.isNeutral())
    adjuster_.reset();  // stops the worker; frames go straight in again
  else
    startOn(presenter);
  return Effect::VideoChanged;
}

void ColourControl::onRecordingOpened(Presenter* presenter) {
  if (!video_.isNeutral() && presenter) startOn(presenter);
}

void ColourControl::onRecordingClosed() {
  adjuster_.reset();
}

void ColourControl::startOn(Presenter* presenter) {
  if (adjuster_) return;
  adjuster_ = std::make_unique<CColorAdjuster>();
  adjuster_->start(presenter);
}

}  // namespace kd
