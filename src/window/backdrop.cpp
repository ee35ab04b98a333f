#include "window/backdrop.h"

#include <algorithm>
#include <cmath>

namespace scourvane::window {

namespace {

struct Premultiplied {
    double a = 0, r = 0, g = 0, b = 0;
};

Premultiplied premultiplied(std::uint32_t c) {
    const double a = (c >> 24) / 255.0;
    return {a, (c >> 16 & 0xFF) * a, (c >> 8 & 0xFF) * a, (c & 0xFF) * a};
}

std::uint32_t straight(const Premultiplied& p) {
    if (p.a <= 0) return 0;
    auto channel = [&](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v / p.a), 0L, 255L));
    };
    return static_cast<std::uint32_t>(std::clamp(std::lround(p.a * 255), 0L, 255L)) << 24 |
           channel(p.r) << 16 | channel(p.g) << 8 | channel(p.b);
}

}  // namespace

Pixels scaledTo(const Pixels& source, Size size) {
    Pixels out(size.width, size.height);
    if (source.width == 0 || source.height == 0) return out;
    const double sx = static_cast<double>(source.width) / size.width;
    const double sy = static_cast<double>(source.height) / size.height;
    for (int y = 0; y < size.height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, source.height - 1.0);
        const int y0 = static_cast<int>(fy);
        const int y1 = std::min(y0 + 1, source.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < size.width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, source.width - 1.0);
            const int x0 = static_cast<int>(fx);
            const int x1 = std::min(x0 + 1, source.width - 1);
            const double wx = fx - x0;
            Premultiplied sum;
            const std::pair<Point, double> taps[] = {{{x0, y0}, (1 - wx) * (1 - wy)},
                                                     {{x1, y0}, wx * (1 - wy)},
                                                     {{x0, y1}, (1 - wx) * wy},
                                                     {{x1, y1}, wx * wy}};
            for (const auto& [p, w] : taps) {
                if (w == 0) continue;
                const Premultiplied c = premultiplied(source.at(p.x, p.y));
                sum.a += c.a * w;
                sum.r += c.r * w;
                sum.g += c.g * w;
                sum.b += c.b * w;
            }
            out.at(x, y) = straight(sum);
        }
    }
    return out;
}

void drawOver(Pixels& target, const Pixels& source, Point at) {
    for (int y = std::max(0, -at.y); y < source.height && at.y + y < target.height; ++y)
        for (int x = std::max(0, -at.x); x < source.width && at.x + x < target.width; ++x) {
            const Premultiplied s = premultiplied(source.at(x, y));
            if (s.a <= 0) continue;
            std::uint32_t& t = target.at(at.x + x, at.y + y);
            const Premultiplied d = premultiplied(t);
            t = straight({s.a + d.a * (1 - s.a), s.r + d.r * (1 - s.a), s.g + d.g * (1 - s.a),
                          s.b + d.b * (1 - s.a)});
        }
}

Pixels backdrop(int dpi, bool exitPressed) {
    const Rect window = scaled(Rect{0, 0, kPanel.width, kPanel.height + kTitleStripHeight}, dpi);
    Pixels out(window.width, window.height, argb(kWindowBackground));
    auto place = [&](const Pixels& picture, ControlId id, bool keepSize) {
        const Rect r = scaled(inWindow(control(id)), dpi);
        // A picture smaller than its control (the exit pictures) keeps its own size, scaled.
        const Size size = keepSize ? Size{scaled(picture.width, dpi), scaled(picture.height, dpi)}
                                   : r.size();
        drawOver(out, size == picture.size() ? picture : scaledTo(picture, size), r.topLeft());
    };
    place(titleStripPicture(), ControlId::Image1, false);
    place(exitPressed ? exitPressedPicture() : exitPicture(), ControlId::ImgExit, true);
    const Rect menu = scaled(kMenuImage, dpi);
    const Pixels menuPixels = menuPicture();
    const Size menuSize{scaled(menuPixels.width, dpi), scaled(menuPixels.height, dpi)};
    drawOver(out, menuSize == menuPixels.size() ? menuPixels : scaledTo(menuPixels, menuSize),
             menu.topLeft());
    place(tiledPanel(kPanel.size()), ControlId::PicB, false);
    return out;
}

}  // namespace scourvane::window
