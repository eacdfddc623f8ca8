#pragma once
// The application object: file-type registration, the recent-file list, the main window, and the
// file named on the command line.
#include <QApplication>
#include <QStringList>
#include <memory>

namespace kd {

class MainFrame;

class PlayerApplication {
 public:
  explicit PlayerApplication(QApplication& app);
  ~PlayerApplication();
  // Start-up in order; false makes the program exit.
  bool start(const QStringList& arguments);
  MainFrame* mainFrame() { return frame_.get(); }

 private:
  QApplication& app_;
  std::unique_ptr<MainFrame> frame_;
};

}  // namespace kd
