#include "ui/layout.h"

namespace scourvane::ui {

QPoint centredTopLeft(QSize screen, QSize window) {
    // Integer division in C++ drops the remainder towards zero, as the placement asks.
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

QSize windowSizeForPanel(QSize panel) {
    return {panel.width(), panel.height() + kTitleStripHeight};
}

std::vector<QPoint> tileOrigins(QSize tile, QSize panel) {
    std::vector<QPoint> origins;
    // Without this guard a tile of no height would never leave its first column.
    if (tile.width() <= 0 || tile.height() <= 0) return origins;
    int x = 0;
    int y = 0;
    for (;;) {
        origins.emplace_back(x, y);
        if (y > panel.height()) {
            if (x > panel.width()) break;
            x += tile.width();
            y = 0;
        } else {
            y += tile.height();
        }
    }
    return origins;
}

}  // namespace scourvane::ui
