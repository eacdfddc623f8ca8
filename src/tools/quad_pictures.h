#pragma once
// The quad dialog's pictures, drawn by res/make_quad_pictures and embedded under :/quad, each at
// 1× and 2×: the background (bitmap 215) and the button sheets, three images a button (normal,
// hover, pressed).
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace kd::quad_picture {

constexpr int kBackground = 215;
// Bitmap 215's parts: the pane area's backdrop, the button strip and the toolbar row.
constexpr int kBackdropWidth = 640;
constexpr int kBackdropHeight = 480;
constexpr int kStripRow = 480;
constexpr int kToolbarRow = 580;

enum class Sheet { Transport, Tools, Speeds, Exit };

QSize imageSize(Sheet sheet);
// Three icons a button, in the order the sheet draws the buttons; empty when it is missing.
std::vector<QIcon> loadSheet(Sheet sheet);
// Bitmap 215 for a device pixel ratio (the 2× drawing above 1, with its ratio set).
QPixmap loadBackground(qreal devicePixelRatio);

}  // namespace kd::quad_picture
