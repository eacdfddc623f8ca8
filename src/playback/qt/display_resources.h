#pragma once
// What all presenters share, once per process: the display lock held around every copy onto a
// window, the replacement surface with the two stand-by pictures, the icon strip, and the side
// pictures by kind. Without a display device (memory-bitmap mode, also chosen by setting the
// environment variable KD_DISPLAY=memory) presenters fall back to their memory bitmaps.
#include <QImage>
#include <mutex>

namespace kd {
class PictureWidget;
}

namespace kd::display {

// 0 when the display device is usable, 1 otherwise. Called when the main frame is created.
int setUp();
void tearDown();
bool hasDevice();

// The process-wide display lock. Order where both are held: presenter mutex, then this.
std::mutex& lock();

// Shared surfaces (null without a device). Read or write them only under the display lock.
// Replacement surface, 640 × 480: stand-by picture A at (0, 0, 320, 240), B at (0, 240, 320, 240).
const QImage* replacementSurface();
// Icon strip, 160 × 16: icon A at (0, 0, 16, 16), icon B at (16, 0, 16, 16).
const QImage* iconStrip();
QRect sharedArea(int kind);

// Installs `picture` (or none: the area goes black) for a side-picture kind.
void installSidePicture(const QImage* picture, int kind);
// Draws a side picture into the window: stand-by pictures stretched over it, icons in their
// corner; for stand-by picture B with `withIconB`, icon B at the top-right too. 0 when drawn.
int drawSidePicture(PictureWidget* window, int kind, bool withIconB);

}  // namespace kd::display
