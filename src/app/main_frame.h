#pragma once
// CMainFrame: the single top-level window. It holds the player view as its only client, the main
// menu, the context menu, the recent-file list and the full-screen mode.
#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <QThreadPool>
#include <map>

class QAction;
class QMenu;

namespace kd {

class CKadrelPlayerDoc;
class CKadrelPlayerView;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kRecentFiles = 4;
  static constexpr int kFirstClientWidth = 640;
  static constexpr int kFirstClientHeight = 480;

  explicit CMainFrame(CKadrelPlayerDoc& document);
  ~CMainFrame() override;

  CKadrelPlayerView* view() { return view_; }
  // The menu command with this id (57601, 32771, …); null when there is none.
  QAction* action(int id) const;
  QMenu* contextMenu() { return contextMenu_; }

  // The client area: the view's size.
  QSize clientSize() const;
  // Resizes the window so that its client area is `client`, the top-left corner kept.
  void resizeClient(QSize client);
  // Fits the window to a new picture size: in full screen the window is centred, its middle at two
  // fifths of the screen height, and full screen is left; otherwise the top-left corner stays.
  void fitClient(QSize client);
  QSize nonClientSize() const;

  bool isFullScreenMode() const { return fullScreen_; }
  void toggleFullScreen();
  // The window rectangle whose client area covers the screen.
  QRect fullScreenRect() const;

  QStringList recentFiles() const;
  void addRecentFile(const QString& path);
  void refreshMenuState();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildContextMenu();
  QAction* addCommand(QMenu* menu, int id, const QString& text);
  void refreshRecentEntries();
  QRect screenRect() const;

  CKadrelPlayerDoc& document_;
  CKadrelPlayerView* view_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  QAction* recentSeparator_ = nullptr;
  QList<QAction*> recentEntries_;
  std::map<int, QAction*> actions_;

  bool fullScreen_ = false;
  QRect savedGeometry_;
  QSize savedClient_;

  // The recent-file list as last read or stored; the settings are read once.
  mutable QStringList recent_;
  mutable bool recentLoaded_ = false;
  // Last, so that it is destroyed first: its destructor waits for the writes it holds.
  QThreadPool settingsWriter_;
};

}  // namespace kd
