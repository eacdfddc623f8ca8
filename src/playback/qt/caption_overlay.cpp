#include "playback/qt/caption_overlay.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/big5_text.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/stretch_copy.h"

namespace kd {

namespace {

constexpr char kGlyphChars[] = "0123456789:/, -";  // cells 0–14; cell 15 stays empty
constexpr int kStripLength = 288;
constexpr QRgb kStripColours[3] = {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)};
enum Strip { kRed = 0, kBlue = 1, kGreen = 2 };

QRect horizontalStrip(int strip) {
  return QRect(0, 140 + 4 * strip, kStripLength, 4);
}
QRect verticalStrip(int strip) {
  return QRect(kStripLength + 4 * strip, 0, 4, 32);
}

QColor colourOf(uint32_t bgr) {
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

int glyphCell(char c) {
  const char* at = std::strchr(kGlyphChars, c);
  return c != '\0' && at ? int(at - kGlyphChars) : -1;
}

QRect toQRect(const CaptionRect& r) {
  return QRect(r.left, r.top, r.width(), r.height());
}

void fillBlack(QImage& image, const QRect& region) {
  const QRect r = region.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::memset(image.scanLine(y) + r.left() * 4, 0, size_t(r.width()) * 4);
}

bool sameBlock(const CaptionInfo& a, const CaptionInfo& b) {
  return a.flags == b.flags && a.areaLeft == b.areaLeft && a.areaTop == b.areaTop &&
         a.areaRight == b.areaRight && a.areaBottom == b.areaBottom &&
         std::memcmp(&a.rectangles, &b.rectangles, sizeof a.rectangles) == 0;
}

}  // namespace

QFont CaptionOverlay::captionFont(int pixelSize) {
  QFont font(QStringLiteral("Noto Sans CJK TC"));
  font.setPixelSize(pixelSize);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

uint32_t CaptionOverlay::create(int surfaceWidth, int surfaceHeight, const CaptionInfo& record) {
  stored_ = record;
  // The record comes from outside: make sure every text ends inside its field.
  for (char* field : {stored_.cameraName, stored_.cardName, stored_.currentTime}) field[67] = '\0';
  for (char* field : {stored_.startTime, stored_.endTime, stored_.date, stored_.gmtLabel})
    field[64] = '\0';
  canvas_ = QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
  if (canvas_.isNull()) {
    release();
    return 1;
  }
  canvas_.fill(Qt::black);
  font_ = captionFont(13);
  drawStrips();
  drawTextItems();
  glyphs_ = QImage(kCanvasWidth, 32, QImage::Format_RGB32);
  if (!glyphs_.isNull()) rebuildGlyphs();
  surfaceWidth_ = surfaceWidth;
  surfaceHeight_ = surfaceHeight;
  return 0;
}

void CaptionOverlay::release() {
  canvas_ = QImage();
  glyphs_ = QImage();
  glyphWidth_ = glyphHeight_ = 0;
  stored_ = CaptionInfo{};
}

bool CaptionOverlay::isLost() const {
  return canvas_.isNull() || glyphs_.isNull();
}

uint32_t CaptionOverlay::restore() {
  if (canvas_.isNull()) {
    canvas_ = QImage(kCanvasWidth, kCanvasHeight, QImage::Format_RGB32);
    if (canvas_.isNull()) return 1;
    canvas_.fill(Qt::black);
    drawStrips();
    drawTextItems();
  }
  if (glyphs_.isNull()) {
    glyphs_ = QImage(kCanvasWidth, 32, QImage::Format_RGB32);
    if (glyphs_.isNull()) return 1;
  }
  rebuildGlyphs();
  return 0;
}

void CaptionOverlay::drawStrips() {
  for (int s = kRed; s <= kGreen; ++s) {
    const QRect h = horizontalStrip(s), v = verticalStrip(s);
    auto* row = reinterpret_cast<QRgb*>(canvas_.scanLine(h.top()));
    std::fill(row + h.left(), row + h.left() + h.width(), kStripColours[s]);
    for (int y = v.top(); y <= v.bottom(); ++y)
      reinterpret_cast<QRgb*>(canvas_.scanLine(y))[v.left()] = kStripColours[s];
  }
}

void CaptionOverlay::drawTextItems() {
  drawText(kFirstLineRegion, stored_.cameraName, stored_.cameraNameColour);
  drawText(kSecondLineRegion, stored_.cardName, stored_.cardNameColour);
  drawText(kGmtRegion, stored_.gmtLabel, stored_.gmtLabelColour);
}

void CaptionOverlay::drawText(const QRect& region, const char* text, uint32_t colour) {
  fillBlack(canvas_, region);
  ++textRenders_;
  if (!*text) return;
  QPainter painter(&canvas_);
  painter.setClipRect(region);
  painter.setFont(font_);
  painter.setPen(colourOf(colour));
  const QFontMetrics metrics(font_);
  painter.drawText(region.left(), region.top() + metrics.ascent(),
                   QString::fromStdString(big5ToUtf8(text)));
}

void CaptionOverlay::rebuildGlyphs() {
  glyphs_.fill(Qt::black);
  const QFontMetrics metrics(font_);
  int width = 0;
  for (const char* c = kGlyphChars; *c; ++c)
    width = std::max(width, metrics.horizontalAdvance(QLatin1Char(*c)));
  // Sixteen cells across the 320-pixel strip, at most 20 pixels high.
  glyphWidth_ = std::min(width, kCanvasWidth / kGlyphCells);
  glyphHeight_ = std::min(metrics.height(), 20);
  for (const QRect& region : {kCurrentTimeRegion, kStartTimeRegion, kEndTimeRegion, kDateRegion})
    fillBlack(canvas_, region);
  if (glyphWidth_ <= 0 || glyphHeight_ <= 0) return;  // no usable font: lines stay blank
  {
    QPainter painter(&glyphs_);
    painter.setFont(font_);
    painter.setPen(colourOf(stored_.currentTimeColour));
    for (int i = 0; kGlyphChars[i]; ++i) {
      const QRect cell(i * glyphWidth_, 0, glyphWidth_, glyphHeight_);
      painter.setClipRect(cell);
      painter.drawText(cell.left(), metrics.ascent(), QString(QLatin1Char(kGlyphChars[i])));
    }
  }
  drawTimeLine(kCurrentTimeRegion, stored_.currentTime);
  drawTimeLine(kStartTimeRegion, stored_.startTime);
  drawTimeLine(kEndTimeRegion, stored_.endTime);
  drawTimeLine(kDateRegion, stored_.date);
}

void CaptionOverlay::drawTimeLine(const QRect& region, const char* text) {
  for (int i = 0; text[i]; ++i) copyGlyph(text[i], region, i);
}

void CaptionOverlay::copyGlyph(char c, const QRect& region, int position) {
  const int cell = glyphCell(c);
  if (cell < 0 || glyphWidth_ <= 0) return;
  const int x = region.left() + position * glyphWidth_;
  // Characters past the region's right edge are not drawn: they would land in other items.
  if (x + glyphWidth_ > region.left() + region.width()) return;
  for (int y = 0; y < glyphHeight_; ++y)
    std::memcpy(canvas_.scanLine(region.top() + y) + x * 4,
                glyphs_.constScanLine(y) + cell * glyphWidth_ * 4, size_t(glyphWidth_) * 4);
  ++glyphCopies_;
}

template <size_t N>
void CaptionOverlay::updateTextItem(char (&stored)[N], uint32_t& storedColour, const QRect& region,
                                    const char* text, uint32_t colour) {
  if (colour == storedColour && std::strncmp(stored, text, N) == 0) return;
  setCaptionText(stored, std::string(text, strnlen(text, N - 1)));
  storedColour = colour;
  drawText(region, stored, colour);
}

template <size_t N>
void CaptionOverlay::updateTimeLine(char (&stored)[N], const QRect& region, const char* text) {
  const size_t length = strnlen(text, N - 1);
  if (length != std::strlen(stored)) {
    setCaptionText(stored, std::string(text, length));
    if (!glyphs_.isNull()) rebuildGlyphs();
    return;
  }
  for (size_t i = 0; i < length; ++i) {
    if (stored[i] == text[i]) continue;
    stored[i] = text[i];
    copyGlyph(text[i], region, int(i));
  }
}

void CaptionOverlay::updateFirstLine(const char* text, uint32_t colour) {
  updateTextItem(stored_.cameraName, stored_.cameraNameColour, kFirstLineRegion, text, colour);
}
void CaptionOverlay::updateSecondLine(const char* text, uint32_t colour) {
  updateTextItem(stored_.cardName, stored_.cardNameColour, kSecondLineRegion, text, colour);
}
void CaptionOverlay::updateGmtLabel(const char* text, uint32_t colour) {
  updateTextItem(stored_.gmtLabel, stored_.gmtLabelColour, kGmtRegion, text, colour);
}
void CaptionOverlay::updateCurrentTime(const char* text, uint32_t colour) {
  if (colour != stored_.currentTimeColour) {
    // The glyphs are drawn in this colour: all four lines change.
    stored_.currentTimeColour = colour;
    setCaptionText(stored_.currentTime, std::string(text, strnlen(text, 67)));
    if (!glyphs_.isNull()) rebuildGlyphs();
    return;
  }
  updateTimeLine(stored_.currentTime, kCurrentTimeRegion, text);
}
void CaptionOverlay::updateStartTime(const char* text) {
  updateTimeLine(stored_.startTime, kStartTimeRegion, text);
}
void CaptionOverlay::updateEndTime(const char* text) {
  updateTimeLine(stored_.endTime, kEndTimeRegion, text);
}
void CaptionOverlay::updateDate(const char* text) {
  updateTimeLine(stored_.date, kDateRegion, text);
}

void CaptionOverlay::copyItem(QImage& destination, const QRect& region, const CaptionRect& to) {
  stretchCopy(canvas_, region, destination, toQRect(to), true);
}

void CaptionOverlay::drawRectangles(QImage& destination) {
  const uint32_t count = std::min(stored_.rectangles.count, MotionZoneBlock::kMaxZones);
  for (uint32_t i = 0; i < count; ++i) {
    MotionZone r = stored_.rectangles.zones[i];
    for (int32_t* v : {&r.left, &r.top, &r.right, &r.bottom})
      *v = std::clamp(*v, -(1 << 20), 1 << 20);  // far from overflow, far outside any picture
    const int strip = r.active ? kRed : kGreen;
    const QRect h = horizontalStrip(strip), v = verticalStrip(strip);
    stretchCopy(canvas_, h, destination, QRect(r.left, r.top, r.right - r.left, 4), true);
    stretchCopy(canvas_, h, destination, QRect(r.left, r.bottom, r.right - r.left, 4), true);
    stretchCopy(canvas_, v, destination, QRect(r.left, r.top, 4, r.bottom - r.top), true);
    stretchCopy(canvas_, v, destination, QRect(r.right, r.top, 4, r.bottom - r.top), true);
  }
}

uint32_t CaptionOverlay::compose(QImage& destination, const CaptionInfo* record) {
  if (!record || canvas_.isNull()) return 0;
  if (!sameBlock(*record, stored_)) {
    stored_.flags = record->flags;
    stored_.areaLeft = record->areaLeft;
    stored_.areaTop = record->areaTop;
    stored_.areaRight = record->areaRight;
    stored_.areaBottom = record->areaBottom;
    stored_.rectangles = record->rectangles;
  }
  const uint32_t flags = stored_.flags;
  if ((flags & caption_flags::kRectangles) && !(flags & caption_flags::kReplacement))
    drawRectangles(destination);
  if (flags & caption_flags::kRectanglesOnly) return 0;

  const CaptionLayout place = layout();
  if (flags & (caption_flags::kIconA | caption_flags::kIconB)) {
    std::lock_guard guard(display::lock());
    if (const QImage* icons = display::iconStrip()) {
      if (flags & caption_flags::kIconA)
        stretchCopy(*icons, QRect(0, 0, 16, 16), destination, toQRect(place.iconA()), true);
      if (flags & caption_flags::kIconB)
        stretchCopy(*icons, QRect(16, 0, 16, 16), destination, toQRect(place.iconB()), true);
    }
  }
  if (flags & caption_flags::kFirstLine) {
    updateFirstLine(record->cameraName, record->cameraNameColour);
    copyItem(destination, kFirstLineRegion, place.firstLine());
  }
  if (flags & caption_flags::kSecondLine) {
    updateSecondLine(record->cardName, record->cardNameColour);
    copyItem(destination, kSecondLineRegion, place.secondLine());
  }
  if (flags & caption_flags::kCurrentTime) {
    updateCurrentTime(record->currentTime, record->currentTimeColour);
    copyItem(destination, kCurrentTimeRegion, place.currentTime());
  }
  if (flags & caption_flags::kStartTime) {
    updateStartTime(record->startTime);
    copyItem(destination, kStartTimeRegion, place.startTime());
  }
  if (flags & caption_flags::kEndTime) {
    updateEndTime(record->endTime);
    copyItem(destination, kEndTimeRegion, place.endTime());
  }
  if (flags & caption_flags::kDate) {
    updateDate(record->date);
    copyItem(destination, kDateRegion, place.date());
  }
  if (flags & caption_flags::kGmtLabel) {
    updateGmtLabel(record->gmtLabel, record->gmtLabelColour);
    copyItem(destination, kGmtRegion, place.gmtLabel());
  }
  return 0;
}

}  // namespace kd
