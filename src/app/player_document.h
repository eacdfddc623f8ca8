#pragma once
// CKadrelPlayerDoc: the single document. It owns what is open — a recording played in a play
// window with its presenter and caption record, or a snapshot picture — and turns the menus',
// the control panel's and the view's commands into operations on it.
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

#include "app/document_search.h"
#include "app/main_frame.h"
#include "playback/caption_info.h"
#include "playback/clip_marks.h"
#include "playback/engine_clock.h"
#include "playback/motion_zones.h"
#include "playback/play_sound.h"
#include "recording/recording_info.h"
#include "ui/panel_commands.h"
#include "ui/player_panel.h"
#include "ui/player_view.h"

namespace kd {

class CMainFrame;
class CKadrelPlayerView;
class CPlayerPanel;
class CPlayWnd;
class CQuadDialog;
class DibPresenter;
class FastScan;
class PictureFrame;
class PlayNavigation;
class Presenter;
class SnapshotImage;
class VerificationSession;
struct VerificationVerdict;

// Document modes besides a recording's format version.
constexpr int kModeBmpPicture = 4;
constexpr int kModeJpegPicture = 6;

struct MotionSettings {
  int sensitivity = 5;
  int requiredCount = 3;
  bool pauseOnMotion = false;
};

class CKadrelPlayerDoc : public QObject, public PanelCommands {
  Q_OBJECT

 public:
  // Mouse modes the view's zoom drags move through.
  enum MouseMode { kMouseNone = 0, kMouseDragging = 1, kMouseSelected = 2, kMouseZoomed = 3 };

  // `sound` opens the play windows' sound outputs (empty: none).
  CKadrelPlayerDoc(EngineClock& clock, PlaySoundFactory sound);
  ~CKadrelPlayerDoc() override;
  void attach(CMainFrame* frame, CKadrelPlayerView* view);

  // --- Menu commands -----------------------------------------------------------------------
  void openCommand();               // "開啟 KD 檔案..."
  void closeCommand();              // "結束 KD 檔案"
  void togglePanel();               // "KD播放器"
  void motionSearchSettings();      // "動態搜尋設定"
  void toggleMotionSearch();        // "啟動動態搜尋"
  void toggleContinuousPlayback();  // "啟動連續播放"
  void textDisplaySettings();       // "文字顯示設定..."
  void fileSearchCommand();         // "檔案搜尋..."
  void exportClipAsMp4();           // "匯出 MP4..."
  // The clip marks' frames as an MP4 at `path`, with captions; false when not written.
  bool exportClipAsMp4To(const QString& path);
  bool canExportClip() const;
  // Plays what a search found (selection order): the first that opens, seeked to `moment`;
  // each one's end plays the next. False when none opens.
  bool openSearchResult(std::vector<SearchCandidate> candidates, int64_t moment);
  // Opens a chosen path by its extension: face file, snapshot picture or recording.
  bool openPath(const QString& path);
  // The open flow; false leaves nothing open (lastOpenError() says why).
  bool openRecording(const QString& path, int block, int frame);
  // A four-camera recording: one camera per pane of the quad dialog.
  bool openFourChannel(const QString& path);
  // A quad search's candidates, one list per camera: one camera per pane of the quad dialog.
  bool openQuadSearchResult(std::vector<std::vector<SearchCandidate>> lists, int64_t moment);
  CQuadDialog* quadDialog() const;
  void close(bool redraw, bool stoppedByUser);

  // --- PanelCommands -----------------------------------------------------------------------
  bool hasRecording() const override;
  bool isPaused() const override;
  bool snapshotPictureShown() const override;
  bool verifying() const override { return verification_ != nullptr; }
  bool isMotionSuspended() const override;
  void openFile() override { openCommand(); }
  void closeRecording() override;
  void togglePause() override;
  void play() override;
  void setSpeed(int step) override;
  void stepForward() override;
  void stepBack() override;
  void previousBlock() override;
  void nextBlock() override;
  void seek(int block, int frame) override;
  void setPendingPosition(int block, int frame) override;
  void toggleMotionSuspend() override;
  void markClipStart() override;
  void markClipEnd() override;
  void saveClip() override;
  void loadClip() override;
  void snapshot() override;
  void toggleCaptions() override;
  void chooseCaptionColour() override;
  void startVerification() override;
  void stopVerification();  // "停止" in dialog 221
  bool isFullScreen() const override;
  void toggleFullScreen() override;
  QSize clientSize() const override;
  void resizeClient(QSize size) override;
  void exitProgram() override;

  // --- From the view -----------------------------------------------------------------------
  // PN_FRAME: records the shown frame, its time caption and the slider. False when nothing is
  // open to take it.
  bool takeFrame(const PictureFrame& frame);
  // After the view showed a frame: a pending step or a scan hop pauses. True when it paused.
  bool afterFrameShown(const PictureFrame& frame);
  // PN_STOPPED from the play window: the end of the recording.
  void onPlayerStopped();
  // The end of the recording: the next file of continuous playback, or close.
  void onEndOfFile();
  // A motion-zone drag ended: `rect` in view pixels of a client of `client` size.
  void addMotionZone(const QRect& rect, QSize client);
  void setMotionZonesOnCaption(const MotionZoneBlock& zones);
  // Re-presents the current picture with the caption record (zoom, captions changed).
  void represent();

  // --- State -------------------------------------------------------------------------------
  int mode() const { return mode_; }
  int speed() const { return speed_; }
  QString title() const { return title_; }
  const QString& lastOpenError() const { return openError_; }
  int currentBlock() const { return currentBlock_; }
  int currentFrame() const { return currentFrame_; }
  uint32_t currentNumber() const { return currentNumber_; }
  bool stepPending() const;
  bool continuousPlayback() const { return continuous_; }
  DocumentSearch& search() { return *search_; }
  bool motionSearchOn() const { return motionSearch_; }
  const MotionSettings& motionSettings() const { return motion_; }
  void setMotionSettings(const MotionSettings& settings);
  const MotionZoneBlock& motionZones() const { return zones_; }
  uint32_t textDisplayMask() const { return textMask_; }
  void setTextDisplayMask(uint32_t mask);
  bool captionsOn() const { return captionsOn_; }
  uint32_t captionColour() const { return captionColour_; }
  void setCaptionColour(uint32_t colour);
  MouseMode mouseMode() const { return mouseMode_; }
  void setMouseMode(MouseMode mode) { mouseMode_ = mode; }
  // The block boundaries as the slider shows them: the running frame total after each block.
  std::vector<int> blockTicks() const;
  int frameCount() const;
  QSize pictureSize() const;  // coded size of the open recording or the picture shown
  QSize lastDisplaySize() const { return lastDisplay_; }
  const QString& picturePath() const { return picturePath_; }
  const QString& lastFolder() const { return lastFolder_; }
  const QString& lastSnapshotPath() const { return lastSnapshotPath_; }
  const ClipMarks& clipMarks() const { return clipMarks_; }
  const QString& lastClipPath() const { return lastClipPath_; }
  VerificationSession* verification() const { return verification_.get(); }

  CPlayWnd* player();
  FastScan* fastScan();
  Presenter* presenter();
  CaptionInfo* caption() { return caption_.get(); }
  const RecordingInfo* header() const { return header_.get(); }
  CPlayerPanel* panel() const { return panel_; }
  CKadrelPlayerView* view() { return view_; }

 signals:
  void titleChanged(const QString& title);
  // A frame was shown (after the view presented it and applied its pause rules).
  void frameShown(int block, int frame);
  void recordingClosed();
  void menuStateChanged();

 private:
  struct Playback;

  void refreshTitle();
  void setTitle(const QString& title);
  bool openPicture(const QString& path, int mode);
  bool failOpen(const QString& reason);
  void fitWindow(QSize display);
  void fillCaption();
  void prepareFirstFrame();
  // The captions' clock: recorder's and computer's zones, recording-local time from the mask.
  CaptionClock captionClock() const;
  void refreshTitleSuffix();
  void applyPendingSeek();
  void applyMotionToPlayer();
  void clearMotionZones();
  void setPanelRange();
  bool openSearchCandidate(const std::string& path);
  CQuadDialog& ensureQuadDialog();
  QString headerText(const std::string& big5) const;
  // The end of a verification run (in the close flow): its result dialog, if any.
  void endVerification();
  void showVerificationVerdict(const VerificationVerdict& verdict, const QString& error);
  void showClipSelection();

  EngineClock& clock_;
  PlaySoundFactory sound_;
  // The windows go before the document at exit: guarded pointers find them gone.
  QPointer<CMainFrame> frame_;
  QPointer<CKadrelPlayerView> view_;
  QPointer<CPlayerPanel> panel_;

  std::unique_ptr<RecordingInfo> header_;
  std::unique_ptr<Playback> playback_;
  std::unique_ptr<DibPresenter> presenter_;
  std::unique_ptr<CaptionInfo> caption_;
  uint32_t generation_ = 0;  // counts opens, so callbacks of a closed recording find it gone

  int mode_ = 0;
  QString picturePath_;
  QSize pictureSize_;
  QString title_;
  QString titleSuffix_;
  QString lastFolder_;
  QString lastSnapshotPath_;
  QString openError_;
  QSize lastDisplay_;
  int currentBlock_ = 0;
  int currentFrame_ = 0;
  uint32_t currentNumber_ = 0;
  uint32_t lastTimeStamp_ = 0;
  bool frameTaken_ = false;
  int speed_ = 0;
  bool userPausedInScan_ = false;
  bool pendingSeek_ = false;
  int pendingBlock_ = 0;
  int pendingFrame_ = 0;
  MouseMode mouseMode_ = kMouseNone;

  uint32_t captionColour_ = CaptionInfo::kDefaultColour;
  bool captionsOn_ = true;
  uint32_t textMask_ = text_display::kDefaultMask;
  int localGmtOffset_ = 0;

  MotionSettings motion_;
  bool motionSearch_ = false;
  MotionZoneBlock zones_;

  ClipMarks clipMarks_;
  QString lastClipPath_;
  std::unique_ptr<VerificationSession> verification_;

  bool continuous_ = false;
  bool continuousListBuilt_ = false;
  std::vector<RecordingInfo> continuousList_;

  std::unique_ptr<DocumentSearch> search_ = std::make_unique<DocumentSearch>();
  bool openingSearchResult_ = false;  // an open that keeps the search's candidates
  QPointer<CQuadDialog> quad_;        // made on the first four-camera recording, kept after
};

}  // namespace kd
