#include "ui/text_display_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kd {

namespace {
// Mask bit order: camera name, card name, date, start, current and end time, recording time zone.
const char* const kTexts[7] = {"鏡頭名稱", "錄影卡名稱", "日期",        "起始時間",
                               "目前時間", "結束時間",   "錄影當地時間"};
}  // namespace

TextDisplayDialog::TextDisplayDialog(uint32_t mask, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("文字顯示設定"));
  auto* layout = new QVBoxLayout(this);
  for (int bit = 0; bit < 7; ++bit) {
    auto* box = new QCheckBox(QString::fromUtf8(kTexts[bit]), this);
    box->setObjectName(QStringLiteral("check%1").arg(kCheckBoxIds[size_t(bit)]));
    box->setChecked(mask & (1u << bit));
    boxes_[size_t(bit)] = box;
    layout->addWidget(box);
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

uint32_t TextDisplayDialog::mask() const {
  uint32_t mask = 0;
  for (int bit = 0; bit < 7; ++bit)
    if (boxes_[size_t(bit)]->isChecked()) mask |= 1u << bit;
  return mask;
}

}  // namespace kd
