#include "tools/print_mode_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "playback/printed_page.h"

namespace kd {

CPrintModeDlg::CPrintModeDlg(QWidget* parent, int mode, int scale)
    : QDialog(parent), mode_(mode), scale_(scale) {
  setObjectName(QStringLiteral("dialog187"));
  setWindowTitle(QStringLiteral("列印模式"));
  auto* layout = new QVBoxLayout(this);
  inside_ = new QRadioButton(QStringLiteral("將日期列印在圖片內"), this);
  inside_->setObjectName(QStringLiteral("modeInside"));
  outside_ = new QRadioButton(QStringLiteral("將日期列印在圖片外"), this);
  outside_->setObjectName(QStringLiteral("modeOutside"));
  (mode == kDateOutsidePicture ? outside_ : inside_)->setChecked(true);
  layout->addWidget(inside_);
  layout->addWidget(outside_);

  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("列印比例 :"), this);
  edit_ = new QLineEdit(QString::number(scale), this);
  edit_->setObjectName(QStringLiteral("edit%1").arg(kScaleId));
  label->setBuddy(edit_);
  row->addWidget(label);
  row->addWidget(edit_);
  layout->addLayout(row);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole);
  ok_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CPrintModeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPrintModeDlg::reject);
  layout->addWidget(buttons);
}

void CPrintModeDlg::accept() {
  bool whole = false;
  const int scale = edit_->text().trimmed().toInt(&whole);
  if (!whole || scale < kMinPrintScale || scale > kMaxPrintScale) {
    // The range message; the dialog stays open on the field.
    QMessageBox box(
        QMessageBox::Warning, windowTitle(),
        QStringLiteral("請輸入介於 %1 和 %2 之間的整數。").arg(kMinPrintScale).arg(kMaxPrintScale),
        QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("rangeMessage"));
    box.exec();
    edit_->setFocus();
    edit_->selectAll();
    return;
  }
  scale_ = scale;
  mode_ = outside_->isChecked() ? kDateOutsidePicture : kDateInsidePicture;
  QDialog::accept();
}

}  // namespace kd
