#include "tools/avi_convert_dialog.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/conversion_paths.h"
#include "tools/video_compression_dialog.h"

namespace kd {

namespace {

std::string localPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}
QString shownPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

QPushButton* commandButton(const QString& text, int id, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QStringLiteral("button%1").arg(id));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

QString CKd2AviDlg::messageText(int id) {
  switch (id) {
    case 3:
      return QStringLiteral("請輸入 KD 影像檔案 !");
    case 4:
      return QStringLiteral("請輸入 AVI 影像檔名稱 !");
    case 5:
      return QStringLiteral("請檢查 AVI 檔案名稱 (*.avi) !");
    case 6:
      return QStringLiteral("檔案無法開啟 !");
    case 7:
      return QStringLiteral("轉檔失敗 !");
    case 8:
      return QStringLiteral("檔案格式無法正常引用 !");
    case 9:
      return QStringLiteral("轉檔中 ! 請稍候...");
    case 10:
      return QStringLiteral("轉檔完畢!");
    default:
      return QString();
  }
}

QString CKd2AviDlg::stoppedText() {
  return QStringLiteral("轉檔已停止 !");
}

CKd2AviDlg::CKd2AviDlg(const QString& input, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Kd2Avi"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  input_ = new QLineEdit(input, this);
  input_->setObjectName(QStringLiteral("edit%1").arg(kInputId));
  output_ = new QLineEdit(this);
  output_->setObjectName(QStringLiteral("edit%1").arg(kOutputId));
  if (!input.isEmpty()) output_->setText(shownPath(defaultAviName(localPath(input))));
  browse_ = commandButton(QStringLiteral("瀏覽..."), kBrowseId, this);
  grid->addWidget(new QLabel(QStringLiteral("輸入 Kd 影像檔 :"), this), 0, 0);
  grid->addWidget(input_, 0, 1);
  grid->addWidget(browse_, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("輸出 Avi 影像檔 :"), this), 1, 0);
  grid->addWidget(output_, 1, 1);
  convert_ = commandButton(QStringLiteral("轉換"), kConvertId, this);
  grid->addWidget(convert_, 1, 2);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);
  layout->addWidget(new QLabel(
      QStringLiteral("建議選擇 Intel Indeo 或 Full Frame(Uncompressed) 影像格式 ."), this));

  messages_ = new QListWidget(this);
  messages_->setObjectName(QStringLiteral("list%1").arg(kMessagesId));
  messages_->setUniformItemSizes(true);
  messages_->setSelectionMode(QAbstractItemView::NoSelection);
  messages_->setFocusPolicy(Qt::NoFocus);
  // Tall enough for nine lines; later lines scroll the oldest out of sight.
  messages_->addItem(QStringLiteral(" "));
  const int row = messages_->sizeHintForRow(0);
  messages_->clear();
  messages_->setFixedHeight(row * kVisibleMessages + 2 * messages_->frameWidth());
  layout->addWidget(messages_);

  auto* progressRow = new QHBoxLayout;
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  stop_ = commandButton(QStringLiteral("停止"), 0, this);
  stop_->setObjectName(QStringLiteral("stop"));
  stop_->setEnabled(false);
  stop_->setCursor(Qt::ArrowCursor);  // the dialog shows the wait cursor while converting
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(stop_);
  layout->addLayout(progressRow);

  auto* exitRow = new QHBoxLayout;
  exit_ = commandButton(QStringLiteral("結束"), kExitId, this);
  exit_->setCursor(Qt::ArrowCursor);
  exitRow->addStretch(1);
  exitRow->addWidget(exit_);
  layout->addLayout(exitRow);
  resize(520, sizeHint().height());

  connect(browse_, &QPushButton::clicked, this, &CKd2AviDlg::browse);
  connect(convert_, &QPushButton::clicked, this, &CKd2AviDlg::convert);
  connect(stop_, &QPushButton::clicked, this, [this] { stopRequested_ = true; });
  connect(exit_, &QPushButton::clicked, this, &CKd2AviDlg::reject);
}

CKd2AviDlg::~CKd2AviDlg() {
  stopAndWait();
}

void CKd2AviDlg::addMessage(const QString& text) {
  messages_->addItem(text);
  messages_->scrollToBottom();
}

void CKd2AviDlg::browse() {
  QFileDialog dialog(this);
  dialog.setObjectName(QStringLiteral("browseDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("Video files(*.kd)"), QStringLiteral("Video files(*.kdx)"),
                         QStringLiteral("Video files(*.kdz)"), QStringLiteral("Video files(*.kdq)"),
                         QStringLiteral("Video files(*.ckd)")});
  const QFileInfo current(input_->text());
  if (!input_->text().isEmpty() && current.dir().exists()) dialog.setDirectory(current.dir());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString chosen = dialog.selectedFiles().first();
  input_->setText(chosen);
  output_->setText(shownPath(defaultAviName(localPath(chosen))));
}

void CKd2AviDlg::failed(const AviConversion& conversion) {
  switch (conversion.failure()) {
    case ConversionFailure::CannotOpen:
    case ConversionFailure::CannotCreate:
      addMessage(messageText(6));
      break;
    case ConversionFailure::FormatRefused:
      addMessage(messageText(8));
      break;
    case ConversionFailure::Stopped:
      addMessage(stoppedText());
      return;
    default:
      addMessage(messageText(7));
      break;
  }
  addMessage(shownPath(conversion.failedPath()) + QStringLiteral(": ") +
             QString::fromStdString(conversion.error()));
}

void CKd2AviDlg::convert() {
  if (converting()) return;
  const std::string input = localPath(input_->text()), output = localPath(output_->text());
  switch (checkConversionPaths(input, output)) {
    case PathProblem::NoInput:
      return addMessage(messageText(3));
    case PathProblem::NoOutput:
      return addMessage(messageText(4));
    case PathProblem::NotAviName:
      return addMessage(messageText(5));
    case PathProblem::OutputIsInput:
      addMessage(messageText(6));
      return addMessage(output_->text() + QStringLiteral(": the output is the recording itself"));
    case PathProblem::None:
      break;
  }
  auto conversion = std::make_unique<AviConversion>();
  if (!conversion->openRecording(input)) return failed(*conversion);
  CVideoCompressionDlg compression(this);
  if (compression.exec() != QDialog::Accepted) return;  // cancelled: no message, nothing open
  if (!conversion->createOutput(output, compression.settings())) return failed(*conversion);
  conversion_ = std::move(conversion);
  addMessage(messageText(9));
  startWorker();
}

void CKd2AviDlg::startWorker() {
  stopRequested_ = false;
  shownPercent_ = -1;
  progress_->setRange(0, int(conversion_->plan().frameCount));
  progress_->setValue(0);
  setRunning(true);
  AviConversion* conversion = conversion_.get();
  worker_ = std::thread([this, conversion] {
    const bool ok = conversion->run(
        [this](uint32_t done, uint32_t total) {
          // One update per percent keeps the queue short on fast conversions.
          const int percent = int(uint64_t(done) * 100 / total);
          if (percent == shownPercent_.exchange(percent) && done != total) return;
          QMetaObject::invokeMethod(
              this, [this, done, total] { onProgress(done, total); }, Qt::QueuedConnection);
        },
        &stopRequested_);
    QMetaObject::invokeMethod(
        this, [this, ok] { onWorkerDone(ok); }, Qt::QueuedConnection);
  });
}

void CKd2AviDlg::onProgress(uint32_t done, uint32_t total) {
  if (progress_->maximum() != int(total)) progress_->setMaximum(int(total));
  progress_->setValue(int(done));
}

void CKd2AviDlg::onWorkerDone(bool ok) {
  if (worker_.joinable()) worker_.join();
  if (!conversion_) return;
  if (ok)
    addMessage(messageText(10));
  else
    failed(*conversion_);
  conversion_.reset();
  setRunning(false);
  emit conversionFinished(ok);
}

void CKd2AviDlg::setRunning(bool running) {
  convert_->setEnabled(!running);
  browse_->setEnabled(!running);
  input_->setReadOnly(running);
  output_->setReadOnly(running);
  stop_->setEnabled(running);
  if (running)
    setCursor(Qt::WaitCursor);
  else
    unsetCursor();
}

// Leaving stops the frame loop; the unfinished file is removed with it.
void CKd2AviDlg::stopAndWait() {
  if (!worker_.joinable()) return;
  stopRequested_ = true;
  worker_.join();
  conversion_.reset();
  setRunning(false);
}

void CKd2AviDlg::reject() {
  stopAndWait();
  QDialog::reject();
}

void CKd2AviDlg::closeEvent(QCloseEvent* event) {
  stopAndWait();
  QDialog::closeEvent(event);
}

}  // namespace kd
