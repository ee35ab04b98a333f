#include "ui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>

#include "support/files.h"

namespace scourvane::testing {

ErrorBoxAnswerer::ErrorBoxAnswerer(std::function<void(const QString&)> onBox)
    : onBox_(std::move(onBox)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        texts.push_back(box->text());
        if (onBox_) onBox_(box->text());
        if (box->isVisible()) box->button(QMessageBox::Ok)->click();
    });
    timer_.start(10);
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

bool processUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void answerDialogWith(qt::MainWindow& window, DialogAnswer& answer) {
    window.setOpenDialog([&answer](QWidget*) -> std::optional<QString> {
        ++answer.calls;
        if (!answer.project) return std::nullopt;
        return QString::fromStdString(answer.project->string());
    });
}

fs::path writeSalesProject(const fs::path& root, bool withWorkspace) {
    const fs::path dir = root / "Sales";
    writeFile(dir / "Sales.vbp",
              "Type=Exe\r\nForm=Main.frm\r\nModule=Util; Util.bas\r\nStartup=\"Form1\"\r\n");
    if (withWorkspace) writeFile(dir / "Sales.vbw", "Form1 = 0, 0, 0, 0, C\r\n");
    // A workspace file that cannot be copied shows a box (a missing one is no error).
    if (!withWorkspace) fs::create_directories(dir / "Sales.vbw");
    writeFile(dir / "Main.frm", sjis("VERSION 5.00\r\n"
                                     "Begin VB.Form Form1\r\n"
                                     "   Caption         =   \"売上\"\r\n"
                                     "   Begin VB.CommandButton Command1\r\n"
                                     "   End\r\n"
                                     "End\r\n"
                                     "Attribute VB_Name = \"Form1\"\r\n"
                                     "Option Explicit\r\n"
                                     "Dim a As Integer, b As Long\r\n"
                                     "Private Sub Command1_Click()\r\n"
                                     "    Dim i As Long\r\n"
                                     "    a = 1\r\n"
                                     "    Bump\r\n"
                                     "End Sub\r\n"));
    writeFile(dir / "Main.frx", std::string("\x05\x00\x00\x00\xff", 5));
    writeFile(dir / "Util.bas", sjis("Attribute VB_Name = \"Util\"\r\n"
                                     "Option Explicit\r\n"
                                     "' 表示の合計\r\n"
                                     "Public gCount As Long\r\n"
                                     "Public Sub Bump()\r\n"
                                     "    gCount = gCount + 1\r\n"
                                     "End Sub\r\n"));
    return dir / "Sales.vbp";
}

std::vector<std::string> temporaryFiles(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".scourvane-") != std::string::npos || name.find(".tmp") != std::string::npos)
            found.push_back(name);
    }
    return found;
}

}  // namespace scourvane::testing
