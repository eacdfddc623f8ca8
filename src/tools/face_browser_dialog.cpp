#include "tools/face_browser_dialog.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

#include "catalog/face_video.h"
#include "tools/face_print.h"
#include "tools/face_thumbnail.h"

namespace kd {

namespace {

FaceGrid gridFor(QWidget* parent, QSize screenSize) {
  if (screenSize.isEmpty()) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    screenSize = screen ? screen->geometry().size() : QSize(800, 600);
  }
  // The frame is the window manager's; before the dialog shows it is not known, and offscreen
  // there is none.
  return faceGridForScreen(screenSize.width(), screenSize.height(), 0, 0);
}

QString askSavePath(QWidget* parent) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("File to save as"),
                                      QStringLiteral("*.BMP"), QStringLiteral("BMP file(*.BMP)"));
}

bool askPrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

CFaceBrowserDialog::CFaceBrowserDialog(QWidget* parent, const QString& facePath, QSize screenSize)
    : QDialog(parent),
      model_(gridFor(parent, screenSize)),
      hostLabel_(new QLabel(this)),
      cardLabel_(new QLabel(this)),
      cameraLabel_(new QLabel(this)),
      previousButton_(new QPushButton(QStringLiteral("上一頁"), this)),
      nextButton_(new QPushButton(QStringLiteral("下一頁"), this)) {
  setWindowTitle(QStringLiteral("人像"));
  previousButton_->setObjectName(QStringLiteral("button%1").arg(kPreviousId));
  nextButton_->setObjectName(QStringLiteral("button%1").arg(kNextId));
  previousButton_->setAutoDefault(false);
  nextButton_->setAutoDefault(false);
  chooseSavePath = [this] { return askSavePath(this); };
  choosePrinter = [this](QPrinter& printer) { return askPrinter(this, printer); };
  // A thumbnail for every cell of the grid.
  for (int k = 0; k < model_.perPage(); ++k) {
    auto* thumb = new CFaceThumbnail(this);
    thumb->setObjectName(QStringLiteral("thumb%1").arg(k));
    connect(thumb, &CFaceThumbnail::printRequested, this, &CFaceBrowserDialog::printFace);
    connect(thumb, &CFaceThumbnail::saveRequested, this, &CFaceBrowserDialog::saveFace);
    connect(thumb, &CFaceThumbnail::videoRequested, this, &CFaceBrowserDialog::openVideo);
    thumbnails_.push_back(thumb);
    captions_.push_back(new QLabel(this));
  }
  connect(previousButton_, &QPushButton::clicked, this, [this] {
    model_.previousPage();
    showPage();
  });
  connect(nextButton_, &QPushButton::clicked, this, [this] {
    model_.nextPage();
    showPage();
  });
  layOut();
  if (model_.open(facePath.toStdString())) {
    hostLabel_->setText(QString::fromStdString(model_.hostLabel()));
    cardLabel_->setText(QString::fromStdString(model_.cardLabel()));
    cameraLabel_->setText(QString::fromStdString(model_.cameraLabel()));
  }
  showPage();
}

CFaceBrowserDialog::~CFaceBrowserDialog() = default;

void CFaceBrowserDialog::layOut() {
  const FaceGrid& g = model_.grid();
  const int width = g.clientWidth(), gridBottom = g.rows * FaceGrid::kCellHeight;
  setFixedSize(width, g.clientHeight());
  move(screen() ? screen()->geometry().topLeft() : QPoint());
  for (int k = 0; k < g.cells(); ++k) {
    const int x = (k % g.columns) * FaceGrid::kCellWidth,
              y = (k / g.columns) * FaceGrid::kCellHeight;
    thumbnails_[size_t(k)]->setGeometry(x, y, FaceGrid::kThumbWidth, FaceGrid::kThumbHeight);
    captions_[size_t(k)]->setGeometry(x, y + FaceGrid::kThumbHeight, FaceGrid::kThumbWidth,
                                      FaceGrid::kCaptionHeight);
  }
  hostLabel_->setGeometry(0, gridBottom, 200, 15);
  cardLabel_->setGeometry(0, gridBottom + 15, 200, 15);
  cameraLabel_->setGeometry(0, gridBottom + 30, 200, 15);
  previousButton_->setGeometry(width - 200, gridBottom, 80, 20);
  nextButton_->setGeometry(width - 100, gridBottom, 80, 20);
}

void CFaceBrowserDialog::showPage() {
  const std::vector<FaceCell>& cells = model_.cells();
  for (size_t k = 0; k < cells.size(); ++k) {
    if (cells[k].shown)
      thumbnails_[k]->setFace(cells[k].thumb);
    else
      thumbnails_[k]->clearFace();
    thumbnails_[k]->setVisible(cells[k].shown);
    captions_[k]->setText(QString::fromStdString(cells[k].caption));
  }
  previousButton_->setEnabled(model_.hasPrevious());
  nextButton_->setEnabled(model_.hasNext());
  update();
}

void CFaceBrowserDialog::printFace(const FaceThumb& face) {
  QPrinter printer;
  if (!choosePrinter || !choosePrinter(printer)) return;
  if (!printFacePage(printer, face))
    QMessageBox::warning(this, windowTitle(), QStringLiteral("The page could not be printed."));
}

void CFaceBrowserDialog::saveFace(const FaceThumb& face) {
  const QString path = chooseSavePath ? chooseSavePath() : QString();
  if (path.isEmpty()) return;
  std::string error;
  if (!writeFaceBmp(path.toStdString(), face.bitmap, error))
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("%1: %2").arg(path, QString::fromStdString(error)));
}

void CFaceBrowserDialog::openVideo(const FaceThumb& face) {
  const std::optional<std::string> video = findFaceVideo(face);
  if (!video) {
    QMessageBox::information(this, windowTitle(), QStringLiteral("找不到影像檔案 !"));
    return;
  }
  videoPath_ = QString::fromStdString(*video);
  videoTime_ = face.time;
  accept();
}

}  // namespace kd
