// The document's tools around playback: clip marks and clip saving, and the verification run.
#include <QDir>

#include "app/main_frame.h"
#include "app/player_document.h"
#include "app/verification_session.h"
#include "platform/background_job.h"
#include "platform/clock.h"
#include "platform/folder.h"
#include "playback/play_engine.h"
#include "recording/clip_writer.h"
#include "recording/recording_reader.h"
#include "ui/clip_save_dialog.h"
#include "ui/job_progress.h"
#include "ui/player_panel.h"
#include "ui/player_view.h"
#include "ui/verification_dialogs.h"

namespace kd {

// --- Clip marks ------------------------------------------------------------------------------

void CKadrelPlayerDoc::markClipStart() {
  if (verifying() || !hasRecording()) return;
  clipMarks_.markStart({currentBlock_, currentFrame_}, currentNumber_);
  showClipSelection();
}

void CKadrelPlayerDoc::markClipEnd() {
  if (verifying() || !hasRecording() || !clipMarks_.startSet()) return;
  clipMarks_.markEnd({currentBlock_, currentFrame_}, currentNumber_);
  showClipSelection();
}

void CKadrelPlayerDoc::showClipSelection() {
  emit menuStateChanged();  // "匯出 MP4..." follows the marks
  if (!panel_) return;
  if (clipMarks_.startSet())
    panel_->setSelection(int(clipMarks_.selectionFrom()), int(clipMarks_.selectionTo()));
  else
    panel_->clearSelection();
}

void CKadrelPlayerDoc::saveClip() {
  if (verifying() || !header_ || !clipMarks_.complete()) return;
  const bool wasPlaying = hasRecording() && !isPaused();
  if (wasPlaying) togglePause();
  const std::string source = header_->path;
  const ClipMarks marks = clipMarks_;
  const QString path = chooseClipPath(frame_, QString::fromStdString(folderOf(header_->path)));
  if (!path.isEmpty()) {
    // The clip is cut through a reader of its own, so playback's reader is never shared with
    // the writing thread.
    std::string error;
    bool written = false;
    BackgroundJob job;
    job.start([&](BackgroundJob& self) {
      RecordingInfo info;
      RecordingReader reader;
      if (!info.probe(source) || !reader.open(info, RecordingReader::kReadMode, -1)) {
        error = info.parseError().empty() ? reader.lastError() : info.parseError();
        return;
      }
      ClipProgress control;
      control.progress = [&self](uint64_t copied, uint64_t total) {
        self.setProgress(copied, total);
      };
      control.stop = self.stopFlag();
      written = writeClip(reader, path.toStdString(), marks.start().block, marks.end().block,
                          uint32_t(marks.end().frame), localGmtOffset_, error, control);
    });
    const bool finished = waitWithProgress(frame_, QStringLiteral("儲存剪輯"), job);
    if (written) {
      lastClipPath_ = path;
      if (view_) view_->showNotice(QStringLiteral("儲存剪輯: ") + path);
    } else if (view_) {
      const QString reason = finished ? QString::fromStdString(error) : QStringLiteral("stopped");
      view_->showNotice(QStringLiteral("儲存剪輯失敗: ") + path + ": " + reason);
    }
  }
  if (wasPlaying && hasRecording() && isPaused()) togglePause();
  clipMarks_.clear();
  showClipSelection();
}

void CKadrelPlayerDoc::loadClip() {
  if (verifying() || lastClipPath_.isEmpty()) return;
  if (openRecording(lastClipPath_, 0, 0) && panel_) panel_->clearSelection();
  emit menuStateChanged();
}

// --- Verification ----------------------------------------------------------------------------

void CKadrelPlayerDoc::startVerification() {
  if (snapshotPictureShown()) return;
  if (!hasRecording() && (!header_ || !openRecording(QString::fromStdString(header_->path), 0, 0)))
    return;
  if (verification_) {
    // Started again: the earlier run ends without a word.
    std::unique_ptr<VerificationSession> earlier = std::move(verification_);
    earlier->stop();
  }
  // The pass reads the file through a reader of its own; the picture holds still meanwhile.
  if (!isPaused()) togglePause();
  auto run = std::make_unique<VerificationSession>(frame_);
  QString error;
  if (!run->start(header_->path, error)) {
    close(true, false);
    if (view_) view_->showNotice(QStringLiteral("確認檔案: ") + error);
    emit menuStateChanged();
    return;
  }
  connect(run.get(), &VerificationSession::stopPressed, this, &CKadrelPlayerDoc::stopVerification);
  connect(run.get(), &VerificationSession::ended, this, [this] {
    close(true, false);
    emit menuStateChanged();
  });
  verification_ = std::move(run);
  emit menuStateChanged();
}

void CKadrelPlayerDoc::stopVerification() {
  if (!verification_) return;
  close(true, true);
  emit menuStateChanged();
}

void CKadrelPlayerDoc::endVerification() {
  if (!verification_) return;
  // The run may be on the stack (its timer or its dialog's button): it goes once we return.
  VerificationSession* run = verification_.release();
  run->stop();
  if (run->progressDialog()) run->progressDialog()->hide();
  const VerificationVerdict verdict = run->verdict();
  const QString error = run->error();
  run->deleteLater();
  showVerificationVerdict(verdict, error);
}

void CKadrelPlayerDoc::showVerificationVerdict(const VerificationVerdict& verdict,
                                               const QString& error) {
  if (!frame_) return;
  if (!error.isEmpty()) {
    if (view_) view_->showNotice(QStringLiteral("確認檔案: ") + error);
    return;
  }
  CVerifyResultDlg* dialog = nullptr;
  if (verdict.kind == VerificationVerdict::kPassed)
    dialog = CVerifyResultDlg::passed(frame_);
  else if (verdict.kind == VerificationVerdict::kFaulty)
    dialog = CVerifyResultDlg::faulty(
        frame_, QString::fromStdString(formatLocalTime(verdict.time, "%H:%M:%S")));
  if (dialog) dialog->open();
}

}  // namespace kd
