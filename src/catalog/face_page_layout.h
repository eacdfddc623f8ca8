#pragma once
// The printed page of one face picture, in tenths of a millimetre from the margins: the names
// and time in four lines, the picture 60 mm high below them.
#include <string>

namespace kd {

struct FaceThumb;

struct FacePageText {
  int x = 0;
  int y = 0;
  std::string text;  // UTF-8
};

struct FacePageLayout {
  FacePageText lines[4];  // host, card, camera, time "%Y/%m/%d %H:%M:%S"
  int pictureX = 200;
  int pictureY = 450;
  int pictureWidth = 0;  // 600 × width / height
  int pictureHeight = 600;
};

FacePageLayout facePageLayout(const FaceThumb& face);

}  // namespace kd
