#include "app/menu_commands.h"

#include <QFile>

#include "app/about_dialog.h"
#include "app/main_frame.h"
#include "app/player_document.h"
#include "tools/avi_convert_dialog.h"
#include "tools/snapshot_printing.h"
#include "ui/image_config_dialog.h"
#include "ui/player_view.h"

namespace kd {

namespace {

void runPrintCommand(CKadrelPlayerView& view, CMainFrame& frame, int id) {
  SnapshotPrinting& printing = view.printing();
  switch (id) {
    case 57607:
      if (printing.print(&frame, view.snapshotPageInput(), view.adjustedSnapshot()) ==
          SnapshotPrinting::Outcome::Failed)
        view.showNotice(QStringLiteral("列印照片失敗: the printer cannot start"));
      break;
    case 57609:
      printing.preview(&frame, view.snapshotPageInput(), view.adjustedSnapshot());
      break;
    case 57606:
      printing.printSetup(&frame);
      break;
    default:
      if (printing.chooseMode(&frame)) view.update();
      break;
  }
}

}  // namespace

void runMenuCommand(CKadrelPlayerDoc& document, CMainFrame& frame, int id) {
  switch (id) {
    case 57601:
      document.openCommand();
      break;
    case 57602:
      document.closeCommand();
      break;
    case 57665:
      frame.close();
      break;
    case 32771:
      document.togglePanel();
      break;
    case 32772:
      frame.toggleFullScreen();
      break;
    case 32774: {
      CKadrelPlayerView* view = frame.view();
      const ColourSet& current = document.snapshotPictureShown()
                                     ? view->colourControl().snapshotSet()
                                     : view->colourControl().videoSet();
      CColorConfigDlg dialog(
          current, [view](const ColourSet& set) { view->setColours(set); }, &frame);
      dialog.exec();
      break;
    }
    case 32783:
      document.fileSearchCommand();
      break;
    case 32784:
      document.motionSearchSettings();
      break;
    case 32785:
      document.toggleMotionSearch();
      break;
    case 32786:
      document.toggleContinuousPlayback();
      break;
    case 32787:
      document.textDisplaySettings();
      break;
    case 32790:
      document.exportClipAsMp4();
      break;
    // Printing acts on the snapshot picture shown.
    case 57607:
    case 57609:
    case 57606:
    case 32777:
      if (document.snapshotPictureShown()) runPrintCommand(*frame.view(), frame, id);
      break;
    case 32778: {
      // The last recording's path stays with the document after it closes.
      const QString path =
          document.header() ? QFile::decodeName(QByteArray::fromStdString(document.header()->path))
                            : QString();
      document.close(true, false);
      CKd2AviDlg dialog(path, &frame);
      dialog.exec();
      break;
    }
    case 57664: {
      AboutDialog about(&frame);
      about.exec();
      break;
    }
    default:
      break;  // the tools that are not built yet: their items stay disabled
  }
  frame.refreshMenuState();
}

MenuState menuCommandState(const CKadrelPlayerDoc& document, const CMainFrame& frame, int id) {
  switch (id) {
    case 32771:
      return {true, document.panel() != nullptr};
    case 32772:
      return {true, frame.isFullScreenMode()};
    case 32785:
      return {true, document.motionSearchOn()};
    case 32786:
      return {true, document.continuousPlayback()};
    case 57607:
    case 57609:
    case 57606:
    case 32777:
      return {document.snapshotPictureShown(), false};
    case 32790:
      return {document.canExportClip(), false};
    default:
      return {true, false};
  }
}

}  // namespace kd
