#pragma once
// The control panel's pictures and the view's stand-by picture, drawn by res/make_panel_pictures
// and embedded under :/panel. Each is stored at 1× and 2×.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace kd {

// Resource numbers of the pictures.
namespace panel_picture {
constexpr int kIdleBackground = 132;   // the view's picture while nothing is open, 400 × 300
constexpr int kPanelBackground = 134;  // 320 × 179
constexpr int kZoom = 194;
constexpr int kStopPause = 196;
constexpr int kSeek = 197;
constexpr int kTools = 198;
constexpr int kPlay = 199;
constexpr int kLamps = 200;
constexpr int kPower = 201;
constexpr int kExpand = 202;
constexpr int kOpen = 204;
constexpr int kFullScreen = 205;
}  // namespace panel_picture

// The images of an icon sheet, left to right, each `imageSize` logical pixels, as icons holding
// the 1× pixmaps and, with `withDoubleSize`, the 2× ones. Empty when the sheet is missing or not a
// whole number of images wide.
std::vector<QIcon> loadIconSheet(int resource, QSize imageSize, bool withDoubleSize = true);
// The same cut from a sheet at hand (`two`, its 2× drawing, may be null).
std::vector<QIcon> cutIconSheet(const QImage& one, const QImage& two, QSize imageSize);

// Starts decoding every panel and view picture (the 2× drawings too with `doubleSize`) on a
// worker, so that the windows find them ready; a picture asked for before it is done is waited for.
void preloadPanelPictures(bool doubleSize);

// Whether any screen draws at more than one device pixel per logical pixel: the 2× pictures are
// decoded only then (decoding them all costs start-up time for nothing on 1× screens).
bool anyHighDensityScreen();

// A whole picture (132 or 134) for a device pixel ratio: the 2× drawing above 1, with its ratio
// set so that it paints at its logical size. Null for an unknown resource.
QPixmap loadPanelPicture(int resource, qreal devicePixelRatio = 1.0);
QImage loadViewPicture(int resource, qreal devicePixelRatio = 1.0);

}  // namespace kd
