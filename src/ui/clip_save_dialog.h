#pragma once
// The save dialog of a clip: "Kd Files (*.kdz)", default extension kdz, overwriting asked for.
#include <QString>

class QWidget;

namespace kd {

// The chosen path, or empty when cancelled.
QString chooseClipPath(QWidget* parent, const QString& folder);

}  // namespace kd
