#include "window/geometry.h"

#include <stdexcept>

namespace scourvane::window {

namespace {

Control label(ControlId id, const char* name, Rect rect, const char* caption, Align align,
              Fill fill) {
    Control c{id, name, Kind::Label, Parent::Panel, rect, caption};
    c.align = align;
    c.fill = fill;
    return c;
}

Control counter(ControlId id, const char* name, Rect rect, Rgb colour) {
    Control c = label(id, name, rect, "", Align::Right, Fill::Colour);
    c.background = colour;
    c.border = true;
    c.oneLine = true;
    return c;
}

Control button(ControlId id, const char* name, Rect rect, const char* caption) {
    Control c{id, name, Kind::Button, Parent::Panel, rect, caption};
    c.fill = Fill::Colour;
    c.background = kButtonBackground;
    c.handPointer = true;
    return c;
}

Control rowTitle(ControlId id, const char* name, Rect rect, const char* caption) {
    Control c = label(id, name, rect, caption, Align::Right, Fill::Transparent);
    c.sizing = Sizing::FitsToRow;
    return c;
}

std::vector<Control> makeControls() {
    std::vector<Control> all;
    all.push_back({ControlId::PicMbl, "Pic_Mbl", Kind::Picture, Parent::Window,
                   {572, 212, 579, 21}, "", false});
    Control panel{ControlId::PicB, "Pic_B", Kind::Picture, Parent::Window, kPanel, ""};
    panel.fill = Fill::Colour;
    panel.background = kWindowBackground;
    all.push_back(panel);
    all.push_back(button(ControlId::ComExit, "ComExit", {208, 272, 176, 26}, "終了"));
    all.push_back(button(ControlId::ComDetect, "ComDetectUnusedDeclarations", {208, 8, 176, 26},
                         "ﾁｪｯｸの開始"));
    all.push_back(
        {ControlId::ListModules, "ListModules", Kind::List, Parent::Panel, {8, 64, 194, 199}, ""});
    all.push_back(button(ControlId::ComOpen, "ComOpenVBP", {8, 8, 194, 26}, "VBPﾌｧｲﾙの読み込み"));
    all.push_back({ControlId::ProgressBar, "ProgressBar", Kind::Progress, Parent::Panel,
                   {208, 152, 177, 14}, ""});
    Control link = label(ControlId::LblUrl, "lbl_URL", {8, 304, 0, 0},
                         "https://scourvane.example/", Align::Left, Fill::Transparent);
    link.sizing = Sizing::FitsFromLeft;
    link.underline = true;
    link.handPointer = true;
    all.push_back(link);
    Control credit = label(ControlId::Lbl7, "lbl_7", {8, 272, 0, 0}, "Designed by SV Ver.1.0.1 ",
                           Align::Left, Fill::SystemFace);
    credit.sizing = Sizing::FitsFromLeft;
    all.push_back(credit);
    Control unused = label(ControlId::Label3, "Label3", {320, 72, 39, 13}, "未使用",
                           Align::Centre, Fill::SystemFace);
    unused.oneLine = true;
    all.push_back(unused);
    Control declared = label(ControlId::Label2, "Label2", {268, 72, 42, 13}, "宣言",
                             Align::Centre, Fill::SystemFace);
    declared.oneLine = true;
    all.push_back(declared);
    Control result = label(ControlId::Label1, "Label1", {208, 40, 176, 18}, "結 果",
                           Align::Centre, Fill::SystemFace);
    result.border = true;
    result.oneLine = true;
    all.push_back(result);
    all.push_back(counter(ControlId::LabUnusedPublic, "LabUnusedPublic", {320, 128, 42, 16},
                          kPublicBackground));
    all.push_back(
        counter(ControlId::LabPublic, "LabPublic", {268, 128, 42, 16}, kPublicBackground));
    all.push_back(rowTitle(ControlId::LabDec4, "LabDec_4", {228, 128, 34, 13}, "Public"));
    all.push_back(counter(ControlId::LabUnusedPrivate, "LabUnusedPrivate", {320, 108, 42, 16},
                          kPrivateBackground));
    all.push_back(
        counter(ControlId::LabPrivate, "LabPrivate", {268, 108, 42, 16}, kPrivateBackground));
    all.push_back(rowTitle(ControlId::LabDec2, "LabDec_2", {222, 108, 40, 13}, "Private"));
    all.push_back(
        counter(ControlId::LabUnusedDim, "LabUnusedDim", {320, 88, 42, 16}, kDimBackground));
    all.push_back(counter(ControlId::LabDim, "LabDim", {268, 88, 42, 16}, kDimBackground));
    Control info =
        label(ControlId::LabInfo, "LabInfo", {208, 172, 176, 92}, "", Align::Left, Fill::SystemFace);
    info.border = true;
    info.wordWrap = true;
    all.push_back(info);
    all.push_back(rowTitle(ControlId::LabDec0, "LabDec_0", {241, 88, 21, 13}, "Dim"));
    Control project = label(ControlId::LabModules, "LabModules", {8, 40, 193, 18}, "", Align::Left,
                            Fill::SystemFace);
    project.border = true;
    project.oneLine = true;
    all.push_back(project);
    all.push_back({ControlId::ImgImages1, "imgImages_1", Kind::Image, Parent::Window,
                   {568, 156, 16, 15}, "", false});
    all.push_back({ControlId::ImgImages0, "imgImages_0", Kind::Image, Parent::Window,
                   {568, 176, 15, 15}, "", false});
    Control exit{ControlId::ImgExit, "ImgExit", Kind::Image, Parent::Window, {376, 4, 15, 15}, ""};
    exit.handPointer = true;
    all.push_back(exit);
    Control title{ControlId::Lbl1, "lbl_1", Kind::Label, Parent::Window, {8, 4, 0, 0}, "Scourvane"};
    title.sizing = Sizing::FitsFromLeft;
    title.text = kWhite;
    all.push_back(title);
    all.push_back({ControlId::Image1, "Image1", Kind::Image, Parent::Window,
                   {0, 0, 397, kTitleStripHeight}, ""});
    return all;
}

}  // namespace

const std::vector<Control>& controls() {
    static const std::vector<Control> all = makeControls();
    return all;
}

const Control& control(ControlId id) {
    for (const Control& c : controls())
        if (c.id == id) return c;
    throw std::out_of_range("no such control");
}

ControlId counterControl(int counterIndex) {
    static constexpr ControlId order[] = {ControlId::LabDim,       ControlId::LabUnusedDim,
                                          ControlId::LabPrivate,   ControlId::LabUnusedPrivate,
                                          ControlId::LabPublic,    ControlId::LabUnusedPublic};
    return order[counterIndex];
}

Rect inWindow(const Control& c) {
    if (c.parent == Parent::Window) return c.rect;
    return {c.rect.x + kPanel.x, c.rect.y + kPanel.y, c.rect.width, c.rect.height};
}

int scaled(int logical, int dpi) {
    // Rounded half away from zero, so that a negative coordinate scales as its mirror does.
    const long long product = static_cast<long long>(logical) * dpi;
    return static_cast<int>(product >= 0 ? (product + 48) / 96 : (product - 48) / 96);
}

Rect scaled(const Rect& logical, int dpi) {
    const int left = scaled(logical.x, dpi);
    const int top = scaled(logical.y, dpi);
    return {left, top, scaled(logical.right(), dpi) - left, scaled(logical.bottom(), dpi) - top};
}

Point centredTopLeft(Size screen, Size window) {
    // Integer division in C++ drops the remainder towards zero, as the placement asks.
    return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

Size windowSizeForPanel(Size panel) {
    return {panel.width, panel.height + kTitleStripHeight};
}

std::vector<Point> tileOrigins(Size tile, Size panel) {
    std::vector<Point> origins;
    // Without this guard a tile of no height would never leave its first column.
    if (tile.width <= 0 || tile.height <= 0) return origins;
    int x = 0;
    int y = 0;
    for (;;) {
        origins.push_back({x, y});
        if (y > panel.height) {
            if (x > panel.width) break;
            x += tile.width;
            y = 0;
        } else {
            y += tile.height;
        }
    }
    return origins;
}

int fittingFontPixels(int preferred, int smallest, int room,
                      const std::function<int(int pixels)>& lineHeight) {
    int pixels = preferred;
    while (pixels > smallest && lineHeight(pixels) > room) --pixels;
    return pixels;
}

int leftForRightEdge(int right, int textWidth) {
    return right - textWidth;
}

}  // namespace scourvane::window
