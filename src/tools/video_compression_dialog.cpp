#include "tools/video_compression_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kd {

CVideoCompressionDlg::CVideoCompressionDlg(QWidget* parent, const AviConversionSettings& initial)
    : QDialog(parent), settings_(initial) {
  setWindowTitle(QStringLiteral("視訊壓縮"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;

  compressor_ = new QComboBox(this);
  compressor_->setObjectName(QStringLiteral("compressor"));
  compressor_->addItem(QStringLiteral("Full Frame (Uncompressed)"));
  compressor_->addItem(QStringLiteral("Motion JPEG"));
  compressor_->setCurrentIndex(initial.codec == AviVideoCodec::Mjpeg ? 1 : 0);
  auto* compressorLabel = new QLabel(QStringLiteral("壓縮程式(&C):"), this);
  compressorLabel->setBuddy(compressor_);
  grid->addWidget(compressorLabel, 0, 0);
  grid->addWidget(compressor_, 0, 1, 1, 2);

  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName(QStringLiteral("quality"));
  quality_->setRange(1, 100);
  quality_->setPageStep(10);
  quality_->setValue(initial.quality);
  qualityText_ = new QLabel(this);
  qualityText_->setMinimumWidth(
      qualityText_->fontMetrics().horizontalAdvance(QStringLiteral("100")));
  auto* qualityLabel = new QLabel(QStringLiteral("壓縮品質(&Q):"), this);
  qualityLabel->setBuddy(quality_);
  grid->addWidget(qualityLabel, 1, 0);
  grid->addWidget(quality_, 1, 1);
  grid->addWidget(qualityText_, 1, 2);
  layout->addLayout(grid);

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole);
  ok_->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CVideoCompressionDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CVideoCompressionDlg::reject);
  layout->addWidget(buttons);

  connect(quality_, &QSlider::valueChanged, this, &CVideoCompressionDlg::showQuality);
  connect(compressor_, &QComboBox::currentIndexChanged, this, &CVideoCompressionDlg::showQuality);
  showQuality();
}

// Uncompressed frames have no quality to choose.
void CVideoCompressionDlg::showQuality() {
  const bool jpeg = compressor_->currentIndex() == 1;
  quality_->setEnabled(jpeg);
  qualityText_->setText(jpeg ? QString::number(quality_->value()) : QString());
}

void CVideoCompressionDlg::accept() {
  settings_.codec = compressor_->currentIndex() == 1 ? AviVideoCodec::Mjpeg : AviVideoCodec::Raw;
  settings_.quality = quality_->value();
  QDialog::accept();
}

}  // namespace kd
