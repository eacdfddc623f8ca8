#pragma once
// A folder chooser for the search dialog: the platform's folder dialog. The process's current
// folder stays as it was, and paths of any length come back whole.
#include <QString>

class QWidget;

namespace kd {

class CDirPick {
 public:
  // The chosen folder, or empty when the operator cancels.
  static QString choose(QWidget* parent,
                        const QString& title = QStringLiteral("Select A Directory"),
                        const QString& start = {});
};

}  // namespace kd
