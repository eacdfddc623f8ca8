#include "convert/mjpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace kd {

namespace {

struct ErrorManager {
  jpeg_error_mgr base{};
  std::jmp_buf jump{};
  std::string message;
};

void errorExit(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  err->message = text;
  std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}

}  // namespace

// Everything the compressor touches lives here, outside the function that calls setjmp, so
// nothing needed after a long jump is an indeterminate local.
struct MjpegEncoder::Job {
  jpeg_compress_struct cinfo{};
  ErrorManager err;
  jpeg_destination_mgr dest{};
  std::vector<uint8_t> output;
  std::vector<JSAMPROW> rows;
  bool created = false;

  // The destination grows the output vector; it is kept between frames.
  static void initDestination(j_compress_ptr cinfo) {
    Job* job = static_cast<Job*>(cinfo->client_data);
    job->dest.next_output_byte = job->output.data();
    job->dest.free_in_buffer = job->output.size();
  }
  static boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    Job* job = static_cast<Job*>(cinfo->client_data);
    const size_t used = job->output.size();
    job->output.resize(used * 2);
    job->dest.next_output_byte = job->output.data() + used;
    job->dest.free_in_buffer = job->output.size() - used;
    return TRUE;
  }
  static void termDestination(j_compress_ptr) {}
  size_t used() const { return output.size() - dest.free_in_buffer; }
};

MjpegEncoder::MjpegEncoder(int width, int height, int quality)
    : job_(std::make_unique<Job>()),
      width_(width),
      height_(height),
      quality_(std::clamp(quality, 1, 100)) {
  job_->output.resize(std::max<size_t>(size_t(width) * size_t(height), 65536));
  job_->rows.resize(size_t(std::max(height, 0)));
}

MjpegEncoder::~MjpegEncoder() {
  if (job_->created) jpeg_destroy_compress(&job_->cinfo);
}

namespace {

// Created and configured at the first frame; later frames reuse the settings and tables.
bool runEncode(MjpegEncoder::Job& job, int width, int height, int quality) {
  jpeg_compress_struct& cinfo = job.cinfo;
  if (setjmp(job.err.jump)) return false;
  if (!job.created) {
    cinfo.err = jpeg_std_error(&job.err.base);
    job.err.base.error_exit = errorExit;
    job.err.base.output_message = outputMessage;
    jpeg_create_compress(&cinfo);
    job.created = true;
    cinfo.client_data = &job;
    job.dest.init_destination = MjpegEncoder::Job::initDestination;
    job.dest.empty_output_buffer = MjpegEncoder::Job::emptyOutputBuffer;
    job.dest.term_destination = MjpegEncoder::Job::termDestination;
    cinfo.dest = &job.dest;
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
  }
  jpeg_start_compress(&cinfo, TRUE);
  jpeg_write_scanlines(&cinfo, job.rows.data(), JDIMENSION(height));
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

bool MjpegEncoder::encode(const uint8_t* bottomUpBgr, size_t stride, const uint8_t*& jpeg,
                          size_t& size) {
  Job& job = *job_;
  // JPEG rows run top to bottom: the frame's last row first.
  for (int y = 0; y < height_; ++y)
    job.rows[size_t(y)] = const_cast<JSAMPROW>(bottomUpBgr + size_t(height_ - 1 - y) * stride);
  if (width_ <= 0 || height_ <= 0) {
    error_ = "JPEG compression: the picture is empty";
    return false;
  }
  if (!runEncode(job, width_, height_, quality_)) {
    error_ = "JPEG compression: " + job.err.message;
    if (job.created) jpeg_abort_compress(&job.cinfo);
    return false;
  }
  jpeg = job.output.data();
  size = job.used();
  return true;
}

}  // namespace kd
