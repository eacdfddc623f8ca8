#pragma once
// The player's floating control panel: position slider, a round play button inside a dial of
// nine speed lamps, and rows of icon buttons. It owns no playback state; every button goes to
// the document through PanelCommands, and the document moves the slider back.
#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <array>
#include <map>
#include <vector>

#include "ui/panel_commands.h"

class QAbstractButton;

namespace kd {

class CPositionSlider;
class CSkinButton;

// The main window's client size after one zoom step; unchanged when at the limit.
QSize zoomInSize(QSize client);   // + 80 × 60, at most 800 × 600
QSize zoomOutSize(QSize client);  // − 80 × 60, at least 240 × 180

class CPlayerPanel : public QDialog {
  Q_OBJECT

 public:
  static constexpr QSize kClientSize{320, 160};
  static constexpr int kExpansion = 19;  // the bottom row
  static constexpr int kFirstLampId = 1057;
  static constexpr int kLampCount = 9;

  CPlayerPanel(PanelCommands& commands, QWidget* parent);

  void setFrameRange(int total, const std::vector<int>& ticks);
  void setPlaybackPosition(int frameNumber);
  void resetPosition();
  void setSelection(int from, int to);
  void clearSelection();
  // Lights the lamp of `step` (−4 … 4) without telling the document, for speeds set elsewhere.
  void showSpeed(int step);

  int currentSpeed() const { return litLamp_ - 4; }
  bool expanded() const { return expanded_; }
  int lastPlaybackPosition() const { return lastPlaybackPosition_; }
  CPositionSlider* slider() { return slider_; }
  // By control id: 2, 1002–1020, 1177, 1057–1065; null otherwise.
  QAbstractButton* button(int id);

 public slots:
  void reject() override;  // Escape neither hides the panel nor ends the program

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void createButtons();
  void loadIcons();
  void placeOnScreen();
  void pressed(int id);
  void lampPressed(int lamp);
  void lightLamp(int lamp);
  void play();
  void toggleExpanded();
  void zoom(bool in);
  void sliderAction(int action);
  void sliderDragged();
  void sliderReleased();
  void wheelTurned(int direction);
  void locate();

  PanelCommands& commands_;
  CPositionSlider* slider_ = nullptr;
  std::map<int, CSkinButton*> buttons_;
  std::array<CSkinButton*, kLampCount> lamps_{};
  std::vector<QIcon> lampIcons_;  // off, on for each lamp
  QPixmap background_;
  bool expanded_ = false;
  int litLamp_ = 4;
  int lastPlaybackPosition_ = 0;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace kd
