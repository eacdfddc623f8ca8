#include "app/player_application.h"

#include "app/main_frame.h"
#include "app/player_document.h"
#include "app/start_time.h"
#include "platform/qt/qt_audio_sink.h"
#include "platform/shell_registration.h"
#include "playback/wave_device.h"
#include "ui/panel_pictures.h"

namespace kd {

PlayerApplication::PlayerApplication(QApplication& app) : app_(app) {
  app_.setOrganizationName("Local AppWizard-Generated Applications");
  app_.setApplicationName("KD Player_TC");
}

PlayerApplication::~PlayerApplication() {
  // The document closes its recording while the frame and the view still exist.
  if (document_) document_->close(false, true);
  frame_.reset();
  document_.reset();
}

bool PlayerApplication::start(const QString& file) {
  // Decoded on a worker while the rest of start-up runs.
  preloadPanelPictures(anyHighDensityScreen());
  // Rewritten at every start; a failure (read-only home, say) is ignored.
  registerFileTypes(QApplication::applicationFilePath().toStdString());
  // Sound goes to the system's outputs through Qt Multimedia (KD_AUDIO_SINK=null silences it);
  // a machine without a sound device plays silently.
  registerQtAudioDevices();
  traceStartUp("sound devices");
  document_ = std::make_unique<CKadrelPlayerDoc>(clock_, waveDeviceSoundFactory(clock_));
  frame_ = std::make_unique<CMainFrame>(*document_);
  document_->attach(frame_.get(), frame_->view());
  QObject::connect(document_.get(), &CKadrelPlayerDoc::menuStateChanged, frame_.get(),
                   &CMainFrame::refreshMenuState);
  traceStartUp("windows made");
  frame_->show();
  traceStartUp("windows shown");
  if (!file.isEmpty()) document_->openPath(file);
  traceStartUp("file opened");
  return true;
}

}  // namespace kd
