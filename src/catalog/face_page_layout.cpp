#include "catalog/face_page_layout.h"

#include "catalog/face_thumb.h"
#include "platform/big5_text.h"
#include "platform/clock.h"

namespace kd {

FacePageLayout facePageLayout(const FaceThumb& face) {
  FacePageLayout page;
  page.lines[0] = {200, 200, big5ToUtf8(face.hostName)};
  page.lines[1] = {200, 250, big5ToUtf8(face.cardName)};
  page.lines[2] = {200, 300, big5ToUtf8(face.cameraName)};
  page.lines[3] = {200, 350, formatLocalTime(int64_t(face.time), "%Y/%m/%d %H:%M:%S")};
  if (face.bitmap.height > 0)
    page.pictureWidth = page.pictureHeight * face.bitmap.width / face.bitmap.height;
  return page;
}

}  // namespace kd
