// The window's pictures as both front ends get them: sizes, transparency, the panel's texture,
// the hand pointer, the icon file the Windows build embeds, and the backdrop the Win32 window
// paints at each monitor's dots per inch.
#include "window/pictures.h"

#include <gtest/gtest.h>

#include <cstring>

#include "window/backdrop.h"

namespace scourvane::window {
namespace {

std::uint8_t alpha(std::uint32_t c) {
    return static_cast<std::uint8_t>(c >> 24);
}

TEST(WindowPictures, SizesAndTransparency) {
    const Pixels strip = titleStripPicture();
    EXPECT_EQ(strip.size(), (Size{500, 22}));
    const Pixels tile = tilePicture();
    EXPECT_EQ(tile.size(), (Size{579, 21}));
    for (const Pixels* opaque : {&strip, &tile})
        for (std::uint32_t c : opaque->argb) ASSERT_EQ(alpha(c), 255);

    const Pixels rest = exitPicture();
    const Pixels pressed = exitPressedPicture();
    EXPECT_EQ(rest.size(), (Size{15, 15}));
    EXPECT_EQ(pressed.size(), (Size{16, 15}));
    // The 14 x 14 button is opaque, the rest transparent; pressed, it lies one pixel right and
    // down, darker, with the same cross.
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inRest = x < 14 && y < 14;
            const bool inPressed = x >= 1 && y >= 1 && x < 15 && y < 15;
            if (x < 15) {
                EXPECT_EQ(alpha(rest.at(x, y)), inRest ? 255 : 0) << x << "," << y;
            }
            EXPECT_EQ(alpha(pressed.at(x, y)), inPressed ? 255 : 0) << x << "," << y;
            if (inRest && x + 1 < 16 && y + 1 < 15) {
                const bool whiteRest = rest.at(x, y) == 0xFFFFFFFFu;
                const bool whitePressed = pressed.at(x + 1, y + 1) == 0xFFFFFFFFu;
                EXPECT_EQ(whiteRest, whitePressed) << x << "," << y;
            }
        }
    EXPECT_EQ(rest.at(5, 5), 0xFFFFFFFFu);
}

TEST(WindowPictures, MenuImageIsAButtonWithThreeWhiteBars) {
    const Pixels menu = menuPicture();
    ASSERT_EQ(menu.size(), (Size{15, 15}));
    // Across its middle column from the top: rim, face, then bar, bar, gap three times.
    std::string column;
    for (int y = 0; y < 14; ++y)
        column += menu.at(7, y) == argb(kWhite) ? 'W' : alpha(menu.at(7, y)) == 255 ? '.' : ' ';
    EXPECT_EQ(column, "...WW.WW.WW...");
    // The bars are as wide as each other, three pixels in from each side of the button.
    for (int y : {3, 6, 9})
        for (int x = 0; x < 14; ++x)
            EXPECT_EQ(menu.at(x, y) == argb(kWhite), x >= 3 && x <= 10) << x << "," << y;
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(alpha(menu.at(14, i)), 0);
        EXPECT_EQ(alpha(menu.at(i, 14)), 0);
    }
}

TEST(WindowPictures, ThePanelIsTiledFromTheTileWhereverItLies) {
    const Pixels tile = tilePicture();
    const Pixels panel = tiledPanel({397, 337});
    ASSERT_EQ(panel.size(), (Size{397, 337}));
    for (int y = 0; y < panel.height; y += 7)
        for (int x = 0; x < panel.width; x += 5)
            ASSERT_EQ(panel.at(x, y), tile.at(x % tile.width, y % tile.height)) << x << "," << y;
    // Rows 0 and 20 of the tile are close in shade, so the copies join without a seam.
    long difference = 0;
    for (int x = 0; x < tile.width; ++x)
        difference += std::abs(static_cast<int>(tile.at(x, 0) & 0xFF) -
                               static_cast<int>(tile.at(x, 20) & 0xFF));
    EXPECT_LT(difference / tile.width, 12);
}

TEST(WindowPictures, HandPointsWithItsFingerAtTheHotSpot) {
    const HandPointer hand = handPointer();
    EXPECT_EQ(hand.hotSpot, (Point{12, 10}));
    EXPECT_TRUE(hand.drawn(12, 10));
    EXPECT_FALSE(hand.drawn(0, 0));
    // Nothing above the finger's tip is drawn; every black pixel is drawn; the inside is white.
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_FALSE(hand.drawn(x, y));
    int white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (hand.black(x, y)) {
                EXPECT_TRUE(hand.drawn(x, y)) << x << "," << y;
            }
            white += hand.drawn(x, y) && !hand.black(x, y);
        }
    EXPECT_GT(white, 150);
}

std::uint32_t u32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, s.data() + at, 4);
    return v;
}
std::uint16_t u16(const std::string& s, std::size_t at) {
    std::uint16_t v = 0;
    std::memcpy(&v, s.data() + at, 2);
    return v;
}

TEST(WindowPictures, IconFileHoldsEveryPictureAsItWasDrawn) {
    const std::vector<Pixels> pictures{applicationIcon(16), applicationIcon(32), applicationIcon(48),
                                       applicationIcon(256)};
    const std::string ico = iconFile(pictures);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(u16(ico, 0), 0);
    EXPECT_EQ(u16(ico, 2), 1);
    ASSERT_EQ(u16(ico, 4), pictures.size());
    std::size_t end = 6 + 16 * pictures.size();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const Pixels& p = pictures[i];
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(static_cast<unsigned char>(ico[entry]), p.width % 256);
        EXPECT_EQ(u16(ico, entry + 6), 32);
        const std::uint32_t bytes = u32(ico, entry + 8), offset = u32(ico, entry + 12);
        EXPECT_EQ(offset, end);  // one after the other, nothing between
        end = offset + bytes;
        ASSERT_LE(end, ico.size());
        EXPECT_EQ(u32(ico, offset), 40u);
        EXPECT_EQ(static_cast<int>(u32(ico, offset + 4)), p.width);
        EXPECT_EQ(static_cast<int>(u32(ico, offset + 8)), 2 * p.height);
        // The colours bottom-up in BGRA give back the picture.
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const std::size_t at = offset + 40 + 4 * static_cast<std::size_t>(
                                                         (p.height - 1 - y) * p.width + x);
                ASSERT_EQ(u32(ico, at), p.at(x, y)) << i << ": " << x << "," << y;
            }
    }
    EXPECT_EQ(end, ico.size());
    // The icon is drawn, not empty, and has transparent corners at every size.
    for (const Pixels& p : pictures) {
        EXPECT_EQ(alpha(p.at(p.width - 1, 0)), 0);
        int opaque = 0;
        for (std::uint32_t c : p.argb) opaque += alpha(c) == 255;
        EXPECT_GT(opaque, p.width * p.height / 3) << p.width;
    }
}

}  // namespace
}  // namespace scourvane::window

namespace scourvane::window {
namespace {

TEST(WindowBackdrop, AtNinetySixDpiItIsThePicturesPixelForPixel) {
    const Pixels b = backdrop(96, false);
    ASSERT_EQ(b.size(), (Size{397, 359}));
    const Pixels strip = scaledTo(titleStripPicture(), {397, 22});
    const Pixels exit = exitPicture();
    const Pixels menu = menuPicture();
    const Pixels panel = tiledPanel(kPanel.size());
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            std::uint32_t want = argb(kWindowBackground);
            if (y < kTitleStripHeight) want = strip.at(x, y);
            const bool onExit = x >= 376 && x < 391 && y >= 4 && y < 19;
            if (onExit && alpha(exit.at(x - 376, y - 4)) == 255) want = exit.at(x - 376, y - 4);
            // The menu image lies on the strip just left of the exit image.
            const bool onMenu = x >= 356 && x < 371 && y >= 4 && y < 19;
            if (onMenu && alpha(menu.at(x - 356, y - 4)) == 255) want = menu.at(x - 356, y - 4);
            if (kPanel.contains({x, y})) want = panel.at(x - kPanel.x, y - kPanel.y);
            ASSERT_EQ(b.at(x, y), want) << x << "," << y;
        }
    // Pressed, the exit image shows the pressed picture, shifted.
    const Pixels pressed = backdrop(96, true);
    EXPECT_EQ(pressed.at(377, 5), exitPressedPicture().at(1, 1));
    EXPECT_NE(pressed.at(376, 4), b.at(376, 4));
}

TEST(WindowBackdrop, ScalesWithTheMonitorAndKeepsItsColours) {
    for (int dpi : {120, 144, 192}) {
        const Pixels b = backdrop(dpi, false);
        EXPECT_EQ(b.size(), (Size{scaled(397, dpi), scaled(359, dpi)})) << dpi;
        for (std::uint32_t c : b.argb) ASSERT_EQ(alpha(c), 255) << dpi;
        // The window's own background shows in the two rows below the panel.
        EXPECT_EQ(b.at(b.width / 2, b.height - 1), argb(kWindowBackground)) << dpi;
        // The exit button's face below its cross.
        const Rect exit = scaled(Rect{376, 4, 15, 15}, dpi);
        EXPECT_EQ(b.at(exit.x + scaled(2, dpi), exit.y + scaled(11, dpi)), argb({196, 60, 52}))
            << dpi;
    }
}

TEST(WindowBackdrop, ScalingToTheSameSizeIsACopyAndBlendingFollowsAlpha) {
    const Pixels tile = tilePicture();
    EXPECT_EQ(scaledTo(tile, tile.size()), tile);
    const Pixels exit = exitPicture();
    EXPECT_EQ(scaledTo(exit, exit.size()), exit);
    // A uniform picture stays uniform at any size.
    const Pixels flat(7, 5, argb({10, 200, 30}));
    for (Size size : {Size{3, 2}, Size{20, 11}, Size{7, 5}})
        for (std::uint32_t c : scaledTo(flat, size).argb) ASSERT_EQ(c, argb({10, 200, 30}));
    // Source over: opaque pixels replace, transparent ones leave, half is half.
    Pixels target(4, 1, argb({0, 0, 0}));
    Pixels source(3, 1);
    source.at(0, 0) = argb({255, 255, 255});
    source.at(1, 0) = 0;
    source.at(2, 0) = argb({255, 255, 255}, 128);
    drawOver(target, source, {1, 0});
    EXPECT_EQ(target.at(0, 0), argb({0, 0, 0}));
    EXPECT_EQ(target.at(1, 0), argb({255, 255, 255}));
    EXPECT_EQ(target.at(2, 0), argb({0, 0, 0}));
    EXPECT_EQ(target.at(3, 0), argb({128, 128, 128}));
}

}  // namespace
}  // namespace scourvane::window
