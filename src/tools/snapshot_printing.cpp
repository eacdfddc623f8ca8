#include "tools/snapshot_printing.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "tools/page_printing.h"
#include "tools/print_mode_dialog.h"

namespace kd {

SnapshotPrinting::SnapshotPrinting() = default;

QPrinter& SnapshotPrinting::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

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
  QPageSetupDialog dialog(&printer(), parent);
  dialog.exec();
}

SnapshotPrinting::Outcome SnapshotPrinting::print(QWidget* parent, const SnapshotPageInput& input,
                                                  const QImage& picture) {
  QPrintDialog dialog(&printer(), parent);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  if (dialog.exec() != QDialog::Accepted) return Outcome::Cancelled;
  return printDirect(input, picture) ? Outcome::Printed : Outcome::Failed;
}

bool SnapshotPrinting::printDirect(const SnapshotPageInput& input, const QImage& picture) {
  return printPage(printer(), page(input), picture);
}

void SnapshotPrinting::preview(QWidget* parent, const SnapshotPageInput& input,
                               const QImage& picture) {
  QPrintPreviewDialog dialog(&printer(), parent);
  dialog.setObjectName(QStringLiteral("printPreview"));
  const PrintedPage laidOut = page(input);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                   [&](QPrinter* printer) { printPage(*printer, laidOut, picture); });
  dialog.exec();
}

}  // namespace kd
