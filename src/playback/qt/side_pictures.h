#pragma once
// The pictures every presenter shares: two stand-by pictures and two status icons, by kind, and
// the bitmap resource numbers they come from (res/side_pictures.qrc).
#include <QImage>

namespace kd::side_picture {

constexpr int kIconB = 32;       // orange pointing hand: the selected pane
constexpr int kIconA = 1024;     // green loudspeaker: the frame has sound
constexpr int kStandbyA = 2048;  // "VIDEO LOST", red on black
constexpr int kStandbyB = 4096;  // "IDLE", blue on black

constexpr int kResourceStandbyA = 209;
constexpr int kResourceStandbyB = 217;
constexpr int kResourceIconA = 218;
constexpr int kResourceIconB = 210;

// The bitmap resource as an RGB32 picture; a null image for an unknown number.
QImage loadBitmapResource(int resource);

}  // namespace kd::side_picture
