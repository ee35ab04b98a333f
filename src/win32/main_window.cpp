#include "win32/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shobjidl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <set>
#include <vector>

#include "window/backdrop.h"
#include "window/texts.h"
#include "win32/wide.h"

namespace scourvane::win32 {

namespace {

using window::ControlId;

constexpr wchar_t kClassName[] = L"ScourvaneMainWindow";
// Posted by the engine's worker when the presenter has something to show.
constexpr UINT kWakeMessage = WM_APP + 1;
constexpr int kOpenId = 101;
constexpr int kRunId = 102;
constexpr int kExitId = 103;
constexpr int kListId = 104;
constexpr int kProgressId = 105;

COLORREF colorRef(window::Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// "ＭＳ Ｐゴシック" where installed, then the Japanese Gothic faces Windows ships, then those a
// Wine prefix finds on the host (listed under their Japanese names in a Japanese locale), so
// that the half-width kana and kanji all have glyphs.
const std::wstring& controlFontFace() {
    static const std::wstring face = [] {
        std::set<std::wstring> installed;
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        HDC dc = GetDC(nullptr);
        EnumFontFamiliesExW(
            dc, &wanted,
            [](const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
                reinterpret_cast<std::set<std::wstring>*>(found)->insert(f->lfFaceName);
                return 1;
            },
            reinterpret_cast<LPARAM>(&installed), 0);
        ReleaseDC(nullptr, dc);
        for (const wchar_t* candidate :
             {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo", L"Yu Gothic",
              L"IPA Pゴシック", L"IPAPGothic", L"IPAゴシック", L"IPAGothic", L"Noto Sans CJK JP"})
            if (installed.count(candidate)) return std::wstring(candidate);
        return std::wstring(L"MS Shell Dlg 2");
    }();
    return face;
}

HFONT makeFont(int pixels, bool underline) {
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, controlFontFace().c_str());
}

// The hand pointer from the shared picture: AND plane 1 where the screen shows through, XOR
// plane 1 where the pointer is white.
HCURSOR makeHandCursor(HINSTANCE instance) {
    const window::HandPointer hand = window::handPointer();
    constexpr int n = window::HandPointer::kSize;
    std::vector<BYTE> andPlane(n * n / 8, 0), xorPlane(n * n / 8, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::size_t byte = static_cast<std::size_t>(y * n + x) / 8;
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (!hand.drawn(x, y)) andPlane[byte] |= bit;
            if (hand.drawn(x, y) && !hand.black(x, y)) xorPlane[byte] |= bit;
        }
    return CreateCursor(instance, hand.hotSpot.x, hand.hotSpot.y, n, n, andPlane.data(),
                        xorPlane.data());
}

RECT toRect(const window::Rect& r) {
    return {r.x, r.y, r.right(), r.bottom()};
}

window::MouseButton buttonOf(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return window::MouseButton::Left;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return window::MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return window::MouseButton::Middle;
        default:
            return window::MouseButton::Other;
    }
}

}  // namespace

MainWindow::MainWindow()
    : presenter_(*this, [this] {
          if (HWND hwnd = hwnd_.load()) PostMessageW(hwnd, kWakeMessage, 0, 0);
      }) {}

MainWindow::~MainWindow() {
    presenter_.stopWorker(60000);
    for (auto& [id, font] : oneLineFonts_) DeleteObject(font);
    if (font_) DeleteObject(font_);
    if (underlined_) DeleteObject(underlined_);
    if (hand_) DestroyCursor(hand_);
}

bool MainWindow::create(HINSTANCE instance, const window::StartOptions& options) {
    instance_ = instance;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return false;
    hand_ = makeHandCursor(instance);

    // Made hidden first, so that its size and place follow the dots per inch of its monitor.
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, kClassName, wide(window::kCaption).c_str(),
                                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 1,
                                1, nullptr, nullptr, instance, this);
    if (!hwnd) return false;
    createChildren();
    DragAcceptFiles(hwnd, TRUE);
    window::StartOptions settingsOnly = options;
    settingsOnly.project.reset();
    presenter_.start(settingsOnly);
    applyDpi(static_cast<int>(GetDpiForWindow(hwnd)));

    const window::Rect size = window::scaled(window::Rect{0, 0, 397, 359}, dpi_);
    const window::Point at = window::centredTopLeft(
        {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, size.size());
    SetWindowPos(hwnd, nullptr, at.x, at.y, size.width, size.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    refresh(presenter_.state(), window::kEverything);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (options.project) presenter_.openProject(*options.project);
    return true;
}

void MainWindow::createChildren() {
    HWND hwnd = hwnd_.load();
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    auto child = [&](const wchar_t* cls, ControlId id, DWORD style, int childId) {
        return CreateWindowExW(0, cls, wide(window::control(id).caption).c_str(),
                               WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)), instance,
                               nullptr);
    };
    // In design order: the exit button, the run button, the list, the open button, the bar.
    comExit_ = child(L"BUTTON", ControlId::ComExit, WS_TABSTOP | BS_OWNERDRAW, kExitId);
    comDetect_ = child(L"BUTTON", ControlId::ComDetect, WS_TABSTOP | BS_OWNERDRAW, kRunId);
    // Unsorted: the engine keeps the rows in their case-insensitive order.
    listModules_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0,
        0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance, nullptr);
    comOpen_ = child(L"BUTTON", ControlId::ComOpen, WS_TABSTOP | BS_OWNERDRAW, kOpenId);
    progressBar_ = child(PROGRESS_CLASSW, ControlId::ProgressBar, 0, kProgressId);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, 100);
}

RECT MainWindow::deviceRect(const window::Control& c) const {
    return toRect(window::scaled(window::inWindow(c), dpi_));
}

void MainWindow::applyDpi(int dpi) {
    dpi_ = dpi;
    for (auto& [id, font] : oneLineFonts_) DeleteObject(font);
    oneLineFonts_.clear();
    if (font_) DeleteObject(font_);
    if (underlined_) DeleteObject(underlined_);
    font_ = makeFont(window::scaled(window::kControlFontPixels, dpi), false);
    underlined_ = makeFont(window::scaled(window::kControlFontPixels, dpi), true);
    const std::pair<HWND, ControlId> children[] = {{comExit_, ControlId::ComExit},
                                                   {comDetect_, ControlId::ComDetect},
                                                   {listModules_, ControlId::ListModules},
                                                   {comOpen_, ControlId::ComOpen},
                                                   {progressBar_, ControlId::ProgressBar}};
    for (const auto& [child, id] : children) {
        const RECT r = deviceRect(window::control(id));
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    backdrop_ = window::backdrop(dpi, presenter_.state().exitPressed);
    InvalidateRect(hwnd_.load(), nullptr, TRUE);
}

std::wstring MainWindow::labelText(const window::Control& c) const {
    const window::WindowState& s = presenter_.state();
    if (c.id == ControlId::LabInfo) return wide(s.status);
    if (c.id == ControlId::LabModules) return wide(s.projectLabel);
    // The title text on the strip names the rule set as the window's title does.
    if (c.id == ControlId::Lbl1) return wide(s.title);
    for (int i = 0; i < kCounterCount; ++i)
        if (window::counterControl(i) == c.id) return wide(s.counters[static_cast<std::size_t>(i)]);
    return wide(c.caption);
}

HFONT MainWindow::fontFor(const window::Control& c) {
    if (c.underline) return underlined_;
    if (!c.oneLine) return font_;
    if (auto found = oneLineFonts_.find(c.id); found != oneLineFonts_.end()) return found->second;
    // A line taller than the box loses its foot: the largest size whose line fits the box.
    const RECT r = deviceRect(c);
    const int frame = c.border ? std::max(1, dpi_ / USER_DEFAULT_SCREEN_DPI) : 0;
    HDC dc = GetDC(hwnd_.load());
    const int pixels = window::fittingFontPixels(
        window::scaled(window::kControlFontPixels, dpi_),
        window::scaled(window::kSmallestFontPixels, dpi_), (r.bottom - r.top) - 2 * frame,
        [dc](int px) {
            HFONT f = makeFont(px, false);
            HGDIOBJ old = SelectObject(dc, f);
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            SelectObject(dc, old);
            DeleteObject(f);
            return static_cast<int>(tm.tmHeight);
        });
    ReleaseDC(hwnd_.load(), dc);
    HFONT font = makeFont(pixels, false);
    oneLineFonts_[c.id] = font;
    return font;
}

RECT MainWindow::labelRect(HDC dc, const window::Control& c) {
    RECT r = deviceRect(c);
    if (c.sizing == window::Sizing::Fixed) return r;
    HGDIOBJ old = SelectObject(dc, fontFor(c));
    const std::wstring text = labelText(c);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    // One pixel more below the line, for the tips of descenders and the link's underline.
    const int height = tm.tmHeight + window::scaled(1, dpi_);
    if (c.sizing == window::Sizing::FitsToRow) {
        const int right = window::scaled(window::kRowTitlesRight + window::kPanel.x, dpi_);
        return {window::leftForRightEdge(right, extent.cx), r.top, right, r.top + height};
    }
    return {r.left, r.top, r.left + extent.cx, r.top + height};
}

void MainWindow::drawLabel(HDC dc, const window::Control& c) {
    RECT r = labelRect(dc, c);
    if (c.fill == window::Fill::SystemFace) FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (c.fill == window::Fill::Colour) {
        HBRUSH brush = CreateSolidBrush(colorRef(c.background));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    RECT inner = r;
    if (c.border) {
        const int frame = std::max(1, dpi_ / USER_DEFAULT_SCREEN_DPI);
        for (int i = 0; i < frame; ++i) {
            FrameRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&inner, -1, -1);
        }
        // As the toolkit's boxed labels do: text kept off the frame by a few pixels.
        InflateRect(&inner, -window::scaled(2, dpi_), 0);
    }
    const std::wstring text = labelText(c);
    if (text.empty()) return;
    UINT flags = DT_NOPREFIX;
    flags |= c.align == window::Align::Centre  ? DT_CENTER
             : c.align == window::Align::Right ? DT_RIGHT
                                               : DT_LEFT;
    if (c.wordWrap)
        flags |= DT_WORDBREAK | DT_EDITCONTROL;
    else if (c.oneLine)
        flags |= DT_SINGLELINE | DT_VCENTER;
    else
        flags |= DT_SINGLELINE | DT_TOP;
    HGDIOBJ old = SelectObject(dc, fontFor(c));
    SetBkMode(dc, TRANSPARENT);
    // The title text takes the rule set's colour.
    const window::Rgb ink = c.id == ControlId::Lbl1 ? presenter_.state().titleColour : c.text;
    SetTextColor(dc, colorRef(ink));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, flags);
    SelectObject(dc, old);
}

void MainWindow::paint(HDC target) {
    HWND hwnd = hwnd_.load();
    RECT client{};
    GetClientRect(hwnd, &client);
    const int w = client.right, h = client.bottom;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));

    // The backdrop's pixels are 0xAARRGGBB, which is a 32-bit DIB's B, G, R, A in memory.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = backdrop_.width;
    info.bmiHeader.biHeight = -backdrop_.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(backdrop_.width),
                      static_cast<DWORD>(backdrop_.height), 0, 0, 0,
                      static_cast<UINT>(backdrop_.height), backdrop_.argb.data(), &info,
                      DIB_RGB_COLORS);

    for (const window::Control& c : window::controls())
        if (c.kind == window::Kind::Label && c.shown) drawLabel(dc, c);

    BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void MainWindow::drawButton(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    HBRUSH face = CreateSolidBrush(colorRef(window::kButtonBackground));
    FillRect(item.hDC, &r, face);
    DeleteObject(face);
    const bool pressed = item.itemState & ODS_SELECTED;
    DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    wchar_t caption[128] = {};
    GetWindowTextW(item.hwndItem, caption, 128);
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    HGDIOBJ old = SelectObject(item.hDC, font_);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                                                         : COLOR_BTNTEXT));
    DrawTextW(item.hDC, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -window::scaled(4, dpi_), -window::scaled(4, dpi_));
        DrawFocusRect(item.hDC, &focus);
    }
}

bool MainWindow::over(ControlId id, POINT client) {
    const window::Control& c = window::control(id);
    RECT r = deviceRect(c);
    if (c.sizing != window::Sizing::Fixed) {
        HDC dc = GetDC(hwnd_.load());
        r = labelRect(dc, c);
        ReleaseDC(hwnd_.load(), dc);
    }
    if (id == ControlId::Image1) {
        // The panel covers the strip's foot; the title text, the menu image and the exit image
        // lie on it.
        r.bottom = std::min(r.bottom, deviceRect(window::control(ControlId::PicB)).top);
        if (over(ControlId::ImgExit, client) || over(ControlId::Lbl1, client) ||
            overMenuImage(client))
            return false;
    }
    return PtInRect(&r, client) != 0;
}

bool MainWindow::overMenuImage(POINT client) const {
    const RECT r = toRect(window::scaled(window::kMenuImage, dpi_));
    return PtInRect(&r, client) != 0;
}

bool MainWindow::overPanel(POINT client) const {
    const RECT r = deviceRect(window::control(ControlId::PicB));
    return PtInRect(&r, client) != 0;
}

window::Point MainWindow::cursorOnScreen() const {
    // Where the cursor was when the message being handled was made: by the time it is handled
    // the cursor may have moved on, and a drag would then lose the point it grabbed.
    const DWORD at = GetMessagePos();
    return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

bool MainWindow::setPointer() {
    HWND hwnd = hwnd_.load();
    if (presenter_.state().waitPointer) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    POINT p{};
    GetCursorPos(&p);
    HWND under = WindowFromPoint(p);
    ScreenToClient(hwnd, &p);
    if (under == comExit_ || under == comDetect_ || under == comOpen_ ||
        (under == hwnd &&
         (over(ControlId::ImgExit, p) || over(ControlId::LblUrl, p) || overMenuImage(p) ||
          (presenter_.state().reviewAvailable && over(ControlId::LabInfo, p))))) {
        SetCursor(hand_);
        return true;
    }
    return false;
}

void MainWindow::refresh(const window::WindowState& s, unsigned changes) {
    using namespace window;
    HWND hwnd = hwnd_.load();
    if (!hwnd) return;
    if (changes & kTitle) {
        SetWindowTextW(hwnd, wide(s.title).c_str());
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (changes & kModules) {
        SendMessageW(listModules_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(listModules_, LB_RESETCONTENT, 0, 0);
        for (const std::string& row : s.modules)
            SendMessageW(listModules_, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(wide(row).c_str()));
        SendMessageW(listModules_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(listModules_, nullptr, TRUE);
    }
    if (changes & (kModules | kSelection))
        SendMessageW(listModules_, LB_SETCURSEL, static_cast<WPARAM>(s.selected), 0);
    if (changes & kProgress) SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(s.progress), 0);
    if (changes & kRunEnabled) EnableWindow(comDetect_, s.runEnabled);
    if (changes & kExitPicture) backdrop_ = window::backdrop(dpi_, s.exitPressed);
    if (changes & (kStatus | kProjectLabel | kCounters | kExitPicture))
        InvalidateRect(hwnd, nullptr, FALSE);
    if (changes & kPointer) {
        POINT p{};
        GetCursorPos(&p);
        HWND under = WindowFromPoint(p);
        if (under == hwnd || GetParent(under) == hwnd) {
            if (!setPointer()) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        }
    }
}

namespace {

// The common file dialog, to open (a file that exists) or to save: `name` is the file name it
// starts with, `folder` where it starts. nullopt when the user cancels.
std::optional<std::filesystem::path> fileDialog(HWND owner, bool save, const std::wstring& name,
                                                const std::wstring& folder,
                                                const char* filterName, const char* pattern,
                                                const char* title, const wchar_t* extension) {
    // Room for a long path: the program is long-path aware.
    std::wstring file(32768, L'\0');
    std::copy(name.begin(), name.end(), file.begin());
    const std::wstring filter = wide(filterName) + L'\0' + wide(pattern) + L'\0' + L'\0';
    const std::wstring caption = wide(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_DONTADDTORECENT | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    if (file.empty()) return std::nullopt;
    return std::filesystem::path(file);
}

}  // namespace

std::optional<std::filesystem::path> MainWindow::askForProject(
    const std::filesystem::path& startFolder) {
    return fileDialog(hwnd_.load(), false, L"", startFolder.wstring(),
                      window::kProjectFilterName, window::kProjectFilterPattern,
                      window::kOpenDialogTitle, L"vbp");
}

void MainWindow::showErrorBox(const std::string& text) {
    MessageBoxW(hwnd_.load(), wide(text).c_str(), wide(window::kCaption).c_str(),
                MB_OK | MB_APPLMODAL);
}

void MainWindow::showMessage(const std::string& text) {
    MessageBoxW(hwnd_.load(), wide(text).c_str(), wide(window::kCaption).c_str(),
                MB_OK | MB_ICONINFORMATION | MB_APPLMODAL);
}

void MainWindow::openUrl(const std::string& url) {
    ShellExecuteW(hwnd_.load(), L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::openFile(const std::filesystem::path& file) {
    ShellExecuteW(hwnd_.load(), L"open", file.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::openFolder(const std::filesystem::path& folder) {
    ShellExecuteW(hwnd_.load(), L"open", folder.wstring().c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

std::optional<window::MenuItem> MainWindow::showMenu(
    window::Point screenAt, const std::vector<window::MenuEntry>& entries) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return std::nullopt;
    // Command ids are the entries' places, from 1: 0 is "nothing chosen".
    std::vector<std::wstring> captions;
    captions.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const window::MenuEntry& e = entries[i];
        captions.push_back(wide(e.caption));
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.wID = static_cast<UINT>(i + 1);
        if (e.kind == window::MenuEntry::Kind::Separator) {
            item.fMask = MIIM_FTYPE | MIIM_ID;
            item.fType = MFT_SEPARATOR;
        } else {
            item.fType = MFT_STRING | (e.radio ? MFT_RADIOCHECK : 0);
            item.fState = (e.enabled && e.kind == window::MenuEntry::Kind::Item ? MFS_ENABLED
                                                                                 : MFS_GRAYED) |
                          (e.checked ? MFS_CHECKED : MFS_UNCHECKED);
            item.dwTypeData = captions.back().data();
        }
        InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &item);
    }
    HWND hwnd = hwnd_.load();
    // The popup closes when the user clicks elsewhere only if its owner is in the foreground.
    SetForegroundWindow(hwnd);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN |
                                 TPM_RIGHTBUTTON,
                       screenAt.x, screenAt.y, 0, hwnd, nullptr));
    DestroyMenu(menu);
    if (chosen == 0 || chosen > entries.size()) return std::nullopt;
    const window::MenuEntry& e = entries[chosen - 1];
    if (e.kind != window::MenuEntry::Kind::Item) return std::nullopt;
    return e.item;
}

void MainWindow::showMenuAtImage() {
    const window::Rect r = window::scaled(window::kMenuImage, dpi_);
    POINT at{r.x, r.bottom()};
    ClientToScreen(hwnd_.load(), &at);
    presenter_.menuRequested({at.x, at.y});
}

std::optional<std::filesystem::path> MainWindow::askForPatchFile(
    const std::filesystem::path& suggested) {
    return fileDialog(hwnd_.load(), true, suggested.filename().wstring(),
                      suggested.parent_path().wstring(), window::kPatchFilterName,
                      window::kPatchFilterPattern, window::kPatchDialogTitle, L"patch");
}

std::optional<std::filesystem::path> MainWindow::askForFolder(
    const std::filesystem::path& startFolder) {
    // The common item dialog picking folders; COM is started for it on this thread.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::optional<std::filesystem::path> out;
    IFileOpenDialog* dialog = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)))) {
        DWORD options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                           FOS_NOCHANGEDIR | FOS_DONTADDTORECENT);
        dialog->SetTitle(wide(window::kFolderDialogTitle).c_str());
        IShellItem* start = nullptr;
        if (!startFolder.empty() &&
            SUCCEEDED(SHCreateItemFromParsingName(startFolder.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(&start)))) {
            dialog->SetFolder(start);
            start->Release();
        }
        IShellItem* chosen = nullptr;
        if (SUCCEEDED(dialog->Show(hwnd_.load())) && SUCCEEDED(dialog->GetResult(&chosen))) {
            wchar_t* name = nullptr;
            if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &name)) && name) {
                out = std::filesystem::path(name);
                CoTaskMemFree(name);
            }
            chosen->Release();
        }
        dialog->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return out;
}

void MainWindow::showFindings() {
    findings_.show(instance_, hwnd_.load());
}

void MainWindow::findingsChanged() {
    findings_.reload();
}

void MainWindow::filesDropped(HDROP drop) {
    std::vector<std::filesystem::path> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(length + 1, L'\0');
        DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(length);
        files.emplace_back(name);
    }
    DragFinish(drop);
    presenter_.filesDropped(files);
}

void MainWindow::moveWindow(window::Point topLeft) {
    SetWindowPos(hwnd_.load(), nullptr, topLeft.x, topLeft.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::drawNow() {
    UpdateWindow(hwnd_.load());
}

void MainWindow::closeWindow() {
    SendMessageW(hwnd_.load(), WM_CLOSE, 0, 0);
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_.load();
    switch (message) {
        case kWakeMessage:
            presenter_.handlePending();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DRAWITEM:
            drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED) {
                switch (LOWORD(wParam)) {
                    case kOpenId:
                        presenter_.openClicked();
                        return 0;
                    case kRunId:
                        presenter_.runClicked();
                        return 0;
                    case kExitId:
                        presenter_.exitClicked();
                        return 0;
                }
            }
            break;
        case WM_SETCURSOR:
            if (setPointer()) return TRUE;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (message == WM_LBUTTONDOWN && overMenuImage(p)) {
                showMenuAtImage();
            } else if (over(ControlId::ImgExit, p)) {
                exitHeld_ = true;
                SetCapture(hwnd);
                presenter_.exitImagePressed();
            } else if (message == WM_LBUTTONDOWN && over(ControlId::LblUrl, p)) {
                linkPressed_ = true;
                SetCapture(hwnd);
            } else if (message == WM_LBUTTONDOWN && over(ControlId::LabInfo, p)) {
                presenter_.statusClicked();
            } else if (over(ControlId::Image1, p)) {
                RECT w{};
                GetWindowRect(hwnd, &w);
                presenter_.titlePressed(buttonOf(message), cursorOnScreen(), {w.left, w.top});
                if (presenter_.dragging()) SetCapture(hwnd);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            presenter_.titleMoved(cursorOnScreen());
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (GetCapture() == hwnd) ReleaseCapture();
            if (exitHeld_) {
                exitHeld_ = false;
                presenter_.exitImageReleased();
            } else if (linkPressed_ && message == WM_LBUTTONUP) {
                linkPressed_ = false;
                if (over(ControlId::LblUrl, p))
                    presenter_.linkClicked(window::control(ControlId::LblUrl).caption);
            } else {
                presenter_.titleReleased();
                // A right click on the panel: the menu where it was made.
                if (message == WM_RBUTTONUP && overPanel(p)) {
                    const window::Point at = cursorOnScreen();
                    presenter_.menuRequested(at);
                }
            }
            return 0;
        }
        case WM_CONTEXTMENU: {
            // From a control on the panel, or the keyboard (Shift+F10: no point).
            if (lParam == -1) {
                showMenuAtImage();
                return 0;
            }
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd, &p);
            if (overPanel(p)) presenter_.menuRequested({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        case WM_DROPFILES:
            filesDropped(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CAPTURECHANGED:
            linkPressed_ = false;
            return 0;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CLOSE:
            if (!closed_) {
                closed_ = true;
                presenter_.windowClosing();
            }
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            hwnd_ = nullptr;
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace scourvane::win32
