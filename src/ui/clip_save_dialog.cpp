#include "ui/clip_save_dialog.h"

#include <QFileDialog>

namespace kd {

QString chooseClipPath(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QString(), folder, QStringLiteral("Kd Files (*.kdz)"));
  dialog.setObjectName(QStringLiteral("clipSaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("kdz"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace kd
