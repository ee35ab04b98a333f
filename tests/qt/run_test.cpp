// Intake and the detection run through the window's buttons, with the engine on its worker:
// the module list, the labels, the error box, cancelling, and clicks while a command works.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "intake/file_ops.h"
#include "support/files.h"
#include "qt/main_window.h"
#include "ui_support.h"

namespace scourvane::qt {
namespace {

using namespace std::chrono_literals;
using testing::CommandWaiter;
using testing::control;
using testing::DialogAnswer;
using testing::ErrorBoxAnswerer;
using testing::TempDir;

QStringList rows(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text());
    return out;
}

bool isDecimal(const QString& s) {
    bool ok = false;
    s.toLong(&ok);
    return ok && !s.isEmpty() && s.trimmed() == s;
}

class UiRun : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::answerDialogWith(window, dialog);
        window.show();
        QApplication::processEvents();
        list = control<QListWidget>(window, "ListModules");
        info = control<QLabel>(window, "LabInfo");
        open = control<QPushButton>(window, "ComOpenVBP");
        run = control<QPushButton>(window, "ComDetectUnusedDeclarations");
        bar = control<QProgressBar>(window, "ProgressBar");
    }
    // Clicks a button and waits for the command it starts.
    bool clickAndWait(QPushButton* button) {
        CommandWaiter waiter(window);
        QTest::mouseClick(button, Qt::LeftButton);
        return waiter.wait();
    }
    QString counter(const char* name) { return control<QLabel>(window, name)->text(); }

    TempDir dir;
    DialogAnswer dialog;
    MainWindow window;
    QListWidget* list = nullptr;
    QLabel* info = nullptr;
    QPushButton* open = nullptr;
    QPushButton* run = nullptr;
    QProgressBar* bar = nullptr;
};

const char* const kCounterLabels[] = {"LabDim",           "LabUnusedDim", "LabPrivate",
                                      "LabUnusedPrivate", "LabPublic",    "LabUnusedPublic"};

TEST_F(UiRun, ModuleListShowsTheEnginesOrderAsGiven) {
    // The engine's order ignores case; a list sorted by the toolkit would put "Beta" first.
    window.engineWindow().setModules({"alpha.bas", "Beta.cls", "gamma.frm", "ZETA.BAS"});
    ASSERT_TRUE(testing::processUntil([&] { return list->count() == 4; }));
    EXPECT_EQ(rows(list), (QStringList{"alpha.bas", "Beta.cls", "gamma.frm", "ZETA.BAS"}));
    EXPECT_EQ(list->currentRow(), -1);

    window.engineWindow().selectModule(2);
    ASSERT_TRUE(testing::processUntil([&] { return list->currentRow() == 2; }));
    EXPECT_TRUE(list->item(2)->isSelected());
}

TEST_F(UiRun, IntakeListsModulesIgnoringCaseWhateverTheirOrderInTheProject) {
    const fs::path folder = dir / "Mixed";
    testing::writeFile(folder / "Mixed.vbp",
                       "Type=Exe\r\nModule=Zeta; zeta.bas\r\nClass=beta; Beta.cls\r\n"
                       "Module=Mu; Sub\\MU.bas\r\nModule=Alpha; alpha.bas\r\n");
    testing::writeFile(folder / "Mixed.vbw", "");
    for (const char* name : {"zeta.bas", "Beta.cls", "Sub/MU.bas", "alpha.bas"})
        testing::writeFile(folder / name, "Attribute VB_Name = \"X\"\r\n");
    dialog.project = folder / "Mixed.vbp";

    ErrorBoxAnswerer boxes;
    ASSERT_TRUE(clickAndWait(open));
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("\n").toStdString();
    EXPECT_EQ(rows(list), (QStringList{"alpha.bas", "Beta.cls", "MU.bas", "zeta.bas"}));
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_EQ(control<QLabel>(window, "LabModules")->text(),
              QString::fromUtf8("Mixed.vbp ﾌﾟﾛｼﾞｪｸﾄ"));
    EXPECT_EQ(info->text(), "");
    EXPECT_TRUE(run->isEnabled());
    EXPECT_TRUE(fs::exists(folder / "New_Mixed" / "MU.bas"));
    EXPECT_EQ(dialog.calls, 1);
}

TEST_F(UiRun, OneModuleProjectKeepsItsRowSelectedAfterIntake) {
    const fs::path folder = dir / "One";
    testing::writeFile(folder / "One.vbp", "Module=M; Code\\Only.bas\r\n");
    testing::writeFile(folder / "One.vbw", "");
    testing::writeFile(folder / "Code" / "Only.bas", "Attribute VB_Name = \"M\"\r\n");
    dialog.project = folder / "One.vbp";
    ASSERT_TRUE(clickAndWait(open));
    EXPECT_EQ(rows(list), QStringList{"Only.bas"});
    EXPECT_EQ(list->currentRow(), 0);
}

TEST_F(UiRun, WholeIntakeAndRunThroughTheButtons) {
    dialog.project = testing::writeSalesProject(dir.path());
    ErrorBoxAnswerer boxes;

    ASSERT_TRUE(clickAndWait(open));
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(rows(list), (QStringList{"Main.frm", "Util.bas"}));
    const fs::path copy = dir.path() / "Sales" / "New_Sales";
    ASSERT_EQ(window.session().intake.workingCopy, copy);
    for (const char* name : {"Sales.vbp", "Sales.vbw", "Main.frm", "Main.frx", "Util.bas"})
        EXPECT_TRUE(fs::exists(copy / name)) << name;

    ASSERT_TRUE(clickAndWait(run));
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("\n").toStdString();
    const std::string end =
        "終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n" + files::display(copy) + "\r\nに作成しました。";
    EXPECT_EQ(info->text(), QString::fromStdString(end));
    // Main.frm: Dim i unused (1/1); a used, b not (Private 2/1). Util.bas: gCount is used only
    // in its own module and is demoted (Private 3, Public 2 - 1); Bump is called from Main.frm.
    const char* expected[] = {"1", "1", "3", "1", "1", "0"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(isDecimal(counter(kCounterLabels[i]))) << kCounterLabels[i];
        EXPECT_EQ(counter(kCounterLabels[i]), expected[i]) << kCounterLabels[i];
    }
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_FALSE(window.commandUnderWay());
    // The user's project is only read.
    EXPECT_EQ(testing::readFile(dir.path() / "Sales" / "Util.bas").find("'<"), std::string::npos);
}

TEST_F(UiRun, BusyPointerFollowsTheEngine) {
    window.engineWindow().setBusy(true);
    ASSERT_TRUE(testing::processUntil([] { return QApplication::overrideCursor() != nullptr; }));
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    window.engineWindow().setBusy(false);
    ASSERT_TRUE(testing::processUntil([] { return QApplication::overrideCursor() == nullptr; }));
}

TEST_F(UiRun, CancelledDialogEmptiesOnlyTheStatusAndTheProgress) {
    dialog.project = testing::writeSalesProject(dir.path());
    ASSERT_TRUE(clickAndWait(open));
    const QStringList listed = rows(list);
    const IntakeState before = window.session().intake;

    window.engineWindow().setStatus("something");
    window.engineWindow().setProgress(40);
    ASSERT_TRUE(testing::processUntil([&] { return bar->value() == 40; }));

    dialog.project.reset();
    QTest::mouseClick(open, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(dialog.calls, 2);
    EXPECT_EQ(info->text(), "");
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(window.commandUnderWay());
    EXPECT_EQ(rows(list), listed);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(control<QLabel>(window, "LabModules")->text(),
              QString::fromUtf8("Sales.vbp ﾌﾟﾛｼﾞｪｸﾄ"));
    EXPECT_EQ(window.session().intake.projectPath, before.projectPath);
}

TEST_F(UiRun, ErrorBoxHoldsTheEngineUntilOk) {
    dialog.project = testing::writeSalesProject(dir.path(), /*withWorkspace=*/false);
    bool runEnabledWhileOpen = true;
    bool underWayWhileOpen = false;
    ErrorBoxAnswerer boxes([&](const QString&) {
        runEnabledWhileOpen = run->isEnabled();
        underWayWhileOpen = window.commandUnderWay();
    });
    ASSERT_TRUE(clickAndWait(open));
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith("Error 75 (")) << boxes.texts[0].toStdString();
    EXPECT_TRUE(boxes.texts[0].contains("Sales.vbw")) << boxes.texts[0].toStdString();
    // While the box was open the intake had not gone on to its end.
    EXPECT_TRUE(underWayWhileOpen);
    EXPECT_FALSE(runEnabledWhileOpen);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(rows(list), (QStringList{"Main.frm", "Util.bas"}));
}

TEST_F(UiRun, ClicksWhileACommandWorksAreIgnoredAndTheWindowStillMoves) {
    dialog.project = testing::writeSalesProject(dir.path());
    ASSERT_TRUE(clickAndWait(open));
    ASSERT_TRUE(run->isEnabled());

    // The next intake stops at its first yield until released.
    std::atomic<bool> inside{false}, release{false};
    window.setYieldHook([&] {
        inside = true;
        while (!release) std::this_thread::sleep_for(1ms);
    });
    CommandWaiter waiter(window);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(testing::processUntil([&] { return inside.load(); }));
    EXPECT_TRUE(window.commandUnderWay());

    QTest::mouseClick(open, Qt::LeftButton);
    QTest::mouseClick(run, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(dialog.calls, 2);  // the second click on the open button asked nothing

    // The window is dragged while the engine works.
    QWidget* strip = control(window, "Image1");
    const QPoint start = window.pos();
    testing::sendMouse(strip, QEvent::MouseButtonPress, {60, 6}, start + QPoint(60, 6),
                       Qt::LeftButton, Qt::LeftButton);
    testing::sendMouse(strip, QEvent::MouseMove, {60, 6}, start + QPoint(70, 26), Qt::NoButton,
                       Qt::LeftButton);
    testing::sendMouse(strip, QEvent::MouseButtonRelease, {60, 6}, start + QPoint(70, 26),
                       Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(10, 20));

    release = true;
    ASSERT_TRUE(waiter.wait());
    QTest::qWait(50);
    // The ignored run never started: its labels and end message never came.
    EXPECT_EQ(info->text(), "");
    for (const char* name : kCounterLabels) EXPECT_EQ(counter(name), "") << name;
    EXPECT_FALSE(window.commandUnderWay());
}

TEST_F(UiRun, ClosingWhileAnErrorBoxIsOpenEndsTheEngine) {
    dialog.project = testing::writeSalesProject(dir.path(), /*withWorkspace=*/false);
    ErrorBoxAnswerer boxes([&](const QString&) { window.close(); });
    CommandWaiter waiter(window);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(testing::processUntil([&] { return !boxes.texts.isEmpty(); }));
    EXPECT_TRUE(window.stopWorker(5000));
    EXPECT_FALSE(window.isVisible());
    // The intake unwound at its first yield after the box: the run button never came on.
    EXPECT_FALSE(run->isEnabled());
    EXPECT_EQ(boxes.texts.size(), 1);
}

}  // namespace
}  // namespace scourvane::qt
