#include "tools/quad_dialog.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <ctime>
#include <filesystem>

#include "platform/background_job.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "playback/qt/ddraw_presenter.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/qt_engine_clock.h"
#include "playback/quad_clip_name.h"
#include "recording/clip_writer.h"
#include "recording/recording_reader.h"
#include "recording/snapshot_image.h"
#include "recording/snapshot_name.h"
#include "tools/quad_pane_widget.h"
#include "ui/job_progress.h"
#include "ui/position_slider.h"

namespace kd {

namespace {

QRect toQt(const QuadRect& r) {
  return QRect(r.x, r.y, r.width, r.height);
}

}  // namespace

CQuadDialog::CQuadDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("quadDialog");
  setWindowTitle("四分割播放");
  // The main frame sets the display objects up; opened on its own the dialog does.
  if (!display::hasDevice()) display::setUp();
  clock_ = std::make_unique<QtEngineClock>();
  window_ =
      std::make_unique<CQuadPlayWnd>(*clock_, CQuadPlayWnd::Threading::Worker, systemAudioDevices(),
                                     [] { return std::make_unique<DDrawPresenter>(); });
  QuadPaneWidget::Handlers handlers;
  handlers.ready = [this](int p, const QuadPosition& first) { onReady(p, first); };
  handlers.frame = [this](int p, const QuadPosition& shown) { onFrame(p, shown); };
  handlers.stopped = [this](int p) { onStopped(p); };
  handlers.clicked = [this](int p) { selectPane(p); };
  handlers.doubleClicked = [this](int p) { toggleEnlarged(p); };
  for (int i = 0; i < 4; ++i) {
    panes_[i] = new QuadPaneWidget(i, handlers, this);
    panes_[i]->setSoundPane(i == 0);
    sliders_[i] = new CPositionSlider(this);
    sliders_[i]->setObjectName(QStringLiteral("slider%1").arg(kFirstSliderId + i));
    sliders_[i]->setGeometry(toQt(QuadDialogModel::sliderRect()));
    sliders_[i]->setVisible(i == 0);
    connect(sliders_[i], &QAbstractSlider::sliderReleased, this,
            [this, i] { onSliderReleased(i); });
    connect(sliders_[i], &QAbstractSlider::sliderMoved, this,
            [this, i](int v) { onSliderMoved(i, v); });
  }
  buildButtons();
  resize(QuadDialogModel::kClientWidth, model_.clientHeight());
  layoutPanes();
  installSidePictures();
  for (int i = 0; i < 4; ++i) panes_[i]->setSelected(i == model_.selected());
  window_->create();
  refreshTitle();
}

CQuadDialog::~CQuadDialog() {
  window_->destroy();
}

void CQuadDialog::layoutPanes() {
  for (int i = 0; i < 4; ++i) {
    const QRect r = toQt(model_.paneRect(i));
    panes_[i]->setGeometry(r);
    panes_[i]->setVisible(!r.isEmpty());
  }
}

void CQuadDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layoutPanes();
}

// Sound plays only while the dialog is the active window.
void CQuadDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) window_->setActive(isActiveWindow());
  QDialog::changeEvent(event);
}

void CQuadDialog::closeEvent(QCloseEvent* event) {
  for (int i = 0; i < 4; ++i) window_->closeChannel(i, false);
  QDialog::closeEvent(event);
}

QString CQuadDialog::paneTitle(int pane) const {
  return titles_[pane];
}

void CQuadDialog::refreshTitle() {
  const int s = model_.selected();
  const std::string title =
      model_.title(window_->hasRecording(s), window_->isPaused(), titles_[s].toStdString());
  setWindowTitle(QString::fromStdString(title));
}

bool CQuadDialog::openPane(int pane, const std::string& path) {
  search_.drop(pane);
  return openPaneRecording(pane, path);
}

bool CQuadDialog::openPaneRecording(int pane, const std::string& path) {
  window_->closeChannel(pane, false);
  marks_[pane].clear();
  paths_[pane] = path;
  RecordingInfo info;
  if (info.probe(path)) {
    info.hostName = big5ToUtf8(info.hostName);  // the header's text is Big5
    titles_[pane] = QString::fromStdString(QuadDialogModel::paneTitle(info, localGmtOffsetHours()));
  }
  const bool ok = window_->openChannel(pane, path, panes_[pane]);
  refreshTitle();
  return ok;
}

void CQuadDialog::closePane(int pane) {
  window_->closeChannel(pane, false);
  marks_[pane].clear();
  refreshTitle();
}

bool CQuadDialog::playFourChannel(const std::string& path) {
  bool any = false;
  for (int i = 0; i < 4; ++i) any = openPane(i, path) || any;
  if (any) show();
  return any;
}

bool CQuadDialog::loadSearch(std::vector<std::vector<SearchCandidate>> lists, int64_t moment) {
  for (int i = 0; i < 4; ++i) {
    closePane(i);
    paths_[i].clear();
    titles_[i].clear();
  }
  const bool any = search_.start(std::move(lists), moment, searchOpener()) > 0;
  refreshTitle();
  if (any) show();
  return any;
}

// The first recording of a pane's search starts at the moment searched for.
QuadSearchPanes::Opener CQuadDialog::searchOpener() {
  return [this](int pane, const std::string& path, int64_t moment) {
    if (!openPaneRecording(pane, path)) return false;
    if (moment != 0 && !window_->setStartTime(pane, moment)) {
      closePane(pane);
      return false;
    }
    return true;
  };
}

void CQuadDialog::play() {
  setSpeed(0);
  for (int i = 0; i < 4; ++i) {
    if (!paths_[i].empty() && !window_->hasRecording(i)) openPaneRecording(i, paths_[i]);
  }
  window_->play();
  refreshTitle();
}

void CQuadDialog::stop() {
  for (int i = 0; i < 4; ++i) closePane(i);
  refreshTitle();
}

void CQuadDialog::pause() {
  window_->togglePause();
  refreshTitle();
}

void CQuadDialog::seekBackward() {
  window_->previousBlock(model_.selected());
}

void CQuadDialog::seekForward() {
  window_->nextBlock(model_.selected());
}

void CQuadDialog::stepBackward() {
  window_->stepBack();
}

void CQuadDialog::stepForward() {
  window_->stepForward();
}

void CQuadDialog::toggleToolbar() {
  model_.toggleToolbar();
  resize(width(), model_.clientHeight());
}

void CQuadDialog::setSpeed(int speed) {
  if (!model_.setSpeed(speed)) return;
  lightSpeedLamp(speed);
  window_->setSpeed(speed);
  refreshTitle();
}

void CQuadDialog::selectPane(int pane) {
  const int old = model_.selected();
  if (!model_.select(pane)) return;
  panes_[old]->setSelected(false);
  panes_[pane]->setSelected(true);
  sliders_[old]->setVisible(false);
  resetSlider(pane);
  sliders_[pane]->setVisible(true);
  refreshTitle();
}

void CQuadDialog::toggleEnlarged(int pane) {
  model_.toggleEnlarged(pane);
  layoutPanes();
}

// Colours are 0x00BBGGRR, as the caption records hold them.
void CQuadDialog::chooseCaptionColours() {
  for (int i = 0; i < 4; ++i) {
    // An empty pane has no caption to colour.
    if (paths_[i].empty()) continue;
    QuadPaneWidget* p = panes_[i];
    const uint32_t c = p->captionColour();
    const QColor chosen = QColorDialog::getColor(
        QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF), this, QStringLiteral("標題顏色"));
    if (chosen.isValid()) {
      p->setCaptionColour(uint32_t(chosen.red()) | uint32_t(chosen.green()) << 8 |
                          uint32_t(chosen.blue()) << 16);
    }
  }
}

void CQuadDialog::toggleCaptions() {
  for (int i = 0; i < 4; ++i) {
    if (!paths_[i].empty()) panes_[i]->setCaptionOn(!panes_[i]->captionOn());
  }
}

QuadFrameMark CQuadDialog::currentMark(int pane, bool& ok) {
  QuadPosition at;
  ok = window_->channelFrame(pane, at);
  return QuadFrameMark{at.block, at.frame};
}

void CQuadDialog::markClipStart() {
  const int s = model_.selected();
  bool ok = false;
  const QuadFrameMark at = currentMark(s, ok);
  if (!ok) return;
  marks_[s].markStart(at);
  showClipSelection(s);
}

void CQuadDialog::markClipEnd() {
  const int s = model_.selected();
  bool ok = false;
  const QuadFrameMark at = currentMark(s, ok);
  if (ok) marks_[s].markEnd(at);
  showClipSelection(s);
}

void CQuadDialog::saveClip() {
  const int s = model_.selected();
  const QuadClipMarks marks = marks_[s];
  marks_[s].clear();
  showClipSelection(s);
  const std::string source = paths_[s];
  RecordingInfo info;
  if (!marks.complete() || source.empty() || !info.probe(source)) return;
  const std::string path = quadClipPath(source, std::time(nullptr), info.formatVersion);
  bool written = false;
  clipError_.clear();
  // Its own reader, off the user-interface thread: the channel goes on playing meanwhile.
  BackgroundJob job;
  job.start([&](BackgroundJob& self) {
    RecordingInfo header;
    RecordingReader reader;
    // A four-camera file is read through the pane's camera; the clip keeps all four.
    const int camera = info.formatVersion == 8 ? s : -1;
    if (!header.probe(source) || !reader.open(header, RecordingReader::kReadMode, camera)) {
      clipError_ = header.parseError().empty() ? reader.lastError() : header.parseError();
      return;
    }
    ClipProgress control;
    control.progress = [&self](uint64_t copied, uint64_t total) {
      self.setProgress(copied, total);
    };
    control.stop = self.stopFlag();
    written = writeClip(reader, path, marks.start().block, marks.end().block,
                        uint32_t(marks.end().frame), localGmtOffsetHours(), clipError_, control);
  });
  waitWithProgress(this, QStringLiteral("儲存剪輯"), job);
  if (written) lastClips_[s] = path;
}

void CQuadDialog::snapshot() {
  CQuadPlayWnd::Snapshot shot;
  if (!window_->snapshot(model_.selected(), shot) || shot.path.empty()) return;
  SnapshotImage picture;
  picture.setPicture(shot.width, shot.height, std::move(shot.pixels));
  const int64_t now = std::time(nullptr);
  picture.setTime(uint32_t(now));
  picture.setHostName(shot.hostName);
  picture.setCardName(shot.cardName);
  picture.setCameraName(shot.cameraName);
  picture.setGmtOffset(localGmtOffsetHours());
  std::string folder = std::filesystem::path(shot.path).parent_path().string();
  if (!folder.empty()) folder += '/';
  if (picture.save(SnapshotImage::kBmp, snapshotPathFor(folder, shot.sourceKey, now))) {
    lastSnapshot_ = picture.path();
  }
}

void CQuadDialog::playClip() {
  const std::string clip = lastClips_[model_.selected()];
  RecordingInfo info;
  if (clip.empty() || !info.probe(clip)) return;
  if (info.formatVersion == 8) {
    playFourChannel(clip);
  } else if (openInPlayer_) {
    openInPlayer_(clip);
  }
}

// Range, a tick at every block's end and the thumb at the pane's position.
void CQuadDialog::resetSlider(int pane) {
  CPositionSlider* s = sliders_[pane];
  const QSignalBlocker quiet(s);
  s->clearSelection();
  QuadPosition at;
  if (!window_->channelFrame(pane, at)) {
    s->setTicks({});
    s->setRange(0, 0);
    return;
  }
  std::vector<int> ticks;
  const std::vector<uint32_t> starts = window_->blockStarts(pane);
  for (size_t b = 1; b < starts.size(); ++b) ticks.push_back(int(starts[b]));
  ticks.push_back(int(at.frameCount));
  s->setRange(0, int(at.frameCount));
  s->setTicks(ticks);
  s->setValue(lastPosition_[pane]);
  showClipSelection(pane);
}

void CQuadDialog::showClipSelection(int pane) {
  const QuadClipMarks& m = marks_[pane];
  const std::vector<uint32_t> starts = window_->blockStarts(pane);
  auto number = [&](QuadFrameMark f) {
    return f.block >= 0 && size_t(f.block) < starts.size() ? int(starts[size_t(f.block)]) + f.frame
                                                           : 0;
  };
  if (!m.started()) {
    sliders_[pane]->clearSelection();
  } else if (!m.ended()) {
    sliders_[pane]->setSelection(number(m.start()), number(m.start()) + 1);
  } else {
    sliders_[pane]->setSelection(number(m.start()), number(m.end()));
  }
}

void CQuadDialog::onReady(int pane, const QuadPosition& first) {
  lastPosition_[pane] = int(first.number);
  refreshTitle();
  if (pane == model_.selected()) resetSlider(pane);
}

void CQuadDialog::onFrame(int pane, const QuadPosition& shown) {
  window_->setPanePosition(pane, int32_t(shown.number));
  lastPosition_[pane] = int(shown.number);
  if (pane != model_.selected() || sliders_[pane]->isSliderDown()) return;
  const QSignalBlocker quiet(sliders_[pane]);
  sliders_[pane]->setValue(int(shown.number));
}

void CQuadDialog::onStopped(int pane) {
  window_->closeChannel(pane, false);
  marks_[pane].clear();
  // A searched camera goes on with its next recording.
  if (search_.active(pane)) search_.next(pane, searchOpener());
  refreshTitle();
}

void CQuadDialog::onSliderReleased(int pane) {
  const int value = sliders_[pane]->value();
  if (value > lastPosition_[pane]) {
    seekForward();
  } else if (value < lastPosition_[pane]) {
    seekBackward();
  }
}

// While dragging: the start of the block under the thumb; the others meet it there.
void CQuadDialog::onSliderMoved(int pane, int value) {
  const SliderLocation at = locateOnTicks(value, sliders_[pane]->ticks());
  if (at.block >= 0) window_->seekChannel(pane, at.block, 0);
}

}  // namespace kd
