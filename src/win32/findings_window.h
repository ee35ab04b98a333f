#pragma once
// The review of the findings as Win32 draws it: a resizable top-level window owned by the main
// window, with a text and a kind to filter by, the list (a report-style list view, sortable by
// each column, several rows selectable), the keep and undo buttons, and the selected finding's
// code in a fixed-width Japanese font, its own lines set apart. What each does is the
// presenter's.
#include <windows.h>

#include <cstddef>
#include <vector>

namespace scourvane::window {
class Presenter;
}

namespace scourvane::win32 {

class FindingsWindow {
  public:
    explicit FindingsWindow(window::Presenter& presenter) : presenter_(presenter) {}
    ~FindingsWindow();
    FindingsWindow(const FindingsWindow&) = delete;
    FindingsWindow& operator=(const FindingsWindow&) = delete;

    // Creates the window the first time, owned by `owner`, and shows it in front.
    void show(HINSTANCE instance, HWND owner);
    // Draws the presenter's list again, keeping the selection where it can.
    void reload();
    // The window, for the message loop's dialog keys; null when it is not open.
    HWND handle() const { return hwnd_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layout();
    void applyFilter();
    void showCode();
    std::vector<std::size_t> selectedRows() const;

    window::Presenter& presenter_;
    HWND hwnd_ = nullptr;
    HWND filterLabel_ = nullptr, filter_ = nullptr, kinds_ = nullptr, keep_ = nullptr,
         undo_ = nullptr, list_ = nullptr, code_ = nullptr, warnings_ = nullptr;
    HFONT font_ = nullptr, codeFont_ = nullptr;
    int dpi_ = 96;
    bool filling_ = false;
};

}  // namespace scourvane::win32
