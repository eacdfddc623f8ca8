#pragma once
// The application object: file-type registration, the document, the main frame with its view,
// and the file named on the command line.
#include <QApplication>
#include <QStringList>
#include <memory>

#include "playback/qt/qt_engine_clock.h"

namespace kd {

class CKadrelPlayerDoc;
class CMainFrame;

class PlayerApplication {
 public:
  explicit PlayerApplication(QApplication& app);
  ~PlayerApplication();
  // Start-up in order; false makes the program exit. `file` is opened when not empty.
  bool start(const QString& file);
  CMainFrame* mainFrame() { return frame_.get(); }
  CKadrelPlayerDoc* document() { return document_.get(); }

 private:
  QApplication& app_;
  QtEngineClock clock_;
  std::unique_ptr<CKadrelPlayerDoc> document_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kd
