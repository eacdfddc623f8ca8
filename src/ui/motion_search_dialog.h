#pragma once
// Dialog 219, "動態搜尋設定": sensitivity on a 0 … 10 track bar, the number of differing
// pictures that activates a zone, and whether playback pauses when motion is detected.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace kd {

class CMotionSearchDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSensitivityId = 1168;
  static constexpr int kRequiredCountId = 1139;
  static constexpr int kPauseOnMotionId = 1169;

  CMotionSearchDlg(QWidget* parent, int sensitivity, int requiredCount, bool pauseOnMotion);

  // The values confirmed with "確定"; the opening values until then and after "取消".
  int sensitivity() const { return sensitivity_; }
  int requiredCount() const { return requiredCount_; }
  bool pauseOnMotion() const { return pauseOnMotion_; }

  QSlider* sensitivitySlider() const { return slider_; }
  QLineEdit* requiredCountEdit() const { return edit_; }
  QCheckBox* pauseOnMotionBox() const { return pauseBox_; }
  QPushButton* okButton() const { return ok_; }

 public slots:
  void accept() override;

 private:
  QSlider* slider_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QCheckBox* pauseBox_ = nullptr;
  QPushButton* ok_ = nullptr;
  int sensitivity_;
  int requiredCount_;
  bool pauseOnMotion_;
};

}  // namespace kd
