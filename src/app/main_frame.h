#pragma once
// The single top-level window: menus, the recent-file list and, until the player view lands,
// a summary of the open recording.
#include <QMainWindow>
#include <QStringList>

class QLabel;
class QMenu;

namespace kd {

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kRecentFiles = 4;

  MainFrame();
  ~MainFrame() override;
  // Probes and opens `path`; false (with a message box unless quiet) when it cannot be opened.
  bool openRecording(const QString& path, bool quiet = false);
  void closeRecording();
  QString summaryText() const;
  QStringList recentFiles() const;

 private:
  void buildMenus();
  void addRecentFile(const QString& path);
  void refreshRecentMenu();
  void showAbout();

  QLabel* summary_ = nullptr;
  QMenu* recentMenu_ = nullptr;
};

}  // namespace kd
