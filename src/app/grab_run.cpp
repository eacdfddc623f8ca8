#include "app/grab_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QSlider>
#include <cstdio>

#include "app/main_frame.h"
#include "app/player_application.h"
#include "app/player_document.h"
#include "playback/play_engine.h"
#include "ui/player_panel.h"
#include "ui/player_view.h"
#include "ui/position_slider.h"

namespace kd {

namespace {
constexpr int kSeekTimeoutMs = 20000;
constexpr int kFullScreenTries = 250;  // 20 ms apart
}  // namespace

GrabRun::GrabRun(PlayerApplication& player, GrabOptions options)
    : player_(player), options_(std::move(options)) {}

void GrabRun::start() {
  CKadrelPlayerDoc& document = *player_.document();
  const bool opened = document.hasRecording() || document.snapshotPictureShown();
  if (!opened) {
    // Let the view paint the idle picture with the reason first.
    QTimer::singleShot(50, this, [this] { finish(false); });
    return;
  }
  if (!document.hasRecording() || (!options_.seek && !options_.pause)) {
    afterSeek();
    return;
  }
  // --seek waits for its frame; --pause alone for the first frame shown, so that it pauses on a
  // picture rather than before one.
  connect(&document, &CKadrelPlayerDoc::frameShown, this, [this, &document](int block, int frame) {
    if (seekShown_) return;
    if (options_.seek && (block != options_.seekBlock || frame != options_.seekFrame)) return;
    seekShown_ = true;
    // Paused on the shown frame itself, before the play window reads on.
    if (options_.pause && !document.isPaused()) document.togglePause();
    seekTimeout_.stop();
    QTimer::singleShot(0, this, [this] { afterSeek(); });
  });
  seekTimeout_.setSingleShot(true);
  connect(&seekTimeout_, &QTimer::timeout, this, [this] {
    if (options_.seek)
      std::fprintf(stderr, "kdplayer: frame %d:%d was not shown\n", options_.seekBlock,
                   options_.seekFrame);
    else
      std::fprintf(stderr, "kdplayer: no frame was shown\n");
    finish(false);
  });
  seekTimeout_.start(kSeekTimeoutMs);
  if (!options_.seek) return;
  CPlayWnd* player = document.player();
  if (!player || !player->seek(options_.seekBlock, options_.seekFrame)) {
    seekTimeout_.stop();
    std::fprintf(stderr, "kdplayer: cannot go to block %d frame %d\n", options_.seekBlock,
                 options_.seekFrame);
    finish(false);
  }
}

void GrabRun::afterSeek() {
  CKadrelPlayerDoc& document = *player_.document();
  if (options_.speedSet) {
    // As the operator would: the lamp of that speed on the panel.
    CPlayerPanel* panel = document.panel();
    QAbstractButton* lamp = panel ? panel->button(1057 + options_.speed + 4) : nullptr;
    if (lamp)
      lamp->click();
    else
      document.setSpeed(options_.speed);
  }
  QTimer::singleShot(options_.waitMs, this, [this] { afterWait(); });
}

void GrabRun::afterWait() {
  CMainFrame& frame = *player_.mainFrame();
  if (options_.fullScreen && !frame.isFullScreenMode()) frame.toggleFullScreen();
  if (options_.fullScreen)
    waitForFullScreen(kFullScreenTries);
  else
    finish(true);
}

void GrabRun::waitForFullScreen(int triesLeft) {
  CMainFrame& frame = *player_.mainFrame();
  const QRect screen = frame.screen() ? frame.screen()->geometry() : QRect();
  const QRect client(frame.geometry().topLeft() + frame.view()->mapTo(&frame, QPoint(0, 0)),
                     frame.view()->size());
  if (client.contains(screen) || triesLeft <= 0) {
    finish(true);
    return;
  }
  QTimer::singleShot(20, this, [this, triesLeft] { waitForFullScreen(triesLeft - 1); });
}

void GrabRun::finish(bool opened) {
  CMainFrame& frame = *player_.mainFrame();
  const QImage picture = frame.view()->grabClient();
  const QByteArray json = report();
  if (!picture.save(options_.output, "PNG")) {
    std::fprintf(stderr, "kdplayer: %s: cannot be written\n", qPrintable(options_.output));
    opened = false;
  }
  std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  exitCode_ = opened ? 0 : 1;
  QApplication::exit(exitCode_);
}

QByteArray GrabRun::report() const {
  CKadrelPlayerDoc& document = *player_.document();
  CMainFrame& frame = *player_.mainFrame();
  QJsonObject o;
  o["title"] = document.title();
  o["client"] = QJsonArray{frame.clientSize().width(), frame.clientSize().height()};
  o["full_screen"] = frame.isFullScreenMode();
  o["mode"] = document.mode();
  o["position"] = QJsonObject{{"block", document.currentBlock()},
                              {"frame", document.currentFrame()},
                              {"number", qint64(document.currentNumber())}};
  QJsonObject slider{{"min", 0}, {"max", 0}, {"ticks", QJsonArray()}};
  QJsonArray panelRect{0, 0, 0, 0};
  if (CPlayerPanel* panel = document.panel()) {
    QJsonArray ticks;
    for (int tick : panel->slider()->ticks()) ticks.append(tick);
    slider = QJsonObject{
        {"min", panel->slider()->minimum()}, {"max", panel->slider()->maximum()}, {"ticks", ticks}};
    const QRect r = panel->frameGeometry();
    panelRect = QJsonArray{r.x(), r.y(), r.width(), r.height()};
  }
  o["slider"] = slider;
  o["panel"] = panelRect;
  o["paused"] = document.isPaused();
  o["speed"] = document.speed();
  return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace kd
