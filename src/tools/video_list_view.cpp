#include "tools/video_list_view.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QProgressBar>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>
#include <array>
#include <mutex>

#include "catalog/folder_rows.h"
#include "platform/big5_text.h"

namespace kd {

namespace {

// Characters beyond Latin take about two widths of a Latin one: enough to pick the text to
// measure.
int roughWidth(const QString& text) {
  int width = 0;
  for (QChar c : text) width += c.unicode() < 0x2E80 ? 1 : 2;
  return width;
}

}  // namespace

// The rows with their cell texts decoded once, for painting.
class BrowserRowModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  struct Entry {
    BrowserRow row;
    std::array<QString, kColumnCount> cells;
  };

  static QString cellText(const BrowserRow& row, int column) {
    const std::string& text = columnText(row, column);
    if (column == kNameColumn) return QFile::decodeName(QByteArray::fromStdString(text));
    const bool recorderText =
        column == kCardColumn || column == kCameraColumn || column == kHostColumn;
    return QString::fromStdString(recorderText ? big5ToUtf8(text) : text);
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(entries_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumnCount;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return entries_[size_t(index.row())].cells[size_t(index.column())];
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return QString::fromUtf8(browserColumnTitle(section));
  }

  void clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
  }
  void append(std::vector<Entry> batch) {
    if (batch.empty()) return;
    const int first = int(entries_.size());
    beginInsertRows({}, first, first + int(batch.size()) - 1);
    std::move(batch.begin(), batch.end(), std::back_inserter(entries_));
    endInsertRows();
  }
  void sort(const RowOrder& order) {
    beginResetModel();
    std::stable_sort(entries_.begin(), entries_.end(),
                     [&](const Entry& a, const Entry& b) { return order.before(a.row, b.row); });
    endResetModel();
  }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// What a worker hands to the list: rows with their texts decoded, under a lock.
struct CVideoListView::FillJob {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> exited{false};
  std::mutex mutex;
  std::vector<BrowserRowModel::Entry> ready;
  int done = 0;
  int total = 0;
  bool finished = false;

  // Runs on the worker thread.
  void run(const std::string& folder) {
    std::vector<FolderFile> files;
    std::string error;
    listFolderFiles(folder, files, error);  // a folder that cannot be read shows no rows
    {
      std::lock_guard lock(mutex);
      total = int(files.size());
    }
    for (size_t i = 0; i < files.size() && !cancelled; ++i) {
      std::optional<BrowserRow> row = readBrowserRow(files[i].path, files[i].name, files[i].size);
      std::lock_guard lock(mutex);
      if (row) {
        BrowserRowModel::Entry entry{std::move(*row), {}};
        for (int c = 0; c < kColumnCount; ++c)
          entry.cells[size_t(c)] = BrowserRowModel::cellText(entry.row, c);
        ready.push_back(std::move(entry));
      }
      done = int(i + 1);
    }
    std::lock_guard lock(mutex);
    finished = true;
    exited = true;
  }
};

QStringList CVideoListView::columnTitles() {
  QStringList titles;
  for (int c = 0; c < kColumnCount; ++c) titles << QString::fromUtf8(browserColumnTitle(c));
  return titles;
}

CVideoListView::CVideoListView(QWidget* parent)
    : QTreeView(parent),
      model_(new BrowserRowModel(this)),
      progress_(new QProgressBar(this)),
      drainTimer_(new QTimer(this)) {
  setModel(model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setSectionsClickable(true);
  header()->setStretchLastSection(false);
  // Each column starts as wide as its title and 15 pixels more.
  for (int c = 0; c < kColumnCount; ++c)
    setColumnWidth(c, fontMetrics().horizontalAdvance(columnTitles()[c]) + 15);
  connect(header(), &QHeaderView::sectionClicked, this, &CVideoListView::sortBy);
  connect(this, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { emit rowClicked(pathOfRow(index.row())); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { emit rowChosen(pathOfRow(index.row())); });
  drainTimer_->setInterval(15);
  connect(drainTimer_, &QTimer::timeout, this, &CVideoListView::takeRows);
  progress_->hide();
}

CVideoListView::~CVideoListView() {
  cancelFill();
  for (auto& [job, thread] : workers_) thread.join();
}

std::vector<BrowserRow> CVideoListView::rows() const {
  std::vector<BrowserRow> rows;
  for (const auto& entry : model_->entries()) rows.push_back(entry.row);
  return rows;
}

QString CVideoListView::pathOfRow(int row) const {
  if (row < 0 || row >= model_->rowCount()) return {};
  return folder_ + model_->entries()[size_t(row)].cells[kNameColumn];
}

void CVideoListView::cancelFill() {
  if (job_) job_->cancelled = true;
  job_.reset();
  drainTimer_->stop();
  progress_->hide();
  joinStoppedWorkers();
}

void CVideoListView::fill(const QString& folder) {
  cancelFill();
  folder_ = folder.endsWith('/') ? folder : folder + '/';
  model_->clear();
  job_ = std::make_shared<FillJob>();
  progress_->setRange(0, 0);
  placeProgress();
  progress_->show();
  workers_.emplace_back(
      job_, std::thread(&FillJob::run, job_.get(), QFile::encodeName(folder_).toStdString()));
  drainTimer_->start();
}

void CVideoListView::takeRows() {
  if (!job_) return;
  // A slice of the rows at a time, so timers and input keep their turn however fast the worker.
  QElapsedTimer budget;
  budget.start();
  int done = 0;
  int total = 0;
  bool finished = false;
  do {
    std::vector<BrowserRowModel::Entry> entries;
    {
      std::lock_guard lock(job_->mutex);
      const size_t take = std::min<size_t>(job_->ready.size(), 250);
      entries.assign(std::make_move_iterator(job_->ready.begin()),
                     std::make_move_iterator(job_->ready.begin() + ptrdiff_t(take)));
      job_->ready.erase(job_->ready.begin(), job_->ready.begin() + ptrdiff_t(take));
      done = job_->done;
      total = job_->total;
      finished = job_->finished && job_->ready.empty();
    }
    if (entries.empty()) break;
    // A column whose cell comes within 10 pixels of its edge grows to fit the text; only the
    // longest text of each column in the slice is measured.
    for (int c = 0; c < kColumnCount; ++c) {
      const QString* longest = &entries[0].cells[size_t(c)];
      for (const auto& entry : entries)
        if (roughWidth(entry.cells[size_t(c)]) > roughWidth(*longest))
          longest = &entry.cells[size_t(c)];
      const int width = fontMetrics().horizontalAdvance(*longest);
      if (width >= columnWidth(c) - 10) setColumnWidth(c, width + 15);
    }
    model_->append(std::move(entries));
  } while (budget.elapsed() < 8);
  progress_->setRange(0, std::max(total, 1));
  progress_->setValue(done);
  if (finished) finishFill();
}

void CVideoListView::finishFill() {
  job_.reset();
  drainTimer_->stop();
  progress_->hide();
  joinStoppedWorkers();
  emit fillFinished();
}

void CVideoListView::joinStoppedWorkers() {
  // Workers still reading are left to finish their file; they are joined later.
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->first->exited) {
      it->second.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void CVideoListView::sortBy(int column) {
  order_.click(column);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(column,
                             order_.smallerFirst ? Qt::AscendingOrder : Qt::DescendingOrder);
  if (model_->rowCount() > 0) model_->sort(order_);
}

void CVideoListView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  placeProgress();
}

void CVideoListView::placeProgress() {
  // Along the bottom of the list while a fill is under way.
  const int height = progress_->sizeHint().height();
  progress_->setGeometry(0, this->height() - height, width(), height);
}

}  // namespace kd
