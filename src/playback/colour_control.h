#pragma once
// The player view's two colour sets and the colour worker's life: the video set runs a worker on
// the recording's presenter while it is not neutral; the snapshot set is applied when a snapshot
// picture is drawn and never starts a thread.
#include <memory>

#include "playback/colour_adjuster.h"
#include "playback/colour_set.h"

namespace kd {

class Presenter;

class ColourControl {
 public:
  // What a change of colours asks of the view.
  enum class Effect { None, RedrawSnapshot, VideoChanged };

  // The image configuration dialog's callback. `snapshotShown`: the document shows a snapshot
  // picture; `presenter`: the open recording's presenter, or null when none is open.
  Effect setColours(const ColourSet& colours, bool snapshotShown, Presenter* presenter);
  void onRecordingOpened(Presenter* presenter);
  // Before the document releases the presenter.
  void onRecordingClosed();

  const ColourSet& videoSet() const { return video_; }
  const ColourSet& snapshotSet() const { return snapshot_; }
  // The running worker, or null: frames then go straight into the presenter.
  CColorAdjuster* adjuster() { return adjuster_.get(); }

 private:
  void startOn(Presenter* presenter);

  ColourSet video_;
  ColourSet snapshot_;
  std::unique_ptr<CColorAdjuster> adjuster_;
};

}  // namespace kd
