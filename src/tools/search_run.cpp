#include "tools/search_run.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <mutex>

namespace kd {

struct CSearchRun::Job {
  std::atomic<bool> cancel{false};
  std::mutex mutex;
  SearchProgress progress;
  bool finished = false;
  SearchOutcome outcome;
  QElapsedTimer started;
};

CSearchRun::CSearchRun(QWidget* parent)
    : QObject(parent), parent_(parent), poll_(new QTimer(this)) {
  poll_->setInterval(20);
  connect(poll_, &QTimer::timeout, this, &CSearchRun::poll);
}

CSearchRun::~CSearchRun() {
  if (job_) job_->cancel = true;
  if (thread_.joinable()) thread_.join();
  delete progress_.data();
}

void CSearchRun::start(SearchRequest request, Done done) {
  if (running()) return;
  if (thread_.joinable()) thread_.join();
  job_ = std::make_shared<Job>();
  done_ = std::move(done);
  job_->started.start();
  Job* job = job_.get();
  thread_ = std::thread([job, search = search_, request = std::move(request)] {
    SearchControl control;
    control.cancel = &job->cancel;
    control.progress = [job](const SearchProgress& p) {
      std::lock_guard lock(job->mutex);
      job->progress = p;
    };
    SearchOutcome outcome = search(request, control);
    std::lock_guard lock(job->mutex);
    job->outcome = std::move(outcome);
    job->finished = true;
  });
  poll_->start();
}

void CSearchRun::cancel() {
  if (!job_) return;
  job_->cancel = true;
  if (progress_) progress_->setLabelText(QStringLiteral("取消中..."));
}

void CSearchRun::poll() {
  if (!job_) return;
  SearchProgress progress;
  bool finished = false;
  {
    std::lock_guard lock(job_->mutex);
    progress = job_->progress;
    finished = job_->finished;
  }
  if (finished) {
    finish();
    return;
  }
  if (!progress_ && job_->started.elapsed() >= kProgressDelayMs) {
    progress_ =
        new QProgressDialog(QStringLiteral("搜尋中..."), QStringLiteral("取消"), 0, 0, parent_);
    progress_->setObjectName("searchProgress");
    progress_->setWindowTitle(QStringLiteral("搜尋"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, &CSearchRun::cancel);
    progress_->show();
  }
  if (progress_ && !job_->cancel) {
    // While the folders are walked the total is not known yet: a busy bar.
    progress_->setMaximum(progress.listing ? 0
                                           : int(std::min<size_t>(progress.filesTotal, INT32_MAX)));
    progress_->setValue(progress.listing ? 0
                                         : int(std::min<size_t>(progress.filesRead, INT32_MAX)));
  }
}

void CSearchRun::finish() {
  poll_->stop();
  if (thread_.joinable()) thread_.join();
  SearchOutcome outcome = std::move(job_->outcome);
  job_.reset();
  delete progress_.data();
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(std::move(outcome));
}

}  // namespace kd
