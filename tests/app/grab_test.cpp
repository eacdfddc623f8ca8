// kdplayer --grab as scripts drive it: the steps it takes, the JSON it prints and the picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "common/temp_dir.h"
#include "synth/generator.h"

using namespace kd;

namespace {

struct Grab {
  int status = -1;
  QJsonObject json;
  QImage picture;
};

Grab runGrab(const kd::testing::TempDir& dir, const std::string& arguments) {
  const std::string png = dir.file("grab.png");
  std::remove(png.c_str());
  std::string out;
  const int status = kd::testing::runCommand("QT_QPA_PLATFORM=offscreen KD_AUDIO_SINK=null " +
                                                 std::string(KD_KDPLAYER) + " --grab " + png + " " +
                                                 arguments + " 2>/dev/null",
                                             &out);
  Grab g;
  g.status = status;
  g.json = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
  g.picture = QImage(QString::fromStdString(png));
  return g;
}

std::string makeRecording(const kd::testing::TempDir& dir, const std::string& codec = "dct") {
  GeneratorOptions o;
  o.path = dir.file("cam.kdz");
  o.codec = codec;
  o.blocks = 3;
  o.framesPerBlock = 10;
  std::string error;
  EXPECT_TRUE(generateRecording(o, error)) << error;
  return o.path;
}

}  // namespace

TEST(Grab, SeekPauseReportsTheShownFrameAndTheSlider) {
  kd::testing::TempDir dir;
  const std::string file = makeRecording(dir);
  const Grab g = runGrab(dir, "--seek 1:3 --pause --wait 300 " + file);
  ASSERT_EQ(g.status, 0);
  const QJsonObject position = g.json["position"].toObject();
  EXPECT_EQ(position["block"].toInt(), 1);
  EXPECT_EQ(position["frame"].toInt(), 3);
  EXPECT_EQ(position["number"].toInt(), 13);
  EXPECT_TRUE(g.json["paused"].toBool());
  EXPECT_TRUE(g.json["title"].toString().startsWith(" 暫停("));
  EXPECT_EQ(g.json["mode"].toInt(), 3);
  EXPECT_EQ(g.json["client"].toArray(), (QJsonArray{352, 288}));
  const QJsonObject slider = g.json["slider"].toObject();
  EXPECT_EQ(slider["max"].toInt(), 30);
  EXPECT_EQ(slider["ticks"].toArray(), (QJsonArray{10, 20, 30}));
  EXPECT_EQ(g.json["panel"].toArray().at(2).toInt(), 320);
  EXPECT_FALSE(g.json["full_screen"].toBool());
  ASSERT_FALSE(g.picture.isNull());
  EXPECT_EQ(g.picture.size(), QSize(352, 288));
}

TEST(Grab, SpeedAndFullScreen) {
  kd::testing::TempDir dir;
  // AVC: its decoder's diagnostic lines must not reach the JSON on standard output.
  const std::string file = makeRecording(dir, "avc");
  const Grab g = runGrab(dir, "--speed -3 --wait 200 --full-screen " + file);
  ASSERT_EQ(g.status, 0);
  EXPECT_EQ(g.json["speed"].toInt(), -3);
  EXPECT_TRUE(g.json["title"].toString().startsWith(" 播放中1/6 倍速"));
  EXPECT_TRUE(g.json["full_screen"].toBool());
  EXPECT_EQ(g.picture.width(), g.json["client"].toArray().at(0).toInt());
  EXPECT_GT(g.picture.width(), 352);
}

TEST(Grab, AFileThatDoesNotOpenExitsOneWithEveryKey) {
  kd::testing::TempDir dir;
  const std::string bad = dir.file("x.kdz");
  kd::testing::writeFileBytes(bad, std::vector<uint8_t>(64, 7));
  const Grab g = runGrab(dir, bad);
  EXPECT_EQ(g.status, 1);
  for (const char* key :
       {"title", "client", "full_screen", "mode", "position", "slider", "panel", "paused", "speed"})
    EXPECT_TRUE(g.json.contains(key)) << key;
  EXPECT_EQ(g.json["title"].toString(), " 停止");
  EXPECT_FALSE(g.picture.isNull());
}

TEST(Grab, PauseAloneStopsOnTheFirstPictureShown) {
  kd::testing::TempDir dir;
  const std::string file = makeRecording(dir);
  const Grab g = runGrab(dir, "--pause --wait 300 " + file);
  ASSERT_EQ(g.status, 0);
  EXPECT_TRUE(g.json["paused"].toBool());
  EXPECT_EQ(g.json["position"].toObject()["number"].toInt(), 0);
  // A picture, not the idle background: the generator's white marker sits near the top left.
  const QColor marker = g.picture.pixelColor(14, 40);
  EXPECT_GT(marker.lightness(), 200);
}
