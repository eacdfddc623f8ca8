#pragma once
// Dialog 192, "Kd2Avi": converts one recording into an AVI file. The edits name the recording
// and the AVI file, "轉換" checks them, opens the recording, asks for the compression and
// creates the file; the frame loop then runs on a worker thread while the list box, the
// progress bar and "停止" follow it, and the window stays live.
#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

#include "convert/avi_conversion.h"

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace kd {

class CKd2AviDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kInputId = 1045;
  static constexpr int kOutputId = 1046;
  static constexpr int kBrowseId = 1047;
  static constexpr int kConvertId = 1048;
  static constexpr int kMessagesId = 1052;
  static constexpr int kExitId = 1056;
  static constexpr int kVisibleMessages = 9;

  // `input`: the path of the recording the document had open (empty if none).
  explicit CKd2AviDlg(const QString& input, QWidget* parent = nullptr);
  ~CKd2AviDlg() override;

  // The message texts of the string table, by id (3 … 10), and the stop line.
  static QString messageText(int id);
  static QString stoppedText();

  bool converting() const { return worker_.joinable(); }

  QLineEdit* inputEdit() const { return input_; }
  QLineEdit* outputEdit() const { return output_; }
  QPushButton* browseButton() const { return browse_; }
  QPushButton* convertButton() const { return convert_; }
  QPushButton* stopButton() const { return stop_; }
  QPushButton* exitButton() const { return exit_; }
  QListWidget* messageList() const { return messages_; }
  QProgressBar* progressBar() const { return progress_; }

 signals:
  // The frame loop ended (its message is in the list).
  void conversionFinished(bool succeeded);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void browse();
  void convert();
  void addMessage(const QString& text);
  void failed(const AviConversion& conversion);
  void startWorker();
  void onProgress(uint32_t done, uint32_t total);
  void onWorkerDone(bool ok);
  void stopAndWait();
  void setRunning(bool running);

  QLineEdit* input_ = nullptr;
  QLineEdit* output_ = nullptr;
  QPushButton* browse_ = nullptr;
  QPushButton* convert_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* exit_ = nullptr;
  QListWidget* messages_ = nullptr;
  QProgressBar* progress_ = nullptr;

  std::unique_ptr<AviConversion> conversion_;
  std::thread worker_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> shownPercent_{-1};
};

}  // namespace kd
