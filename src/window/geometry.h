#pragma once
// The window's geometry in logical pixels (96 to the inch), for every front end: the controls
// with their places, sizes, captions and looks in design order, and the pure functions of sizes
// that place the window and tile its panel.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace scourvane::window {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
    friend Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(Size, Size) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
    Point topLeft() const { return {x, y}; }
    Size size() const { return {width, height}; }
    // The first column and row past the rectangle.
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool contains(Point p) const { return p.x >= x && p.x < right() && p.y >= y && p.y < bottom(); }
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

inline constexpr Rgb kWindowBackground{128, 128, 128};
inline constexpr Rgb kButtonBackground{192, 192, 255};
inline constexpr Rgb kDimBackground{255, 224, 192};
inline constexpr Rgb kPrivateBackground{255, 255, 192};
inline constexpr Rgb kPublicBackground{192, 255, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
// The title text under the specified rules, which can break the copy: amber on the blue strip,
// told apart from the safe rules' white at a glance.
inline constexpr Rgb kTitleWarning{255, 200, 0};

// The title strip's height; the window is this much taller than the panel below it.
inline constexpr int kTitleStripHeight = 22;
// The panel's size and where it lies in the window; the window is 397 x 359.
inline constexpr Rect kPanel{0, 20, 397, 337};
// Where the row titles of the counter grid end, just left of the counter column at 268.
inline constexpr int kRowTitlesRight = 262;
// The menu image on the title strip, just left of the exit image; not a control of the design
// table, so the design's controls stay as they are.
inline constexpr Rect kMenuImage{356, 4, 15, 15};
// Text is set 13 pixels high (the design's 9.75 pt at 96 dots per inch); a one-line label whose
// box is lower takes the largest size down to this whose line fits.
inline constexpr int kControlFontPixels = 13;
inline constexpr int kSmallestFontPixels = 8;

// The controls, in design order.
enum class ControlId {
    PicMbl, PicB, ComExit, ComDetect, ListModules, ComOpen, ProgressBar, LblUrl, Lbl7, Label3,
    Label2, Label1, LabUnusedPublic, LabPublic, LabDec4, LabUnusedPrivate, LabPrivate, LabDec2,
    LabUnusedDim, LabDim, LabInfo, LabDec0, LabModules, ImgImages1, ImgImages0, ImgExit, Lbl1,
    Image1,
};

enum class Kind { Picture, Button, List, Progress, Label, Image };
enum class Parent { Window, Panel };
enum class Align { Left, Centre, Right };
// Fixed: the rectangle as given. FitsFromLeft: the label fits its text from the given top-left.
// FitsToRow: the label fits its text and ends at kRowTitlesRight.
enum class Sizing { Fixed, FitsFromLeft, FitsToRow };
// SystemFace: the system's face colour, as labels with no colour of their own have.
enum class Fill { SystemFace, Transparent, Colour };

struct Control {
    ControlId id;
    const char* name;  // as in the window's design
    Kind kind;
    Parent parent;
    Rect rect;            // relative to the parent; for fitted labels the design size
    const char* caption;  // UTF-8; for the counters, the project label and the status box, ""
    bool shown = true;
    Sizing sizing = Sizing::Fixed;
    Align align = Align::Left;
    Fill fill = Fill::Transparent;
    Rgb background{};  // with Fill::Colour
    Rgb text = kBlack;
    bool border = false;
    // One line centred in its box's height, the font made smaller if its line is too tall.
    bool oneLine = false;
    bool wordWrap = false;
    bool underline = false;
    bool handPointer = false;
};

// Every control, in design order.
const std::vector<Control>& controls();
const Control& control(ControlId id);
// The counter label of each counter, in the order of CounterId.
ControlId counterControl(int counterIndex);

// A control's rectangle in the window's logical pixels.
Rect inWindow(const Control& c);

// Logical pixels to device pixels at `dpi` (96 is one to one), rounded to the nearest pixel.
int scaled(int logical, int dpi);
// A rectangle's edges scaled, so that rectangles that touch in logical pixels still touch.
Rect scaled(const Rect& logical, int dpi);

// The top-left corner that centres a window on a screen: half the difference on each axis,
// any remainder dropped (towards zero, also when the window is the larger).
Point centredTopLeft(Size screen, Size window);

// The window's size for its panel: the panel's width, and its height plus the title strip.
Size windowSizeForPanel(Size panel);

// Where copies of the tile go on the panel, in drawing order. Columns are filled from the top;
// each column gets one more copy that starts below the panel, and one more column is drawn that
// starts past its right edge. A tile without area gives no copies.
std::vector<Point> tileOrigins(Size tile, Size panel);

// The font size for a one-line label: `preferred` when its line fits `room`, else the largest
// size down to `smallest` whose line (lineHeight(size)) fits; `smallest` when none does.
int fittingFontPixels(int preferred, int smallest, int room,
                      const std::function<int(int pixels)>& lineHeight);

// The left edge of a label that fits `textWidth` and keeps its right edge at `right` (the first
// column past it).
int leftForRightEdge(int right, int textWidth);

}  // namespace scourvane::window
