// The open-file dialog driven as the operator would: the folder tree, the list and its rows,
// header clicks, clicks on rows, the path field, and a large folder filling without blocking.
#include "tools/open_file_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "catalog/catalog_fixtures.h"
#include "catalog/folder_rows.h"
#include "common/temp_dir.h"
#include "platform/big5_text.h"
#include "tools/dir_pick.h"
#include "tools/host_tree_view.h"
#include "tools/open_frame.h"
#include "tools/video_list_view.h"

// Readable failure messages for Qt texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}
QT_END_NAMESPACE

namespace kd {
namespace {

using testing::makeRecording;
using testing::makeSnapshot;
using testing::TempDir;

QString qpath(const TempDir& dir, const std::string& name = {}) {
  return QString::fromStdString(name.empty() ? dir.path().string() : dir.file(name));
}

bool waitUntil(const std::function<bool()>& done, int milliseconds = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(5);
  }
  return true;
}

// A folder of recordings, snapshots and files that give no row.
void fillSampleFolder(const TempDir& dir) {
  makeRecording(dir.file("b_gate.kdz"), [](GeneratorOptions& o) {
    o.cameraName = "大門";
    o.camera = 1;
    o.startTime += 60;
  });
  makeRecording(dir.file("a_yard.ckd"), [](GeneratorOptions& o) {
    o.formatVersion = 7;
    o.gmtOffset = -3;
  });
  makeRecording(dir.file("C_quad.kd"), [](GeneratorOptions& o) { o.formatVersion = 8; });
  makeSnapshot(dir.file("d_snap.jpg"), SnapshotImage::kJpeg, [](SnapshotImage& s) {
    s.setCameraName("Lobby");
    s.setTime(1767254400 + 30);
  });
  testing::writeFileBytes(dir.file("notes.txt"), {'x'});
  std::filesystem::create_directory(dir.file("sub"));
}

// The texts the list should show for the rows the core model gives.
std::vector<QStringList> expectedCells(const std::vector<BrowserRow>& rows) {
  std::vector<QStringList> cells;
  for (const BrowserRow& row : rows) {
    QStringList line;
    for (int c = 0; c < kColumnCount; ++c) {
      const bool recorderText = c == kCardColumn || c == kCameraColumn || c == kHostColumn;
      const std::string& text = columnText(row, c);
      line << QString::fromStdString(recorderText ? big5ToUtf8(text) : text);
    }
    cells.push_back(line);
  }
  return cells;
}

std::vector<QStringList> shownCells(const CVideoListView* list) {
  std::vector<QStringList> cells;
  const QAbstractItemModel* model = list->model();
  for (int r = 0; r < model->rowCount(); ++r) {
    QStringList line;
    for (int c = 0; c < model->columnCount(); ++c) line << model->index(r, c).data().toString();
    cells.push_back(line);
  }
  return cells;
}

QStringList shownNames(const CVideoListView* list) {
  QStringList names;
  for (const QStringList& line : shownCells(list)) names << line[0];
  return names;
}

void clickHeader(CVideoListView* list, int column) {
  QHeaderView* header = list->header();
  const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

QPoint rowCentre(CVideoListView* list, int row) {
  return list->visualRect(list->model()->index(row, 0)).center();
}

class OpenFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { fillSampleFolder(dir); }

  // Opens the dialog on the sample folder and waits for the list.
  std::unique_ptr<COpenFileDialog> openOnSample() {
    auto dialog = std::make_unique<COpenFileDialog>(nullptr, qpath(dir));
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_TRUE(waitUntil([&] { return !dialog->frame()->list()->isFilling(); }));
    return dialog;
  }

  TempDir dir;
};

TEST_F(OpenFileDialogTest, LayoutTreeAndColumns) {
  COpenFileDialog dialog(nullptr, {});
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("開啟檔案"));
  EXPECT_EQ(dialog.size(), QSize(700, 500));
  EXPECT_EQ(dialog.frame()->geometry(), QRect(0, 0, 700, 450));
  EXPECT_EQ(dialog.pathEdit()->geometry(), QRect(90, 462, 360, 24));
  EXPECT_EQ(dialog.openButton()->text(), QStringLiteral("開啟"));
  EXPECT_EQ(dialog.openButton()->geometry(), QRect(470, 462, 70, 24));
  EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("取消"));
  EXPECT_EQ(dialog.cancelButton()->geometry(), QRect(565, 462, 70, 24));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.frame()->splitter()->sizes().value(0), COpenFrame::kTreeWidth);

  // The bottom row follows the lower edge; the frame takes all but the last 50 pixels.
  dialog.resize(820, 610);
  QTest::qWait(10);
  EXPECT_EQ(dialog.frame()->geometry(), QRect(0, 0, 820, 560));
  EXPECT_EQ(dialog.openButton()->geometry(), QRect(470, 572, 70, 24));
  EXPECT_EQ(dialog.frame()->splitter()->sizes().value(0), COpenFrame::kTreeWidth);

  // Without a last folder only the drives show: "/" and the home folder among them.
  CHostTreeView* tree = dialog.frame()->tree();
  EXPECT_NE(tree->childNamed(nullptr, "/"), nullptr);
  EXPECT_NE(tree->childNamed(nullptr, QDir::homePath()), nullptr);
  // Nothing is chosen, so nothing is listed, even with the focus on the tree.
  tree->setFocus();
  QTest::qWait(10);
  EXPECT_TRUE(tree->selectedItems().isEmpty());
  EXPECT_EQ(dialog.frame()->list()->folder(), QString());

  CVideoListView* list = dialog.frame()->list();
  EXPECT_EQ(list->columnTitles(), QStringList({"檔案名稱", "開始時間", "結束時間", "錄影卡名稱",
                                               "鏡頭名稱", "影像尺寸", "檔案大小", "主機名稱"}));
  for (int c = 0; c < kColumnCount; ++c)
    EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), list->columnTitles()[c]);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(OpenFileDialogTest, LastFolderWalkAndTreeExpansion) {
  for (const char* name : {"b", "A", "c", ".hidden"})
    std::filesystem::create_directories(dir.file(std::string("sub/") + name));
  std::filesystem::create_directory(dir.file("sub/A/deeper"));
  // The walk stops at the deepest folder that still exists.
  COpenFileDialog dialog(nullptr, qpath(dir, "sub/gone/deeper"));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  CHostTreeView* tree = dialog.frame()->tree();
  QTreeWidgetItem* sub = tree->currentItem();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(CHostTreeView::pathOf(sub), qpath(dir, "sub"));
  EXPECT_EQ(sub->text(0), "sub");
  EXPECT_TRUE(sub->isExpanded());
  // Subfolders in case-insensitive order; each with an expand button only if it has folders.
  ASSERT_EQ(sub->childCount(), 4);
  EXPECT_EQ(sub->child(0)->text(0), ".hidden");
  EXPECT_EQ(sub->child(1)->text(0), "A");
  EXPECT_EQ(sub->child(2)->text(0), "b");
  EXPECT_EQ(sub->child(3)->text(0), "c");
  EXPECT_EQ(sub->child(1)->childCount(), 1);
  EXPECT_EQ(sub->child(2)->childCount(), 0);

  // The keyboard opens and closes a node; a closed node keeps one empty child for its button.
  tree->setFocus();
  tree->setCurrentItem(sub->child(1));
  QTest::keyClick(tree, Qt::Key_Right);
  ASSERT_EQ(sub->child(1)->childCount(), 1);
  EXPECT_EQ(sub->child(1)->child(0)->text(0), "deeper");
  QTest::keyClick(tree, Qt::Key_Left);
  EXPECT_FALSE(sub->child(1)->isExpanded());
  ASSERT_EQ(sub->child(1)->childCount(), 1);
  EXPECT_EQ(sub->child(1)->child(0)->text(0), "");
  // Selecting a folder lists it: here nothing but subfolders, so no rows.
  EXPECT_TRUE(waitUntil([&] { return !dialog.frame()->list()->isFilling(); }));
  EXPECT_EQ(dialog.frame()->list()->folder(), qpath(dir, "sub/A/"));
  EXPECT_EQ(dialog.frame()->list()->model()->rowCount(), 0);
}

TEST_F(OpenFileDialogTest, ListShowsTheModelsRowsAndSortsOnHeaderClicks) {
  auto dialog = openOnSample();
  CVideoListView* list = dialog->frame()->list();
  EXPECT_EQ(list->folder(), qpath(dir) + "/");
  std::vector<BrowserRow> rows;
  std::string error;
  ASSERT_TRUE(readFolderRows(dir.path().string(), rows, error));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(shownCells(list), expectedCells(rows));
  EXPECT_EQ(shownNames(list), QStringList({"C_quad.kd", "a_yard.ckd", "b_gate.kdz", "d_snap.jpg"}));

  // A first click on the start column: latest first; ties (the two recordings that start
  // together) by name in the same direction.
  clickHeader(list, kStartColumn);
  EXPECT_EQ(shownNames(list), QStringList({"b_gate.kdz", "d_snap.jpg", "a_yard.ckd", "C_quad.kd"}));
  clickHeader(list, kStartColumn);
  EXPECT_EQ(shownNames(list), QStringList({"C_quad.kd", "a_yard.ckd", "d_snap.jpg", "b_gate.kdz"}));
  // Back on the name column the first click sorts greatest first, the next smallest first.
  clickHeader(list, kNameColumn);
  EXPECT_EQ(shownNames(list), QStringList({"d_snap.jpg", "b_gate.kdz", "a_yard.ckd", "C_quad.kd"}));
  clickHeader(list, kNameColumn);
  EXPECT_EQ(shownNames(list), QStringList({"C_quad.kd", "a_yard.ckd", "b_gate.kdz", "d_snap.jpg"}));
  // Sorted rows still show the model's texts.
  RowOrder order{kNameColumn, true};
  order.sort(rows);
  EXPECT_EQ(shownCells(list), expectedCells(rows));
}

TEST_F(OpenFileDialogTest, ClickFillsThePathDoubleClickOpens) {
  auto dialog = openOnSample();
  CVideoListView* list = dialog->frame()->list();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 2));
  EXPECT_EQ(dialog->pathEdit()->text(), qpath(dir, "b_gate.kdz"));
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
  EXPECT_TRUE(dialog->isVisible());

  // A double click: press and release, then the second press arrives as the double click.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 3));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 3));
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->chosenPath(), qpath(dir, "d_snap.jpg"));
}

TEST_F(OpenFileDialogTest, TypedPathOpenCancelAndChoose) {
  auto dialog = openOnSample();
  // An empty field opens nothing.
  QTest::mouseClick(dialog->openButton(), Qt::LeftButton);
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClicks(dialog->pathEdit(), "/elsewhere/x.kdz");
  QTest::keyClick(dialog->pathEdit(), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->chosenPath(), "/elsewhere/x.kdz");

  // choose() runs the dialog modally: "取消" gives nothing, "開啟" the path in the field.
  auto answer = [](bool open) {
    QTimer::singleShot(0, [open] {
      ASSERT_TRUE(waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
      auto* modal = qobject_cast<COpenFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(modal, nullptr);
      ASSERT_TRUE(waitUntil([&] { return !modal->frame()->list()->isFilling(); }));
      if (open) {
        QTest::mouseClick(modal->frame()->list()->viewport(), Qt::LeftButton, {},
                          rowCentre(modal->frame()->list(), 1));
        QTest::mouseClick(modal->openButton(), Qt::LeftButton);
      } else {
        QTest::mouseClick(modal->cancelButton(), Qt::LeftButton);
      }
    });
  };
  answer(false);
  EXPECT_EQ(COpenFileDialog::choose(nullptr, qpath(dir)), QString());
  answer(true);
  EXPECT_EQ(COpenFileDialog::choose(nullptr, qpath(dir)), qpath(dir, "a_yard.ckd"));
}

TEST(OpenFileDialogLargeFolder, FillsWithoutBlockingAndStopsWhenTheFolderChanges) {
  TempDir big;
  TempDir small;
  makeRecording(big.file("r00000.kdz"));
  constexpr int kFiles = 5000;
  for (int i = 1; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "r%05d.kdz", i);
    std::filesystem::copy_file(big.file("r00000.kdz"), big.file(name));
  }
  makeRecording(small.file("only.kdz"));

  COpenFileDialog dialog(nullptr, {});
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  CVideoListView* list = dialog.frame()->list();

  // A 10 ms timer keeps ticking while the list fills: the window is never held up.
  QElapsedTimer clock;
  qint64 lastTick = 0;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, clock.elapsed() - lastTick);
    lastTick = clock.elapsed();
    ++ticks;
  });
  QElapsedTimer walk;
  walk.start();
  dialog.frame()->tree()->walkTo(qpath(big));
  const qint64 walkTime = walk.elapsed();
  EXPECT_EQ(list->folder(), qpath(big) + "/");
  clock.start();
  timer.start(10);
  ASSERT_TRUE(waitUntil([&] { return !list->isFilling(); }, 60000));
  const qint64 fillTime = clock.elapsed();
  timer.stop();
  EXPECT_EQ(list->model()->rowCount(), kFiles);
  EXPECT_LT(longestGap, 250) << "ticks " << ticks << " over " << fillTime << " ms";
  ::testing::Test::RecordProperty("fill_ms", int(fillTime));
  ::testing::Test::RecordProperty("longest_gap_ms", int(longestGap));
  std::printf(
      "[   INFO   ] tree walk %lld ms; %d files filled in %lld ms, %d timer ticks, "
      "longest gap %lld ms\n",
      (long long)walkTime, kFiles, (long long)fillTime, ticks, (long long)longestGap);

  // Another folder chosen mid-fill: the old fill stops and none of its rows arrive later.
  dialog.frame()->tree()->walkTo(qpath(small));
  ASSERT_TRUE(waitUntil([&] { return !list->isFilling(); }));
  dialog.frame()->tree()->walkTo(qpath(big));
  ASSERT_TRUE(waitUntil([&] { return list->model()->rowCount() > 0; }));
  ASSERT_TRUE(list->isFilling());
  dialog.frame()->tree()->walkTo(qpath(small));
  ASSERT_TRUE(waitUntil([&] { return !list->isFilling(); }));
  QTest::qWait(100);
  EXPECT_EQ(shownNames(list), QStringList({"only.kdz"}));
}

TEST(DirPick, ReturnsTheFolderAndKeepsTheCurrentFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("chosen"));
  const QString before = QDir::currentPath();
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
    auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->windowTitle(), "Select A Directory");
    // Into the folder, then confirmed with the dialog's button.
    picker->setDirectory(qpath(dir, "chosen"));
    auto* buttons = picker->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    QPushButton* confirm = buttons->button(QDialogButtonBox::Open);
    ASSERT_NE(confirm, nullptr);
    QTest::mouseClick(confirm, Qt::LeftButton);
  });
  EXPECT_EQ(CDirPick::choose(nullptr, "Select A Directory", qpath(dir)), qpath(dir, "chosen"));
  EXPECT_EQ(QDir::currentPath(), before);

  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
    auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->windowTitle(), "Pick");
    picker->reject();
  });
  EXPECT_EQ(CDirPick::choose(nullptr, "Pick", qpath(dir)), QString());
}

}  // namespace
}  // namespace kd
