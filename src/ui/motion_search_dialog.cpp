#include "ui/motion_search_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace kd {

namespace {
constexpr int kMaxRequiredCount = 9999;
}

CMotionSearchDlg::CMotionSearchDlg(QWidget* parent, int sensitivity, int requiredCount,
                                   bool pauseOnMotion)
    : QDialog(parent),
      sensitivity_(sensitivity),
      requiredCount_(requiredCount),
      pauseOnMotion_(pauseOnMotion) {
  setWindowTitle(QStringLiteral("動態搜尋設定"));
  auto* layout = new QVBoxLayout(this);

  auto* group = new QGroupBox(QStringLiteral("靈敏度"), this);
  auto* scale = new QHBoxLayout(group);
  scale->addWidget(new QLabel(QStringLiteral("低"), group));
  slider_ = new QSlider(Qt::Horizontal, group);
  slider_->setObjectName(QStringLiteral("slider%1").arg(kSensitivityId));
  slider_->setRange(0, 10);
  slider_->setSingleStep(1);
  slider_->setPageStep(1);
  slider_->setTickInterval(1);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setValue(std::clamp(sensitivity, 0, 10));
  scale->addWidget(slider_, 1);
  scale->addWidget(new QLabel(QStringLiteral("高"), group));
  layout->addWidget(group);

  auto* countRow = new QHBoxLayout;
  auto* countLabel = new QLabel(QStringLiteral("差異影像數目 :"), this);
  edit_ = new QLineEdit(QString::number(requiredCount), this);
  edit_->setObjectName(QStringLiteral("edit%1").arg(kRequiredCountId));
  // A negative count would reach the play window as a huge unsigned number and no zone would
  // ever activate; the edit takes whole numbers from 0 only.
  edit_->setValidator(new QIntValidator(0, kMaxRequiredCount, edit_));
  edit_->setMaximumWidth(80);
  countLabel->setBuddy(edit_);
  countRow->addWidget(countLabel);
  countRow->addWidget(edit_);
  countRow->addStretch(1);
  layout->addLayout(countRow);

  pauseBox_ = new QCheckBox(QStringLiteral("偵測到動態時暫停播放"), this);
  pauseBox_->setObjectName(QStringLiteral("check%1").arg(kPauseOnMotionId));
  pauseBox_->setChecked(pauseOnMotion);
  layout->addWidget(pauseBox_);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole);
  ok_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CMotionSearchDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CMotionSearchDlg::reject);
  layout->addWidget(buttons);

  // "確定" waits for a count it can take.
  auto checkCount = [this] { ok_->setEnabled(edit_->hasAcceptableInput()); };
  connect(edit_, &QLineEdit::textChanged, this, checkCount);
  checkCount();
}

void CMotionSearchDlg::accept() {
  if (!edit_->hasAcceptableInput()) return;
  sensitivity_ = slider_->value();
  requiredCount_ = edit_->text().toInt();
  pauseOnMotion_ = pauseBox_->isChecked();
  QDialog::accept();
}

}  // namespace kd
