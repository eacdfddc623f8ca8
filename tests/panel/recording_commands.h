#pragma once
// A document stand-in for the panel: answers the state questions from its fields and writes
// every command it receives as one line ("seek 2 0").
#include <QSize>
#include <string>
#include <utility>
#include <vector>

#include "ui/panel_commands.h"

namespace kd::testing {

class RecordingCommands : public PanelCommands {
 public:
  bool recording = true;
  bool paused = false;
  bool snapshotShown = false;
  bool verifyingNow = false;
  bool motionSuspended = false;
  bool fullScreen = false;
  QSize client{640, 480};
  std::vector<std::string> calls;

  bool hasRecording() const override { return recording; }
  bool isPaused() const override { return paused; }
  bool snapshotPictureShown() const override { return snapshotShown; }
  bool verifying() const override { return verifyingNow; }
  bool isMotionSuspended() const override { return motionSuspended; }

  void openFile() override { log("open"); }
  void closeRecording() override { log("close"); }
  void togglePause() override { log("pause"); }
  void play() override { log("play"); }
  void setSpeed(int step) override { log("speed " + std::to_string(step)); }
  void stepForward() override { log("step forward"); }
  void stepBack() override { log("step back"); }
  void previousBlock() override { log("previous block"); }
  void nextBlock() override { log("next block"); }
  void seek(int block, int frame) override { log(at("seek", block, frame)); }
  void setPendingPosition(int block, int frame) override { log(at("pending", block, frame)); }
  void toggleMotionSuspend() override {
    motionSuspended = !motionSuspended;
    log(motionSuspended ? "suspend motion" : "resume motion");
  }

  void markClipStart() override { log("clip start"); }
  void markClipEnd() override { log("clip end"); }
  void saveClip() override { log("clip save"); }
  void loadClip() override { log("clip load"); }
  void snapshot() override { log("snapshot"); }
  void toggleCaptions() override { log("captions"); }
  void chooseCaptionColour() override { log("caption colour"); }
  void startVerification() override { log("verify"); }

  bool isFullScreen() const override { return fullScreen; }
  void toggleFullScreen() override { log("full screen"); }
  QSize clientSize() const override { return client; }
  void resizeClient(QSize size) override {
    client = size;
    log("resize " + std::to_string(size.width()) + "x" + std::to_string(size.height()));
  }
  void exitProgram() override { log("exit"); }

  // The calls since the last take, cleared.
  std::vector<std::string> take() { return std::exchange(calls, {}); }

 private:
  void log(std::string call) { calls.push_back(std::move(call)); }
  static std::string at(const char* what, int block, int frame) {
    return std::string(what) + " " + std::to_string(block) + " " + std::to_string(frame);
  }
};

}  // namespace kd::testing
