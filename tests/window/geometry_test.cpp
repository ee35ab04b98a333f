// The window's geometry as pure functions: centring, the window's size, the panel's tiling, the
// scaling to a monitor's dots per inch, and the table of controls both front ends build from.
#include "window/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/window.h"

namespace scourvane::window {
namespace {

TEST(WindowLayout, CentringDropsTheRemainderOfOddDifferences) {
    // 800 - 397 = 403 and 600 - 359 = 241: both halves drop a remainder.
    EXPECT_EQ(centredTopLeft({800, 600}, {397, 359}), (Point{201, 120}));
    EXPECT_EQ(centredTopLeft({1024, 768}, {397, 359}), (Point{313, 204}));
    // Even differences halve exactly.
    EXPECT_EQ(centredTopLeft({1397, 1359}, {397, 359}), (Point{500, 500}));
    EXPECT_EQ(centredTopLeft({397, 359}, {397, 359}), (Point{0, 0}));
    // A screen smaller than the window: the remainder goes towards zero here too.
    EXPECT_EQ(centredTopLeft({300, 300}, {397, 359}), (Point{-48, -29}));
}

TEST(WindowLayout, WindowIsThePanelPlusTheTitleStrip) {
    EXPECT_EQ(windowSizeForPanel({397, 337}), (Size{397, 359}));
    EXPECT_EQ(windowSizeForPanel({100, 0}), (Size{100, 22}));
    EXPECT_EQ(windowSizeForPanel(kPanel.size()), (Size{397, 359}));
}

TEST(WindowLayout, DesignTileFillsOneColumnAndDrawsOneMoreOutside) {
    const auto origins = tileOrigins({579, 21}, {397, 337});
    ASSERT_EQ(origins.size(), 36u);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(origins[static_cast<std::size_t>(i)], (Point{0, 21 * i})) << i;
        EXPECT_EQ(origins[static_cast<std::size_t>(18 + i)], (Point{579, 21 * i})) << i;
    }
    // The last copy of each column starts below the panel: 357 > 337.
    EXPECT_GT(origins[17].y, 337);
}

TEST(WindowLayout, SmallTilesCoverTheWholePanel) {
    const Size panel{397, 337};
    for (Size tile : {Size{100, 50}, Size{7, 3}, Size{397, 337}, Size{1, 400}}) {
        const auto origins = tileOrigins(tile, panel);
        std::vector<bool> covered(static_cast<std::size_t>(panel.width * panel.height));
        for (Point at : origins)
            for (int y = std::max(0, at.y); y < std::min(panel.height, at.y + tile.height); ++y)
                for (int x = std::max(0, at.x); x < std::min(panel.width, at.x + tile.width); ++x)
                    covered[static_cast<std::size_t>(y * panel.width + x)] = true;
        EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0)
            << tile.width << "x" << tile.height;
        // Columns are filled top to bottom, left to right, and the drawing stops.
        for (std::size_t i = 1; i < origins.size(); ++i) {
            const bool down = origins[i].x == origins[i - 1].x &&
                              origins[i].y == origins[i - 1].y + tile.height;
            const bool nextColumn =
                origins[i].x == origins[i - 1].x + tile.width && origins[i].y == 0;
            EXPECT_TRUE(down || nextColumn) << i;
        }
    }
}

TEST(WindowLayout, TileWithoutAreaDrawsNothing) {
    EXPECT_TRUE(tileOrigins({579, 0}, {397, 337}).empty());
    EXPECT_TRUE(tileOrigins({0, 21}, {397, 337}).empty());
}

TEST(WindowLayout, ScalingKeepsTouchingRectanglesTouchingAtEveryDpi) {
    for (int dpi : {96, 120, 144, 168, 192, 110}) {
        SCOPED_TRACE(dpi);
        EXPECT_EQ(scaled(Rect{0, 0, 397, 359}, dpi).width, (397 * dpi + 48) / 96);
        // Neighbours in logical pixels stay neighbours, without gap or overlap: the counter
        // cells of a row (268 + 42 = 310 ... 320) and the panel below the strip's top part.
        for (int x = 0; x < 400; ++x) {
            const Rect a = scaled(Rect{x, 3, 7, 5}, dpi);
            const Rect b = scaled(Rect{x + 7, 3, 9, 5}, dpi);
            ASSERT_EQ(a.right(), b.x) << x;
        }
        // Each control keeps at least the size its logical pixels give, less rounding.
        for (const Control& c : controls()) {
            const Rect r = scaled(inWindow(c), dpi);
            EXPECT_LE(std::abs(r.width - c.rect.width * dpi / 96), 1) << c.name;
            EXPECT_LE(std::abs(r.height - c.rect.height * dpi / 96), 1) << c.name;
        }
    }
    EXPECT_EQ(scaled(-5, 144), -8);  // rounded away from zero, as 5 is
    EXPECT_EQ(scaled(5, 144), 8);
    EXPECT_EQ(scaled(Rect{8, 4, 15, 15}, 96), (Rect{8, 4, 15, 15}));
}

TEST(WindowControls, TheTableHoldsEveryControlOnceWithinTheWindow) {
    std::set<std::string> names;
    int counters = 0;
    const Rect window{0, 0, 397, 359};
    for (const Control& c : controls()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_EQ(&control(c.id), &c) << c.name;
        const Rect r = inWindow(c);
        if (c.shown && c.sizing == Sizing::Fixed) {
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.right() <= window.width &&
                        r.bottom() <= window.height)
                << c.name;
        }
        if (c.fill == Fill::Colour && c.kind == Kind::Label) ++counters;
    }
    EXPECT_EQ(names.size(), 28u);
    EXPECT_EQ(counters, kCounterCount);
    for (int i = 0; i < kCounterCount; ++i) {
        const Control& c = control(counterControl(i));
        EXPECT_EQ(c.align, Align::Right) << c.name;
        EXPECT_TRUE(c.border && c.oneLine) << c.name;
    }
    // The panel covers the strip's lowest two rows; the buttons, the link and the exit image
    // have the hand pointer, nothing else.
    EXPECT_EQ(inWindow(control(ControlId::PicB)).y + 2, kTitleStripHeight);
    std::set<std::string> hand;
    for (const Control& c : controls())
        if (c.handPointer) hand.insert(c.name);
    EXPECT_EQ(hand, (std::set<std::string>{"ComExit", "ComDetectUnusedDeclarations", "ComOpenVBP",
                                           "lbl_URL", "ImgExit"}));
    // The row titles of the grid end where the counters begin, less 6 pixels.
    for (ControlId id : {ControlId::LabDec0, ControlId::LabDec2, ControlId::LabDec4}) {
        const Control& c = control(id);
        EXPECT_EQ(c.rect.x + c.rect.width, kRowTitlesRight) << c.name;
        EXPECT_EQ(c.sizing, Sizing::FitsToRow);
    }
}

TEST(WindowLayout, OneLineFontsShrinkOnlyUntilTheLineFits) {
    // A face whose line is the size plus a quarter: at 13 pixels it needs 16.
    auto line = [](int px) { return px + (px + 3) / 4; };
    EXPECT_EQ(fittingFontPixels(13, 8, 18, line), 13);
    EXPECT_EQ(fittingFontPixels(13, 8, 13, line), 10);
    for (int room = 0; room < 30; ++room) {
        const int px = fittingFontPixels(13, 8, room, line);
        EXPECT_TRUE(px >= 8 && px <= 13);
        // Either the line fits, or it is the smallest size; one pixel larger would not fit.
        EXPECT_TRUE(line(px) <= room || px == 8) << room;
        if (px < 13) {
            EXPECT_GT(line(px + 1), room) << room;
        }
    }
    EXPECT_EQ(leftForRightEdge(kRowTitlesRight, 34), 228);
}

}  // namespace
}  // namespace scourvane::window
