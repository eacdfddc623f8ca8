#include "tools/search_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "tools/dir_pick.h"
#include "tools/search_run.h"

namespace kd {

namespace {

const char* const kChooseMessage = "請選取鏡頭與檔案路徑 !";
const char* const kNotFoundMessage = "找不到對應的檔案!";

}  // namespace

CSearchDlg::CSearchDlg(QWidget* parent, SearchSettings& settings, Opener opener, bool quadAvailable)
    : QDialog(parent), settings_(settings), opener_(std::move(opener)) {
  setWindowTitle(QStringLiteral("搜尋"));
  chooser_ = [](QWidget* owner, const QString& current) {
    return CDirPick::choose(owner, QStringLiteral("Select A Directory"), current);
  };
  run_ = new CSearchRun(this);
  build(quadAvailable);
  load();
}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::build(bool quadAvailable) {
  auto* layout = new QVBoxLayout(this);

  auto* pathRow = new QHBoxLayout;
  auto* pathLabel = new QLabel(QStringLiteral("檔案路徑 :"), this);
  pathEdit_ = new QLineEdit(this);
  pathEdit_->setObjectName("pathEdit");
  pathLabel->setBuddy(pathEdit_);
  browse_ = new QPushButton(QStringLiteral("..."), this);
  browse_->setObjectName(QStringLiteral("button%1").arg(kBrowseId));
  browse_->setFixedWidth(30);
  pathRow->addWidget(pathLabel);
  pathRow->addWidget(pathEdit_, 1);
  pathRow->addWidget(browse_);
  layout->addLayout(pathRow);

  auto* boxRow = new QHBoxLayout;
  subfolders_ = new QCheckBox(QStringLiteral("搜尋子目錄"), this);
  subfolders_->setObjectName("subfolderBox");
  quad_ = new QCheckBox(QStringLiteral("四分割同步播放"), this);
  quad_->setObjectName("quadBox");
  quad_->setEnabled(quadAvailable);
  boxRow->addWidget(subfolders_);
  boxRow->addWidget(quad_);
  boxRow->addStretch(1);
  layout->addLayout(boxRow);

  auto* cameraGroup = new QGroupBox(this);
  auto* cameraGrid = new QGridLayout(cameraGroup);
  for (int n = 0; n < kSearchCameraBoxes; ++n) {
    auto* box = new QCheckBox(QStringLiteral("鏡頭 %1").arg(n + 1), cameraGroup);
    box->setObjectName(QStringLiteral("check%1").arg(kFirstCameraId + n));
    cameras_[size_t(n)] = box;
    // One card's four cameras to a row.
    cameraGrid->addWidget(box, n / 4, n % 4);
    connect(box, &QCheckBox::toggled, this, [this, n](bool on) { cameraToggled(n, on); });
  }
  layout->addWidget(cameraGroup);

  auto* timeGroup = new QGroupBox(this);
  auto* timeGrid = new QGridLayout(timeGroup);
  dateMode_ = new QRadioButton(QStringLiteral("搜尋日期"), timeGroup);
  dateMode_->setObjectName("dateMode");
  timeMode_ = new QRadioButton(QStringLiteral("搜尋時間"), timeGroup);
  timeMode_->setObjectName("timeMode");
  auto* modes = new QButtonGroup(this);
  modes->addButton(dateMode_, int(SearchMode::kDate));
  modes->addButton(timeMode_, int(SearchMode::kTime));
  auto datePicker = [timeGroup](int id) {
    auto* picker = new QDateEdit(timeGroup);
    picker->setObjectName(QStringLiteral("date%1").arg(id));
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    picker->setCalendarPopup(true);
    return picker;
  };
  date_ = datePicker(kDatePickerId);
  timeDate_ = datePicker(kTimeDatePickerId);
  timeOfDay_ = new QTimeEdit(timeGroup);
  timeOfDay_->setObjectName(QStringLiteral("time%1").arg(kTimeOfDayPickerId));
  timeOfDay_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  timeGrid->addWidget(dateMode_, 0, 0);
  timeGrid->addWidget(date_, 0, 1);
  timeGrid->addWidget(timeMode_, 1, 0);
  timeGrid->addWidget(timeDate_, 1, 1);
  timeGrid->addWidget(timeOfDay_, 1, 2);
  connect(modes, &QButtonGroup::idClicked, this, &CSearchDlg::modeChosen);
  layout->addWidget(timeGroup);

  auto* hostRow = new QHBoxLayout;
  hostBox_ = new QCheckBox(QStringLiteral("主機名稱"), this);
  hostBox_->setObjectName(QStringLiteral("check%1").arg(kHostBoxId));
  host_ = new QLineEdit(this);
  host_->setObjectName(QStringLiteral("edit%1").arg(kHostFieldId));
  host_->setMaxLength(int(kMaxSearchHostLength));
  hostRow->addWidget(hostBox_);
  hostRow->addWidget(host_, 1);
  layout->addLayout(hostRow);
  connect(hostBox_, &QCheckBox::toggled, host_, &QWidget::setEnabled);

  auto* buttonRow = new QHBoxLayout;
  search_ = new QPushButton(QStringLiteral("搜尋"), this);
  search_->setObjectName(QStringLiteral("button%1").arg(kSearchId));
  search_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("取消"), this);
  cancel_->setObjectName("cancelButton");
  buttonRow->addStretch(1);
  buttonRow->addWidget(search_);
  buttonRow->addWidget(cancel_);
  layout->addLayout(buttonRow);

  connect(browse_, &QPushButton::clicked, this, &CSearchDlg::browse);
  connect(quad_, &QCheckBox::toggled, this, &CSearchDlg::quadToggled);
  connect(search_, &QPushButton::clicked, this, &CSearchDlg::startSearch);
  connect(cancel_, &QPushButton::clicked, this, &CSearchDlg::reject);
}

void CSearchDlg::load() {
  pathEdit_->setText(QString::fromStdString(settings_.path));
  subfolders_->setChecked(settings_.subfolders);
  // A quad choice without a quad window to take it starts as a single-camera search.
  quad_->setChecked(settings_.quad && quad_->isEnabled());
  for (int box : settings_.checkedBoxes()) cameras_[size_t(box)]->setChecked(true);
  const QDateTime stored = QDateTime::fromSecsSinceEpoch(settings_.time);
  date_->setDate(stored.date());
  timeDate_->setDate(stored.date());
  timeOfDay_->setTime(stored.time());
  (settings_.mode == SearchMode::kTime ? timeMode_ : dateMode_)->setChecked(true);
  modeChosen();
  hostBox_->setChecked(!settings_.hostName.empty());
  host_->setText(QString::fromStdString(settings_.hostName));
  host_->setEnabled(hostBox_->isChecked());
}

void CSearchDlg::cameraToggled(int number, bool on) {
  if (!on) return;
  if (int(checkedBoxes().size()) <= cameraLimit(quad_->isChecked())) return;
  // One box too many: the check is undone.
  QSignalBlocker block(cameras_[size_t(number)]);
  cameras_[size_t(number)]->setChecked(false);
}

void CSearchDlg::quadToggled(bool on) {
  if (on) return;
  for (QCheckBox* box : cameras_) {
    QSignalBlocker block(box);
    box->setChecked(false);
  }
}

void CSearchDlg::modeChosen() {
  const bool byDate = dateMode_->isChecked();
  date_->setEnabled(byDate);
  timeDate_->setEnabled(!byDate);
  timeOfDay_->setEnabled(!byDate);
}

void CSearchDlg::browse() {
  const QString chosen = chooser_(this, pathEdit_->text());
  if (!chosen.isEmpty()) pathEdit_->setText(chosen);
}

std::vector<int> CSearchDlg::checkedBoxes() const {
  std::vector<int> boxes;
  for (int n = 0; n < kSearchCameraBoxes; ++n)
    if (cameras_[size_t(n)]->isChecked()) boxes.push_back(n);
  return boxes;
}

int64_t CSearchDlg::moment() const {
  const bool byDate = dateMode_->isChecked();
  const QDate day = byDate ? date_->date() : timeDate_->date();
  const QTime time = byDate ? QTime(0, 0, 0) : timeOfDay_->time();
  int64_t seconds = 0;
  if (!localMoment(day.year(), day.month(), day.day(), time.hour(), time.minute(), time.second(),
                   seconds))
    seconds = QDateTime(day, time).toSecsSinceEpoch();
  return seconds;
}

SearchSettings CSearchDlg::dialogState() const {
  SearchSettings state;
  state.path = pathEdit_->text().toStdString();
  state.subfolders = subfolders_->isChecked();
  state.quad = quad_->isChecked();
  state.setCheckedBoxes(checkedBoxes());
  state.mode = dateMode_->isChecked() ? SearchMode::kDate : SearchMode::kTime;
  state.time = moment();
  if (hostBox_->isChecked()) state.hostName = host_->text().toStdString();
  return state;
}

void CSearchDlg::startSearch() {
  if (run_->running()) return;
  searching_ = dialogState();
  const std::vector<uint32_t> keys = searchSourceKeys(checkedBoxes(), searching_.quad);
  if (searching_.path.empty() || keys.empty()) {
    message(QString::fromUtf8(kChooseMessage));
    return;
  }
  SearchRequest request;
  request.folder = searching_.path;
  request.sourceKeys = keys;
  request.moment = searching_.time;
  request.hostName = searching_.hostName;
  request.subfolders = searching_.subfolders;
  search_->setEnabled(false);
  run_->start(std::move(request),
              [this](SearchOutcome outcome) { searchDone(std::move(outcome)); });
}

void CSearchDlg::searchDone(SearchOutcome outcome) {
  search_->setEnabled(true);
  if (outcome.cancelled) return;  // the operator stopped it: the dialog stays as it was
  bool found = false;
  for (const auto& list : outcome.candidates) found = found || !list.empty();
  if (!found || !opener_(searching_, std::move(outcome.candidates))) {
    message(QString::fromUtf8(kNotFoundMessage));
    return;
  }
  settings_ = searching_;
  accept();
}

void CSearchDlg::reject() {
  run_->cancel();
  QDialog::reject();
}

void CSearchDlg::message(const QString& text) {
  QMessageBox::information(this, windowTitle(), text);
}

}  // namespace kd
