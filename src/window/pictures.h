#pragma once
// The window's pictures, drawn in code into plain pixel buffers so that the repository holds no
// binary artwork and every front end shows the same pixels: the title strip, the exit image at
// rest and pressed, the panel's texture tile, the icon and the hand pointer.
#include <cstdint>
#include <string>
#include <vector>

#include "window/geometry.h"

namespace scourvane::window {

// Pixels row by row from the top, each 0xAARRGGBB, not premultiplied.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    Pixels() = default;
    Pixels(int w, int h, std::uint32_t fill = 0);
    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y * width + x)]; }
    std::uint32_t& at(int x, int y) { return argb[static_cast<std::size_t>(y * width + x)]; }
    Size size() const { return {width, height}; }
    friend bool operator==(const Pixels&, const Pixels&) = default;
};

inline constexpr std::uint32_t argb(Rgb c, std::uint8_t alpha = 255) {
    return std::uint32_t{alpha} << 24 | std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
}

// The title strip, 500 x 22; a window shows it scaled to its own width.
Pixels titleStripPicture();
// The exit image at rest (15 x 15) and while a mouse button is held on it (16 x 15); the
// pixels around the button are transparent.
Pixels exitPicture();
Pixels exitPressedPicture();
// The menu image, 15 x 15: three white bars ("≡") on a button in the title strip's blue; the
// pixels around the button are transparent.
Pixels menuPicture();
// The panel's texture tile, 579 x 21, opaque.
Pixels tilePicture();
// The panel with the tile drawn at every origin of tileOrigins, over the window's background.
Pixels tiledPanel(Size panel);
// The window icon, `size` pixels square (drawn for 32 and scaled).
Pixels applicationIcon(int size = 32);

// A two-colour pointing hand, 32 x 32, hot spot at the tip of the finger (12, 10). `ink` is 1
// where the pointer is black, `mask` 1 where it is drawn at all (black or white).
struct HandPointer {
    static constexpr int kSize = 32;
    Point hotSpot{12, 10};
    std::vector<std::uint8_t> mask;  // kSize * kSize, row by row
    std::vector<std::uint8_t> ink;
    bool drawn(int x, int y) const { return mask[static_cast<std::size_t>(y * kSize + x)] != 0; }
    bool black(int x, int y) const { return ink[static_cast<std::size_t>(y * kSize + x)] != 0; }
};
HandPointer handPointer();

// A Windows icon file (.ico) holding the pictures, each 32 bits per pixel, at most 256 square.
std::string iconFile(const std::vector<Pixels>& pictures);

}  // namespace scourvane::window
