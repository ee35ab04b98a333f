#include "qt/artwork.h"

#include <QBitmap>
#include <QFontDatabase>
#include <algorithm>

namespace scourvane::qt {

QImage toImage(const window::Pixels& pixels) {
    const bool opaque = std::all_of(pixels.argb.begin(), pixels.argb.end(),
                                    [](std::uint32_t c) { return (c >> 24) == 0xFF; });
    QImage image(pixels.width, pixels.height, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height; ++y)
        std::copy_n(pixels.argb.data() + static_cast<std::size_t>(y * pixels.width), pixels.width,
                    reinterpret_cast<QRgb*>(image.scanLine(y)));
    return image;
}

QPixmap titleStripPicture() {
    return QPixmap::fromImage(toImage(window::titleStripPicture()));
}

QPixmap exitPicture() {
    return QPixmap::fromImage(toImage(window::exitPicture()));
}

QPixmap exitPressedPicture() {
    return QPixmap::fromImage(toImage(window::exitPressedPicture()));
}

QPixmap menuPicture() {
    return QPixmap::fromImage(toImage(window::menuPicture()));
}

QImage tilePicture() {
    return toImage(window::tilePicture()).convertToFormat(QImage::Format_RGB888);
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(toImage(window::applicationIcon(size))));
    return icon;
}

QCursor handCursor() {
    const window::HandPointer hand = window::handPointer();
    constexpr int n = window::HandPointer::kSize;
    // In a bitmap, 1 (color1) is black in the picture and drawn in the mask.
    QImage picture(n, n, QImage::Format_MonoLSB);
    QImage mask(n, n, QImage::Format_MonoLSB);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            picture.setPixel(x, y, hand.black(x, y) ? 1 : 0);
            mask.setPixel(x, y, hand.drawn(x, y) ? 1 : 0);
        }
    return QCursor(QBitmap::fromImage(picture), QBitmap::fromImage(mask), hand.hotSpot.x,
                   hand.hotSpot.y);
}

QString controlFontFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* candidate :
             {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP"}) {
            const QString name = QString::fromUtf8(candidate);
            if (installed.contains(name, Qt::CaseInsensitive)) return name;
        }
        return QFont().family();
    }();
    return family;
}

QFont controlFont() {
    QFont font(controlFontFamily());
    font.setPixelSize(kControlFontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace scourvane::qt
