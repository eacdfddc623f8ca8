#pragma once
// Dialog 189, "開啟檔案": the recording browser. A folder tree and the folder's files with what
// each holds, above a path field with "開啟" and "取消". Returns the chosen path; the caller
// decides by its extension how to open it.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kd {

class COpenFrame;

class COpenFileDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 700;
  static constexpr int kHeight = 500;

  // `lastFolder` (may be empty) is opened in the tree and listed.
  COpenFileDialog(QWidget* parent, const QString& lastFolder);
  QString chosenPath() const { return chosenPath_; }
  // Shows the dialog modally; the chosen path, or empty on cancel.
  static QString choose(QWidget* parent, const QString& lastFolder);

  COpenFrame* frame() const { return frame_; }
  QLineEdit* pathEdit() const { return pathEdit_; }
  QPushButton* openButton() const { return openButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void acceptPath(const QString& path);
  void layOut(int width, int height);

  COpenFrame* frame_;
  QLabel* pathLabel_;
  QLineEdit* pathEdit_;
  QPushButton* openButton_;
  QPushButton* cancelButton_;
  QString chosenPath_;
};

}  // namespace kd
