#include "platform/background_job.h"

namespace kd {

BackgroundJob::~BackgroundJob() {
  requestStop();
  wait();
}

void BackgroundJob::start(std::function<void(BackgroundJob&)> work) {
  wait();
  stop_.store(false);
  done_flag_.store(false);
  done_.store(0);
  total_.store(0);
  thread_ = std::thread([this, work = std::move(work)] {
    work(*this);
    done_flag_.store(true);
  });
}

void BackgroundJob::wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace kd
