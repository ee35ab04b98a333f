#pragma once
// The main window as Win32 draws it: a borderless popup window that paints the shared backdrop
// (title strip, exit image, textured panel) and the labels of the shared control table itself,
// with native child controls for the three buttons, the module list and the progress bar. It
// draws the presenter's state at the monitor's dots per inch and forwards the user's input to
// the presenter; the engine's worker reaches it through a posted message.
#include <windows.h>

#include <atomic>
#include <map>
#include <string>

#include "win32/findings_window.h"
#include "window/pictures.h"
#include "window/presenter.h"

namespace scourvane::win32 {

class MainWindow : private window::View {
  public:
    MainWindow();
    ~MainWindow() override;

    // Creates the window, centred on the primary monitor, with the settings and the rule set of
    // `options`, shows it and takes in the project of `options`. False when Windows refused to
    // create it.
    bool create(HINSTANCE instance, const window::StartOptions& options);
    // The window, for the message loop's dialog keys (Tab between the controls); null once it
    // is destroyed.
    HWND handle() const { return hwnd_.load(); }
    // The review window, for the same; null when it is not open.
    HWND findingsHandle() const { return findings_.handle(); }
    // Gives the program up; true when the engine's worker ended within `ms`.
    bool stopWorker(int ms) { return presenter_.stopWorker(ms); }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    // window::View
    void refresh(const window::WindowState& state, unsigned changes) override;
    std::optional<std::filesystem::path> askForProject(
        const std::filesystem::path& startFolder) override;
    void showErrorBox(const std::string& text) override;
    void showMessage(const std::string& text) override;
    void openUrl(const std::string& url) override;
    void openFile(const std::filesystem::path& file) override;
    void openFolder(const std::filesystem::path& folder) override;
    std::optional<window::MenuItem> showMenu(window::Point screenAt,
                                             const std::vector<window::MenuEntry>& entries) override;
    std::optional<std::filesystem::path> askForPatchFile(
        const std::filesystem::path& suggested) override;
    std::optional<std::filesystem::path> askForFolder(
        const std::filesystem::path& startFolder) override;
    void showFindings() override;
    void findingsChanged() override;
    // The menu below the menu image.
    void showMenuAtImage();
    void filesDropped(HDROP drop);
    void moveWindow(window::Point topLeft) override;
    void drawNow() override;
    void closeWindow() override;

    void createChildren();
    // Fonts, child places and the backdrop for the window's current dots per inch.
    void applyDpi(int dpi);
    void paint(HDC dc);
    void drawLabel(HDC dc, const window::Control& c);
    void drawButton(const DRAWITEMSTRUCT& item);
    bool setPointer();
    // A label's place in device pixels; fitted labels as wide as their text.
    RECT labelRect(HDC dc, const window::Control& c);
    std::wstring labelText(const window::Control& c) const;
    HFONT fontFor(const window::Control& c);
    RECT deviceRect(const window::Control& c) const;
    // The cursor in screen pixels when the message being handled was made.
    window::Point cursorOnScreen() const;
    bool over(window::ControlId id, POINT client);
    bool overMenuImage(POINT client) const;
    bool overPanel(POINT client) const;

    std::atomic<HWND> hwnd_{nullptr};
    HINSTANCE instance_ = nullptr;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    HFONT font_ = nullptr;
    HFONT underlined_ = nullptr;
    std::map<window::ControlId, HFONT> oneLineFonts_;
    HCURSOR hand_ = nullptr;
    HWND comExit_ = nullptr;
    HWND comDetect_ = nullptr;
    HWND comOpen_ = nullptr;
    HWND listModules_ = nullptr;
    HWND progressBar_ = nullptr;
    window::Pixels backdrop_;
    bool linkPressed_ = false;
    bool exitHeld_ = false;
    bool closed_ = false;

    window::Presenter presenter_;
    FindingsWindow findings_{presenter_};
};

}  // namespace scourvane::win32
