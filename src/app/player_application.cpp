#include "app/player_application.h"

#include "app/main_frame.h"
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
  frame_ = std::make_unique<MainFrame>();
  frame_->show();
  if (arguments.size() > 1) frame_->openRecording(arguments.at(1));
  return true;
}

}  // namespace kd
