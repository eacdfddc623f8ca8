#pragma once
#include <QDialog>

namespace kd {

// The About box: icon, version, rights notice and maker.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace kd
