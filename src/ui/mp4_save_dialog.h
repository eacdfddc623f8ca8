#pragma once
// The save dialog of an MP4 export: "MP4 Files (*.mp4)", default extension mp4, overwriting
// asked for.
#include <QString>

class QWidget;

namespace kd {

// The chosen path, or empty when cancelled.
QString chooseMp4Path(QWidget* parent, const QString& folder);

}  // namespace kd
