#include "playback/face_printed_page.h"

namespace kd {

namespace {

constexpr int kLeft = 200;
constexpr int kFirstLine = 200;
constexpr int kLineStep = 50;
constexpr int kPictureTop = 450;
constexpr int kPictureHeight = 600;

}  // namespace

PrintedPage facePicturePage(const FacePageInput& in) {
  PrintedPage page;
  page.unitsPerInch = 254;
  page.fontFamily = "Arial";
  page.fontPoints = 10;
  const std::string* lines[4] = {&in.hostName, &in.cardName, &in.cameraName, &in.timeText};
  for (int i = 0; i < 4; ++i) page.texts.push_back({kLeft, kFirstLine + kLineStep * i, *lines[i]});
  page.pictureX = kLeft;
  page.pictureY = kPictureTop;
  page.pictureHeight = kPictureHeight;
  if (in.pictureHeight > 0) page.pictureWidth = kPictureHeight * in.pictureWidth / in.pictureHeight;
  return page;
}

}  // namespace kd
