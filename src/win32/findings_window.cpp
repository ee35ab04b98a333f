#include "win32/findings_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "report/report_data.h"
#include "win32/wide.h"
#include "window/presenter.h"
#include "window/texts.h"

namespace scourvane::win32 {

namespace {

constexpr wchar_t kClassName[] = L"ScourvaneFindingsWindow";
enum : int { kFilterId = 201, kKindsId, kKeepId, kUndoId, kListId, kCodeId };

int scaled(int logical, int dpi) {
    return MulDiv(logical, dpi, 96);
}

HFONT fontOf(const wchar_t* const* faces, std::size_t count, int pixels, bool fixed) {
    for (std::size_t i = 0; i < count; ++i) {
        HFONT f = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                              (fixed ? FIXED_PITCH : DEFAULT_PITCH) | FF_DONTCARE, faces[i]);
        if (!f) continue;
        // A face that is not installed is replaced by another: keep the first that is there.
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, f);
        wchar_t got[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, got);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        if (i + 1 == count || lstrcmpiW(got, faces[i]) == 0) return f;
        DeleteObject(f);
    }
    return nullptr;
}

}  // namespace

FindingsWindow::~FindingsWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (font_) DeleteObject(font_);
    if (codeFont_) DeleteObject(codeFont_);
}

void FindingsWindow::show(HINSTANCE instance, HWND owner) {
    if (!hwnd_) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = windowProc;
            wc.hInstance = instance;
            wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = kClassName;
            wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
            RegisterClassExW(&wc);
            registered = true;
        }
        dpi_ = owner ? static_cast<int>(GetDpiForWindow(owner)) : 96;
        CreateWindowExW(0, kClassName, wide(window::kReviewTitle).c_str(),
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                        scaled(760, dpi_), scaled(520, dpi_), owner, nullptr, instance, this);
    }
    if (!hwnd_) return;
    reload();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    SetFocus(list_);
}

LRESULT CALLBACK FindingsWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FindingsWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<FindingsWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT FindingsWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const HINSTANCE instance = reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance;
            auto child = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id,
                             DWORD exStyle = 0) {
                return CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                       0, 0, 10, 10, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       instance, nullptr);
            };
            const wchar_t* faces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"Meiryo UI",
                                      L"IPAPGothic", L"Noto Sans CJK JP", L"MS Shell Dlg 2"};
            const wchar_t* fixedFaces[] = {L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic",
                                           L"Noto Sans Mono CJK JP", L"Courier New"};
            font_ = fontOf(faces, std::size(faces), scaled(13, dpi_), false);
            codeFont_ = fontOf(fixedFaces, std::size(fixedFaces), scaled(13, dpi_), true);
            filterLabel_ = child(L"STATIC", wide(window::kReviewFilter), SS_CENTERIMAGE, 0);
            warnings_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0);
            filter_ = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kFilterId, WS_EX_CLIENTEDGE);
            kinds_ = child(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, kKindsId);
            keep_ = child(L"BUTTON", wide(window::kReviewKeep), WS_TABSTOP | BS_PUSHBUTTON, kKeepId);
            undo_ = child(L"BUTTON", wide(window::kReviewUndo), WS_TABSTOP | BS_PUSHBUTTON, kUndoId);
            list_ = child(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, kListId,
                          WS_EX_CLIENTEDGE);
            code_ = child(L"EDIT", L"",
                          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                          kCodeId, WS_EX_CLIENTEDGE);
            for (HWND h : {filterLabel_, filter_, kinds_, keep_, undo_, list_, warnings_})
                SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
            SendMessageW(code_, WM_SETFONT, reinterpret_cast<WPARAM>(codeFont_), TRUE);
            SendMessageW(kinds_, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(wide(window::kReviewAllKinds).c_str()));
            for (int r = 0; r < kRuleCount; ++r)
                SendMessageW(kinds_, CB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(
                                 wide(report::ruleText(static_cast<Rule>(r)).japanese).c_str()));
            SendMessageW(kinds_, CB_SETCURSEL, 0, 0);
            ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            const int widths[] = {150, 50, 170, 160, 100, 30, 40};
            for (int c = 0; c <= window::kFindingColumns; ++c) {
                std::wstring title = wide(c < window::kFindingColumns ? window::kReviewColumns[c]
                                                                      : window::kReviewKept);
                LVCOLUMNW col{};
                col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
                col.fmt = (c == 1 || c == 5) ? LVCFMT_RIGHT : LVCFMT_LEFT;
                col.cx = scaled(widths[c], dpi_);
                col.pszText = title.data();
                col.iSubItem = c;
                ListView_InsertColumn(list_, c, &col);
            }
            return 0;
        }
        case WM_SIZE:
            layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
            mm->ptMinTrackSize = {scaled(420, dpi_), scaled(300, dpi_)};
            return 0;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kFilterId:
                    if (HIWORD(wParam) == EN_CHANGE) applyFilter();
                    return 0;
                case kKindsId:
                    if (HIWORD(wParam) == CBN_SELCHANGE) applyFilter();
                    return 0;
                case kKeepId:
                    presenter_.keepFindings(selectedRows());
                    reload();
                    return 0;
                case kUndoId:
                    presenter_.undoKeep();
                    reload();
                    return 0;
                case IDCANCEL:  // Escape, through the dialog keys
                    ShowWindow(hwnd_, SW_HIDE);
                    return 0;
            }
            break;
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr->idFrom != kListId || filling_) break;
            if (hdr->code == LVN_COLUMNCLICK) {
                const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
                if (column < window::kFindingColumns) {
                    presenter_.findings().sortBy(static_cast<window::FindingColumn>(column));
                    reload();
                }
            } else if (hdr->code == LVN_ITEMCHANGED) {
                const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
                if ((change->uChanged & LVIF_STATE) &&
                    ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
                    showCode();
            }
            return 0;
        }
        case WM_CLOSE:
            // Hidden, not destroyed: the list and its selection stay for the next opening.
            ShowWindow(hwnd_, SW_HIDE);
            return 0;
        case WM_DESTROY:
            hwnd_ = nullptr;
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FindingsWindow::layout() {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int m = scaled(8, dpi_), h = scaled(24, dpi_), w = r.right - 2 * m;
    const int label = scaled(70, dpi_), kinds = scaled(180, dpi_), button = scaled(90, dpi_);
    int x = m;
    MoveWindow(filterLabel_, x, m, label, h, TRUE);
    x += label;
    const int filterWidth = std::max(scaled(80, dpi_), w - label - kinds - 2 * button - 3 * m);
    MoveWindow(filter_, x, m, filterWidth, h, TRUE);
    x += filterWidth + m;
    MoveWindow(kinds_, x, m, kinds, scaled(200, dpi_), TRUE);
    x += kinds + m;
    MoveWindow(keep_, x, m, button, h, TRUE);
    x += button + m;
    MoveWindow(undo_, x, m, button, h, TRUE);
    // The run's warnings, a line each (at most three), under the filter.
    const int said = std::min<int>(3, static_cast<int>(presenter_.runWarnings().size()));
    const int warned = said * scaled(16, dpi_);
    MoveWindow(warnings_, m, 2 * m + h, w, warned, TRUE);
    ShowWindow(warnings_, said ? SW_SHOW : SW_HIDE);
    const int top = 2 * m + h + (said ? warned + m : 0);
    const int rest = std::max(0, static_cast<int>(r.bottom) - top - m);
    const int listHeight = rest * 3 / 5;
    MoveWindow(list_, m, top, w, listHeight - m / 2, TRUE);
    MoveWindow(code_, m, top + listHeight + m / 2, w, rest - listHeight - m / 2, TRUE);
}

void FindingsWindow::applyFilter() {
    wchar_t text[512] = {};
    GetWindowTextW(filter_, text, 512);
    const int kind = static_cast<int>(SendMessageW(kinds_, CB_GETCURSEL, 0, 0));
    presenter_.findings().setFilter(utf8(text), kind > 0 ? std::optional<Rule>(static_cast<Rule>(kind - 1))
                                                         : std::nullopt);
    reload();
}

std::vector<std::size_t> FindingsWindow::selectedRows() const {
    std::vector<std::size_t> out;
    if (!list_) return out;
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED)) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ListView_GetItem(list_, &item);
        out.push_back(static_cast<std::size_t>(item.lParam));
    }
    return out;
}

void FindingsWindow::reload() {
    if (!hwnd_) return;
    const std::vector<std::size_t> selected = selectedRows();
    const window::FindingsList& list = presenter_.findings();
    filling_ = true;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    for (std::size_t i = 0; i < list.shown().size(); ++i) {
        const std::size_t row = list.shown()[i];
        const window::FindingRow& r = list.rows()[row];
        for (int c = 0; c <= window::kFindingColumns; ++c) {
            std::wstring text = wide(c < window::kFindingColumns
                                         ? r.cell(static_cast<window::FindingColumn>(c))
                                         : std::string(r.kept ? "✔" : ""));
            LVITEMW item{};
            item.iItem = static_cast<int>(i);
            item.iSubItem = c;
            item.pszText = text.data();
            if (c == 0) {
                item.mask = LVIF_TEXT | LVIF_PARAM;
                item.lParam = static_cast<LPARAM>(row);
                ListView_InsertItem(list_, &item);
            } else {
                item.mask = LVIF_TEXT;
                ListView_SetItem(list_, &item);
            }
        }
        if (std::find(selected.begin(), selected.end(), row) != selected.end())
            ListView_SetItemState(list_, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    filling_ = false;
    EnableWindow(undo_, presenter_.canUndoKeep());
    std::wstring said;
    for (const std::string& w : presenter_.runWarnings()) said += wide(w) + L"\r\n";
    SetWindowTextW(warnings_, said.c_str());
    layout();
    showCode();
}

void FindingsWindow::showCode() {
    const std::vector<std::size_t> rows = selectedRows();
    EnableWindow(keep_, !rows.empty());
    std::wstring text;
    if (!rows.empty()) {
        for (const window::CodeLine& l : presenter_.findingCode(rows.front())) {
            // The finding's own lines set apart by an arrow.
            wchar_t number[16];
            swprintf(number, 16, L"%6lld", static_cast<long long>(l.number));
            text += std::wstring(l.finding ? L"▶" : L"  ") + number + L"  " + wide(l.text) + L"\r\n";
        }
    }
    SetWindowTextW(code_, text.c_str());
}

}  // namespace scourvane::win32
