#pragma once
// The browser's file list: one row per recording, snapshot or face file of a folder, eight
// columns, sorted by header clicks. Headers are read on a worker thread and the rows arrive in
// batches, so a folder of thousands of recordings never stalls the window; choosing another
// folder cancels the fill under way.
#include <QTreeView>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "catalog/browser_row.h"
#include "catalog/row_order.h"

class QProgressBar;
class QTimer;

namespace kd {

class BrowserRowModel;

class CVideoListView : public QTreeView {
  Q_OBJECT

 public:
  explicit CVideoListView(QWidget* parent = nullptr);
  ~CVideoListView() override;

  // Empties the list and fills it with the rows of `folder`.
  void fill(const QString& folder);
  // The folder shown, with a trailing "/".
  const QString& folder() const { return folder_; }
  bool isFilling() const { return job_ != nullptr; }
  std::vector<BrowserRow> rows() const;
  const RowOrder& order() const { return order_; }
  // Folder + file name of a row.
  QString pathOfRow(int row) const;

  static QStringList columnTitles();

 signals:
  // A single click on a row.
  void rowClicked(const QString& path);
  // A double click on a row.
  void rowChosen(const QString& path);
  void fillFinished();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct FillJob;
  void cancelFill();
  void sortBy(int column);
  // Moves the rows read so far into the list, for at most a few milliseconds at a time.
  void takeRows();
  void finishFill();
  void joinStoppedWorkers();
  void placeProgress();

  BrowserRowModel* model_;
  QProgressBar* progress_;
  QTimer* drainTimer_;
  QString folder_;
  RowOrder order_;
  std::shared_ptr<FillJob> job_;
  // Workers of cancelled fills finish the file they are reading on their own; they are joined
  // once done, or when the list goes.
  std::vector<std::pair<std::shared_ptr<FillJob>, std::thread>> workers_;
};

}  // namespace kd
