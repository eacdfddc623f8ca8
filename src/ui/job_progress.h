#pragma once
// A modal progress window over a BackgroundJob that has been started: the bar follows the job's
// progress, "取消" asks it to stop, and the call returns once the job is done. The event loop
// keeps running meanwhile, so the windows stay live.
#include <QString>

class QWidget;

namespace kd {

class BackgroundJob;

// Returns false when the operator cancelled.
bool waitWithProgress(QWidget* parent, const QString& title, BackgroundJob& job);

}  // namespace kd
