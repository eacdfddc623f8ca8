#include "export/burned_captions.h"

#include "export/caption_font.h"
#include "platform/clock.h"
#include "recording/recording_info.h"

namespace kd {

namespace {

// Text sits in a 20-pixel line as the player's 15-point font does.
constexpr int kTextTop = 3;

// Recorder names are Big5: a byte from 0x80 up leads a two-byte character, drawn as one '?'.
std::string printable(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      out += '?';
      if (p[1]) ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

void drawText(std::vector<uint8_t>& rgb, int width, int height, const CaptionRect& line,
              const std::string& text, uint32_t colour) {
  // Doubled captions (the half-height resolutions) are drawn twice as wide.
  const int xScale = line.width() >= 400 ? 2 : 1;
  const uint8_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  int x0 = line.left;
  for (char c : text) {
    if (x0 >= line.right) break;
    const uint8_t* glyph = CaptionFont::glyph(c);
    for (int gy = 0; gy < CaptionFont::kHeight; ++gy) {
      const int y = line.top + kTextTop + gy;
      if (y < 0 || y >= height || y >= line.bottom) continue;
      for (int gx = 0; gx < CaptionFont::kWidth * xScale; ++gx) {
        if (!(glyph[gy] & (0x80 >> (gx / xScale)))) continue;
        const int x = x0 + gx;
        if (x < 0 || x >= width || x >= line.right) continue;
        uint8_t* px = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
        px[0] = r;
        px[1] = g;
        px[2] = b;
      }
    }
    x0 += CaptionFont::kWidth * xScale;
  }
}

}  // namespace

BurnedCaptions::BurnedCaptions(const RecordingInfo& info, int channel) {
  prepareCaptionRecord(record_, info.resolutionCode, info.pictureWidth(), info.pictureHeight(),
                       text_display::kDefaultMask);
  record_.flags |= caption_flags::kSecondLine;
  setCaptionText(record_.cameraName, info.cameraNameOf(channel));
  setCaptionText(record_.cardName, info.cardNameOf(channel));
  record_.setAllColours(CaptionInfo::kDefaultColour);
  clock_.recorderGmtOffset = info.gmtOffset;
  clock_.localGmtOffset = localGmtOffsetHours();
  setRecordingTimes(record_, clock_, info.startTime, info.endTime);
  host_ = printable(info.hostName.c_str());
}

CaptionRect BurnedCaptions::hostLine(const CaptionLayout& layout) const {
  CaptionRect r = layout.secondLine();
  const int step = r.height();
  r.top += step;
  r.bottom += step;
  return r;
}

void BurnedCaptions::draw(std::vector<uint8_t>& rgb, int width, int height, int64_t seconds) {
  setCaptionText(record_.currentTime, clock_.timeText(seconds));
  const CaptionLayout layout(record_, width, height);
  const uint32_t colour = record_.cameraNameColour;
  drawText(rgb, width, height, layout.firstLine(), printable(record_.cameraName), colour);
  drawText(rgb, width, height, layout.secondLine(), printable(record_.cardName), colour);
  drawText(rgb, width, height, hostLine(layout), host_, colour);
  drawText(rgb, width, height, layout.startTime(), record_.startTime, colour);
  drawText(rgb, width, height, layout.currentTime(), record_.currentTime, colour);
  drawText(rgb, width, height, layout.endTime(), record_.endTime, colour);
}

std::vector<CaptionRect> BurnedCaptions::areas(int width, int height) const {
  const CaptionLayout layout(record_, width, height);
  return {layout.firstLine(), layout.secondLine(),  hostLine(layout),
          layout.startTime(), layout.currentTime(), layout.endTime()};
}

}  // namespace kd
