// kdtool export: what ffprobe and ffmpeg read back from the MP4, next to kdtool decode, and the
// failures that must leave no file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "common/temp_dir.h"
#include "export/burned_captions.h"
#include "export/picture_stretch.h"
#include "platform/clock.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using kd::testing::readFileBytes;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

int kdtool(const std::string& args) {
  return runCommand(std::string(KD_KDTOOL) + " " + args + " >/dev/null 2>&1");
}

// ffprobe's key=value lines for the streams and the format, in order.
std::vector<std::map<std::string, std::string>> probe(const std::string& mp4) {
  std::string text;
  runCommand(
      "ffprobe -v error -count_frames -show_entries "
      "stream=codec_type,width,height,pix_fmt,duration,nb_read_frames:format=duration "
      "-of default=nw=0 " +
          mp4,
      &text);
  std::vector<std::map<std::string, std::string>> sections;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[STREAM]" || line == "[FORMAT]") sections.emplace_back();
    const auto eq = line.find('=');
    if (eq != std::string::npos && !sections.empty())
      sections.back()[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return sections;
}

// Every picture of the MP4 as top-down RGB, one after the other, as stored (no frame rate made up).
std::vector<uint8_t> mp4Pictures(const std::string& mp4, const std::string& raw) {
  runCommand("ffmpeg -v error -y -i " + mp4 + " -vsync passthrough -f rawvideo -pix_fmt rgb24 " +
             raw);
  return readFileBytes(raw);
}

std::vector<uint8_t> ppmPixels(const std::string& path, int& width, int& height) {
  const auto bytes = readFileBytes(path);
  int maxValue = 0, used = 0;
  if (bytes.empty() || std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P6 %d %d %d%n",
                                   &width, &height, &maxValue, &used) != 3)
    return {};
  return std::vector<uint8_t>(bytes.begin() + used + 1, bytes.end());
}

struct Record {
  uint32_t number, stamp;
  bool picture, sound;
  int64_t seconds;
};

std::vector<Record> records(const std::string& file, kd::RecordingInfo& info) {
  kd::RecordingReader reader;
  EXPECT_TRUE(info.probe(file));
  EXPECT_TRUE(reader.open(info));
  std::vector<Record> out;
  kd::FramePacket packet(1 << 20, 1 << 16);
  for (uint32_t n = 0; reader.readFrame(packet); ++n)
    out.push_back({n, packet.timeStamp, !(packet.flags & kd::frame_flags::kNoPicture),
                   (packet.flags & kd::frame_flags::kAudio) && packet.audioSize > 0,
                   reader.secondsAt(packet.timeStamp)});
  return out;
}

bool inside(const std::vector<kd::CaptionRect>& areas, int x, int y) {
  for (const auto& r : areas)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

bool folderHoldsOnly(const std::filesystem::path& folder, size_t count) {
  return size_t(std::distance(std::filesystem::directory_iterator(folder),
                              std::filesystem::directory_iterator())) == count;
}

}  // namespace

TEST(KdtoolExport, StreamsHaveTheDisplaySizeTheRecordingsSpanAndItsSound) {
  TempDir dir;
  struct Case {
    const char* synth;
    int width, height;
    bool sound;
  } cases[] = {{"--codec avc --audio g726", 352, 288, true},
               {"--codec dct --audio none --resolution 7", 640, 480, false},
               {"--codec avc --audio g726 --gap-after 20 --gap-ms 2000", 352, 288, true},
               {"--codec avc --audio g726 --resolution 87", 240, 136, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.synth);
    const std::string file = dir.file("r.kdz"), mp4 = dir.file("r.mp4");
    ASSERT_EQ(kdtool(std::string("synth --format 3 --blocks 2 --frames-per-block 20 ") + c.synth +
                     " " + file),
              0);
    ASSERT_EQ(kdtool("export --out " + mp4 + " " + file), 0);
    kd::RecordingInfo info;
    const auto all = records(file, info);
    const double span = (all.back().stamp - all.front().stamp) / 1000.0;
    const double frame = span / double(all.size() - 1);

    const auto sections = probe(mp4);
    ASSERT_EQ(sections.size(), c.sound ? 3u : 2u);
    const auto& video = sections[0];
    EXPECT_EQ(video.at("codec_type"), "video");
    EXPECT_EQ(video.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(std::stoi(video.at("width")), c.width);
    EXPECT_EQ(std::stoi(video.at("height")), c.height);
    EXPECT_EQ(std::stoul(video.at("nb_read_frames")), all.size());
    EXPECT_NEAR(std::stod(video.at("duration")), span, frame * 1.01);
    EXPECT_NEAR(std::stod(sections.back().at("duration")), span, frame * 1.01);
    if (c.sound) {
      // Across a gap the sound resumes at the next picture's time: it lasts as long as the
      // pictures.
      EXPECT_EQ(sections[1].at("codec_type"), "audio");
      EXPECT_NEAR(std::stod(sections[1].at("duration")), std::stod(video.at("duration")), 0.2);
    }
    std::filesystem::remove(mp4);
  }
}

TEST(KdtoolExport, PicturesMatchTheDecodedFramesOutsideTheCaptions) {
  TempDir dir;
  struct Case {
    const char* synth;
  } cases[] = {{"--codec avc --audio g726 --no-picture-every 7"},
               {"--codec dct --resolution 7"},
               {"--codec mpeg4 --resolution 3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.synth);
    const std::string file = dir.file("p.kdz"), mp4 = dir.file("p.mp4"), frames = dir.file("d");
    ASSERT_EQ(kdtool(std::string("synth --format 3 --blocks 2 --frames-per-block 12 ") + c.synth +
                     " " + file),
              0);
    ASSERT_EQ(kdtool("decode --out " + frames + " " + file), 0);
    ASSERT_EQ(kdtool("export --captions --crf 18 --out " + mp4 + " " + file), 0);
    kd::RecordingInfo info;
    const auto all = records(file, info);
    const int dw = info.displayWidth(), dh = info.displayHeight();
    const int sw = info.pictureWidth(), sh = info.pictureHeight();
    // Caption lines at the picture size, carried to the display size with a pixel to spare.
    std::vector<kd::CaptionRect> areas;
    for (auto r : kd::BurnedCaptions(info, -1).areas(sw, sh))
      areas.push_back({r.left * dw / sw - 1, r.top * dh / sh - 1, r.right * dw / sw + 1,
                       r.bottom * dh / sh + 1});

    const auto mp4Rgb = mp4Pictures(mp4, dir.file("p.rgb"));
    const size_t pictureBytes = size_t(dw) * dh * 3;
    size_t shown = 0;
    int lastDecoded = -1;
    for (const Record& r : all) {
      if (!r.picture) continue;
      ASSERT_LE((shown + 1) * pictureBytes, mp4Rgb.size());
      char name[32];
      std::snprintf(name, sizeof name, "/%06u.ppm", r.number);
      int w = 0, h = 0;
      const auto decoded = ppmPixels(frames + name, w, h);
      ASSERT_EQ(w, sw);
      std::vector<uint8_t> expected;
      kd::stretchRgb(decoded, w, h, dw, dh, expected);
      const uint8_t* got = mp4Rgb.data() + shown * pictureBytes;
      double squares = 0;
      size_t count = 0;
      for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
          if (inside(areas, x, y)) continue;
          for (int k = 0; k < 3; ++k) {
            const double d =
                double(got[(size_t(y) * dw + x) * 3 + k]) - expected[(size_t(y) * dw + x) * 3 + k];
            squares += d * d;
          }
          count += 3;
        }
      const double mse = squares / double(count);
      const double psnr = mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
      EXPECT_GE(psnr, 35.0) << "frame " << r.number;
      ++shown;
      lastDecoded = int(r.number);
    }
    EXPECT_EQ(shown * pictureBytes, mp4Rgb.size());
    EXPECT_GT(lastDecoded, 0);
    std::filesystem::remove_all(frames);
  }
}

TEST(KdtoolExport, BurnedInTimeFollowsTheFramesSeconds) {
  TempDir dir;
  const std::string file = dir.file("t.kdz"), mp4 = dir.file("t.mp4");
  // 2 blocks of 40 frames at 40 ms: three different seconds.
  ASSERT_EQ(kdtool("synth --format 3 --codec avc --blocks 2 --frames-per-block 40 " + file), 0);
  ASSERT_EQ(kdtool("export --captions --crf 18 --out " + mp4 + " " + file), 0);
  const std::string plain = dir.file("plain.mp4");
  ASSERT_EQ(kdtool("export --crf 18 --out " + plain + " " + file), 0);
  kd::RecordingInfo info;
  const auto all = records(file, info);
  const int w = info.displayWidth(), h = info.displayHeight();
  const kd::CaptionRect time = kd::CaptionLayout(
                                   [&] {
                                     kd::CaptionInfo record;
                                     kd::prepareCaptionRecord(record, info.resolutionCode, w, h,
                                                              kd::text_display::kDefaultMask);
                                     return record;
                                   }(),
                                   w, h)
                                   .currentTime();
  const auto with = mp4Pictures(mp4, dir.file("with.rgb"));
  const auto without = mp4Pictures(plain, dir.file("without.rgb"));
  ASSERT_EQ(with.size(), without.size());
  ASSERT_EQ(with.size(), all.size() * size_t(w) * h * 3);
  // The text's pixels in the seconds' last digit: where the captioned picture departs from the
  // plain one by far more than the encoding does.
  const int digitLeft = time.left + 7 * 8;
  auto textMask = [&](size_t n) {
    std::vector<bool> mask;
    for (int y = time.top; y < time.bottom; ++y)
      for (int x = digitLeft; x < digitLeft + 8; ++x) {
        const size_t at = (n * size_t(h) + size_t(y)) * size_t(w) * 3 + size_t(x) * 3;
        int d = 0;
        for (int k = 0; k < 3; ++k) d += std::abs(int(with[at + k]) - int(without[at + k]));
        mask.push_back(d > 200);
      }
    return mask;
  };
  auto differing = [](const std::vector<bool>& a, const std::vector<bool>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
  };
  // Each second's digit as most of its frames show it; every frame must look most like its own
  // second's.
  std::map<int64_t, std::vector<int>> votes;
  std::map<int64_t, int> framesOf;
  std::vector<std::vector<bool>> masks;
  for (size_t n = 0; n < all.size(); ++n) {
    masks.push_back(textMask(n));
    auto& v = votes[all[n].seconds];
    v.resize(masks.back().size());
    for (size_t i = 0; i < v.size(); ++i) v[i] += masks.back()[i];
    ++framesOf[all[n].seconds];
  }
  ASSERT_GE(votes.size(), 3u);
  std::map<int64_t, std::vector<bool>> digit;
  for (const auto& [second, v] : votes)
    for (int count : v) digit[second].push_back(2 * count > framesOf[second]);
  for (auto a = digit.begin(), b = std::next(a); b != digit.end(); ++a, ++b)
    EXPECT_GE(differing(a->second, b->second), 6u) << "second " << b->first;
  for (size_t n = 0; n < all.size(); ++n) {
    EXPECT_GE(std::count(masks[n].begin(), masks[n].end(), true), 8) << "frame " << n;
    const size_t own = differing(masks[n], digit[all[n].seconds]);
    for (const auto& [second, d] : digit)
      if (second != all[n].seconds) EXPECT_LT(own, differing(masks[n], d)) << "frame " << n;
  }
}

TEST(KdtoolExport, RangesTakeAddressesAndLocalTimesBothEndsIncluded) {
  TempDir dir;
  const std::string file = dir.file("g.kdz"), mp4 = dir.file("g.mp4");
  ASSERT_EQ(
      kdtool("synth --format 3 --codec avc --audio g726 --blocks 3 --frames-per-block 30 " + file),
      0);
  kd::RecordingInfo info;
  const auto all = records(file, info);
  auto frames = [&] { return std::stoul(probe(mp4).at(0).at("nb_read_frames")); };

  ASSERT_EQ(kdtool("export --from 1:3 --to 2:4 --out " + mp4 + " " + file), 0);
  EXPECT_EQ(frames(), 30u - 3 + 5);
  ASSERT_EQ(kdtool("export --from 2:29 --to 2:29 --out " + mp4 + " " + file), 0);
  EXPECT_EQ(frames(), 1u);

  // The second second: from its first frame to its last.
  const int64_t second = all.front().seconds + 1;
  const auto inSecond =
      std::count_if(all.begin(), all.end(), [&](const Record& r) { return r.seconds == second; });
  ASSERT_GT(inSecond, 0);
  const std::string at = "\"" + kd::formatLocalTime(second, "%Y-%m-%d %H:%M:%S") + "\"";
  ASSERT_EQ(kdtool("export --from " + at + " --to " + at + " --out " + mp4 + " " + file), 0);
  EXPECT_EQ(frames(), size_t(inSecond));
}

TEST(KdtoolExport, FailuresExitOneAndLeaveNoFile) {
  TempDir dir;
  const std::string file = dir.file("f.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --codec avc --blocks 2 --frames-per-block 10 " + file), 0);
  kd::RecordingInfo info;
  const auto all = records(file, info);
  const std::string before =
      "\"" + kd::formatLocalTime(all.front().seconds - 10, "%Y-%m-%d %H:%M:%S") + "\"";
  const std::string after =
      "\"" + kd::formatLocalTime(all.back().seconds + 10, "%Y-%m-%d %H:%M:%S") + "\"";
  kd::testing::writeFileBytes(dir.file("junk.kdz"), std::vector<uint8_t>(300, 0x5A));
  // Frames 3, 7, … carry no picture.
  const std::string gaps = dir.file("np.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --codec avc --no-picture-every 3 --blocks 1 " + gaps), 0);
  const std::string out = dir.file("out.mp4");
  struct Case {
    std::string args;
  } cases[] = {
      {"--from 1:5 --to 1:4 --out " + out + " " + file},      // empty
      {"--from 2:0 --out " + out + " " + file},               // past the end
      {"--from 1:10 --out " + out + " " + file},              // no such frame
      {"--from " + after + " --out " + out + " " + file},     // after the recording
      {"--to " + before + " --out " + out + " " + file},      // before it
      {"--out " + dir.file("missing/out.mp4") + " " + file},  // folder not there
      {"--out " + out + " " + dir.file("absent.kdz")},        // no input
      {"--out " + out + " " + dir.file("junk.kdz")},          // not a recording
      {"--out " + file + " " + file},                         // over its own source
      {"--from 0:3 --to 0:3 --out " + out + " " + gaps},      // no picture in range
      {"--crf 99 --out " + out + " " + file},
      {"--from yesterday --out " + out + " " + file},
  };
  const auto original = readFileBytes(file);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(kdtool("export " + c.args), 1);
    EXPECT_TRUE(folderHoldsOnly(dir.path(), 3));  // the recordings and the junk file
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
  }
  EXPECT_EQ(readFileBytes(file), original);
}

TEST(KdtoolExport, AnInterruptedExportLeavesNoFile) {
  TempDir dir;
  const std::string file = dir.file("long.kdz");
  // 704 × 576 takes long enough to export that the signal comes in the middle.
  ASSERT_EQ(kdtool("synth --format 3 --codec avc --resolution 137 --blocks 6 " + file), 0);
  const int status =
      runCommand("timeout --preserve-status -s TERM 0.3 " + std::string(KD_KDTOOL) +
                 " export --out " + dir.file("long.mp4") + " " + file + " >/dev/null 2>&1");
  // 1 once the export is under way; a signal before it starts ends the process before any file.
  EXPECT_NE(status, 0);
  EXPECT_TRUE(folderHoldsOnly(dir.path(), 1));
}
