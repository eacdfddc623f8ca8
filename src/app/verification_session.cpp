#include "app/verification_session.h"

#include <QWidget>

#include "ui/verification_dialogs.h"

namespace kd {

namespace {
constexpr int kPollMs = 50;
// Dialog 221 sits with its left edge this far left of the main window's centre.
constexpr int kDialogLeftOfCentre = 150;
}  // namespace

VerificationSession::VerificationSession(QWidget* mainWindow) {
  dialog_ = new CVerifyProgressDlg(mainWindow);
  connect(dialog_, &CVerifyProgressDlg::stopPressed, this, &VerificationSession::stopPressed);
  if (mainWindow) {
    const QPoint centre = mainWindow->geometry().center();
    dialog_->move(centre.x() - kDialogLeftOfCentre, centre.y());
  }
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &VerificationSession::poll);
}

VerificationSession::~VerificationSession() {
  stop();
  delete dialog_.data();
}

bool VerificationSession::start(const std::string& path, QString& error) {
  if (!info_.probe(path)) {
    error = QString::fromStdString(path + ": " + info_.parseError());
    return false;
  }
  if (!reader_.open(info_, RecordingReader::kReadMode, info_.formatVersion == 8 ? 0 : -1)) {
    error = QString::fromStdString(path + ": " + reader_.lastError());
    return false;
  }
  dialog_->setFrameCount(int(std::min<uint32_t>(reader_.frameCount(), INT32_MAX)));
  dialog_->show();
  job_.start([this](BackgroundJob& job) {
    passMade_ = verifyRecording(
        reader_, result_, passError_,
        [&job](uint32_t read, uint32_t indexed) { job.setProgress(read, indexed); },
        job.stopFlag());
  });
  poll_.start();
  return true;
}

void VerificationSession::stop() {
  poll_.stop();
  job_.requestStop();
  job_.wait();
  if (job_.done() && !passMade_ && error_.isEmpty())
    error_ = QString::fromStdString(reader_.path + ": " + passError_);
}

void VerificationSession::poll() {
  if (dialog_) dialog_->setPosition(int(std::min<uint64_t>(job_.progressDone(), INT32_MAX)));
  if (!job_.done()) return;
  stop();
  emit ended();
}

CVerifyProgressDlg* VerificationSession::progressDialog() const {
  return dialog_.data();
}

VerificationVerdict VerificationSession::verdict() const {
  if (!job_.done() || !passMade_) return {};
  return judgeVerification(result_, reader_);
}

}  // namespace kd
