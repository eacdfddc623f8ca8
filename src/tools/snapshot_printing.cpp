#include "tools/snapshot_printing.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "tools/page_printing.h"
#include "tools/print_mode_dialog.h"

namespace kd {

SnapshotPrinting::SnapshotPrinting()
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

SnapshotPrinting::~SnapshotPrinting() = default;

void SnapshotPrinting::setSettings(int mode, int scale) {
  mode_ = mode == kDateOutsidePicture ? kDateOutsidePicture : kDateInsidePicture;
  scale_ = std::clamp(scale, kMinPrintScale, kMaxPrintScale);
}

PrintedPage SnapshotPrinting::page(SnapshotPageInput input) const {
  input.mode = mode_;
  input.scale = scale_;
  return snapshotPage(input);
}

bool SnapshotPrinting::chooseMode(QWidget* parent) {
  CPrintModeDlg dialog(parent, mode_, scale_);
  if (dialog.exec() != QDialog::Accepted) return false;
  setSettings(dialog.mode(), dialog.scale());
  return true;
}

void SnapshotPrinting::printSetup(QWidget* parent) {
  QPageSetupDialog dialog(printer_.get(), parent);
  dialog.exec();
}

SnapshotPrinting::Outcome SnapshotPrinting::print(QWidget* parent, const SnapshotPageInput& input,
                                                  const QImage& picture) {
  QPrintDialog dialog(printer_.get(), parent);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  if (dialog.exec() != QDialog::Accepted) return Outcome::Cancelled;
  return printDirect(input, picture) ? Outcome::Printed : Outcome::Failed;
}

bool SnapshotPrinting::printDirect(const SnapshotPageInput& input, const QImage& picture) {
  return printPage(*printer_, page(input), picture);
}

void SnapshotPrinting::preview(QWidget* parent, const SnapshotPageInput& input,
                               const QImage& picture) {
  QPrintPreviewDialog dialog(printer_.get(), parent);
  dialog.setObjectName(QStringLiteral("printPreview"));
  const PrintedPage laidOut = page(input);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                   [&](QPrinter* printer) { printPage(*printer, laidOut, picture); });
  dialog.exec();
}

}  // namespace kd
