// kdtool avi on generator recordings, read back by FFmpeg: three streams with the frame count
// and rates of the recording, every picture equal to the player's decoded picture fitted to
// the display size, the sound equal to kdtool audio sample for sample, and the conversion's
// refusals and failures leaving no file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/temp_dir.h"
#include "convert/ffmpeg_reader.h"
#include "convert/picture_fit.h"

using namespace kd;
using namespace kd::testing;

namespace {

const std::string kTool = KD_KDTOOL;

int kdtool(const std::string& args, std::string* out = nullptr) {
  return runCommand(kTool + " " + args + " 2>&1", out);
}

std::string synth(const TempDir& dir, const std::string& name, const std::string& args) {
  const std::string path = dir.file(name);
  EXPECT_EQ(kdtool("synth " + args + " " + path + " >/dev/null"), 0) << args;
  return path;
}

// Which frames carry a picture, from kdtool frames (flags bit 0 clear).
std::vector<bool> framesWithPictures(const std::string& recording) {
  std::string json;
  EXPECT_EQ(runCommand(kTool + " frames --json " + recording, &json), 0);
  std::vector<bool> with;
  for (size_t at = json.find("\"flags\":"); at != std::string::npos;
       at = json.find("\"flags\":", at + 1))
    with.push_back((std::atoi(json.c_str() + at + 8) & 1) == 0);
  return with;
}

// The player's pictures (kdtool decode, top-down RGB) of the frames that carry one, fitted to
// width × height and turned top-down again, as FFmpeg hands back bgr24.
std::vector<uint8_t> fittedPlayerPictures(const TempDir& dir, const std::string& recording,
                                          int width, int height) {
  const std::vector<bool> with = framesWithPictures(recording);
  const std::string out = dir.file("ppm");
  EXPECT_EQ(kdtool("decode --deblock off --out " + out + " " + recording + " >/dev/null"), 0);
  std::vector<std::filesystem::path> ppms;
  for (const auto& e : std::filesystem::directory_iterator(out))
    if (e.path().extension() == ".ppm") ppms.push_back(e.path());
  std::sort(ppms.begin(), ppms.end());
  PictureFitter fitter(width, height);
  std::vector<uint8_t> all, frame(fitter.frameBytes());
  for (size_t n = 0; n < ppms.size(); ++n) {
    if (n >= with.size() || !with[n]) continue;
    const std::vector<uint8_t> ppm = readFileBytes(ppms[n].string());
    int w = 0, h = 0, header = 0;
    std::sscanf(reinterpret_cast<const char*>(ppm.data()), "P6 %d %d 255%n", &w, &h, &header);
    std::vector<uint8_t> bgr(size_t(w) * size_t(h) * 3);
    std::vector<const uint8_t*> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = ppm.data() + header + 1 + size_t(h - 1 - y) * size_t(w) * 3;
      uint8_t* dst = bgr.data() + size_t(y) * size_t(w) * 3;
      for (int x = 0; x < 3 * w; x += 3) {
        dst[x] = src[x + 2];
        dst[x + 1] = src[x + 1];
        dst[x + 2] = src[x];
      }
      rows[size_t(y)] = dst;
    }
    fitter.fitRows(rows.data(), w, h, frame.data());
    for (int y = height - 1; y >= 0; --y) {
      const uint8_t* row = frame.data() + size_t(y) * fitter.stride();
      all.insert(all.end(), row, row + size_t(width) * 3);
    }
  }
  return all;
}

std::vector<uint8_t> kdtoolSound(const TempDir& dir, const std::string& recording) {
  const std::string wav = dir.file("sound.wav");
  EXPECT_EQ(kdtool("audio --out " + wav + " " + recording + " >/dev/null"), 0);
  const std::vector<uint8_t> bytes = readFileBytes(wav);
  return bytes.size() > 44 ? std::vector<uint8_t>(bytes.begin() + 44, bytes.end())
                           : std::vector<uint8_t>{};
}

struct Case {
  const char* name;  // the extension tells the format
  const char* synthArgs;
  int width, height;  // the display size
  long frames;
  const char* videoRate;  // as FFprobe reduces it
  long pictures;          // frames without flags bit 0
};

}  // namespace

TEST(KdtoolAvi, FfmpegReadsTheStreamsPicturesAndSoundOfEveryCodecFamily) {
  const Case cases[] = {
      // DCT codec with motion, G.726, pictures one to one.
      {"rec.kdz", "--format 3 --codec dct-mc --audio g726 --blocks 4", 352, 288, 100, "100/3", 100},
      // MPEG-4 with IMA ADPCM, 352 × 288 doubled to 704 × 576.
      {"rec.kdz", "--format 3 --codec mpeg4 --audio ima --resolution 135 --blocks 2", 704, 576, 50,
       "50/1", 50},
      // AVC in format 7 with frames that carry no picture.
      {"rec.ckd", "--format 7 --codec avc --audio g726 --blocks 3 --no-picture-every 4", 704, 576,
       93, "93/2", 75},
      // The legacy decoder of format 0, code 131: 640 × 240 line-doubled to 640 × 480.
      {"rec.kd", "--format 0 --codec legacy --resolution 131 --blocks 2", 640, 480, 50, "50/1", 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.synthArgs);
    TempDir dir;
    const std::string rec = synth(dir, c.name, c.synthArgs);
    const std::string avi = dir.file("out.avi");
    std::string out;
    ASSERT_EQ(kdtool("avi --out " + avi + " " + rec, &out), 0) << out;

    const std::vector<ProbedStream> s = probeStreams(avi);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].type, "video");
    EXPECT_EQ(s[0].codec, "rawvideo");
    EXPECT_EQ(s[0].width, c.width);
    EXPECT_EQ(s[0].height, c.height);
    EXPECT_EQ(s[0].frames, c.frames);
    EXPECT_EQ(s[0].rate, c.videoRate);
    EXPECT_EQ(s[1].codec, "pcm_s16le");
    EXPECT_EQ(s[1].sampleRate, 8000);
    EXPECT_EQ(s[2].type, "subtitle");
    EXPECT_EQ(s[2].packets, c.frames);
    EXPECT_EQ(s[0].packets, c.pictures);

    const std::vector<uint8_t> ours =
        decodeStream(avi, 0, "-fps_mode passthrough -f rawvideo -pix_fmt bgr24");
    EXPECT_TRUE(ours == fittedPlayerPictures(dir, rec, c.width, c.height)) << "pictures differ";
    EXPECT_TRUE(decodeStream(avi, 1, "-f s16le") == kdtoolSound(dir, rec)) << "sound differs";
  }
}

TEST(KdtoolAvi, RatesFollowTheRecordingAndTheCaptionRidesEveryFrame) {
  TempDir dir;
  // 300 frames over 10 seconds: 30 frames a second, text rate 29.
  const std::string rec =
      synth(dir, "rec.kdz",
            "--format 3 --codec opaque --nibble 0 --blocks 12 --frames-per-block 25 --interval 34 "
            "--camera-name Lobby --card-name Card-2");
  const std::string avi = dir.file("rec.avi");
  ASSERT_EQ(kdtool("avi --out " + avi + " " + rec + " >/dev/null"), 0);
  std::string out;
  ASSERT_EQ(
      runCommand("ffprobe -v error -show_entries stream=time_base,r_frame_rate -of csv=p=0 " + avi,
                 &out),
      0);
  EXPECT_EQ(out, "30/1,1/30\n0/0,1/8000\n0/0,1/29\n");
  // The text sample: card, camera, start and end in the computer's time zone, NUL-terminated.
  const std::vector<uint8_t> bytes = readFileBytes(avi);
  const std::string text = "Card-2 Lobby From:";
  const auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
  ASSERT_NE(at, bytes.end());
  const std::string sample(at, at + long(text.size() + 19 + 4 + 19 + 1));
  EXPECT_EQ(sample.find(" To:"), text.size() + 19);
  EXPECT_EQ(sample.back(), '\0');
}

TEST(KdtoolAvi, MotionJpegFramesDecodeCloseToTheUncompressedOnes) {
  TempDir dir;
  const std::string rec = synth(dir, "rec.kdz", "--format 3 --codec avc --resolution 135");
  const std::string raw = dir.file("raw.avi"), mjpeg = dir.file("mjpeg.avi");
  ASSERT_EQ(kdtool("avi --out " + raw + " " + rec + " >/dev/null"), 0);
  ASSERT_EQ(kdtool("avi --codec mjpeg --out " + mjpeg + " " + rec + " >/dev/null"), 0);
  const std::vector<ProbedStream> s = probeStreams(mjpeg);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].codec, "mjpeg");
  EXPECT_EQ(s[0].frames, 50);
  EXPECT_EQ(s[0].packets, 50);
  const std::string opts = "-fps_mode passthrough -f rawvideo -pix_fmt bgr24";
  const std::vector<uint8_t> a = decodeStream(raw, 0, opts), b = decodeStream(mjpeg, 0, opts);
  ASSERT_EQ(a.size(), b.size());
  ASSERT_FALSE(a.empty());
  double error = 0;
  for (size_t i = 0; i < a.size(); ++i) error += double(a[i] - b[i]) * double(a[i] - b[i]);
  const double psnr = 10 * std::log10(255.0 * 255.0 / (error / double(a.size())));
  EXPECT_GT(psnr, 30.0);
  EXPECT_LT(std::filesystem::file_size(mjpeg), std::filesystem::file_size(raw) / 5);
}

TEST(KdtoolAvi, RefusalsAndFailuresSayWhyAndLeaveNoFile) {
  TempDir dir;
  const std::string rec = synth(dir, "rec.kdz", "--format 3 --codec dct --audio g726");
  std::string out;

  // Start and end in the same second: no frame rate to write.
  const std::string instant = synth(dir, "instant.kdz", "--format 3 --codec dct --blocks 1");
  EXPECT_EQ(kdtool("avi --out " + dir.file("instant.avi") + " " + instant, &out), 1);
  EXPECT_NE(out.find("same second"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("instant.avi")));

  // An output that is the recording itself, under another name, is refused untouched.
  const std::string alias = dir.file("alias.avi");
  std::filesystem::create_hard_link(rec, alias);
  const std::vector<uint8_t> before = readFileBytes(rec);
  EXPECT_EQ(kdtool("avi --out " + alias + " " + rec, &out), 1);
  EXPECT_NE(out.find("the recording itself"), std::string::npos) << out;
  EXPECT_TRUE(readFileBytes(rec) == before);

  // The name must end in lower-case "avi".
  EXPECT_EQ(kdtool("avi --out " + dir.file("x.AVI") + " " + rec, &out), 1);
  EXPECT_NE(out.find("must end in"), std::string::npos) << out;

  // A recording cut short: the reading failure is reported, and an earlier file of that name
  // is kept as it was.
  std::vector<uint8_t> cut = before;
  cut.resize(cut.size() - cut.size() / 3);
  writeFileBytes(dir.file("cut.kdz"), cut);
  writeFileBytes(dir.file("cut.avi"), {1, 2, 3});
  EXPECT_EQ(kdtool("avi --out " + dir.file("cut.avi") + " " + dir.file("cut.kdz"), &out), 1);
  EXPECT_NE(out.find("reading stopped after frame"), std::string::npos) << out;
  EXPECT_TRUE(readFileBytes(dir.file("cut.avi")) == std::vector<uint8_t>({1, 2, 3}));

  // A write that fails (a file size limit, its signal ignored) is a failure, not "finished".
  EXPECT_EQ(runCommand("trap '' XFSZ; ulimit -f 64; " + kTool + " avi --out " +
                           dir.file("full.avi") + " " + rec + " 2>&1",
                       &out),
            1);
  EXPECT_NE(out.find("cannot write"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.file("full.avi")));

  // No partial output of any of these is left beside the outputs.
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}
