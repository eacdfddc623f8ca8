#include "tools/dir_pick.h"

#include <QFileDialog>

namespace kd {

QString CDirPick::choose(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

}  // namespace kd
