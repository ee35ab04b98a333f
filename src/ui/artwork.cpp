#include "ui/artwork.h"

#include <QBitmap>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <array>
#include <cstdint>

namespace scourvane::ui {

QPixmap titleStripPicture() {
    QPixmap pm(500, 22);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 22);
    g.setColorAt(0.0, QColor(92, 118, 178));
    g.setColorAt(0.5, QColor(52, 74, 134));
    g.setColorAt(1.0, QColor(28, 42, 92));
    p.fillRect(pm.rect(), g);
    // A faint light edge on top and a dark one below give the strip some depth.
    p.setPen(QColor(150, 170, 215));
    p.drawLine(0, 0, 499, 0);
    p.setPen(QColor(16, 24, 56));
    p.drawLine(0, 21, 499, 21);
    // Fine diagonal hatching towards the right end, where no text is.
    p.setPen(QColor(70, 94, 150));
    for (int x = 300; x < 520; x += 4) p.drawLine(x, 2, x - 18, 20);
    return pm;
}

namespace {

QPixmap exitButton(QSize size, QPoint offset, QColor face, QColor edge) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect box(offset, QSize(14, 14));
    p.fillRect(box, face);
    p.setPen(edge);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::white, 2));
    const QRect cross = box.adjusted(4, 4, -4, -4);
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
    return pm;
}

}  // namespace

QPixmap exitPicture() {
    return exitButton(QSize(15, 15), QPoint(0, 0), QColor(196, 60, 52), QColor(90, 20, 16));
}

QPixmap exitPressedPicture() {
    // Shifted one pixel right and down, and darker: the button looks pushed in.
    return exitButton(QSize(16, 15), QPoint(1, 1), QColor(140, 36, 30), QColor(60, 10, 8));
}

QImage tilePicture() {
    QImage img(579, 21, QImage::Format_RGB888);
    // A brushed-metal grain: each row has its own shade, and a deterministic noise is smeared
    // along the rows. Row 0 and row 20 are close in shade, so the copies join without a seam.
    std::uint32_t seed = 0x2545F491u;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    static constexpr std::array<int, 21> rowShade{4, 2, -1, -3, 0,  3, 5, 1, -2, -4, -1,
                                                  2, 4, 1,  -2, -3, 0, 3, 2, 1,  3};
    for (int y = 0; y < img.height(); ++y) {
        int smear = 0;
        for (int x = 0; x < img.width(); ++x) {
            const int noise = static_cast<int>(next() % 17) - 8;
            smear = (smear * 3 + noise) / 4;
            const int v = 150 + rowShade[static_cast<std::size_t>(y)] + smear;
            img.setPixelColor(x, y, QColor(v - 6, v - 2, v + 8));
        }
    }
    return img;
}

QIcon applicationIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    // A sheet of code with one line struck through, under a magnifying glass.
    p.setPen(QColor(60, 60, 80));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(3.5, 1.5, 20, 26));
    for (int i = 0; i < 5; ++i) {
        p.setPen(QPen(i == 2 ? QColor(200, 40, 40) : QColor(90, 110, 170), 1.5));
        p.drawLine(QPointF(7, 7 + i * 4), QPointF(i % 2 ? 17 : 20, 7 + i * 4));
    }
    p.setPen(QPen(QColor(40, 50, 110), 3));
    p.setBrush(QColor(190, 210, 255, 160));
    p.drawEllipse(QPointF(20, 19), 6.5, 6.5);
    p.drawLine(QPointF(24.5, 23.5), QPointF(30, 29));
    p.end();
    return QIcon(pm);
}

QCursor handCursor() {
    // Outline of a hand with its index finger up; the finger's tip is the hot spot.
    static const QPolygon outline{{
        {10, 11}, {11, 9},  {13, 9},  {14, 11}, {14, 16}, {15, 15}, {17, 15}, {18, 17},
        {19, 16}, {21, 16}, {22, 18}, {23, 17}, {25, 17}, {26, 19}, {26, 25}, {24, 29},
        {23, 31}, {10, 31}, {9, 29},  {5, 23},  {4, 20},  {5, 19},  {7, 19},  {10, 22},
    }};
    QBitmap mask(32, 32);
    mask.fill(Qt::color0);
    {
        QPainter p(&mask);
        p.setPen(Qt::color1);
        p.setBrush(Qt::color1);
        p.drawPolygon(outline);
    }
    // In the picture, 1 is black: the outline and the lines between the fingers. Inside the
    // mask, 0 is white.
    QBitmap picture(32, 32);
    picture.fill(Qt::color0);
    {
        QPainter p(&picture);
        p.setPen(Qt::color1);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(outline);
        p.drawLine(14, 16, 14, 20);
        p.drawLine(18, 17, 18, 20);
        p.drawLine(22, 18, 22, 20);
    }
    return QCursor(picture, mask, 12, 10);
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

}  // namespace scourvane::ui
