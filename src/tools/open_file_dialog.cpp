#include "tools/open_file_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

#include "tools/host_tree_view.h"
#include "tools/open_frame.h"
#include "tools/video_list_view.h"

namespace kd {

COpenFileDialog::COpenFileDialog(QWidget* parent, const QString& lastFolder)
    : QDialog(parent),
      frame_(new COpenFrame(this)),
      pathLabel_(new QLabel(QStringLiteral("檔案路徑 :"), this)),
      pathEdit_(new QLineEdit(this)),
      openButton_(new QPushButton(QStringLiteral("開啟"), this)),
      cancelButton_(new QPushButton(QStringLiteral("取消"), this)) {
  setWindowTitle(QStringLiteral("開啟檔案"));
  setSizeGripEnabled(true);
  pathEdit_->setObjectName("pathEdit");
  openButton_->setObjectName("openButton");
  cancelButton_->setObjectName("cancelButton");
  openButton_->setDefault(true);
  connect(openButton_, &QPushButton::clicked, this, [this] { acceptPath(pathEdit_->text()); });
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  CVideoListView* list = frame_->list();
  connect(list, &CVideoListView::rowClicked, pathEdit_, &QLineEdit::setText);
  connect(list, &CVideoListView::rowChosen, this, &COpenFileDialog::acceptPath);

  resize(kWidth, kHeight);
  layOut(kWidth, kHeight);
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  CHostTreeView* tree = frame_->tree();
  tree->buildDrives();
  if (!lastFolder.isEmpty()) tree->walkTo(lastFolder);
}

QString COpenFileDialog::choose(QWidget* parent, const QString& lastFolder) {
  COpenFileDialog dialog(parent, lastFolder);
  return dialog.exec() == QDialog::Accepted ? dialog.chosenPath() : QString();
}

void COpenFileDialog::acceptPath(const QString& path) {
  // An empty field opens nothing; the dialog stays.
  if (path.isEmpty()) return;
  chosenPath_ = path;
  accept();
}

void COpenFileDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  layOut(event->size().width(), event->size().height());
}

void COpenFileDialog::layOut(int width, int height) {
  // The bottom row sits 38 pixels above the bottom edge; the frame fills everything above the
  // last 50 pixels.
  const int y = height - 38;
  pathLabel_->setGeometry(15, y, 75, 24);
  pathEdit_->setGeometry(90, y, 360, 24);
  openButton_->setGeometry(470, y, 70, 24);
  cancelButton_->setGeometry(565, y, 70, 24);
  frame_->setGeometry(0, 0, width, height - 50);
}

}  // namespace kd
