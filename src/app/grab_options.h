#pragma once
// kdplayer's command line: a file to open, or --grab with the steps a check takes before the
// picture is grabbed.
#include <QString>
#include <QStringList>

namespace kd {

struct GrabOptions {
  bool grab = false;
  QString output;  // the PNG
  QString file;
  bool seek = false;
  int seekBlock = 0;
  int seekFrame = 0;
  bool pause = false;
  bool speedSet = false;
  int speed = 0;
  int waitMs = 500;
  bool fullScreen = false;
};

// False with `error` when the words are off. Without --grab, the first word is the file.
bool parseCommandLine(const QStringList& arguments, GrabOptions& options, QString& error);

}  // namespace kd
