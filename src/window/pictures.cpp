#include "window/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace scourvane::window {

Pixels::Pixels(int w, int h, std::uint32_t fill)
    : width(w), height(h), argb(static_cast<std::size_t>(w * h), fill) {}

namespace {

// Draws `colour` over the pixel with the given coverage (0 to 1), source over.
void blend(Pixels& p, int x, int y, Rgb colour, double alpha) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height || alpha <= 0) return;
    const std::uint32_t under = p.at(x, y);
    const double ua = (under >> 24) / 255.0;
    const double a = std::min(alpha, 1.0);
    const double outA = a + ua * (1 - a);
    auto channel = [&](int shift, std::uint8_t over) {
        const double u = (under >> shift & 0xFF);
        return static_cast<std::uint32_t>(std::lround((over * a + u * ua * (1 - a)) / outA));
    };
    p.at(x, y) = static_cast<std::uint32_t>(std::lround(outA * 255)) << 24 |
                 channel(16, colour.r) << 16 | channel(8, colour.g) << 8 | channel(0, colour.b);
}

// Fills the shape `inside` (in picture units, `scale` device pixels each) with 4 x 4 samples per
// pixel, so that its edges are smooth.
void fillShape(Pixels& p, double scale, Rgb colour, double alpha,
               const std::function<bool(double, double)>& inside) {
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    hits += inside((x + (sx + 0.5) / 4) / scale, (y + (sy + 0.5) / 4) / scale);
            blend(p, x, y, colour, alpha * hits / 16.0);
        }
}

// Whether (px, py) lies on a segment stroked `width` wide with square caps.
bool onStroke(double px, double py, double x0, double y0, double x1, double y1, double width) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double length = std::hypot(dx, dy);
    const double along = ((px - x0) * dx + (py - y0) * dy) / length;
    const double across = (-(px - x0) * dy + (py - y0) * dx) / length;
    const double half = width / 2;
    return along >= -half && along <= length + half && std::abs(across) <= half;
}

// Whether (px, py) lies on a segment stroked `width` wide with flat caps.
bool onFlatStroke(double px, double py, double x0, double y0, double x1, double y1, double width) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double length = std::hypot(dx, dy);
    const double along = ((px - x0) * dx + (py - y0) * dy) / length;
    const double across = (-(px - x0) * dy + (py - y0) * dx) / length;
    return along >= 0 && along <= length && std::abs(across) <= width / 2;
}

// The exit button: a 14 x 14 box at `offset` with a one-pixel edge and a white cross stroked two
// pixels wide, judged at each pixel's centre so that its edges stay sharp.
Pixels exitButton(Size size, Point offset, Rgb face, Rgb edge) {
    Pixels p(size.width, size.height);
    constexpr int kBox = 14;
    for (int y = 0; y < kBox; ++y)
        for (int x = 0; x < kBox; ++x) {
            const bool rim = x == 0 || y == 0 || x == kBox - 1 || y == kBox - 1;
            const double cx = x + 0.5, cy = y + 0.5;
            const bool cross = !rim && (onStroke(cx, cy, 4, 4, 9, 9, 2) ||
                                        onStroke(cx, cy, 9, 4, 4, 9, 2));
            p.at(offset.x + x, offset.y + y) = argb(rim ? edge : cross ? kWhite : face);
        }
    return p;
}

// Pixels of a line from (x0, y0) to (x1, y1), both ends included (Bresenham).
void line(const std::function<void(int, int)>& plot, int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        plot(x0, y0);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

}  // namespace

Pixels titleStripPicture() {
    // Row by row: a faint light edge on top, a gradient from (92, 118, 178) through
    // (52, 74, 134) to (28, 42, 92), and a dark edge below, which give the strip some depth.
    static constexpr std::array<Rgb, 22> rows{{
        {150, 170, 215}, {87, 112, 172}, {83, 108, 168}, {79, 104, 164}, {76, 100, 160},
        {72, 96, 156},   {68, 92, 152},  {65, 88, 148},  {61, 84, 144},  {57, 80, 140},
        {54, 76, 136},   {51, 72, 132},  {49, 70, 128},  {47, 67, 124},  {44, 64, 121},
        {42, 61, 117},   {40, 58, 113},  {38, 55, 109},  {36, 52, 105},  {33, 49, 102},
        {31, 46, 98},    {16, 24, 56},
    }};
    Pixels p(500, 22);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.at(x, y) = argb(rows[static_cast<std::size_t>(y)]);
    // Fine diagonal hatching towards the right end, where no text is.
    const std::uint32_t hatch = argb({70, 94, 150});
    for (int x = 300; x < 520; x += 4)
        for (int k = 0; k <= 18; ++k)
            if (x - k >= 0 && x - k < p.width) p.at(x - k, 2 + k) = hatch;
    return p;
}

Pixels menuPicture() {
    Pixels p(15, 15);
    constexpr int kBox = 14;
    const Rgb face{70, 98, 164}, edge{20, 30, 70};
    for (int y = 0; y < kBox; ++y)
        for (int x = 0; x < kBox; ++x) {
            const bool rim = x == 0 || y == 0 || x == kBox - 1 || y == kBox - 1;
            // Three bars two pixels high, three apart, with a margin of three inside the rim.
            const bool bar = !rim && x >= 3 && x <= 10 && (y == 3 || y == 4 || y == 6 || y == 7 ||
                                                           y == 9 || y == 10);
            p.at(x, y) = argb(rim ? edge : bar ? kWhite : face);
        }
    return p;
}

Pixels exitPicture() {
    return exitButton({15, 15}, {0, 0}, {196, 60, 52}, {90, 20, 16});
}

Pixels exitPressedPicture() {
    // Shifted one pixel right and down, and darker: the button looks pushed in.
    return exitButton({16, 15}, {1, 1}, {140, 36, 30}, {60, 10, 8});
}

Pixels tilePicture() {
    Pixels p(579, 21);
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
    for (int y = 0; y < p.height; ++y) {
        int smear = 0;
        for (int x = 0; x < p.width; ++x) {
            const int noise = static_cast<int>(next() % 17) - 8;
            smear = (smear * 3 + noise) / 4;
            const int v = 150 + rowShade[static_cast<std::size_t>(y)] + smear;
            p.at(x, y) = argb({static_cast<std::uint8_t>(v - 6), static_cast<std::uint8_t>(v - 2),
                               static_cast<std::uint8_t>(v + 8)});
        }
    }
    return p;
}

Pixels tiledPanel(Size panel) {
    Pixels p(panel.width, panel.height, argb(kWindowBackground));
    const Pixels tile = tilePicture();
    for (Point at : tileOrigins(tile.size(), panel))
        for (int y = std::max(0, -at.y); y < tile.height && at.y + y < p.height; ++y)
            for (int x = std::max(0, -at.x); x < tile.width && at.x + x < p.width; ++x)
                p.at(at.x + x, at.y + y) = tile.at(x, y);
    return p;
}

Pixels applicationIcon(int size) {
    // A sheet of code with one line struck through, under a magnifying glass; drawn in the
    // units of a 32-pixel icon.
    Pixels p(size, size);
    const double s = size / 32.0;
    fillShape(p, s, {250, 250, 245}, 1,
              [](double x, double y) { return x >= 3.5 && x <= 23.5 && y >= 1.5 && y <= 27.5; });
    fillShape(p, s, {60, 60, 80}, 1, [](double x, double y) {
        const bool outer = x >= 3 && x <= 24 && y >= 1 && y <= 28;
        const bool inner = x > 4 && x < 23 && y > 2 && y < 27;
        return outer && !inner;
    });
    for (int i = 0; i < 5; ++i) {
        const Rgb colour = i == 2 ? Rgb{200, 40, 40} : Rgb{90, 110, 170};
        const double y = 7 + i * 4, end = i % 2 ? 17 : 20;
        fillShape(p, s, colour, 1, [=](double px, double py) {
            return onFlatStroke(px, py, 7, y, end, y, 1.5);
        });
    }
    auto distance = [](double x, double y) { return std::hypot(x - 20, y - 19); };
    fillShape(p, s, {190, 210, 255}, 160 / 255.0,
              [&](double x, double y) { return distance(x, y) <= 6.5; });
    fillShape(p, s, {40, 50, 110}, 1, [&](double x, double y) {
        return std::abs(distance(x, y) - 6.5) <= 1.5 || onFlatStroke(x, y, 24.5, 23.5, 30, 29, 3);
    });
    return p;
}

HandPointer handPointer() {
    // Outline of a hand with its index finger up; the finger's tip is the hot spot.
    static constexpr std::array<Point, 24> outline{{
        {10, 11}, {11, 9},  {13, 9},  {14, 11}, {14, 16}, {15, 15}, {17, 15}, {18, 17},
        {19, 16}, {21, 16}, {22, 18}, {23, 17}, {25, 17}, {26, 19}, {26, 25}, {24, 29},
        {23, 31}, {10, 31}, {9, 29},  {5, 23},  {4, 20},  {5, 19},  {7, 19},  {10, 22},
    }};
    constexpr int n = HandPointer::kSize;
    HandPointer hand;
    hand.mask.assign(n * n, 0);
    hand.ink.assign(n * n, 0);
    auto set = [n](std::vector<std::uint8_t>& bits) {
        return [&bits, n](int x, int y) {
            if (x >= 0 && y >= 0 && x < n && y < n) bits[static_cast<std::size_t>(y * n + x)] = 1;
        };
    };
    // Inside: pixel centres the outline encloses (even-odd rule).
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            bool in = false;
            for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
                const Point a = outline[i], b = outline[j];
                if ((a.y > py) != (b.y > py) &&
                    px < a.x + (py - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y))
                    in = !in;
            }
            if (in) set(hand.mask)(x, y);
        }
    // The outline and the lines between the fingers are black, and drawn.
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const Point a = outline[i], b = outline[(i + 1) % outline.size()];
        line(set(hand.mask), a.x, a.y, b.x, b.y);
        line(set(hand.ink), a.x, a.y, b.x, b.y);
    }
    for (int x : {14, 18, 22}) line(set(hand.ink), x, x == 14 ? 16 : x == 18 ? 17 : 18, x, 20);
    return hand;
}

std::string iconFile(const std::vector<Pixels>& pictures) {
    std::string out;
    auto u16 = [&out](unsigned v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8 & 0xFF);
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u16(0);
    u16(1);  // an icon
    u16(static_cast<unsigned>(pictures.size()));
    // Each image: a bitmap header, the pixels bottom-up in BGRA, and an AND mask of one bit per
    // pixel (all 0: the alpha channel says what is transparent), rows padded to 32 bits.
    auto maskRow = [](const Pixels& p) { return static_cast<unsigned>((p.width + 31) / 32 * 4); };
    unsigned offset = 6 + 16 * static_cast<unsigned>(pictures.size());
    for (const Pixels& p : pictures) {
        const unsigned bytes = 40 + static_cast<unsigned>(p.width * p.height * 4) +
                               maskRow(p) * static_cast<unsigned>(p.height);
        out += static_cast<char>(p.width >= 256 ? 0 : p.width);
        out += static_cast<char>(p.height >= 256 ? 0 : p.height);
        out += '\0';  // no palette
        out += '\0';
        u16(1);   // planes
        u16(32);  // bits per pixel
        u32(bytes);
        u32(offset);
        offset += bytes;
    }
    for (const Pixels& p : pictures) {
        u32(40);
        u32(static_cast<unsigned>(p.width));
        u32(static_cast<unsigned>(p.height * 2));  // the colours and the mask
        u16(1);
        u16(32);
        u32(0);  // BI_RGB
        u32(static_cast<unsigned>(p.width * p.height * 4) + maskRow(p) * static_cast<unsigned>(p.height));
        u32(0);
        u32(0);
        u32(0);
        u32(0);
        for (int y = p.height - 1; y >= 0; --y)
            for (int x = 0; x < p.width; ++x) {
                const std::uint32_t c = p.at(x, y);
                out += static_cast<char>(c & 0xFF);
                out += static_cast<char>(c >> 8 & 0xFF);
                out += static_cast<char>(c >> 16 & 0xFF);
                out += static_cast<char>(c >> 24 & 0xFF);
            }
        out.append(maskRow(p) * static_cast<std::size_t>(p.height), '\0');
    }
    return out;
}

}  // namespace scourvane::window
