#include "app/main_frame.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

#include "app/about_dialog.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "playback/qt/display_resources.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

QString fromRecorder(const std::string& big5) {
  return QString::fromStdString(big5ToUtf8(big5));
}

}  // namespace

MainFrame::MainFrame() {
  // The shared display objects live as long as the frame.
  display::setUp();
  setWindowTitle("KD Player");
  summary_ = new QLabel(this);
  summary_->setAlignment(Qt::AlignCenter);
  summary_->setStyleSheet("QLabel { background: black; color: #d0d0d0; }");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  setCentralWidget(summary_);
  buildMenus();
  // The first client area is 640 × 480, centred, 80 pixels above the middle.
  resize(640, 480 + menuBar()->sizeHint().height());
  if (QScreen* screen = QApplication::primaryScreen()) {
    QRect s = screen->availableGeometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2 - 80);
  }
}

MainFrame::~MainFrame() {
  display::tearDown();
}

void MainFrame::buildMenus() {
  QMenu* file = menuBar()->addMenu("檔案");
  QAction* open = file->addAction("開啟 KD 檔案...", this, [this] {
    QString path = QFileDialog::getOpenFileName(
        this, "開啟 KD 檔案", QString(), "KD 檔案 (*.kd *.kdx *.kdz *.kdq *.ckd);;所有檔案 (*)");
    if (!path.isEmpty()) openRecording(path);
  });
  open->setShortcut(QKeySequence("Ctrl+O"));
  file->addAction("結束 KD 檔案", this, [this] { closeRecording(); });
  file->addSeparator();
  recentMenu_ = file->addMenu("最近的檔案");
  file->addSeparator();
  file->addAction("結束程式", this, [this] { close(); });
  QMenu* help = menuBar()->addMenu("說明");
  help->addAction("關於 KD Player...", this, [this] { showAbout(); });
  refreshRecentMenu();
}

bool MainFrame::openRecording(const QString& path, bool quiet) {
  RecordingInfo info;
  RecordingReader reader;
  info.path = path.toStdString();
  int channel = -1;
  if (info.probe(info.path) && info.formatVersion == 8) channel = 0;
  if (!reader.open(info, RecordingReader::kReadMode, channel)) {
    const QString reason =
        QString::fromStdString(reader.lastError().empty() ? info.parseError() : reader.lastError());
    if (!quiet) QMessageBox::warning(this, "KD Player", path + "\n" + reason);
    return false;
  }
  QString text;
  text += QString("%1\n\n").arg(path);
  text += QString("格式 %1  解析度 %2 × %3（顯示 %4 × %5）\n")
              .arg(reader.formatVersion)
              .arg(reader.pictureWidth())
              .arg(reader.pictureHeight())
              .arg(reader.displayWidth())
              .arg(reader.displayHeight());
  const QString camera = fromRecorder(reader.cameraNameOf(channel));
  text += QString("攝影機 %1  卡 %2  主機 %3\n")
              .arg(camera, fromRecorder(reader.cardNameOf(channel)), fromRecorder(reader.hostName));
  text += QString("%1 — %2 (%3)\n")
              .arg(QString::fromStdString(formatLocalTime(reader.startTime, "%Y/%m/%d %H:%M:%S")),
                   QString::fromStdString(formatLocalTime(reader.endTime, "%Y/%m/%d %H:%M:%S")),
                   QString::fromStdString(gmtOffsetLabel(reader.gmtOffset)));
  text += QString("%1 區塊，%2 張畫面").arg(reader.blockCount()).arg(reader.frameCount());
  summary_->setText(text);
  setWindowTitle(QString("KD Player - %1").arg(camera.isEmpty() ? path : camera));
  addRecentFile(path);
  return true;
}

void MainFrame::closeRecording() {
  summary_->clear();
  setWindowTitle("KD Player");
}

QString MainFrame::summaryText() const {
  return summary_->text();
}

QStringList MainFrame::recentFiles() const {
  return QSettings().value("Recent File List").toStringList();
}

void MainFrame::addRecentFile(const QString& path) {
  QStringList list = recentFiles();
  list.removeAll(path);
  list.prepend(path);
  while (list.size() > kRecentFiles) list.removeLast();
  QSettings().setValue("Recent File List", list);
  refreshRecentMenu();
}

void MainFrame::refreshRecentMenu() {
  recentMenu_->clear();
  const QStringList list = recentFiles();
  for (int i = 0; i < list.size(); ++i) {
    const QString path = list.at(i);
    recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(path), this,
                           [this, path] { openRecording(path); });
  }
  recentMenu_->setEnabled(!list.isEmpty());
}

void MainFrame::showAbout() {
  AboutDialog dialog(this);
  dialog.exec();
}

}  // namespace kd
