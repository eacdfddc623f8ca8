#pragma once
// The printed page of one face picture, in tenths of a millimetre: the host, card and camera
// names and the time in four lines from (200, 200), 50 apart, and the picture 60 mm high at
// (200, 450), as wide as its shape gives; Arial, 10 points.
#include <string>

#include "playback/printed_page.h"

namespace kd {

struct FacePageInput {
  std::string hostName, cardName, cameraName;  // UTF-8
  std::string timeText;                        // "%Y/%m/%d %H:%M:%S"
  int pictureWidth = 0, pictureHeight = 0;
};

PrintedPage facePicturePage(const FacePageInput& input);

}  // namespace kd
