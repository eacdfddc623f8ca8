#include "app/grab_options.h"

namespace kd {

bool parseCommandLine(const QStringList& arguments, GrabOptions& o, QString& error) {
  for (int i = 1; i < arguments.size(); ++i) {
    const QString word = arguments.at(i);
    auto value = [&](QString& out) {
      if (i + 1 >= arguments.size()) {
        error = word + " needs a value";
        return false;
      }
      out = arguments.at(++i);
      return true;
    };
    QString text;
    bool ok = true;
    if (word == "--grab") {
      o.grab = true;
      if (!value(o.output)) return false;
    } else if (word == "--seek") {
      if (!value(text)) return false;
      const QStringList parts = text.split(':');
      bool okBlock = false, okFrame = false;
      if (parts.size() == 2) {
        o.seekBlock = parts[0].toInt(&okBlock);
        o.seekFrame = parts[1].toInt(&okFrame);
      }
      if (!okBlock || !okFrame || o.seekBlock < 0 || o.seekFrame < 0) {
        error = "--seek takes BLOCK:FRAME";
        return false;
      }
      o.seek = true;
    } else if (word == "--pause") {
      o.pause = true;
    } else if (word == "--speed") {
      if (!value(text)) return false;
      o.speed = text.toInt(&ok);
      if (!ok || o.speed < -4 || o.speed > 4) {
        error = "--speed takes a step from -4 to 4";
        return false;
      }
      o.speedSet = true;
    } else if (word == "--wait") {
      if (!value(text)) return false;
      o.waitMs = text.toInt(&ok);
      if (!ok || o.waitMs < 0) {
        error = "--wait takes milliseconds";
        return false;
      }
    } else if (word == "--full-screen") {
      o.fullScreen = true;
    } else if (word.startsWith("--") && word.size() > 2) {
      error = "unknown option " + word;
      return false;
    } else if (o.file.isEmpty()) {
      o.file = word;
    } else {
      error = "one file only";
      return false;
    }
  }
  if (!o.grab && (o.seek || o.pause || o.speedSet || o.fullScreen)) {
    error = "--seek, --pause, --speed and --full-screen go with --grab";
    return false;
  }
  if (o.grab && o.file.isEmpty()) {
    error = "--grab needs a FILE";
    return false;
  }
  return true;
}

}  // namespace kd
