#pragma once
// Dialog 213, "搜尋": finds the recording a chosen camera was writing at a chosen date or moment
// under a folder. The folder with "..." and "搜尋子目錄", "四分割同步播放", the sixteen camera
// boxes, the date or time pickers and the host name. The search runs off the user-interface
// thread; what it finds goes to the opener (the document), and a successful search writes the
// dialog's state back into the settings.
#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "catalog/recording_search.h"
#include "catalog/search_settings.h"

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace kd {

class CSearchRun;

class CSearchDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kBrowseId = 1140;
  static constexpr int kFirstCameraId = 1142;  // "鏡頭 1"; "鏡頭 16" is 1157
  static constexpr int kDatePickerId = 1160;
  static constexpr int kTimeDatePickerId = 1162;
  static constexpr int kTimeOfDayPickerId = 1163;
  static constexpr int kHostBoxId = 1164;
  static constexpr int kHostFieldId = 1165;
  static constexpr int kSearchId = 1166;

  // Gets the settings searched with and, per source key asked for, its candidates in selection
  // order (at least one list not empty); true when it opened something.
  using Opener =
      std::function<bool(const SearchSettings&, std::vector<std::vector<SearchCandidate>>)>;
  using FolderChooser = std::function<QString(QWidget* parent, const QString& current)>;

  // `settings` is read on opening and written on success. `quadAvailable` false disables the
  // quad box (no quad window to hand the cameras to).
  CSearchDlg(QWidget* parent, SearchSettings& settings, Opener opener, bool quadAvailable);
  ~CSearchDlg() override;

  // "..." asks this instead of the platform's folder dialog (tests).
  void setFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }

  // The moment the pickers name, in local time.
  int64_t moment() const;
  // The checked camera boxes, ascending.
  std::vector<int> checkedBoxes() const;

  QLineEdit* pathEdit() const { return pathEdit_; }
  QPushButton* browseButton() const { return browse_; }
  QCheckBox* subfolderBox() const { return subfolders_; }
  QCheckBox* quadBox() const { return quad_; }
  QCheckBox* cameraBox(int number) const { return cameras_[size_t(number)]; }
  QRadioButton* dateMode() const { return dateMode_; }
  QRadioButton* timeMode() const { return timeMode_; }
  QDateEdit* datePicker() const { return date_; }
  QDateEdit* timeDatePicker() const { return timeDate_; }
  QTimeEdit* timeOfDayPicker() const { return timeOfDay_; }
  QCheckBox* hostBox() const { return hostBox_; }
  QLineEdit* hostField() const { return host_; }
  QPushButton* searchButton() const { return search_; }
  QPushButton* cancelButton() const { return cancel_; }
  CSearchRun* run() const { return run_; }

 public slots:
  void reject() override;

 private:
  void build(bool quadAvailable);
  void load();
  void cameraToggled(int number, bool on);
  void quadToggled(bool on);
  void modeChosen();
  void browse();
  void startSearch();
  void searchDone(SearchOutcome outcome);
  SearchSettings dialogState() const;
  void message(const QString& text);

  SearchSettings& settings_;
  Opener opener_;
  FolderChooser chooser_;
  SearchSettings searching_;  // the dialog's state when the running search started

  QLineEdit* pathEdit_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* subfolders_ = nullptr;
  QCheckBox* quad_ = nullptr;
  std::array<QCheckBox*, kSearchCameraBoxes> cameras_{};
  QRadioButton* dateMode_ = nullptr;
  QRadioButton* timeMode_ = nullptr;
  QDateEdit* date_ = nullptr;
  QDateEdit* timeDate_ = nullptr;
  QTimeEdit* timeOfDay_ = nullptr;
  QCheckBox* hostBox_ = nullptr;
  QLineEdit* host_ = nullptr;
  QPushButton* search_ = nullptr;
  QPushButton* cancel_ = nullptr;
  CSearchRun* run_ = nullptr;
};

}  // namespace kd
