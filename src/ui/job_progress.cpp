#include "ui/job_progress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include "platform/background_job.h"

namespace kd {

namespace {
constexpr int kPollMs = 50;
constexpr int kBarSteps = 1000;  // byte counts do not fit the bar's int range
}  // namespace

bool waitWithProgress(QWidget* parent, const QString& title, BackgroundJob& job) {
  QProgressDialog dialog(title, QStringLiteral("取消"), 0, kBarSteps, parent);
  dialog.setObjectName(QStringLiteral("jobProgress"));
  dialog.setWindowTitle(title);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(300);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  bool cancelled = false;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&dialog, &QProgressDialog::canceled, [&] {
    cancelled = true;
    job.requestStop();
  });
  QObject::connect(&poll, &QTimer::timeout, [&] {
    const uint64_t total = job.progressTotal();
    if (total > 0)
      dialog.setValue(int(std::min<uint64_t>(job.progressDone(), total) * kBarSteps / total));
    if (job.done()) loop.quit();
  });
  poll.start(kPollMs);
  if (!job.done()) loop.exec();
  poll.stop();
  job.wait();
  return !cancelled;
}

}  // namespace kd
