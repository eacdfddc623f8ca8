#pragma once
// One verification run of the player: the verification pass over the open recording's file on
// a worker thread (the same pass as kdtool verify), watched by dialog 221. The document owns the
// run while it exists; `ended` tells it that the pass reached the end of the file.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "platform/background_job.h"
#include "playback/file_verification.h"
#include "playback/verification_verdict.h"
#include "recording/recording_reader.h"

class QWidget;

namespace kd {

class CVerifyProgressDlg;

class VerificationSession : public QObject {
  Q_OBJECT

 public:
  explicit VerificationSession(QWidget* mainWindow);
  ~VerificationSession() override;

  // Opens `path` (channel 0 of a four-channel file) and starts the pass; false with `error` when
  // the file cannot be opened.
  bool start(const std::string& path, QString& error);
  // Stops the pass if it still runs and waits for its thread.
  void stop();
  // After the pass ended or stop(): what the operator is told, and why nothing could be judged.
  VerificationVerdict verdict() const;
  const QString& error() const { return error_; }

  CVerifyProgressDlg* progressDialog() const;

 signals:
  void stopPressed();  // "停止" in dialog 221
  void ended();        // the pass finished on its own (end of file, unreadable frame)

 private:
  void poll();

  RecordingInfo info_;
  RecordingReader reader_;
  VerificationResult result_;
  std::string passError_;
  bool passMade_ = false;  // false when the pass could not start (no decoder)
  QString error_;
  BackgroundJob job_;
  QTimer poll_;
  QPointer<CVerifyProgressDlg> dialog_;
};

}  // namespace kd
