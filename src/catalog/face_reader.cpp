#include "catalog/face_reader.h"

#include "decode/dct/dct_decoder.h"

namespace kd {

FaceReader::FaceReader() = default;
FaceReader::~FaceReader() = default;

bool FaceReader::open(const std::string& path) {
  close();
  if (!file_.open(path)) {
    error_ = file_.lastError();
    return false;
  }
  if (file_.header().version == 1) decoder_ = std::make_unique<DctDecoder>();
  return true;
}

void FaceReader::close() {
  file_.close();
  decoder_.reset();
}

bool FaceReader::read(int index, FacePicture& picture) {
  if (!file_.read(index, record_)) {
    error_ = file_.lastError();
    return false;
  }
  picture.time = record_.time;
  picture.width = record_.width;
  picture.height = record_.height;
  if (!decoder_) {
    picture.grey.swap(record_.bytes);
    return true;
  }
  picture.grey.assign(size_t(record_.width) * size_t(record_.height), 0);
  if (!decoder_->decodeGreyPicture(record_.bytes.data(), record_.bytes.size(), picture.grey.data(),
                                   record_.width, record_.height)) {
    error_ = "picture " + std::to_string(file_.position() - 1) +
             ": the compressed picture does not decode";
    return false;
  }
  return true;
}

}  // namespace kd
