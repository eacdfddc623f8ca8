#pragma once
// Dialog 207, "人像": a face file's pictures in a grid as large as the screen takes, page by
// page, with the file's host, card and camera names. A picture's context menu prints it, saves
// it as a BMP, or picks the recording that holds its moment ("影片"), which the caller opens.
#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "catalog/face_browser_model.h"

class QLabel;
class QPrinter;
class QPushButton;

namespace kd {

class CFaceThumbnail;

class CFaceBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kPreviousId = 1114;
  static constexpr int kNextId = 1115;

  // `screenSize` empty: the size of the screen the dialog opens on.
  CFaceBrowserDialog(QWidget* parent, const QString& facePath, QSize screenSize = QSize());
  ~CFaceBrowserDialog() override;

  const FaceBrowserModel& model() const { return model_; }
  CFaceThumbnail* thumbnail(int cell) const { return thumbnails_[size_t(cell)]; }
  QLabel* caption(int cell) const { return captions_[size_t(cell)]; }
  QLabel* hostLabel() const { return hostLabel_; }
  QLabel* cardLabel() const { return cardLabel_; }
  QLabel* cameraLabel() const { return cameraLabel_; }
  QPushButton* previousButton() const { return previousButton_; }
  QPushButton* nextButton() const { return nextButton_; }

  // After "影片" found a recording: its path and the face's time (the dialog has closed).
  const QString& videoPath() const { return videoPath_; }
  uint32_t videoTime() const { return videoTime_; }

  // How the BMP's name and the printer are chosen; the platform's dialogs unless replaced
  // (the tests choose a file and a PDF printer themselves).
  std::function<QString()> chooseSavePath;
  std::function<bool(QPrinter&)> choosePrinter;

 private:
  void showPage();
  void layOut();
  void printFace(const FaceThumb& face);
  void saveFace(const FaceThumb& face);
  void openVideo(const FaceThumb& face);

  FaceBrowserModel model_;
  std::vector<CFaceThumbnail*> thumbnails_;
  std::vector<QLabel*> captions_;
  QLabel* hostLabel_;
  QLabel* cardLabel_;
  QLabel* cameraLabel_;
  QPushButton* previousButton_;
  QPushButton* nextButton_;
  QString videoPath_;
  uint32_t videoTime_ = 0;
};

}  // namespace kd
