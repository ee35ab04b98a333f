#pragma once
// The main window: a borderless window with a title strip to drag it by, an exit image, and a
// textured panel with the two command buttons, the module list, the counter grid, the progress
// bar and the status box. It shows the engine's state and forwards clicks; the engine runs on
// a worker thread and reaches the window through a WindowBridge.
#include <QThread>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>

#include "engine/engine.h"
#include "ui/open_dialog.h"
#include "ui/window_bridge.h"

class QLabel;
class QListWidget;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace scourvane::ui {

class ExitImage;
class LinkLabel;
class PicturePanel;
class TitleStrip;

// Texts the window shows that the engine does not give.
inline constexpr const char* kCaption = "Scourvane";
inline constexpr const char* kCreditLine = "Designed by SV Ver.1.0.1 ";
inline constexpr const char* kLinkText = "https://scourvane.example/";

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replaces the open dialog (tests, the screenshot tool).
    void setOpenDialog(OpenDialog dialog) { openDialog_ = std::move(dialog); }
    // Replaces the shell's opening of the link.
    void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
    // Runs `hook` on the worker at every yield of the engine, from the next command on.
    void setYieldHook(std::function<void()> hook);
    // The rule set of the commands from now on; the title bar says when the safe rules are in
    // force. Call it before any command.
    void setRules(RuleSet rules);

    // An intake or a run is under way (clicks on the buttons are ignored meanwhile).
    bool commandUnderWay() const { return commandUnderWay_; }
    // The engine's state; read it only while no command is under way.
    const Session& session() const { return engine_.session(); }
    // The engine's side of the window, as the worker uses it.
    Window& engineWindow() { return bridge_; }

    // Gives the program up: the engine's yields fail from now on, so the command under way
    // unwinds at its next line. Waits at most `ms` for that; true when the worker has ended.
    bool stopWorker(int ms);

  signals:
    // An intake or a run has ended and everything it showed is on the window.
    void commandFinished();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void startUp();
    void openProject();
    void detect();
    void openLink();
    void startCommand(std::function<void()> command);
    void finishCommand();
    // Shows what the worker left pending.
    void applyPending();
    void showModules(const std::vector<std::string>& rows);
    void selectModule(int row);
    void showBusy(bool busy);
    void showErrorBox(const ErrorBox& error);

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
    TitleStrip* image1_ = nullptr;

    OpenDialog openDialog_;
    UrlOpener urlOpener_;
    bool commandUnderWay_ = false;
    bool busyShown_ = false;
    QMessageBox* errorBox_ = nullptr;

    WindowBridge bridge_;
    Engine engine_;
    QThread worker_;
    QObject* workerContext_ = nullptr;  // lives on worker_; deleted when it ends
};

}  // namespace scourvane::ui
