#pragma once
// The window's geometry as pure functions of sizes, so that the start-up placement and the
// panel's texture can be checked without a screen.
#include <QPoint>
#include <QSize>
#include <vector>

namespace scourvane::ui {

// The title strip's height; the window is this much taller than the panel below it.
inline constexpr int kTitleStripHeight = 22;

// The top-left corner that centres a window on a screen: half the difference on each axis,
// any remainder dropped (towards zero, also when the window is the larger).
QPoint centredTopLeft(QSize screen, QSize window);

// The window's size for its panel: the panel's width, and its height plus the title strip.
QSize windowSizeForPanel(QSize panel);

// Where copies of the tile go on the panel, in drawing order. Columns are filled from the top;
// each column gets one more copy that starts below the panel, and one more column is drawn that
// starts past its right edge. A tile without area gives no copies.
std::vector<QPoint> tileOrigins(QSize tile, QSize panel);

}  // namespace scourvane::ui
