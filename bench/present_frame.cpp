// Presenting a 704 × 576 picture with captions into a 1408 × 1152 window, per frame: the transfer
// into surface A, present() (stretch A→B, captions, hand-over to the window) and the window's
// paint (B stretched onto the client area), each timed on its own in processor time.
// Usage: QT_QPA_PLATFORM=offscreen bench_present_frame [FRAMES [LAST_FRAME.png]]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "playback/caption_info.h"
#include "playback/picture_transfer.h"
#include "playback/qt/dib_presenter.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/picture_widget.h"
#include "recording/decoded_picture.h"
#include "synth/base/test_scene.h"

using namespace kd;

// The benchmark thread's own processor time: the figures hold on a machine busy with other work.
struct Clock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<Clock, duration>;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(duration(int64_t(t.tv_sec) * 1000000000 + t.tv_nsec));
  }
};

namespace {

double microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

CaptionInfo captions(int width, int height) {
  CaptionInfo c;
  text_display::applyMask(c, 0x7F);  // every item
  c.flags |= caption_flags::kArea | caption_flags::kIconA | caption_flags::kRectangles;
  c.setScale(CaptionScale::OneToOne);
  c.areaRight = width - 4;
  c.areaBottom = height - 4;
  c.setAllColours(CaptionInfo::kDefaultColour);
  setCaptionText(c.cameraName, "\xC3\xE8\xC0\x59 1");
  setCaptionText(c.cardName, "CARD 1");
  setCaptionText(c.startTime, "11:00:00");
  setCaptionText(c.endTime, "13:00:00");
  setCaptionText(c.date, "26 12-09");
  setCaptionText(c.gmtLabel, "GMT+08:00");
  c.rectangles.count = 2;
  c.rectangles.zones[0] = {100, 100, 300, 250, 1, 0};
  c.rectangles.zones[1] = {400, 300, 600, 500, 0, 0};
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 500;
  const int width = 704, height = 576;
  if (display::setUp() != 0) return std::fprintf(stderr, "no display device\n"), 1;

  DibPresenter presenter;
  CaptionInfo record = captions(width, height);
  if (presenter.create(width, height, &record) != 0) return std::fprintf(stderr, "create\n"), 1;
  PictureWidget window;
  window.resize(2 * width, 2 * height);
  window.show();
  app.processEvents();

  // A few decoded pictures of the moving scene, interleaved blue-green-red top first.
  std::vector<std::unique_ptr<DecodedPicture>> pictures;
  for (int i = 0; i < 8; ++i) {
    const RgbImage scene = renderTestScene(width, height, i * 5);
    auto picture = std::make_unique<DecodedPicture>(width, height);
    for (size_t p = 0; p < size_t(width) * size_t(height); ++p) {
      picture->pixels()[p * 3] = scene.rgb[p * 3 + 2];
      picture->pixels()[p * 3 + 1] = scene.rgb[p * 3 + 1];
      picture->pixels()[p * 3 + 2] = scene.rgb[p * 3];
    }
    pictures.push_back(std::move(picture));
  }
  const PictureLayout layout = pictureLayout(7, 0x40, DecodeContext::PlayerWindow);

  Clock::duration transfer{}, present{}, paint{};
  int dropped = 0;
  for (int f = 0; f < frames; ++f) {
    // 25 frames a second: the current time changes every 25th frame.
    const int second = f / 25;
    char text[16];
    std::snprintf(text, sizeof text, "12:%02d:%02d", (second / 60) % 60, second % 60);
    setCaptionText(record.currentTime, text);

    auto t0 = Clock::now();
    transferToPresenter(*pictures[size_t(f) % pictures.size()], layout, presenter);
    auto t1 = Clock::now();
    if (presenter.present(&window, &record) != 0) ++dropped;
    auto t2 = Clock::now();
    window.repaint();  // the paint the present scheduled, done now so it can be timed
    auto t3 = Clock::now();
    transfer += t1 - t0;
    present += t2 - t1;
    paint += t3 - t2;
  }
  std::printf("frames %d (dropped %d), picture %dx%d, window %dx%d\n", frames, dropped, width,
              height, 2 * width, 2 * height);
  std::printf("transfer %.1f us/frame\n", microseconds(transfer) / frames);
  std::printf("present  %.1f us/frame\n", microseconds(present) / frames);
  std::printf("paint    %.1f us/frame\n", microseconds(paint) / frames);
  std::printf("total    %.1f us/frame (%.0f frames/s)\n",
              microseconds(transfer + present + paint) / frames,
              frames / std::chrono::duration<double>(transfer + present + paint).count());
  if (argc > 2 && !window.renderClient().save(QString::fromLocal8Bit(argv[2])))
    return std::fprintf(stderr, "cannot write %s\n", argv[2]), 1;
  return 0;
}
