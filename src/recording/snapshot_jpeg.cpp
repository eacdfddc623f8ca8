#include "recording/snapshot_jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace kd {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp of the job. Warnings are kept quiet; only a premature end of the data is remembered.
struct ErrorManager {
  jpeg_error_mgr base{};
  std::jmp_buf jump{};
  std::string message;
  bool endedEarly = false;
};

void errorExit(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  char text[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, text);
  err->message = text;
  std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr info, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) err->endedEarly = true;
}

void outputMessage(j_common_ptr) {}

void installErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.base);
  err.base.error_exit = errorExit;
  err.base.emit_message = emitMessage;
  err.base.output_message = outputMessage;
}

// Everything a job changes lives here, outside the function that calls setjmp, so nothing it
// needs after a long jump is an indeterminate local.
struct EncodeJob {
  jpeg_compress_struct cinfo{};
  ErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row;
};

bool runEncode(EncodeJob& job, const uint8_t* bgr, int width, int height) {
  if (setjmp(job.err.jump)) return false;
  jpeg_create_compress(&job.cinfo);
  jpeg_mem_dest(&job.cinfo, &job.buffer, &job.size);
  job.cinfo.image_width = JDIMENSION(width);
  job.cinfo.image_height = JDIMENSION(height);
  job.cinfo.input_components = 3;
  job.cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&job.cinfo);
  jpeg_set_quality(&job.cinfo, 80, TRUE);
  jpeg_start_compress(&job.cinfo, TRUE);
  const size_t rowBytes = size_t(width) * 3;
  job.row.resize(rowBytes);
  while (job.cinfo.next_scanline < job.cinfo.image_height) {
    // Top-down output from bottom-up rows, RGB from BGR.
    const uint8_t* src = bgr + size_t(height - 1 - int(job.cinfo.next_scanline)) * rowBytes;
    for (size_t x = 0; x < rowBytes; x += 3) {
      job.row[x] = src[x + 2];
      job.row[x + 1] = src[x + 1];
      job.row[x + 2] = src[x];
    }
    JSAMPROW rows[1] = {job.row.data()};
    jpeg_write_scanlines(&job.cinfo, rows, 1);
  }
  jpeg_finish_compress(&job.cinfo);
  return true;
}

struct DecodeJob {
  jpeg_decompress_struct cinfo{};
  ErrorManager err;
  std::vector<uint8_t> row;
  std::string refusal;  // a reason found by us rather than by libjpeg
};

bool runDecode(DecodeJob& job, const uint8_t* jpeg, size_t size, int width, int height,
               std::vector<uint8_t>& out) {
  if (setjmp(job.err.jump)) return false;
  jpeg_create_decompress(&job.cinfo);
  jpeg_mem_src(&job.cinfo, jpeg, static_cast<unsigned long>(size));
  jpeg_read_header(&job.cinfo, TRUE);
  if (job.cinfo.image_width != JDIMENSION(width) || job.cinfo.image_height != JDIMENSION(height)) {
    job.refusal = "the JPEG picture is " + std::to_string(job.cinfo.image_width) + "x" +
                  std::to_string(job.cinfo.image_height) + " but its trailer says " +
                  std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  const bool grey = job.cinfo.num_components == 1;
  if (!grey && job.cinfo.num_components != 3) {
    job.refusal = std::to_string(job.cinfo.num_components) + " colour components (1 or 3 are read)";
    return false;
  }
  job.cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&job.cinfo);
  const int components = job.cinfo.output_components;
  if (job.cinfo.output_width != JDIMENSION(width) ||
      job.cinfo.output_height != JDIMENSION(height) || (components != 1 && components != 3)) {
    job.refusal = "the decoder's output does not match the picture";
    return false;
  }
  const size_t rowBytes = size_t(width) * 3;
  job.row.resize(size_t(width) * size_t(components));
  out.assign(rowBytes * size_t(height), 0);
  while (job.cinfo.output_scanline < job.cinfo.output_height) {
    uint8_t* dst = out.data() + size_t(height - 1 - int(job.cinfo.output_scanline)) * rowBytes;
    JSAMPROW rows[1] = {job.row.data()};
    if (jpeg_read_scanlines(&job.cinfo, rows, 1) != 1) {
      job.refusal = "the JPEG data ends early";
      return false;
    }
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &job.row[size_t(x) * size_t(components)];
      dst[size_t(x) * 3] = components == 3 ? p[2] : p[0];
      dst[size_t(x) * 3 + 1] = components == 3 ? p[1] : p[0];
      dst[size_t(x) * 3 + 2] = p[0];
    }
  }
  jpeg_finish_decompress(&job.cinfo);
  return true;
}

}  // namespace

bool encodeSnapshotJpeg(const uint8_t* bgrBottomUp, int width, int height,
                        std::vector<uint8_t>& jpeg, std::string& error) {
  EncodeJob job;
  job.cinfo.err = &job.err.base;
  installErrorManager(job.err);
  const bool ok = runEncode(job, bgrBottomUp, width, height);
  if (ok)
    jpeg.assign(job.buffer, job.buffer + job.size);
  else
    error = "JPEG compression failed: " + job.err.message;
  jpeg_destroy_compress(&job.cinfo);
  std::free(job.buffer);
  return ok;
}

bool decodeSnapshotJpeg(const uint8_t* jpeg, size_t size, int width, int height,
                        std::vector<uint8_t>& bgrBottomUp, std::string& error) {
  DecodeJob job;
  job.cinfo.err = &job.err.base;
  installErrorManager(job.err);
  bool ok = runDecode(job, jpeg, size, width, height, bgrBottomUp);
  if (ok && job.err.endedEarly) {
    ok = false;
    job.refusal = "the JPEG data ends early";
  }
  if (!ok) {
    error = !job.refusal.empty() ? job.refusal : "damaged JPEG data: " + job.err.message;
    bgrBottomUp.clear();
  }
  jpeg_destroy_decompress(&job.cinfo);
  return ok;
}

}  // namespace kd
