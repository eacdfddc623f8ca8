#pragma once
// Dialog 187 "列印模式": whether the date is printed inside or outside the picture, and the
// print scale (thousandths of an inch per picture pixel), a whole number from 1 to 20.
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kd {

class CPrintModeDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kScaleId = 1032;

  CPrintModeDlg(QWidget* parent, int mode, int scale);

  // The values confirmed with "確定"; the opening values until then and after "取消".
  int mode() const { return mode_; }
  int scale() const { return scale_; }

  QRadioButton* insideButton() const { return inside_; }
  QRadioButton* outsideButton() const { return outside_; }
  QLineEdit* scaleEdit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }

 public slots:
  void accept() override;

 private:
  int mode_;
  int scale_;
  QRadioButton* inside_ = nullptr;
  QRadioButton* outside_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kd
