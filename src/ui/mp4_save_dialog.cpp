#include "ui/mp4_save_dialog.h"

#include <QFileDialog>

namespace kd {

QString chooseMp4Path(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent, QStringLiteral("匯出 MP4"), folder,
                     QStringLiteral("MP4 Files (*.mp4)"));
  dialog.setObjectName(QStringLiteral("mp4SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("mp4"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace kd
