#pragma once
// Dialog 211, "四分割播放": four recordings (or the four cameras of one four-camera recording)
// in a 2 × 2 grid, kept in step by one four-channel play window. The layout, title and clip
// marks live in QuadDialogModel and QuadClipMarks; this class wires them to widgets. Its face
// (pictured buttons, speed lamps, background, placing) is quad_dialog_face.cpp.
#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/quad_search_panes.h"
#include "playback/quad_clip_marks.h"
#include "playback/quad_dialog_model.h"
#include "playback/quad_play_wnd.h"

class QLabel;

namespace kd {

class CPositionSlider;
class QtEngineClock;
class QuadPaneWidget;

class CQuadDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kFirstSliderId = 1135;
  static constexpr int kFirstSpeedId = 1126;

  explicit CQuadDialog(QWidget* parent = nullptr);
  ~CQuadDialog() override;

  // Every pane opens `path`, each showing its own camera; false when no pane could.
  bool playFourChannel(const std::string& path);
  // A quad search's result: pane i plays `lists[i]` (selection order) from `moment`, each going
  // on with its camera's next candidate when its recording ends; the panes past the lists are
  // emptied. Shown when a pane opened; false when none did.
  bool loadSearch(std::vector<std::vector<SearchCandidate>> lists, int64_t moment);
  const QuadSearchPanes& search() const { return search_; }
  // Opens `path` in `pane`, which forgets its search's candidates.
  bool openPane(int pane, const std::string& path);
  const std::string& panePath(int pane) const { return paths_[pane]; }
  void closePane(int pane);

  CQuadPlayWnd& playWindow() { return *window_; }
  const QuadDialogModel& model() const { return model_; }
  QuadPaneWidget* pane(int index) const { return panes_[index]; }
  CPositionSlider* slider(int index) const { return sliders_[index]; }
  const QuadClipMarks& clipMarks(int pane) const { return marks_[pane]; }
  QString paneTitle(int pane) const;

  // The buttons' actions (ids 1111 … 1134).
  void play();
  void stop();
  void pause();
  void seekBackward();
  void seekForward();
  void stepBackward();
  void stepForward();
  void toggleToolbar();
  void markClipStart();
  void markClipEnd();
  void toggleCaptions();
  // For every pane in turn, the platform's colour dialog from the pane's caption colour.
  void chooseCaptionColours();
  // Writes the selected pane's marked range as a clip beside its recording (marks cleared).
  void saveClip();
  // The selected pane's picture as a BMP snapshot beside its recording.
  void snapshot();
  const std::string& lastSnapshot() const { return lastSnapshot_; }
  // The selected pane's last clip: four-camera clips here, others through `openInPlayer`.
  void playClip();
  void setOpenInPlayer(std::function<void(const std::string&)> open) {
    openInPlayer_ = std::move(open);
  }
  const std::string& lastClip(int pane) const { return lastClips_[pane]; }
  const std::string& lastClipError() const { return clipError_; }
  void setSpeed(int speed);
  void selectPane(int pane);
  void toggleEnlarged(int pane);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildButtons();
  void installSidePictures();
  void placeOnScreen();
  void lightSpeedLamp(int speed);
  bool openPaneRecording(int pane, const std::string& path);
  QuadSearchPanes::Opener searchOpener();
  void layoutPanes();
  void refreshTitle();
  void onReady(int pane, const QuadPosition& first);
  void onFrame(int pane, const QuadPosition& shown);
  void onStopped(int pane);
  void onSliderReleased(int pane);
  void onSliderMoved(int pane, int value);
  void resetSlider(int pane);
  void showClipSelection(int pane);
  QuadFrameMark currentMark(int pane, bool& ok);

  QuadDialogModel model_;
  std::unique_ptr<QtEngineClock> clock_;
  std::unique_ptr<CQuadPlayWnd> window_;
  QuadPaneWidget* panes_[4] = {};
  CPositionSlider* sliders_[4] = {};
  QLabel* speedLamps_[9] = {};
  std::vector<QIcon> lampIcons_;
  QPixmap background_;
  bool placed_ = false;
  QuadSearchPanes search_;
  std::string paths_[4];
  QString titles_[4];
  QuadClipMarks marks_[4];
  int lastPosition_[4] = {};
  std::string lastClips_[4];
  std::string clipError_;
  std::string lastSnapshot_;
  std::function<void(const std::string&)> openInPlayer_;
};

}  // namespace kd
