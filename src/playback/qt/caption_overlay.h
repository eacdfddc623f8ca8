#pragma once
// Composes the captions onto a presented picture from a pre-rendered 320 × 152 canvas: text items
// are re-rendered only when they change, the time and date lines redraw only the characters that
// changed from a strip of pre-rendered glyphs, and rectangle outlines are stretched from coloured
// strips. Black is the transparent colour of every copy onto the picture.
#include <QFont>
#include <QImage>
#include <QRect>
#include <cstdint>

#include "playback/caption_info.h"
#include "playback/caption_layout.h"

namespace kd {

class CaptionOverlay {
 public:
  static constexpr int kCanvasWidth = 320;
  static constexpr int kCanvasHeight = 152;
  static constexpr int kGlyphCells = 16;
  // Canvas regions of the items.
  static constexpr QRect kFirstLineRegion{0, 0, 200, 20};
  static constexpr QRect kSecondLineRegion{0, 20, 200, 20};
  static constexpr QRect kCurrentTimeRegion{0, 40, 200, 20};
  static constexpr QRect kStartTimeRegion{0, 60, 200, 20};
  static constexpr QRect kEndTimeRegion{0, 80, 200, 20};
  static constexpr QRect kDateRegion{0, 100, 200, 20};
  static constexpr QRect kGmtRegion{0, 120, 70, 20};

  // The canvas font: CJK-capable, so Chinese camera names show, and not anti-aliased, so that
  // black stays the only transparent colour.
  static QFont captionFont(int pixelSize);

  CaptionOverlay() = default;
  virtual ~CaptionOverlay() = default;
  CaptionOverlay(const CaptionOverlay&) = delete;
  CaptionOverlay& operator=(const CaptionOverlay&) = delete;

  // 0 on success, non-zero when no canvas can be made.
  virtual uint32_t create(int surfaceWidth, int surfaceHeight, const CaptionInfo& record);
  virtual void release();
  // Rebuilds a lost canvas or glyph strip from the stored record; 0 on success.
  virtual uint32_t restore();
  virtual bool isLost() const;
  // Destination rectangles of the items, from the stored record.
  CaptionLayout layout() const { return CaptionLayout(stored_, surfaceWidth_, surfaceHeight_); }

  // Draws the captions the record asks for onto `destination` (the presented picture, RGB32).
  // Nothing without a record.
  uint32_t compose(QImage& destination, const CaptionInfo* record);

  const CaptionInfo& storedRecord() const { return stored_; }
  const QImage& canvas() const { return canvas_; }
  const QImage& glyphStrip() const { return glyphs_; }
  int glyphWidth() const { return glyphWidth_; }
  int glyphHeight() const { return glyphHeight_; }
  // Glyph copies into the canvas so far: how much work the time lines cost.
  uint64_t glyphCopies() const { return glyphCopies_; }
  // Text items rendered with the font so far.
  uint64_t textRenders() const { return textRenders_; }

  // The per-item updates compose runs for every item it shows.
  void updateFirstLine(const char* text, uint32_t colour);
  void updateSecondLine(const char* text, uint32_t colour);
  void updateGmtLabel(const char* text, uint32_t colour);
  void updateCurrentTime(const char* text, uint32_t colour);
  void updateStartTime(const char* text);
  void updateEndTime(const char* text);
  void updateDate(const char* text);

 private:
  template <size_t N>
  void updateTextItem(char (&stored)[N], uint32_t& storedColour, const QRect& region,
                      const char* text, uint32_t colour);
  template <size_t N>
  void updateTimeLine(char (&stored)[N], const QRect& region, const char* text);
  void drawText(const QRect& region, const char* text, uint32_t colour);
  void drawStrips();
  void drawTextItems();
  void rebuildGlyphs();
  void drawTimeLine(const QRect& region, const char* text);
  void copyGlyph(char c, const QRect& region, int position);
  void drawRectangles(QImage& destination);
  void copyItem(QImage& destination, const QRect& region, const CaptionRect& to);

  QImage canvas_;
  QImage glyphs_;
  QFont font_;
  int glyphWidth_ = 0;
  int glyphHeight_ = 0;
  CaptionInfo stored_;
  int surfaceWidth_ = 0;
  int surfaceHeight_ = 0;
  uint64_t glyphCopies_ = 0;
  uint64_t textRenders_ = 0;
};

}  // namespace kd
