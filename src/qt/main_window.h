#pragma once
// The main window as Qt draws it: a borderless window with a title strip to drag it by, an exit
// image, and a textured panel with the two command buttons, the module list, the counter grid,
// the progress bar and the status box. Its places, texts, pictures and behaviour come from the
// shared window layer (window/): this class draws the presenter's state and forwards the user's
// input to it.
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "qt/open_dialog.h"
#include "window/presenter.h"

class QAction;
class QLabel;
class QMenu;
class QListWidget;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace scourvane::qt {

class ExitImage;
class FindingsWindow;
class LinkLabel;
class MenuImage;
class PicturePanel;
class TitleStrip;

class MainWindow : public QWidget, private window::View {
    Q_OBJECT
  public:
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces the open dialog (tests, the screenshot tool).
    void setOpenDialog(OpenDialog dialog) { openDialog_ = std::move(dialog); }
    // Replaces the shell's opening of the link, and of reports and folders (file: URLs).
    void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
    // Replaces the patch's save dialog (tests).
    void setPatchDialog(PatchDialog dialog) { patchDialog_ = std::move(dialog); }
    // Replaces the folder dialog (tests).
    void setFolderDialog(FolderDialog dialog) { folderDialog_ = std::move(dialog); }
    // Reads the settings, sets the rule set and takes in the command line's project.
    void start(const window::StartOptions& options) { presenter_.start(options); }
    // The folder the open dialog was last asked to start in.
    const QString& dialogFolder() const { return dialogFolder_; }
    // Fills `menu` with `entries` as the window shows them (font, heading, radio pair,
    // separators); the action of each item.
    static std::map<QAction*, window::MenuItem> fillMenu(QMenu& menu,
                                                         const std::vector<window::MenuEntry>& entries);
    // The review window, once the menu has opened it (tests).
    FindingsWindow* findingsWindow() const { return findings_; }
    // The menu's entries as the presenter has them now.
    std::vector<window::MenuEntry> menuEntries() const { return presenter_.menu(); }
    // Runs `hook` on the worker at every yield of the engine, from the next command on.
    void setYieldHook(std::function<void()> hook) { presenter_.setYieldHook(std::move(hook)); }
    // The rule set of the commands from now on; the title bar says when the safe rules are in
    // force. Call it before any command.
    void setRules(RuleSet rules) { presenter_.setRules(rules); }

    // An intake or a run is under way (clicks on the buttons are ignored meanwhile).
    bool commandUnderWay() const { return presenter_.state().commandUnderWay; }
    // The engine's state; read it only while no command is under way.
    const Session& session() const { return presenter_.session(); }
    // The engine's side of the window, as the worker uses it.
    Window& engineWindow() { return presenter_.engineWindow(); }

    // Gives the program up: the engine's yields fail from now on, so the command under way
    // unwinds at its next line. Waits at most `ms` for that; true when the worker has ended.
    bool stopWorker(int ms) { return presenter_.stopWorker(ms); }

  signals:
    // An intake or a run has ended and everything it showed is on the window.
    void commandFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
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
    std::optional<std::filesystem::path> askForFolder(
        const std::filesystem::path& startFolder) override;
    std::optional<std::filesystem::path> askForPatchFile(
        const std::filesystem::path& suggested) override;
    void moveWindow(window::Point topLeft) override;
    void drawNow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeWindow() override;
    void commandEnded() override;
    void showFindings() override;
    void findingsChanged() override;

    void buildControls();
    void connectInput();
    void startUp();
    void showModules(const window::WindowState& state);
    void showSelection(int row);
    void showWaitPointer(bool wait);
    void showTitle(const std::string& title, window::Rgb ink);

    // Controls, named as in the window's design.
    PicturePanel* picB_ = nullptr;
    QLabel* picMbl_ = nullptr;
    QPushButton* comExit_ = nullptr;
    QPushButton* comDetect_ = nullptr;
    QListWidget* listModules_ = nullptr;
    QPushButton* comOpen_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    LinkLabel* lblUrl_ = nullptr;
    QLabel* labInfo_ = nullptr;
    QLabel* labModules_ = nullptr;
    std::array<QLabel*, kCounterCount> counterLabels_{};
    ExitImage* imgExit_ = nullptr;
    MenuImage* imgMenu_ = nullptr;
    QLabel* lbl1_ = nullptr;
    TitleStrip* image1_ = nullptr;

    OpenDialog openDialog_;
    PatchDialog patchDialog_;
    FindingsWindow* findings_ = nullptr;  // made when first shown
    FolderDialog folderDialog_;
    UrlOpener urlOpener_;
    QString dialogFolder_;
    bool waitShown_ = false;
    QMessageBox* errorBox_ = nullptr;

    window::Presenter presenter_;
};

}  // namespace scourvane::qt
