// kdplayer: start-up.
#include <QApplication>

#include "app/player_application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kd::PlayerApplication player(app);
  if (!player.start(app.arguments())) return 1;
  return app.exec();
}
