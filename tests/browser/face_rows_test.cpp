// The recording browser lists face files with what their headers hold.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include "catalog/catalog_fixtures.h"
#include "common/temp_dir.h"
#include "synth/face_writer.h"
#include "tools/video_list_view.h"

namespace kd {
namespace {

TEST(BrowserFaceRows, FaceFilesShowTheirTimesNamesAndSize) {
  testing::useTaipeiTime();
  testing::TempDir dir;
  FaceFileOptions o;
  o.path = dir.file("door.fac");
  o.pictures = 3;
  o.stepSeconds = 30;
  o.cardName = "";
  o.cameraName = "門口";
  std::string error;
  ASSERT_TRUE(writeFaceFile(o, error)) << error;
  testing::writeFileBytes(dir.file("broken.fac"), {'F', 'A', 'C', 'E', 1, 0});

  CVideoListView list(nullptr);
  list.fill(QString::fromStdString(dir.path().string()));
  QElapsedTimer clock;
  clock.start();
  while (list.isFilling() && clock.elapsed() < 20000) QTest::qWait(5);
  const QAbstractItemModel* model = list.model();
  ASSERT_EQ(model->rowCount(), 1);  // the broken header gives no row
  QStringList cells;
  for (int c = 0; c < model->columnCount(); ++c) cells << model->index(0, c).data().toString();
  EXPECT_EQ(cells, (QStringList{"door.fac", "2026/01/01,16:00:00", "2026/01/01,16:01:00", "",
                                "門口", "112X144", "", "DVR-HOST"}));
}

}  // namespace
}  // namespace kd
