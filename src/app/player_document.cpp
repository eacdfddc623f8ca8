#include "app/player_document.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QTimer>
#include <ctime>

#include "app/main_frame.h"
#include "app/verification_session.h"
#include "catalog/continuous_list.h"
#include "platform/audio_sink.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "platform/folder.h"
#include "platform/thread_worker_queue.h"
#include "playback/fast_scan.h"
#include "playback/play_engine.h"
#include "playback/play_navigation.h"
#include "playback/player_title.h"
#include "playback/qt/dib_presenter.h"
#include "playback/step_cache.h"
#include "playback/surface_capture.h"
#include "recording/recording_reader.h"
#include "recording/snapshot_image.h"
#include "recording/snapshot_name.h"
#include "tools/face_browser_dialog.h"
#include "tools/open_file_dialog.h"
#include "tools/search_dialog.h"
#include "ui/colour_ref.h"
#include "ui/motion_search_dialog.h"
#include "ui/player_panel.h"
#include "ui/player_view.h"
#include "ui/text_display_dialog.h"

namespace kd {

namespace {

// The caption items the caption button turns off and back on.
constexpr uint32_t kCaptionItems = caption_flags::kFirstLine | caption_flags::kSecondLine |
                                   caption_flags::kCurrentTime | caption_flags::kStartTime |
                                   caption_flags::kEndTime | caption_flags::kDate |
                                   caption_flags::kGmtLabel;

}  // namespace

// What one open recording needs: the play window and the document's and view's rules on it.
struct CKadrelPlayerDoc::Playback {
  Playback(EngineClock& clock, PlayWindowParent* parent, PlaySoundFactory sound,
           std::function<void()> stopped)
      : player(parent, clock, choosePlayDecoder, std::move(sound)),
        navigation(player),
        scan(clock, player, std::move(stopped)) {
    // Exact pictures around the shown frame: steps back and near jumps decode nothing.
    player.useStepCache(std::make_unique<StepCache>(std::make_unique<ThreadWorkerQueue>(),
                                                    StepCache::budgetFromEnvironment()));
  }

  CPlayWnd player;
  PlayNavigation navigation;
  FastScan scan;
};

CKadrelPlayerDoc::CKadrelPlayerDoc(EngineClock& clock, PlaySoundFactory sound)
    : clock_(clock), sound_(std::move(sound)), localGmtOffset_(localGmtOffsetHours()) {}

CKadrelPlayerDoc::~CKadrelPlayerDoc() {
  verification_.reset();  // no result dialog at exit
  close(false, true);
}

void CKadrelPlayerDoc::attach(CMainFrame* frame, CKadrelPlayerView* view) {
  frame_ = frame;
  view_ = view;
  view_->setDocument(this);
  // The panel floats below the main window from start-up on.
  togglePanel();
  refreshTitle();
}

// --- Opening and closing ---------------------------------------------------------------------

void CKadrelPlayerDoc::openCommand() {
  const bool pausedHere = hasRecording() && !isPaused();
  if (pausedHere) togglePause();
  // Before the first choice in the dialog, it opens on the folder of the recording that plays.
  QString folder = lastFolder_;
  if (folder.isEmpty() && header_) folder = QString::fromStdString(folderOf(header_->path));
  const QString path = COpenFileDialog::choose(frame_, folder);
  if (path.isEmpty()) {
    if (pausedHere) togglePause();
    return;
  }
  lastFolder_ = QString::fromStdString(folderOf(path.toStdString()));
  if (!lastFolder_.endsWith('/')) lastFolder_ += '/';
  openPath(path);
}

bool CKadrelPlayerDoc::openPath(const QString& path) {
  // Only the extension test is case-blind; the path is opened as given.
  const QString extension = path.right(3).toLower();
  bool opened = false;
  if (extension == "fac") {
    close(true, false);
    // "影片" in the browser picks the recording holding a face; it opens at the face's time.
    CFaceBrowserDialog faces(frame_, path);
    if (faces.exec() == QDialog::Accepted && !faces.videoPath().isEmpty()) {
      opened = openRecording(faces.videoPath(), 0, 0);
      if (opened) playback_->player.seekToTime(faces.videoTime());
    }
  } else if (extension == "bmp" || extension == "jpg") {
    opened = openPicture(path, extension == "bmp" ? kModeBmpPicture : kModeJpegPicture);
  } else if (!path.isEmpty()) {
    continuousList_.clear();
    continuousListBuilt_ = false;
    RecordingInfo probe;
    const bool four = probe.probe(path.toStdString()) && probe.formatVersion == 8;
    opened = four ? openFourChannel(path) : openRecording(path, 0, 0);
  }
  if (opened && frame_) frame_->addRecentFile(path);
  if (view_) view_->update();
  emit menuStateChanged();
  return opened;
}

bool CKadrelPlayerDoc::openPicture(const QString& path, int mode) {
  close(true, false);
  SnapshotImage picture;
  if (!picture.load(mode == kModeBmpPicture ? SnapshotImage::kBmp : SnapshotImage::kJpeg,
                    path.toStdString()))
    return failOpen(QString::fromStdString(picture.lastError()));
  mode_ = mode;
  picturePath_ = path;
  pictureSize_ = QSize(picture.width(), picture.height());
  setTitle(path);
  if (pictureSize_ != lastDisplay_) {
    fitWindow(pictureSize_);
    lastDisplay_ = pictureSize_;
  }
  if (view_) view_->showSnapshot(&picture);
  return true;
}

bool CKadrelPlayerDoc::failOpen(const QString& reason) {
  openError_ = reason;
  if (view_) view_->setIdleReason(reason);
  refreshTitle();
  return false;
}

bool CKadrelPlayerDoc::openRecording(const QString& path, int block, int frame) {
  if (!openingSearchResult_) search_->drop();
  close(false, false);
  const std::string file = path.toStdString();
  RecordingInfo probe;
  if (!probe.probe(file))
    return failOpen(QString("%1: %2").arg(path, QString::fromStdString(probe.parseError())));
  if (probe.formatVersion == 8)
    return failOpen(QString("%1: four-channel recordings play in the quad window, which this "
                            "version does not have yet")
                        .arg(path));

  const uint32_t generation = ++generation_;
  playback_ = std::make_unique<Playback>(clock_, view_, sound_, [this, generation] {
    if (generation == generation_) onEndOfFile();
  });
  if (!playback_->player.open(file, 0, true)) {
    const QString reason = QString::fromStdString(playback_->player.lastError());
    playback_.reset();
    return failOpen(QString("%1: %2").arg(path, reason));
  }
  header_ = std::make_unique<RecordingInfo>(*playback_->player.reader());
  mode_ = header_->formatVersion;
  openError_.clear();

  setPanelRange();
  const QSize display(header_->displayWidth(), header_->displayHeight());
  if (display != lastDisplay_) {
    fitWindow(display);
    lastDisplay_ = display;
  }
  // The presenter takes the coded size: decoded pictures are transferred into it one-to-one and
  // stretched to the window when presented.
  presenter_ = std::make_unique<DibPresenter>();
  if (presenter_->create(header_->pictureWidth(), header_->pictureHeight(), nullptr) != 0) {
    close(true, false);
    return failOpen(QString("%1: no picture surface of %2 × %3 can be made")
                        .arg(path)
                        .arg(header_ ? header_->pictureWidth() : 0)
                        .arg(header_ ? header_->pictureHeight() : 0));
  }
  caption_ = std::make_unique<CaptionInfo>();
  fillCaption();
  if (view_) view_->onRecordingOpened();

  if (!playback_->player.seek(block, frame)) {
    const QString reason = QString::fromStdString(playback_->player.lastError());
    close(true, false);
    return failOpen(QString("%1: cannot go to block %2 frame %3%4")
                        .arg(path)
                        .arg(block)
                        .arg(frame)
                        .arg(reason.isEmpty() ? QString() : ": " + reason));
  }
  refreshTitleSuffix();
  refreshTitle();
  applyMotionToPlayer();
  emit menuStateChanged();
  // While the play timer's first period runs, make what the first frame would otherwise wait for.
  QTimer::singleShot(0, this, [this, generation] {
    if (generation == generation_) prepareFirstFrame();
  });
  return true;
}

void CKadrelPlayerDoc::prepareFirstFrame() {
  if (presenter_ && caption_) presenter_->prepareCaptions(*caption_);
  // The sound system's devices are looked up once, at their first use.
  systemAudioDevices().count();
}

void CKadrelPlayerDoc::fillCaption() {
  CaptionInfo& caption = *caption_;
  prepareCaptionRecord(caption, header_->resolutionCode, header_->pictureWidth(),
                       header_->pictureHeight(), textMask_);
  if (!captionsOn_) caption.flags &= ~kCaptionItems;
  setCaptionText(caption.cameraName, header_->cameraNameOf(-1));
  setCaptionText(caption.cardName, header_->cardNameOf(-1));
  caption.setAllColours(captionColour_);
  const CaptionClock clock = captionClock();
  setRecordingTimes(caption, clock, header_->startTime, header_->endTime);
  if (frameTaken_)
    setCaptionText(caption.currentTime, clock.timeText(header_->secondsAt(lastTimeStamp_)));
}

CaptionClock CKadrelPlayerDoc::captionClock() const {
  CaptionClock clock;
  clock.recorderGmtOffset = header_->gmtOffset;
  clock.localGmtOffset = localGmtOffset_;
  clock.recordingLocal = textMask_ & (1u << 6);
  return clock;
}

void CKadrelPlayerDoc::refreshTitleSuffix() {
  const CaptionClock clock = captionClock();
  titleSuffix_ = QString::fromStdString(titleSuffix(big5ToUtf8(header_->hostName),
                                                    clock.recorderGmtOffset, clock.localGmtOffset,
                                                    header_->startTime, clock.recordingLocal));
}

void CKadrelPlayerDoc::fitWindow(QSize display) {
  if (frame_) frame_->fitClient(display);
}

void CKadrelPlayerDoc::close(bool redraw, bool stoppedByUser) {
  // A run's own stop decides its dialog: a pass cut short by any close tells only of faults.
  (void)stoppedByUser;
  userPausedInScan_ = false;
  speed_ = 0;
  currentBlock_ = currentFrame_ = 0;
  currentNumber_ = 0;
  lastTimeStamp_ = 0;
  frameTaken_ = false;
  pendingSeek_ = false;
  const bool wasOpen = playback_ || mode_ != 0;
  if (view_) view_->onRecordingClosed();
  playback_.reset();
  if (presenter_) presenter_->release();
  presenter_.reset();
  caption_.reset();
  mode_ = 0;
  titleSuffix_.clear();
  picturePath_.clear();
  pictureSize_ = QSize();
  if (redraw) {
    refreshTitle();
    if (view_) view_->update();
    if (panel_) panel_->resetPosition();
  }
  mouseMode_ = kMouseNone;
  clipMarks_.clear();
  endVerification();
  if (wasOpen) emit recordingClosed();
}

void CKadrelPlayerDoc::closeCommand() {
  if (snapshotPictureShown()) return;
  close(true, true);
  emit menuStateChanged();
}

void CKadrelPlayerDoc::closeRecording() {
  if (snapshotPictureShown() || verifying()) return;
  close(true, true);
  emit menuStateChanged();
}

// --- Title -----------------------------------------------------------------------------------

void CKadrelPlayerDoc::refreshTitle() {
  if (snapshotPictureShown()) return;  // the picture's path stays the title
  const std::string title =
      playerTitle(hasRecording(), isPaused(), speed_, titleSuffix_.toStdString());
  setTitle(QString::fromStdString(title));
}

void CKadrelPlayerDoc::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  if (frame_) frame_->setWindowTitle(title);
  emit titleChanged(title);
}

// --- Playback commands -----------------------------------------------------------------------

bool CKadrelPlayerDoc::hasRecording() const {
  return playback_ != nullptr && caption_ != nullptr;
}

bool CKadrelPlayerDoc::isPaused() const {
  if (!hasRecording()) return false;
  // The pauses between scan hops are not the operator's.
  if (FastScan::isScanSpeed(speed_)) return userPausedInScan_;
  return playback_->player.isPaused();
}

bool CKadrelPlayerDoc::snapshotPictureShown() const {
  return mode_ == kModeBmpPicture || mode_ == kModeJpegPicture;
}

bool CKadrelPlayerDoc::stepPending() const {
  return playback_ && playback_->navigation.stepPending();
}

bool CKadrelPlayerDoc::isMotionSuspended() const {
  return playback_ && playback_->player.isMotionSuspended();
}

void CKadrelPlayerDoc::togglePause() {
  if (verifying() || !hasRecording()) return;
  CPlayWnd& player = playback_->player;
  if (FastScan::isScanSpeed(speed_)) {
    userPausedInScan_ = !userPausedInScan_;
    if (userPausedInScan_) {
      playback_->scan.cancel();
      if (!player.isPaused()) player.togglePause();
    } else if (player.isPaused()) {
      player.togglePause();
    }
  } else {
    playback_->navigation.togglePause();
  }
  if (!isPaused()) applyPendingSeek();
  refreshTitle();
}

void CKadrelPlayerDoc::play() {
  if (snapshotPictureShown() || verifying()) return;
  if (!hasRecording()) {
    if (header_) openRecording(QString::fromStdString(header_->path), 0, 0);
    return;
  }
  speed_ = 0;
  userPausedInScan_ = false;
  playback_->scan.setPlaybackSpeed(0);
  playback_->scan.cancel();
  playback_->player.setSpeed(0);
  if (playback_->player.isPaused()) playback_->navigation.togglePause();
  refreshTitle();
  applyPendingSeek();
}

void CKadrelPlayerDoc::setSpeed(int step) {
  if (step < -4 || step > 4 || verifying()) return;
  speed_ = step;
  if (!hasRecording()) return;
  CPlayWnd& player = playback_->player;
  playback_->scan.setPlaybackSpeed(step);
  userPausedInScan_ = false;
  if (FastScan::isScanSpeed(step)) {
    player.setSpeed(0);
  } else {
    playback_->scan.cancel();
    player.setSpeed(step);
  }
  if (player.isPaused() && !playback_->scan.hopPending()) playback_->navigation.togglePause();
  refreshTitle();
  applyPendingSeek();
}

void CKadrelPlayerDoc::stepForward() {
  if (verifying() || !hasRecording()) return;
  playback_->navigation.stepForward();
  refreshTitle();
}

void CKadrelPlayerDoc::stepBack() {
  if (verifying() || !hasRecording()) return;
  playback_->navigation.stepBack(currentBlock_, currentFrame_, currentNumber_);
  refreshTitle();
}

void CKadrelPlayerDoc::previousBlock() {
  if (hasRecording() && !verifying()) playback_->navigation.previousBlock(currentBlock_);
}

void CKadrelPlayerDoc::nextBlock() {
  if (hasRecording() && !verifying()) playback_->navigation.nextBlock(currentBlock_);
}

void CKadrelPlayerDoc::seek(int block, int frame) {
  if (hasRecording() && !verifying()) playback_->player.seek(block, frame);
}

void CKadrelPlayerDoc::setPendingPosition(int block, int frame) {
  pendingSeek_ = true;
  pendingBlock_ = block;
  pendingFrame_ = frame;
}

void CKadrelPlayerDoc::applyPendingSeek() {
  if (!pendingSeek_ || !hasRecording()) return;
  pendingSeek_ = false;
  playback_->player.seek(pendingBlock_, pendingFrame_);
}

void CKadrelPlayerDoc::toggleMotionSuspend() {
  if (hasRecording()) playback_->player.toggleMotionSuspend();
}

CPlayWnd* CKadrelPlayerDoc::player() {
  return playback_ ? &playback_->player : nullptr;
}

FastScan* CKadrelPlayerDoc::fastScan() {
  return playback_ ? &playback_->scan : nullptr;
}

Presenter* CKadrelPlayerDoc::presenter() {
  return presenter_.get();
}

// --- Frames from the view --------------------------------------------------------------------

bool CKadrelPlayerDoc::takeFrame(const PictureFrame& frame) {
  if (!hasRecording()) return false;
  currentBlock_ = frame.block;
  currentFrame_ = frame.frameInBlock;
  const RecordingReader* reader = playback_->player.reader();
  currentNumber_ = reader ? reader->frameNumber(frame.block, frame.frameInBlock) : 0;
  lastTimeStamp_ = frame.timeStamp;
  frameTaken_ = true;
  const CaptionClock clock = captionClock();
  setCaptionText(caption_->currentTime, clock.timeText(header_->secondsAt(frame.timeStamp)));
  if (panel_) panel_->setPlaybackPosition(int(currentNumber_));
  return true;
}

bool CKadrelPlayerDoc::afterFrameShown(const PictureFrame& frame) {
  if (!hasRecording()) return false;
  bool paused = false;
  if (playback_->navigation.onFrameShown()) {
    paused = true;
    refreshTitle();
  } else if (!userPausedInScan_) {
    paused = playback_->scan.onFrameShown(frame);
  }
  emit frameShown(frame.block, frame.frameInBlock);
  return paused;
}

void CKadrelPlayerDoc::onPlayerStopped() {
  // A report from a play window that has been replaced since finds an open recording: ignore it.
  if (playback_ && !playback_->player.reader()) onEndOfFile();
}

void CKadrelPlayerDoc::onEndOfFile() {
  if (!playback_) return;
  if (search_->active()) {
    // A search's file goes on with the search's next candidate, continuous playback or not.
    std::string next;
    while (search_->takeNext(next))
      if (openSearchCandidate(next)) return;
    search_->drop();
  } else if (continuous_ && header_) {
    if (!continuousListBuilt_) {
      // The folder of the recording that is open, whichever way it was opened.
      continuousList_ = buildContinuousList(folderOf(header_->path), header_->path,
                                            header_->sourceKey(), header_->startTime);
      continuousListBuilt_ = true;
    }
    // A file of the series that no longer opens is passed over for the next one.
    while (!continuousList_.empty()) {
      const std::string next = continuousList_.front().path;
      continuousList_.erase(continuousList_.begin());
      if (openRecording(QString::fromStdString(next), 0, 0)) return;
    }
  }
  close(true, false);
  emit menuStateChanged();
}

void CKadrelPlayerDoc::toggleContinuousPlayback() {
  continuous_ = !continuous_;
  emit menuStateChanged();
}

// --- File search -----------------------------------------------------------------------------

void CKadrelPlayerDoc::fileSearchCommand() {
  close(true, false);
  CSearchDlg dialog(
      frame_, search_->settings(),
      [this](const SearchSettings& settings, std::vector<std::vector<SearchCandidate>> found) {
        if (settings.quad) return openQuadSearchResult(std::move(found), settings.time);
        return !found.empty() && openSearchResult(std::move(found.front()), settings.time);
      },
      true);
  dialog.exec();
  emit menuStateChanged();
}

bool CKadrelPlayerDoc::openSearchResult(std::vector<SearchCandidate> candidates, int64_t moment) {
  continuousList_.clear();
  continuousListBuilt_ = false;
  search_->start(std::move(candidates));
  // A candidate whose header read but whose file does not open is passed over.
  std::string path;
  while (search_->takeNext(path)) {
    if (!openSearchCandidate(path)) continue;
    playback_->player.seekToTime(moment);
    if (view_) view_->update();
    emit menuStateChanged();
    return true;
  }
  search_->drop();
  return false;
}

bool CKadrelPlayerDoc::openSearchCandidate(const std::string& path) {
  openingSearchResult_ = true;
  const bool opened = openRecording(QString::fromStdString(path), 0, 0);
  openingSearchResult_ = false;
  return opened;
}

// --- Snapshot ------------------------------------------------------------------------------

void CKadrelPlayerDoc::snapshot() {
  if (!hasRecording() || !presenter_ || !frameTaken_) return;
  // The picture as presented: colour adjustment applied, captions not burned in.
  int width = 0, height = 0;
  std::vector<uint8_t> pixels = capturePresenter(*presenter_, width, height);
  if (pixels.empty()) {
    if (view_) view_->showNotice("拍照失敗: the picture cannot be read back");
    return;
  }
  SnapshotImage picture;
  picture.setPicture(width, height, std::move(pixels));
  picture.setTime(uint32_t(header_->secondsAt(lastTimeStamp_)));
  picture.setCardName(header_->cardNameOf(-1));
  picture.setCameraName(header_->cameraNameOf(-1));
  picture.setHostName(header_->hostName);
  picture.setGmtOffset(localGmtOffset_);
  std::string folder = folderOf(header_->path);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string path = snapshotPathFor(folder, header_->sourceKey(), std::time(nullptr));
  if (!picture.save(SnapshotImage::kBmp, path)) {
    if (view_) view_->showNotice("拍照失敗: " + QString::fromStdString(picture.lastError()));
    return;
  }
  lastSnapshotPath_ = QString::fromStdString(picture.path());
  if (view_) view_->showNotice("拍照: " + lastSnapshotPath_);
}

// --- Captions --------------------------------------------------------------------------------

void CKadrelPlayerDoc::represent() {
  if (presenter_ && caption_ && view_) presenter_->present(view_, caption_.get());
}

void CKadrelPlayerDoc::toggleCaptions() {
  if (verifying()) return;
  if (snapshotPictureShown()) {
    if (view_) view_->toggleSnapshotCaptions();
    return;
  }
  if (!caption_) return;
  captionsOn_ = !captionsOn_;
  caption_->flags &= ~kCaptionItems;
  if (captionsOn_) caption_->flags |= text_display::flagsFromMask(textMask_);
  represent();
}

void CKadrelPlayerDoc::chooseCaptionColour() {
  if (verifying()) return;
  if (snapshotPictureShown()) {
    if (view_) view_->chooseSnapshotTextColour();
    return;
  }
  if (!hasRecording()) return;
  const bool wasPlaying = !isPaused();
  if (wasPlaying) togglePause();
  const QColor chosen = QColorDialog::getColor(fromColourRef(captionColour_), frame_);
  if (chosen.isValid()) setCaptionColour(toColourRef(chosen));
  if (wasPlaying && hasRecording()) togglePause();
}

void CKadrelPlayerDoc::setCaptionColour(uint32_t colour) {
  captionColour_ = colour;
  if (caption_) caption_->setAllColours(colour);
  represent();
}

void CKadrelPlayerDoc::setTextDisplayMask(uint32_t mask) {
  textMask_ = mask & 0x7F;
  if (!hasRecording()) return;
  fillCaption();
  refreshTitleSuffix();
  refreshTitle();
  if (motionSearch_) setMotionZonesOnCaption(zones_);
  represent();
}

void CKadrelPlayerDoc::textDisplaySettings() {
  TextDisplayDialog dialog(textMask_, frame_);
  if (dialog.exec() == QDialog::Accepted) setTextDisplayMask(dialog.mask());
}

// --- Motion search ---------------------------------------------------------------------------

void CKadrelPlayerDoc::setMotionSettings(const MotionSettings& settings) {
  motion_ = settings;
  if (hasRecording())
    playback_->player.setMotionParameters(motion_.sensitivity, uint32_t(motion_.requiredCount),
                                          motion_.pauseOnMotion);
}

void CKadrelPlayerDoc::motionSearchSettings() {
  CMotionSearchDlg dialog(frame_, motion_.sensitivity, motion_.requiredCount,
                          motion_.pauseOnMotion);
  if (dialog.exec() != QDialog::Accepted) return;
  setMotionSettings({dialog.sensitivity(), dialog.requiredCount(), dialog.pauseOnMotion()});
}

void CKadrelPlayerDoc::toggleMotionSearch() {
  motionSearch_ = !motionSearch_;
  if (!motionSearch_) {
    clearMotionZones();
  } else if (mouseMode_ != kMouseNone && view_) {
    view_->resetZoom();
  }
  represent();
  emit menuStateChanged();
}

void CKadrelPlayerDoc::clearMotionZones() {
  zones_ = MotionZoneBlock{};
  if (hasRecording()) playback_->player.clearMotionZones();
  if (caption_) {
    caption_->flags &= ~caption_flags::kRectangles;
    caption_->rectangles = MotionZoneBlock{};
  }
}

void CKadrelPlayerDoc::addMotionZone(const QRect& rect, QSize client) {
  if (!hasRecording() || client.width() <= 0 || client.height() <= 0) return;
  const QSize picture = pictureSize();
  const int left = rect.left() * picture.width() / client.width();
  const int right = rect.right() * picture.width() / client.width();
  const int top = rect.top() * picture.height() / client.height();
  const int bottom = rect.bottom() * picture.height() / client.height();
  if (right - left > 3 && bottom - top > 3) {
    setMotionSettings(motion_);
    if (zones_.count < MotionZoneBlock::kMaxZones &&
        playback_->player.addMotionZone(left, top, right, bottom)) {
      zones_.zones[zones_.count++] = MotionZone{left, top, right, bottom, 0, 0};
      caption_->rectangles = playback_->player.motionZones();
      caption_->flags |= caption_flags::kRectangles;
    }
  } else {
    // A click (or a tiny drag) clears every zone.
    clearMotionZones();
  }
  represent();
}

void CKadrelPlayerDoc::setMotionZonesOnCaption(const MotionZoneBlock& zones) {
  if (!caption_) return;
  caption_->rectangles = zones;
  if (zones.count != 0)
    caption_->flags |= caption_flags::kRectangles;
  else
    caption_->flags &= ~caption_flags::kRectangles;
}

void CKadrelPlayerDoc::applyMotionToPlayer() {
  if (!motionSearch_ || zones_.count == 0 || !hasRecording()) return;
  setMotionSettings(motion_);
  for (uint32_t i = 0; i < zones_.count; ++i) {
    const MotionZone& z = zones_.zones[i];
    playback_->player.addMotionZone(z.left, z.top, z.right, z.bottom);
  }
  setMotionZonesOnCaption(playback_->player.motionZones());
}

// --- Panel and window ------------------------------------------------------------------------

void CKadrelPlayerDoc::togglePanel() {
  if (panel_) {
    delete panel_.data();
  } else if (frame_) {
    panel_ = new CPlayerPanel(*this, frame_);
    setPanelRange();
    panel_->show();
  }
  emit menuStateChanged();
}

std::vector<int> CKadrelPlayerDoc::blockTicks() const {
  std::vector<int> ticks;
  if (!playback_) return ticks;
  const RecordingReader* reader = const_cast<CPlayWnd&>(playback_->player).reader();
  if (!reader) return ticks;
  int total = 0;
  for (int block = 0; block < reader->blockCount(); ++block) {
    total += int(reader->framesInBlock(block));
    ticks.push_back(total);
  }
  return ticks;
}

int CKadrelPlayerDoc::frameCount() const {
  const std::vector<int> ticks = blockTicks();
  return ticks.empty() ? 0 : ticks.back();
}

void CKadrelPlayerDoc::setPanelRange() {
  if (!panel_) return;
  const std::vector<int> ticks = blockTicks();
  if (ticks.empty() || ticks.back() == 0) {
    panel_->resetPosition();
    return;
  }
  panel_->setFrameRange(ticks.back(), ticks);
}

QSize CKadrelPlayerDoc::pictureSize() const {
  if (snapshotPictureShown()) return pictureSize_;
  if (!header_) return {};
  return QSize(header_->pictureWidth(), header_->pictureHeight());
}

bool CKadrelPlayerDoc::isFullScreen() const {
  return frame_ && frame_->isFullScreenMode();
}

void CKadrelPlayerDoc::toggleFullScreen() {
  if (frame_) frame_->toggleFullScreen();
}

QSize CKadrelPlayerDoc::clientSize() const {
  return frame_ ? frame_->clientSize() : QSize();
}

void CKadrelPlayerDoc::resizeClient(QSize size) {
  if (frame_) frame_->resizeClient(size);
}

void CKadrelPlayerDoc::exitProgram() {
  close(false, true);
  if (frame_) frame_->close();
}

}  // namespace kd
