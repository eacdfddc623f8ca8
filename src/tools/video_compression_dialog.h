#pragma once
// The compression choice of the AVI conversion: full frames (uncompressed) or Motion JPEG with
// a quality.
#include <QDialog>

#include "convert/avi_conversion.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace kd {

class CVideoCompressionDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CVideoCompressionDlg(QWidget* parent, const AviConversionSettings& initial = {});

  // The choice confirmed with "確定"; the initial one until then.
  const AviConversionSettings& settings() const { return settings_; }

  QComboBox* compressorBox() const { return compressor_; }
  QSlider* qualitySlider() const { return quality_; }
  QPushButton* okButton() const { return ok_; }

 public slots:
  void accept() override;

 private:
  void showQuality();

  QComboBox* compressor_ = nullptr;
  QSlider* quality_ = nullptr;
  QLabel* qualityText_ = nullptr;
  QPushButton* ok_ = nullptr;
  AviConversionSettings settings_;
};

}  // namespace kd
