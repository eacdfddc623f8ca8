#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace kd {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("關於 KD Player");
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MediaPlay).pixmap(48, 48));
  auto* text = new QVBoxLayout;
  text->addWidget(new QLabel("KD Player 0.1.0 版", this));
  text->addWidget(new QLabel("Copyright © 2026 kdplayer 開發團隊。保留所有權利。", this));
  text->addWidget(new QLabel("kdplayer 開發團隊 製作", this));
  auto* row = new QHBoxLayout;
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addLayout(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

}  // namespace kd
