#pragma once
// A file search run off the user-interface thread. Headers of a large tree (or a slow share) take
// a while to read: once the run has taken longer than half a second, a progress window with a
// cancel button shows how far it got. The result comes back on the user-interface thread.
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>
#include <memory>
#include <thread>

#include "catalog/recording_search.h"

class QTimer;
class QWidget;

namespace kd {

class CSearchRun : public QObject {
  Q_OBJECT

 public:
  static constexpr int kProgressDelayMs = 500;

  // The progress window is a child of `parent`.
  explicit CSearchRun(QWidget* parent);
  // Cancels a run still going and waits for its thread.
  ~CSearchRun() override;

  using Done = std::function<void(SearchOutcome)>;
  using Search = std::function<SearchOutcome(const SearchRequest&, const SearchControl&)>;
  // What runs on the thread (the tree search unless replaced, as tests do for a slow one).
  void setSearch(Search search) { search_ = std::move(search); }
  // Starts `request`; `done` gets its outcome (cancelled when the operator cancelled it).
  void start(SearchRequest request, Done done);
  bool running() const { return job_ != nullptr; }
  void cancel();
  // The progress window while it is shown, else null.
  QProgressDialog* progressWindow() const { return progress_; }

 private:
  struct Job;
  void poll();
  void finish();

  QWidget* parent_;
  QTimer* poll_;
  QPointer<QProgressDialog> progress_;
  std::shared_ptr<Job> job_;
  std::thread thread_;
  Done done_;
  Search search_ = [](const SearchRequest& request, const SearchControl& control) {
    return searchRecordings(request, control);
  };
};

}  // namespace kd
