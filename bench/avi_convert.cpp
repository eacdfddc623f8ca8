// AVI conversion speed: a 704 × 576 recording converted to uncompressed and to Motion JPEG
// frames, next to FFmpeg (one thread) writing the same fitted frames, read from a raw file,
// into an AVI with -c:v rawvideo and -c:v mjpeg. Two recordings: AVC coded at 704 × 576, and
// the DCT codec at 352 × 288 shown (doubled) at 704 × 576. Processor time (user + system) on
// both sides, taking turns over several rounds, each figure the best of its rounds. The files
// live in /dev/shm where there is one, so that neither side waits for the disk's write-back.
// Usage: bench_avi_convert [FRAMES] [--no-peer]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "convert/avi_conversion.h"
#include "convert/picture_fit.h"
#include "decode/diagnostics.h"
#include "decode/dispatch/picture_transfer.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using namespace kd;

namespace {

constexpr int kWidth = 704, kHeight = 576, kQuality = 75;

double cpuNow() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// FFmpeg's user + system time from its -benchmark line; negative when it fails.
double ffmpegSeconds(const std::string& args, const std::string& log) {
  const std::string cmd =
      "ffmpeg -hide_banner -nostdin -y -benchmark -threads 1 " + args + " > " + log + " 2>&1";
  if (std::system(cmd.c_str()) != 0) return -1;
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const auto u = line.find("utime="), s = line.find("stime=");
    if (u != std::string::npos && s != std::string::npos)
      return std::atof(line.c_str() + u + 6) + std::atof(line.c_str() + s + 6);
  }
  return -1;
}

// The fitted frames of a recording, top-down bgr24 as FFmpeg reads raw video.
bool writeFittedFrames(const std::string& recording, const std::string& raw) {
  RecordingInfo info;
  RecordingReader reader;
  if (!info.probe(recording) || !reader.open(info)) return false;
  PictureFrame packet(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  if (!reader.readFrame(packet)) return false;
  RecordingDecoder decoder;
  std::string reason;
  if (!openRecordingDecoder(info, packet.flags, DecodeContext::AviConversion, decoder, reason))
    return false;
  PictureFitter fitter(info.displayWidth(), info.displayHeight());
  std::vector<uint8_t> frame(fitter.frameBytes());
  std::ofstream out(raw, std::ios::binary);
  do {
    int32_t delay = 0;
    decodeFrameRecord(decoder, packet, false, delay);
    fitter.fit(*packet.picture(),
               pictureLayout(info.formatVersion, packet.flags, DecodeContext::AviConversion),
               frame.data());
    for (int y = fitter.outHeight() - 1; y >= 0; --y)
      out.write(reinterpret_cast<const char*>(frame.data() + size_t(y) * fitter.stride()),
                std::streamsize(size_t(fitter.outWidth()) * 3));
  } while (reader.readFrame(packet));
  return bool(out);
}

struct Row {
  std::string name;
  std::string recording;
  std::string raw;  // FFmpeg's input
  AviVideoCodec codec;
  double ours = 1e9, peer = 1e9, peerStart = 1e9;
  bool peerOk = true;
  uintmax_t ourBytes = 0, peerBytes = 0;
};

std::string peerArgs(const Row& r, const std::string& out, int frames) {
  const std::string input = "-f rawvideo -pix_fmt bgr24 -s " + std::to_string(kWidth) + "x" +
                            std::to_string(kHeight) + " -r 25 -i " + r.raw;
  const std::string codec = r.codec == AviVideoCodec::Mjpeg ? "-c:v mjpeg -q:v 4" : "-c:v rawvideo";
  return input + " -frames:v " + std::to_string(frames) + " " + codec + " " + out;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 250;
  bool peer = true;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--no-peer")
      peer = false;
    else
      frames = std::max(25, std::atoi(argv[i]));
  }
  setDiagnosticStream(nullptr);
  const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
  const auto dir = base / "kd-bench-avi";
  std::filesystem::create_directories(dir);
  const int blocks = (frames + 24) / 25;
  frames = blocks * 25;

  struct Source {
    const char* name;
    const char* args;
  };
  const Source sources[] = {{"AVC 704x576", "--codec avc --resolution 137"},
                            {"DCT 352x288 x2", "--codec dct-mc --resolution 135"}};
  std::vector<Row> rows;
  for (const Source& s : sources) {
    const std::string stem = (dir / (s.args[8] == 'a' ? "avc" : "dct")).string();
    const std::string recording = stem + ".kdz", raw = stem + ".bgr";
    const std::string synth = std::string(KD_KDTOOL) + " synth --format 3 --audio g726 --blocks " +
                              std::to_string(blocks) + " " + s.args + " " + recording +
                              " > /dev/null";
    if (std::system(synth.c_str()) != 0 || (peer && !writeFittedFrames(recording, raw))) {
      std::fprintf(stderr, "bench_avi_convert: cannot make %s\n", recording.c_str());
      return 1;
    }
    for (AviVideoCodec codec : {AviVideoCodec::Raw, AviVideoCodec::Mjpeg})
      rows.push_back({std::string(s.name) + (codec == AviVideoCodec::Raw ? " raw" : " mjpeg"),
                      recording, raw, codec});
  }

  const std::string ourOut = (dir / "ours.avi").string(), peerOut = (dir / "peer.avi").string();
  const std::string log = (dir / "ffmpeg.log").string();
  for (int round = 0; round < 5; ++round) {
    for (Row& r : rows) {
      AviConversion conversion;
      const double t0 = cpuNow();
      const bool ok = convertToAvi(r.recording, ourOut, {r.codec, kQuality}, conversion);
      r.ours = std::min(r.ours, cpuNow() - t0);
      if (!ok) {
        std::fprintf(stderr, "bench_avi_convert: %s\n", conversion.error().c_str());
        return 1;
      }
      r.ourBytes = std::filesystem::file_size(ourOut);
      std::filesystem::remove(ourOut);
      if (!peer || !r.peerOk) continue;
      // FFmpeg's start-up (probing, opening) is timed on one frame and taken off.
      const double all = ffmpegSeconds(peerArgs(r, peerOut, frames), log);
      r.peerBytes = all > 0 ? std::filesystem::file_size(peerOut) : 0;
      std::filesystem::remove(peerOut);
      const double first = ffmpegSeconds(peerArgs(r, peerOut, 1), log);
      if (all < 0 || first < 0) {
        r.peerOk = false;
        continue;
      }
      r.peer = std::min(r.peer, all);
      r.peerStart = std::min(r.peerStart, first);
    }
  }

  std::printf("%d frames at %dx%d, Motion JPEG quality %d (FFmpeg -q:v 4), processor time\n\n",
              frames, kWidth, kHeight, kQuality);
  std::printf("%-20s %10s %10s %8s %12s %12s\n", "recording (f/s)", "ours", "FFmpeg", "ratio",
              "our bytes", "FFmpeg bytes");
  for (const Row& r : rows) {
    const double ours = frames / r.ours;
    std::printf("%-20s %10.1f", r.name.c_str(), ours);
    if (!peer || !r.peerOk || r.peer <= r.peerStart) {
      std::printf(" %10s\n", peer ? "unusable" : "-");
      continue;
    }
    const double theirs = (frames - 1) / (r.peer - r.peerStart);
    std::printf(" %10.1f %8.2f %12ju %12ju\n", theirs, ours / theirs, r.ourBytes, r.peerBytes);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
