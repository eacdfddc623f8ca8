#pragma once
// The face browser's pages: a grid of face pictures read from one face file, page by page, with
// the captions, names and page buttons' states the dialog shows.
#include <algorithm>
#include <string>
#include <vector>

#include "catalog/face_grid.h"
#include "catalog/face_reader.h"
#include "catalog/face_thumb.h"

namespace kd {

struct FaceCell {
  bool shown = false;  // a cell past the last picture, or whose picture failed, shows nothing
  FaceThumb thumb;
  std::string caption;  // "%y%m%d %H:%M:%S", empty when not shown
};

class FaceBrowserModel {
 public:
  explicit FaceBrowserModel(FaceGrid grid);

  // Opens the face file and shows page 0; false (an empty grid) when it does not open.
  bool open(const std::string& path);
  const std::string& lastError() const { return error_; }
  const std::string& path() const { return path_; }

  const FaceGrid& grid() const { return grid_; }
  int perPage() const { return grid_.cells(); }
  // The header's count, cut at a broken chain's end once a page met it.
  int pictureCount() const {
    return reader_.isOpen() ? std::min(reader_.count(), reader_.chainEnd()) : 0;
  }
  int page() const { return page_; }
  bool hasPrevious() const { return page_ > 0; }
  bool hasNext() const { return reader_.isOpen() && (page_ + 1) * perPage() < pictureCount(); }
  void showPage(int page);
  void previousPage();
  void nextPage();

  // One cell a grid place; cell k shows picture page × perPage + k.
  const std::vector<FaceCell>& cells() const { return cells_; }
  // Pictures of the page that failed to read, with the reader's reason.
  const std::vector<std::string>& pageErrors() const { return pageErrors_; }

  // "主機名稱 : …", "錄影卡名稱 : …", "鏡頭名稱 : …" (UTF-8); empty before a file opened.
  std::string hostLabel() const;
  std::string cardLabel() const;
  std::string cameraLabel() const;

 private:
  FaceGrid grid_;
  FaceReader reader_;
  std::string path_;
  std::string error_;
  int page_ = 0;
  std::vector<FaceCell> cells_;
  std::vector<std::string> pageErrors_;
};

}  // namespace kd
