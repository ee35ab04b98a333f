#pragma once
// The window's pictures as Qt shows them (drawn by the shared code in window/pictures), and the
// font every control uses.
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "window/geometry.h"
#include "window/pictures.h"

namespace scourvane::qt {

// A shared picture as a QImage (ARGB32, or RGB32 when every pixel is opaque).
QImage toImage(const window::Pixels& pixels);

// The title strip, 500 x 22; the window shows it scaled to its own width.
QPixmap titleStripPicture();
// The exit image at rest (15 x 15) and while a mouse button is held on it (16 x 15).
QPixmap exitPicture();
QPixmap exitPressedPicture();
// The menu image, 15 x 15.
QPixmap menuPicture();
// The panel's texture tile, 579 x 21, 24 bits per pixel.
QImage tilePicture();
// The window icon, 16, 32 and 48 pixels square.
QIcon applicationIcon();
// A two-colour pointing hand, 32 x 32, hot spot at the tip of the finger (12, 10).
QCursor handCursor();

// "ＭＳ Ｐゴシック" where installed, otherwise a Japanese Gothic face, so that the half-width
// kana and kanji of the captions all have glyphs; 13 pixels high, the design's 9.75 pt at 96 dots
// per inch. The size is in logical pixels, like the controls' places and sizes, so that text and
// controls keep their proportions whatever dots per inch the screen reports.
inline constexpr int kControlFontPixels = window::kControlFontPixels;
QFont controlFont();
// The family controlFont() picks from those installed.
QString controlFontFamily();

}  // namespace scourvane::qt
