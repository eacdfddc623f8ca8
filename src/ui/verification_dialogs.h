#pragma once
// The verification pass's windows: dialog 221 "確認檔案" with its progress bar and "停止", shown
// while the pass runs, and the result dialogs 222 "驗證確認" (passed, in green) and 223
// "驗證錯誤" (faults found, in red, with the last faulty frame's time).
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace kd {

class CVerifyProgressDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kProgressId = 1178;
  static constexpr int kStopId = 1179;
  static constexpr QSize kSize{290, 80};

  explicit CVerifyProgressDlg(QWidget* parent);

  // The range is the recording's frame count, whole (no 16-bit limit).
  void setFrameCount(int frames);
  void setPosition(int frameNumber);

  QProgressBar* progressBar() const { return progress_; }
  QPushButton* stopButton() const { return stop_; }

 signals:
  void stopPressed();

 protected:
  void reject() override;  // Escape or closing the window stops the pass too

 private:
  QProgressBar* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
};

class CVerifyResultDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kPassedId = 1180;
  static constexpr int kFaultyId = 1181;

  // Dialog 222 without a fault time; dialog 223 with `faultTime` ("%H:%M:%S") under the text.
  static CVerifyResultDlg* passed(QWidget* parent);
  static CVerifyResultDlg* faulty(QWidget* parent, const QString& faultTime);

  QLabel* messageLabel() const { return message_; }
  QLabel* timeLabel() const { return time_; }
  QPushButton* okButton() const { return ok_; }

 private:
  CVerifyResultDlg(QWidget* parent, bool passed, const QString& faultTime);

  QLabel* message_ = nullptr;
  QLabel* time_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kd
