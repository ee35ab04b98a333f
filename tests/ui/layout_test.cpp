// The window's geometry as pure functions: centring, the window's size, the panel's tiling.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <QRegion>

namespace scourvane::ui {
namespace {

TEST(UiLayout, CentringDropsTheRemainderOfOddDifferences) {
    // 800 - 397 = 403 and 600 - 359 = 241: both halves drop a remainder.
    EXPECT_EQ(centredTopLeft({800, 600}, {397, 359}), QPoint(201, 120));
    EXPECT_EQ(centredTopLeft({1024, 768}, {397, 359}), QPoint(313, 204));
    // Even differences halve exactly.
    EXPECT_EQ(centredTopLeft({1397, 1359}, {397, 359}), QPoint(500, 500));
    EXPECT_EQ(centredTopLeft({397, 359}, {397, 359}), QPoint(0, 0));
    // A screen smaller than the window: the remainder goes towards zero here too.
    EXPECT_EQ(centredTopLeft({300, 300}, {397, 359}), QPoint(-48, -29));
}

TEST(UiLayout, WindowIsThePanelPlusTheTitleStrip) {
    EXPECT_EQ(windowSizeForPanel({397, 337}), QSize(397, 359));
    EXPECT_EQ(windowSizeForPanel({100, 0}), QSize(100, 22));
}

TEST(UiLayout, DesignTileFillsOneColumnAndDrawsOneMoreOutside) {
    const auto origins = tileOrigins({579, 21}, {397, 337});
    ASSERT_EQ(origins.size(), 36u);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(origins[static_cast<std::size_t>(i)], QPoint(0, 21 * i)) << i;
        EXPECT_EQ(origins[static_cast<std::size_t>(18 + i)], QPoint(579, 21 * i)) << i;
    }
    // The last copy of each column starts below the panel: 357 > 337.
    EXPECT_GT(origins[17].y(), 337);
}

TEST(UiLayout, SmallTilesCoverTheWholePanel) {
    for (QSize tile : {QSize(100, 50), QSize(7, 3), QSize(397, 337), QSize(1, 400)}) {
        const QSize panel(397, 337);
        const auto origins = tileOrigins(tile, panel);
        QRegion covered;
        for (QPoint at : origins) covered += QRect(at, tile);
        EXPECT_TRUE((QRegion(QRect(QPoint(0, 0), panel)) - covered).isEmpty())
            << tile.width() << "x" << tile.height();
        // Columns are filled top to bottom, left to right, and the drawing stops.
        for (std::size_t i = 1; i < origins.size(); ++i) {
            const bool down = origins[i].x() == origins[i - 1].x() &&
                              origins[i].y() == origins[i - 1].y() + tile.height();
            const bool nextColumn =
                origins[i].x() == origins[i - 1].x() + tile.width() && origins[i].y() == 0;
            EXPECT_TRUE(down || nextColumn) << i;
        }
    }
}

TEST(UiLayout, TileWithoutAreaDrawsNothing) {
    EXPECT_TRUE(tileOrigins({579, 0}, {397, 337}).empty());
    EXPECT_TRUE(tileOrigins({0, 21}, {397, 337}).empty());
}

}  // namespace
}  // namespace scourvane::ui
