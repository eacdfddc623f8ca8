#include "catalog/face_browser_model.h"

#include <algorithm>

#include "platform/big5_text.h"
#include "platform/clock.h"

namespace kd {

FaceBrowserModel::FaceBrowserModel(FaceGrid grid) : grid_(grid), cells_(size_t(grid.cells())) {}

bool FaceBrowserModel::open(const std::string& path) {
  path_ = path;
  if (!reader_.open(path)) {
    error_ = reader_.lastError();
    showPage(0);
    return false;
  }
  showPage(0);
  return true;
}

void FaceBrowserModel::showPage(int page) {
  page_ = std::max(0, page);
  pageErrors_.clear();
  const int first = page_ * perPage();
  const int shown = std::clamp(pictureCount() - first, 0, perPage());
  const FaceHeader& h = reader_.header();
  FacePicture picture;
  for (int k = 0; k < int(cells_.size()); ++k) {
    FaceCell& cell = cells_[size_t(k)];
    cell = FaceCell();
    if (k >= shown) continue;
    // In sequence: each read after the first continues where the last one stopped.
    if (!reader_.read(first + k, picture)) {
      pageErrors_.push_back(reader_.lastError());
      continue;
    }
    cell.shown = true;
    cell.caption = formatLocalTime(int64_t(picture.time), "%y%m%d %H:%M:%S");
    FaceThumb& t = cell.thumb;
    t.bitmap = faceBitmapFromGrey(picture.grey.data(), picture.width, picture.height);
    t.time = picture.time;
    t.hostName = h.hostName;
    t.cardName = h.cardName;
    t.cameraName = h.cameraName;
    t.sourceKey = h.sourceKey();
    t.facePath = path_;
  }
}

void FaceBrowserModel::previousPage() {
  if (hasPrevious()) showPage(page_ - 1);
}

void FaceBrowserModel::nextPage() {
  if (hasNext()) showPage(page_ + 1);
}

std::string FaceBrowserModel::hostLabel() const {
  return reader_.isOpen() ? "主機名稱 : " + big5ToUtf8(reader_.header().hostName) : std::string();
}

std::string FaceBrowserModel::cardLabel() const {
  return reader_.isOpen() ? "錄影卡名稱 : " + big5ToUtf8(reader_.header().cardName) : std::string();
}

std::string FaceBrowserModel::cameraLabel() const {
  return reader_.isOpen() ? "鏡頭名稱 : " + big5ToUtf8(reader_.header().cameraName) : std::string();
}

}  // namespace kd
