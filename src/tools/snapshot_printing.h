#pragma once
// Printing the snapshot picture the view shows: the print settings kept for the life of the
// application (mode and scale, dialog 187), the printer chosen in print setup, and the print and
// print preview commands that lay out the snapshot page.
#include <QImage>
#include <memory>

#include "playback/printed_page.h"

class QPrinter;
class QWidget;

namespace kd {

class SnapshotPrinting {
 public:
  SnapshotPrinting();
  ~SnapshotPrinting();

  int mode() const { return mode_; }
  int scale() const { return scale_; }
  void setSettings(int mode, int scale);
  // Made at its first use: making a printer loads the system's printing support.
  QPrinter& printer();

  // The page for `input` with the current mode and scale.
  PrintedPage page(SnapshotPageInput input) const;

  bool chooseMode(QWidget* parent);  // dialog 187; true on "確定"
  void printSetup(QWidget* parent);  // the page set-up dialog of the printer
  enum class Outcome { Printed, Cancelled, Failed };
  // The print dialog (a PDF file needs no printer), then the page.
  Outcome print(QWidget* parent, const SnapshotPageInput& input, const QImage& picture);
  // The page as it will print, in the preview window.
  void preview(QWidget* parent, const SnapshotPageInput& input, const QImage& picture);
  // The page straight onto the printer as it is set up, without a dialog.
  bool printDirect(const SnapshotPageInput& input, const QImage& picture);

 private:
  int mode_ = kDateInsidePicture;
  int scale_ = kDefaultPrintScale;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace kd
