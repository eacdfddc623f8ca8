// The document's MP4 export of the clip marks' frames ("匯出 MP4..."), written on a worker with
// a progress bar and cancel.
#include <QString>

#include "app/main_frame.h"
#include "app/player_document.h"
#include "export/mp4_export.h"
#include "platform/background_job.h"
#include "platform/folder.h"
#include "recording/recording_info.h"
#include "ui/job_progress.h"
#include "ui/mp4_save_dialog.h"
#include "ui/player_view.h"

namespace kd {

bool CKadrelPlayerDoc::canExportClip() const {
  return !verifying() && header_ && clipMarks_.complete();
}

void CKadrelPlayerDoc::exportClipAsMp4() {
  if (!canExportClip()) return;
  const bool wasPlaying = hasRecording() && !isPaused();
  if (wasPlaying) togglePause();
  const QString path = chooseMp4Path(frame_, QString::fromStdString(folderOf(header_->path)));
  if (!path.isEmpty()) exportClipAsMp4To(path);
  if (wasPlaying && hasRecording() && isPaused()) togglePause();
}

bool CKadrelPlayerDoc::exportClipAsMp4To(const QString& path) {
  if (!canExportClip()) return false;
  // The export reads the file through a reader of its own, so playback's is never shared.
  ExportRequest request;
  request.input = header_->path;
  request.output = path.toStdString();
  request.from.kind = request.to.kind = ExportPoint::Kind::Address;
  request.from.block = clipMarks_.start().block;
  request.from.frame = clipMarks_.start().frame;
  request.to.block = clipMarks_.end().block;
  request.to.frame = clipMarks_.end().frame;
  request.captions = true;
  ExportOutcome outcome;
  BackgroundJob job;
  job.start([&](BackgroundJob& self) {
    outcome = exportMp4(request, [&self](uint32_t done, uint32_t total) {
      self.setProgress(done, total);
      return !self.stopRequested();
    });
  });
  waitWithProgress(frame_, QStringLiteral("匯出 MP4"), job);
  if (view_) {
    if (outcome.ok)
      view_->showNotice(QStringLiteral("匯出 MP4: ") + path);
    else
      view_->showNotice(QStringLiteral("匯出 MP4 失敗: ") + path + ": " +
                        QString::fromStdString(outcome.reason));
  }
  return outcome.ok;
}

}  // namespace kd
