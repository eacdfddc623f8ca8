// kdplayer: start-up. `kdplayer FILE` opens FILE; `kdplayer --grab OUT.png ... FILE` opens it,
// takes the steps asked for and writes what the player shows (see grab_options.h).
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/font_warm_up.h"
#include "app/grab_options.h"
#include "app/grab_run.h"
#include "app/player_application.h"
#include "app/player_document.h"
#include "app/start_time.h"
#include "decode/diagnostics.h"

int main(int argc, char** argv) {
  kd::traceStartUp("main");
  const kd::FontConfigWarmUp fonts;
  // The decoders' diagnostic lines are the program's debugging output: standard output is kept
  // for what --grab reports.
  kd::setDiagnosticStream(stderr);
  // The menu bar stays in the window, as the player's layout and sizes assume.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  QApplication app(argc, argv);
  kd::traceStartUp("application");
  kd::GrabOptions options;
  QString error;
  if (!kd::parseCommandLine(app.arguments(), options, error)) {
    std::fprintf(stderr,
                 "kdplayer: %s\nusage: kdplayer [FILE]\n"
                 "       kdplayer --grab OUT.png [--seek B:F] [--pause] [--speed STEP] "
                 "[--wait MS] [--full-screen] FILE\n",
                 qPrintable(error));
    return 2;
  }
  kd::PlayerApplication player(app);
  if (!player.start(options.file)) return 1;
  if (qEnvironmentVariableIsSet("KD_TRACE_FIRST_PICTURE")) {
    QObject::connect(
        player.document(), &kd::CKadrelPlayerDoc::frameShown, &app,
        [] {
          static bool said = false;
          if (said) return;
          said = true;
          kd::traceStartUp("first picture");
        },
        Qt::QueuedConnection);
  }
  if (!options.grab) return app.exec();
  kd::GrabRun grab(player, options);
  QTimer::singleShot(0, &grab, [&grab] { grab.start(); });
  app.exec();
  return grab.exitCode();
}
