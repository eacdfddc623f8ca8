#pragma once
// What the control panel asks of the document and the main window. The panel owns no playback
// state: every button goes through here. The document implements it; tests use a recorder.
#include <QSize>

namespace kd {

class PanelCommands {
 public:
  virtual ~PanelCommands() = default;

  // State the panel's rules read.
  virtual bool hasRecording() const = 0;
  virtual bool isPaused() const = 0;
  virtual bool snapshotPictureShown() const = 0;  // picture mode (BMP or JPEG)
  virtual bool verifying() const = 0;             // the verification pass runs
  virtual bool isMotionSuspended() const = 0;

  // Playback.
  virtual void openFile() = 0;        // the open command (the browser)
  virtual void closeRecording() = 0;  // the stop button
  virtual void togglePause() = 0;
  virtual void play() = 0;              // 1 x; with nothing open, the last recording again
  virtual void setSpeed(int step) = 0;  // −4 … 4
  virtual void stepForward() = 0;
  virtual void stepBack() = 0;
  virtual void previousBlock() = 0;
  virtual void nextBlock() = 0;
  virtual void seek(int block, int frame) = 0;
  virtual void setPendingPosition(int block, int frame) = 0;  // applied when playback resumes
  virtual void toggleMotionSuspend() = 0;

  // Tools.
  virtual void markClipStart() = 0;
  virtual void markClipEnd() = 0;
  virtual void saveClip() = 0;
  virtual void loadClip() = 0;
  virtual void snapshot() = 0;
  virtual void toggleCaptions() = 0;
  virtual void chooseCaptionColour() = 0;
  virtual void startVerification() = 0;

  // The main window.
  virtual bool isFullScreen() const = 0;
  virtual void toggleFullScreen() = 0;
  virtual QSize clientSize() const = 0;
  virtual void resizeClient(QSize size) = 0;  // position kept
  virtual void exitProgram() = 0;             // close the recording, then end the program
};

}  // namespace kd
