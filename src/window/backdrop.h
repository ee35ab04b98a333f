#pragma once
// The window's pictures composed into one image at a monitor's dots per inch, for a front end
// that draws the window itself: the title strip scaled to the window's width, the exit image on
// it, and the textured panel, over the window's own background. The texts and the child
// controls are drawn on top of it.
#include "window/pictures.h"

namespace scourvane::window {

// `source` scaled to `size` by bilinear interpolation of premultiplied colours between pixel
// centres; the same size gives the same pixels.
Pixels scaledTo(const Pixels& source, Size size);

// Draws `source` over `target` with its top-left corner at `at`, source over, clipped.
void drawOver(Pixels& target, const Pixels& source, Point at);

// The whole window (397 x 359 logical pixels, scaled) at `dpi`.
Pixels backdrop(int dpi, bool exitPressed);

}  // namespace scourvane::window
