#include "app/player_application.h"

#include "app/main_frame.h"
#include "platform/qt/qt_audio_sink.h"
#include "platform/shell_registration.h"

namespace kd {

PlayerApplication::PlayerApplication(QApplication& app) : app_(app) {
  app_.setOrganizationName("Local AppWizard-Generated Applications");
  app_.setApplicationName("KD Player_TC");
}

PlayerApplication::~PlayerApplication() = default;

bool PlayerApplication::start(const QStringList& arguments) {
  // Rewritten at every start; a failure (read-only home, say) is ignored.
  registerFileTypes(QApplication::applicationFilePath().toStdString());
  // Sound goes to the system's outputs through Qt Multimedia (KD_AUDIO_SINK=null silences it).
  registerQtAudioDevices();
  frame_ = std::make_unique<MainFrame>();
  frame_->show();
  if (arguments.size() > 1) frame_->openRecording(arguments.at(1));
  return true;
}

}  // namespace kd
