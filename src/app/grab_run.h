#pragma once
// kdplayer --grab: after start-up, seeks, pauses, sets the speed, waits and enters full screen as
// asked, then grabs the view into a PNG and prints what the player shows as one JSON object.
#include <QObject>
#include <QTimer>

#include "app/grab_options.h"

namespace kd {

class PlayerApplication;

class GrabRun : public QObject {
  Q_OBJECT

 public:
  GrabRun(PlayerApplication& player, GrabOptions options);
  // Begins the steps; the application quits with exitCode() when they are done.
  void start();
  int exitCode() const { return exitCode_; }

 private:
  void afterSeek();
  void afterWait();
  void waitForFullScreen(int triesLeft);
  void finish(bool opened);
  QByteArray report() const;

  PlayerApplication& player_;
  GrabOptions options_;
  bool seekShown_ = false;
  int exitCode_ = 1;
  QTimer seekTimeout_;
};

}  // namespace kd
