#include "app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>

#include "app/about_dialog.h"
#include "app/menu_commands.h"
#include "app/player_document.h"
#include "playback/qt/display_resources.h"
#include "ui/player_view.h"

namespace kd {

CMainFrame::CMainFrame(CKadrelPlayerDoc& document) : document_(document) {
  settingsWriter_.setMaxThreadCount(1);
  // The shared display objects live as long as the frame.
  display::setUp();
  view_ = new CKadrelPlayerView(this);
  setCentralWidget(view_);
  buildMenus();
  buildContextMenu();
  refreshMenuState();
  setWindowTitle("KD Player");

  // The first client area is 640 × 480, centred, 80 pixels above the middle.
  resizeClient(QSize(kFirstClientWidth, kFirstClientHeight));
  const QRect screen = screenRect();
  const QSize nonClient = nonClientSize();
  move(screen.x() + (screen.width() - nonClient.width() - kFirstClientWidth) / 2,
       screen.y() + (screen.height() - nonClient.height() - kFirstClientHeight) / 2 - 80);
}

CMainFrame::~CMainFrame() {
  display::tearDown();
}

QRect CMainFrame::screenRect() const {
  QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen();
  return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

// --- Menus -----------------------------------------------------------------------------------

QAction* CMainFrame::addCommand(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  connect(action, &QAction::triggered, this, [this, id] { runMenuCommand(document_, *this, id); });
  return action;
}

void CMainFrame::buildMenus() {
  fileMenu_ = menuBar()->addMenu("檔案");
  actions_[57601] = addCommand(fileMenu_, 57601, "開啟 KD 檔案...");
  actions_[57601]->setShortcut(QKeySequence("Ctrl+O"));
  actions_[57602] = addCommand(fileMenu_, 57602, "結束 KD 檔案");
  fileMenu_->addSeparator();
  actions_[32783] = addCommand(fileMenu_, 32783, "檔案搜尋...");
  fileMenu_->addSeparator();
  actions_[57607] = addCommand(fileMenu_, 57607, "列印照片...");
  actions_[57607]->setShortcut(QKeySequence("Ctrl+P"));
  actions_[57609] = addCommand(fileMenu_, 57609, "預覽列印...");
  actions_[57606] = addCommand(fileMenu_, 57606, "印表機設定...");
  actions_[32777] = addCommand(fileMenu_, 32777, "列印模式...");
  fileMenu_->addSeparator();
  actions_[57665] = addCommand(fileMenu_, 57665, "結束程式");
  recentSeparator_ = fileMenu_->addSeparator();

  QMenu* view = menuBar()->addMenu("檢視");
  actions_[32771] = addCommand(view, 32771, "KD播放器");
  actions_[32772] = addCommand(view, 32772, "全螢幕切換");

  QMenu* settings = menuBar()->addMenu("設定");
  actions_[32774] = addCommand(settings, 32774, "影像組態...");
  actions_[32784] = addCommand(settings, 32784, "動態搜尋設定");
  actions_[32785] = addCommand(settings, 32785, "啟動動態搜尋");
  actions_[32786] = addCommand(settings, 32786, "啟動連續播放");
  actions_[32787] = addCommand(settings, 32787, "文字顯示設定...");

  QMenu* tools = menuBar()->addMenu("工具");
  actions_[32778] = addCommand(tools, 32778, "KD 轉檔 AVI...");
  actions_[32790] = addCommand(tools, 32790, "匯出 MP4...");

  QMenu* help = menuBar()->addMenu("說明");
  actions_[57664] = addCommand(help, 57664, "關於 KD Player...");

  for (int id : {32771, 32772, 32785, 32786}) actions_[id]->setCheckable(true);
  // The accelerators work in full screen too, where the menu bar is off the screen.
  for (int id : {57601, 57607}) addAction(actions_[id]);
  refreshRecentEntries();
}

void CMainFrame::buildContextMenu() {
  contextMenu_ = new QMenu(this);
  addCommand(contextMenu_, 57601, "開啟 KD 影像檔...");
  addCommand(contextMenu_, 57602, "結束 KD 影像檔");
  contextMenu_->addSeparator();
  addCommand(contextMenu_, 57607, "列印照片...");
  addCommand(contextMenu_, 57609, "預覽列印...");
  addCommand(contextMenu_, 57606, "印表機設定...");
  addCommand(contextMenu_, 32777, "列印模式...");
  contextMenu_->addSeparator();
  addCommand(contextMenu_, 32774, "影像組態...");
  contextMenu_->addSeparator();
  QMenu* view = contextMenu_->addMenu("檢視");
  addCommand(view, 32771, "KD 播放器")->setCheckable(true);
  addCommand(view, 32772, "全螢幕切換")->setCheckable(true);
  contextMenu_->addSeparator();
  addCommand(contextMenu_, 57664, "關於...");
}

QAction* CMainFrame::action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::refreshMenuState() {
  auto apply = [this](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu()) continue;
      bool ok = false;
      const int id = a->data().toInt(&ok);
      if (!ok || id == 0) continue;
      const MenuState state = menuCommandState(document_, *this, id);
      a->setEnabled(state.enabled);
      if (a->isCheckable()) a->setChecked(state.checked);
    }
  };
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) apply(menu);
  if (!contextMenu_) return;
  apply(contextMenu_);
  for (QMenu* menu : contextMenu_->findChildren<QMenu*>()) apply(menu);
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) {
  refreshMenuState();
  contextMenu_->exec(event->globalPos());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  document_.close(false, true);
  QMainWindow::closeEvent(event);
}

// --- Recent files ----------------------------------------------------------------------------

QStringList CMainFrame::recentFiles() const {
  if (!recentLoaded_) {
    recent_ = QSettings().value("Recent File List").toStringList();
    recentLoaded_ = true;
  }
  return recent_;
}

void CMainFrame::addRecentFile(const QString& path) {
  QStringList list = recentFiles();
  list.removeAll(path);
  list.prepend(path);
  while (list.size() > kRecentFiles) list.removeLast();
  recent_ = list;
  // Storing the settings waits for the disk (a synced lock file and a synced rename): it is done
  // on the frame's one writer thread, in order, so an open never waits for it.
  settingsWriter_.start([list] { QSettings().setValue("Recent File List", list); });
  refreshRecentEntries();
}

void CMainFrame::refreshRecentEntries() {
  for (QAction* a : recentEntries_) {
    fileMenu_->removeAction(a);
    a->deleteLater();
  }
  recentEntries_.clear();
  const QStringList list = recentFiles();
  for (int i = 0; i < list.size(); ++i) {
    const QString path = list.at(i);
    QAction* a = fileMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(path));
    connect(a, &QAction::triggered, this, [this, path] { document_.openPath(path); });
    recentEntries_.append(a);
  }
  recentSeparator_->setVisible(!list.isEmpty());
}

// --- Window size and full screen ------------------------------------------------------------

QSize CMainFrame::clientSize() const {
  return view_->size();
}

QSize CMainFrame::nonClientSize() const {
  // Before the first layout the view's size is not known yet: the menu bar is all there is.
  const int menu = menuBar()->isVisible() || !isVisible() ? menuBar()->sizeHint().height() : 0;
  return QSize(0, menu);
}

void CMainFrame::resizeClient(QSize client) {
  const QSize nonClient = nonClientSize();
  const QRect g = geometry();
  setGeometry(g.x(), g.y(), client.width() + nonClient.width(),
              client.height() + nonClient.height());
}

void CMainFrame::fitClient(QSize client) {
  if (!fullScreen_) {
    resizeClient(client);
    return;
  }
  fullScreen_ = false;
  const QRect screen = screenRect();
  const QSize window = client + nonClientSize();
  setGeometry(screen.x() + (screen.width() - window.width()) / 2,
              screen.y() + screen.height() * 2 / 5 - window.height() / 2, window.width(),
              window.height());
  refreshMenuState();
}

QRect CMainFrame::fullScreenRect() const {
  // The screen grown by the menu bar above it, so that the client area covers the screen.
  const QRect screen = screenRect();
  const QSize nonClient = nonClientSize();
  return QRect(screen.x(), screen.y() - nonClient.height(), screen.width() + nonClient.width(),
               screen.height() + nonClient.height());
}

void CMainFrame::toggleFullScreen() {
  if (!fullScreen_) {
    savedGeometry_ = geometry();
    savedClient_ = clientSize();
    fullScreen_ = true;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setGeometry(fullScreenRect());
  } else {
    hide();
    fullScreen_ = false;
    setGeometry(savedGeometry_);
    show();
  }
  refreshMenuState();
}

}  // namespace kd
