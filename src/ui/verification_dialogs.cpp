#include "ui/verification_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kd {

namespace {
const QColor kPassedColour(0x00, 0x96, 0x40);
const QColor kFaultyColour(0xFF, 0x00, 0x00);
}  // namespace

CVerifyProgressDlg::CVerifyProgressDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dialog221"));
  setWindowTitle(QStringLiteral("確認檔案"));
  setModal(false);
  auto* layout = new QHBoxLayout(this);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress%1").arg(kProgressId));
  progress_->setRange(0, 0);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  layout->addWidget(progress_, 1);
  stop_ = new QPushButton(QStringLiteral("停止"), this);
  stop_->setObjectName(QStringLiteral("button%1").arg(kStopId));
  stop_->setAutoDefault(false);
  layout->addWidget(stop_);
  connect(stop_, &QPushButton::clicked, this, &CVerifyProgressDlg::stopPressed);
  setFixedSize(kSize);
}

void CVerifyProgressDlg::setFrameCount(int frames) {
  progress_->setRange(0, std::max(frames, 1));
}

void CVerifyProgressDlg::setPosition(int frameNumber) {
  progress_->setValue(std::clamp(frameNumber, progress_->minimum(), progress_->maximum()));
}

void CVerifyProgressDlg::reject() {
  emit stopPressed();
}

CVerifyResultDlg* CVerifyResultDlg::passed(QWidget* parent) {
  return new CVerifyResultDlg(parent, true, {});
}

CVerifyResultDlg* CVerifyResultDlg::faulty(QWidget* parent, const QString& faultTime) {
  return new CVerifyResultDlg(parent, false, faultTime);
}

CVerifyResultDlg::CVerifyResultDlg(QWidget* parent, bool passed, const QString& faultTime)
    : QDialog(parent) {
  setObjectName(passed ? QStringLiteral("dialog222") : QStringLiteral("dialog223"));
  setWindowTitle(passed ? QStringLiteral("驗證確認") : QStringLiteral("驗證錯誤"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  message_ = new QLabel(
      passed ? QStringLiteral("驗證通過 !") : QStringLiteral("驗證發現檔案有錯誤 !"), this);
  message_->setObjectName(QStringLiteral("static%1").arg(passed ? kPassedId : kFaultyId));
  QPalette palette = message_->palette();
  palette.setColor(QPalette::WindowText, passed ? kPassedColour : kFaultyColour);
  message_->setPalette(palette);
  message_->setAlignment(Qt::AlignCenter);
  layout->addWidget(message_);
  if (!passed) {
    time_ = new QLabel(faultTime, this);
    time_->setObjectName(QStringLiteral("faultTime"));
    time_->setPalette(palette);
    time_->setAlignment(Qt::AlignCenter);
    layout->addWidget(time_);
  }
  ok_ = new QPushButton(QStringLiteral("確定"), this);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok_, 0, Qt::AlignHCenter);
}

}  // namespace kd
