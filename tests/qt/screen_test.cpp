// The window on real screens: every text whole at 96, 100, 120 and 144 dots per inch and at
// scale factors 1, 1.5 and 2, measured by scourvane_text_fit started once per setting, offscreen
// and on an X server (Xvfb); and the program as a user meets it on an X server, driven with
// xdotool through the open dialog and the buttons, and checked on X's own screenshots.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QMenu>
#include <QUrl>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "base/paths.h"
#include "engine/engine.h"
#include "qt/open_dialog.h"
#include "window/geometry.h"
#include "support/files.h"
#include "qt/main_window.h"
#include "ui_support.h"

namespace scourvane::qt {
namespace {

namespace fs = std::filesystem;
using testing::control;

// An X server of its own, on the first free display; ended with the object.
class Xvfb {
  public:
    Xvfb(int dpi, QSize size) {
        process_.start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
             QStringLiteral("-dpi"), QString::number(dpi), QStringLiteral("-nolisten"),
             QStringLiteral("tcp"), QStringLiteral("-noreset")});
        while (process_.state() != QProcess::NotRunning && !process_.canReadLine())
            process_.waitForReadyRead(5000);
        const QByteArray number = process_.readLine().trimmed();
        if (!number.isEmpty()) display_ = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~Xvfb() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(5000);
    }
    // Empty when the server did not start.
    const QString& display() const { return display_; }

  private:
    QProcess process_;
    QString display_;
};

bool installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

QProcessEnvironment environment(const std::map<QString, QString>& set) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_FONT_DPI", "QT_SCALE_FACTOR", "QT_SCALE_FACTOR_ROUNDING_POLICY",
                             "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    for (const auto& [name, value] : set) env.insert(name, value);
    return env;
}

fs::path copySample(const fs::path& into) {
    fs::create_directories(into / "Sales");
    testing::copyTree(testing::sourceDir() / "examples" / "Sales", into / "Sales");
    return into / "Sales" / "Sales.vbp";
}

// ---- Every text whole at every setting --------------------------------------------------

struct Setting {
    QString platform;
    int dpi;
    QString scale;
    bool roundScale;  // the scale rounded to a whole number; the rest goes to the fonts
    QString display;
};

// Starts the measuring helper for every setting, three at a time, and checks what it printed.
void measure(const std::vector<Setting>& settings) {
    const testing::TempDir dir;
    std::vector<std::unique_ptr<QProcess>> running(settings.size());
    auto check = [&](std::size_t i) {
        QProcess& p = *running[i];
        const Setting& s = settings[i];
        SCOPED_TRACE(QStringLiteral("%1 %2 dpi x%3%4")
                         .arg(s.platform)
                         .arg(s.dpi)
                         .arg(s.scale)
                         .arg(s.roundScale ? QStringLiteral(" rounded") : QString())
                         .toStdString());
        ASSERT_TRUE(p.waitForFinished(120000)) << "no end";
        const QString err = QString::fromUtf8(p.readAllStandardError());
        ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty()) << err.toStdString();
        // The setting took: the window's device pixels per inch are the screen's dots per inch
        // times the scale factor, whichever way Qt shares them out.
        const QStringList screen = lines.front().split(QLatin1Char(' '));
        ASSERT_EQ(screen.size(), 4);
        EXPECT_EQ(screen[1], QStringLiteral("platform=") + s.platform);
        const double dpr = screen[2].mid(4).toDouble();
        const double dpi = screen[3].mid(4).toDouble();
        EXPECT_NEAR(dpr * dpi, s.dpi * s.scale.toDouble(), 0.01 * s.dpi)
            << lines.front().toStdString();

        QStringList measured;
        for (const QString& line : lines.mid(1)) {
            measured << line.section(QLatin1Char(' '), 0, 0);
            EXPECT_EQ(line.section(QLatin1Char(' '), 1, 1), QStringLiteral("fits"))
                << line.toStdString();
        }
        // Every caption, counter and row, after a real run on the sample.
        const QString all = QStringLiteral(
            "lbl_1 lbl_URL lbl_7 Label1 Label2 Label3 LabDec_0 LabDec_2 LabDec_4 LabDim "
            "LabUnusedDim LabPrivate LabUnusedPrivate LabPublic LabUnusedPublic LabInfo LabModules "
            "ComOpenVBP ComDetectUnusedDeclarations ComExit ListModules[0] ListModules[2]");
        for (const QString& name : all.split(QLatin1Char(' ')))
            EXPECT_TRUE(measured.contains(name)) << name.toStdString();
        EXPECT_EQ(
            lines.filter(QRegularExpression(QStringLiteral("^LabDim .* text=\"13\"$"))).size(), 1);
    };
    std::size_t next = 0;
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const Setting& s = settings[i];
        std::map<QString, QString> set{{QStringLiteral("QT_QPA_PLATFORM"), s.platform},
                                       {QStringLiteral("QT_FONT_DPI"), QString::number(s.dpi)},
                                       {QStringLiteral("QT_SCALE_FACTOR"), s.scale}};
        if (s.roundScale)
            set[QStringLiteral("QT_SCALE_FACTOR_ROUNDING_POLICY")] = QStringLiteral("Round");
        if (!s.display.isEmpty()) set[QStringLiteral("DISPLAY")] = s.display;
        const fs::path project = copySample(dir.path() / std::to_string(i));
        running[i] = std::make_unique<QProcess>();
        running[i]->setProcessEnvironment(environment(set));
        running[i]->start(QStringLiteral(SCOURVANE_TEXT_FIT),
                          {QString::fromStdString(project.string())});
        if (i + 1 - next >= 3) check(next++);
    }
    while (next < settings.size()) check(next++);
}

TEST(UiScreens, EveryTextIsWholeAtEveryDpiAndScaleFactor) {
    const int dpis[] = {96, 100, 120, 144};
    const char* scales[] = {"1", "1.5", "2"};
    std::vector<Setting> offscreen;
    for (int dpi : dpis) {
        for (const char* scale : scales)
            offscreen.push_back(
                {QStringLiteral("offscreen"), dpi, QString::fromLatin1(scale), false, {}});
        // Where the scale is rounded, the dots per inch that are left reach the fonts.
        offscreen.push_back({QStringLiteral("offscreen"), dpi, QStringLiteral("1"), true, {}});
    }
    measure(offscreen);

    if (!installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed: measured offscreen only";
    for (int dpi : dpis) {
        const Xvfb server(dpi, {1024, 768});
        ASSERT_FALSE(server.display().isEmpty()) << "Xvfb did not start";
        std::vector<Setting> onX;
        for (const char* scale : scales)
            onX.push_back(
                {QStringLiteral("xcb"), dpi, QString::fromLatin1(scale), false, server.display()});
        measure(onX);
    }
}

// ---- A user on an X server ---------------------------------------------------------------

// Runs a command to its end; its standard output.
QString run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
            int ms = 20000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << ": no end within " << ms << " ms";
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Pixel for pixel (QImage's == also weighs colour spaces, which a PNG from X carries).
bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

bool waitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms; waited += 200) {
        if (done()) return true;
        QThread::msleep(200);
    }
    return done();
}

TEST(UiOnXServer, OpensTheSampleThroughTheDialogRunsTheCheckAndShowsItsCounters) {
    if (!installed("Xvfb") || !installed("xdotool"))
        GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/install-deps.sh installs them)";
    ASSERT_TRUE(installed("import")) << "ImageMagick's import takes the screenshots: install "
                                        "imagemagick (scripts/install-deps.sh)";
    const QString artifacts = QStringLiteral(SCOURVANE_UI_ARTIFACTS);
    QDir().mkpath(artifacts);

    // Tall enough for the whole menu below its image (the code pages make it long).
    const Xvfb server(96, {1280, 1024});
    ASSERT_FALSE(server.display().isEmpty()) << "Xvfb did not start";
    const testing::TempDir dir;
    // The program's settings and reports in folders of the test's own, and a stand-in for the
    // desktop's opener (Qt opens documents with xdg-open) that writes down what it was given.
    const fs::path config = dir / "config", cache = dir / "cache", bin = dir / "bin";
    const fs::path opened = dir / "opened.txt";
    fs::create_directories(bin);
    {
        std::ofstream opener(bin / "xdg-open");
        opener << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened.string() << "'\n";
    }
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const QProcessEnvironment env = environment(
        {{QStringLiteral("DISPLAY"), server.display()},
         {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")},
         {QStringLiteral("LANG"), QStringLiteral("C")},
         {QStringLiteral("LC_ALL"), QStringLiteral("C")},
         {QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.string())},
         {QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(cache.string())},
         {QStringLiteral("PATH"), QString::fromStdString(bin.string()) + QStringLiteral(":") +
                                      QProcessEnvironment::systemEnvironment().value(
                                          QStringLiteral("PATH"))}});
    auto xdotool = [&](const QStringList& args) {
        return run(QStringLiteral("xdotool"), args, env);
    };
    auto screenshot = [&] {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("import"),
                {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        p.waitForFinished(20000);
        return QImage::fromData(p.readAllStandardOutput(), "PNG")
            .convertToFormat(QImage::Format_RGB32);
    };

    const fs::path project = copySample(dir.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(SCOURVANE_UI_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted());

    // The program's windows on the screen: the main window, then the dialog too.
    auto windows = [&] {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--pid"), QString::number(program.processId())})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    ASSERT_TRUE(waitFor([&] { return windows().size() == 1; }, 20000)) << "no window";
    const QString id = windows().front();
    // A first start without settings: the safe rules.
    EXPECT_EQ(xdotool({QStringLiteral("getwindowname"), id}),
              QString::fromUtf8("Scourvane (安全ルール)"));
    // A window's place and size on the screen, as X has them.
    auto geometry = [&](const QString& window) {
        const QString shape =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        auto value = [&](const char* key) {
            return shape.section(QString::fromLatin1(key) + QLatin1Char('='), 1)
                .section(QLatin1Char('\n'), 0, 0)
                .toInt();
        };
        return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    };
    const QRect mainWindow = geometry(id);
    ASSERT_EQ(mainWindow.size(), QSize(397, 359));
    const QPoint origin = mainWindow.topLeft();

    // The same window in this process draws what each control should show, for comparison.
    MainWindow reference;
    reference.show();
    QApplication::processEvents();
    auto onScreen = [&](const QImage& shot, const char* name) {
        QWidget* w = control(reference, name);
        return shot.copy(QRect(origin + w->mapTo(&reference, QPoint(0, 0)), w->size()));
    };
    auto drawn = [&](const char* name, const QString& text) {
        auto* l = control<QLabel>(reference, name);
        l->setText(text);
        return l->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto click = [&](const char* name) {
        QWidget* w = control(reference, name);
        const QPoint at = origin + w->mapTo(&reference, w->rect().center());
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                 QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    };
    // The menu, opened by its image on the title strip; an item of it clicked where the same
    // menu, filled in this process, has it below the image.
    const QPoint menuAt = origin + control(reference, "ImgMenu")->mapTo(&reference, QPoint(0, 15));
    auto chooseFromMenu = [&](window::MenuItem item, const QString& picture) {
        const QImage closed = screenshot();
        click("ImgMenu");
        QMenu same;
        const auto items = MainWindow::fillMenu(same, reference.menuEntries());
        same.adjustSize();
        QImage open;
        const QRect menuArea(menuAt, same.sizeHint());
        const bool shown = waitFor(
            [&] {
                open = screenshot();
                return open.copy(menuArea) != closed.copy(menuArea);
            },
            10000);
        if (!picture.isEmpty()) open.copy(QRect(origin, QSize(397, 359)).united(menuArea.adjusted(0, 0, 8, 8)))
                                    .save(picture);
        if (!shown) return false;
        for (const auto& [action, which] : items)
            if (which == item) {
                const QPoint at = menuAt + same.actionGeometry(action).center();
                xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                         QString::number(at.x()), QString::number(at.y())});
                QThread::msleep(300);
                xdotool({QStringLiteral("click"), QStringLiteral("1")});
                return true;
            }
        return false;
    };
    // The title strip as this process draws it under each rule set (as --rules would set it).
    const QRect strip(origin, QSize(397, 20));
    auto referenceStrip = [&](RuleSet rules) {
        reference.setRules(rules);
        QApplication::processEvents();
        return reference.grab(QRect(0, 0, 397, 20)).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage safeStrip = referenceStrip(RuleSet::Safe);
    const QImage specStrip = referenceStrip(RuleSet::Spec);
    EXPECT_FALSE(samePixels(safeStrip, specStrip));
    QImage stripNow;
    EXPECT_TRUE(waitFor([&] { return samePixels(stripNow = screenshot().copy(strip), safeStrip); }, 5000))
        << "a first start does not draw the safe rules' title strip";
    // The specified rules chosen in the menu: named on the strip, in the warning colour.
    ASSERT_TRUE(chooseFromMenu(window::MenuItem::RulesSpec,
                               artifacts + QStringLiteral("/xvfb-menu.png")))
        << "the menu did not open";
    ASSERT_TRUE(waitFor(
        [&] {
            return xdotool({QStringLiteral("getwindowname"), id}) ==
                   QString::fromUtf8("Scourvane (仕様どおりのルール: 要確認)");
        },
        10000))
        << "the specified rules were not chosen: " << xdotool({QStringLiteral("getwindowname"), id}).toStdString();
    EXPECT_TRUE(waitFor([&] { return samePixels(stripNow = screenshot().copy(strip), specStrip); }, 5000))
        << "the title strip does not show the specified rules";
    stripNow.save(artifacts + QStringLiteral("/xvfb-spec-strip.png"));
    EXPECT_NE(testing::readFile(config / "scourvane" / "settings.ini").find("rules=spec"),
              std::string::npos);

    const QImage beforeDialog = screenshot();
    const QImage runDisabled = onScreen(beforeDialog, "ComDetectUnusedDeclarations");

    // The open dialog: the project's path typed into it, as a user would.
    click("ComOpenVBP");
    QString dialog;
    if (waitFor([&] { return windows().size() == 2; }, 20000)) dialog = windows().back();
    if (dialog == id) dialog = windows().front();
    ASSERT_FALSE(dialog.isEmpty()) << "no open dialog";
    EXPECT_EQ(xdotool({QStringLiteral("getwindowname"), dialog}), QString::fromUtf8("ﾌｧｲﾙを開く"));
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog});
    // Mapped is not yet painted: the artifact is taken once the dialog's area has changed.
    const QRect area = geometry(dialog);
    QImage withDialog;
    waitFor(
        [&] {
            withDialog = screenshot();
            return !withDialog.isNull() && withDialog.copy(area) != beforeDialog.copy(area);
        },
        10000);
    EXPECT_TRUE(withDialog.save(artifacts + QStringLiteral("/xvfb-open-dialog.png")));
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"),
             QString::fromStdString(project.string())});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    // On a busy machine the dialog's completer may still offer the folder when Return comes:
    // the dialog then opens the folder and clears the name. The file's own name, typed there,
    // is what a user would type next.
    if (!waitFor([&] { return windows().size() == 1; }, 5000)) {
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"),
                 QString::fromStdString(project.filename().string())});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    }
    ASSERT_TRUE(waitFor([&] { return windows().size() == 1; }, 20000))
        << "the open dialog stayed open; see " << artifacts.toStdString();

    // The run button comes alive when the intake has ended.
    ASSERT_TRUE(waitFor(
        [&] {
            return !samePixels(onScreen(screenshot(), "ComDetectUnusedDeclarations"), runDisabled);
        },
        20000))
        << "the run button stayed disabled";
    click("ComDetectUnusedDeclarations");

    const fs::path copy = project.parent_path() / "New_Sales";
    const QImage endMessage =
        drawn("LabInfo", QString::fromStdString("終了しました。新ﾌﾟﾛｼﾞｪｸﾄは\r\n" +
                                                files::display(copy) + "\r\nに作成しました。"));
    QImage shot;
    const bool ended = waitFor(
        [&] { return samePixels(onScreen(shot = screenshot(), "LabInfo"), endMessage); }, 30000);
    EXPECT_TRUE(shot.save(artifacts + QStringLiteral("/xvfb-after-run.png")));
    EXPECT_TRUE(shot.copy(QRect(origin, QSize(397, 359)))
                    .save(artifacts + QStringLiteral("/xvfb-window.png")));
    ASSERT_TRUE(ended) << "no end message in the status box; see " << artifacts.toStdString();

    // The counters on X's screen are the sample's, drawn whole: each is what the window draws
    // for that number, and the rows and columns just inside its border are bare.
    // Under the specified rules, as the engine counts on a copy of its own.
    const fs::path second = copySample(dir / "second");
    QuietWindow quiet;
    Engine engine(quiet);
    engine.setRules(RuleSet::Spec);
    engine.intake(second);
    engine.run();
    std::vector<std::pair<const char*, std::string>> counters;
    for (int i = 0; i < kCounterCount; ++i)
        counters.emplace_back(window::control(window::counterControl(i)).name,
                              std::to_string(engine.session().counters.get(static_cast<CounterId>(i))));
    for (const auto& [name, value] : counters) {
        const QString number = QString::fromStdString(value);
        const QImage seen = onScreen(shot, name);
        EXPECT_TRUE(samePixels(seen, drawn(name, number)))
            << name << " does not show " << value;
        EXPECT_FALSE(samePixels(seen, drawn(name, QString()))) << name << " shows nothing";
        const QRgb bare = seen.pixel(1, 1);
        for (int x = 1; x < seen.width() - 1; ++x)
            for (int y : {1, seen.height() - 2})
                EXPECT_EQ(seen.pixel(x, y), bare) << name << ": ink at " << x << "," << y;
        for (int y = 1; y < seen.height() - 1; ++y)
            EXPECT_EQ(seen.pixel(seen.width() - 2, y), bare) << name << ": ink at the right edge";
    }
    EXPECT_TRUE(fs::exists(copy / "Sales.vbp"));

    // The findings as a report, through the menu: handed to the desktop's opener, written in
    // the user's cache folder and naming the project.
    ASSERT_TRUE(chooseFromMenu(window::MenuItem::OpenReport, {})) << "the menu did not open";
    ASSERT_TRUE(waitFor([&] { return fs::exists(opened); }, 10000)) << "nothing was opened";
    const QUrl url(QString::fromStdString(testing::readFile(opened)).trimmed());
    ASSERT_TRUE(url.isLocalFile()) << url.toString().toStdString();
    const fs::path report = toPath(url.toLocalFile());
    EXPECT_EQ(report.parent_path(), cache / "scourvane" / "reports");
    EXPECT_EQ(report.extension(), ".html");
    const std::string html = testing::readFile(report);
    EXPECT_NE(html.find("Sales.vbp"), std::string::npos);
    EXPECT_FALSE(fs::exists(project.parent_path() / report.filename()));
    EXPECT_NE(testing::readFile(config / "scourvane" / "settings.ini").find("rules=spec"),
              std::string::npos);

    // The review, from the menu: the first finding kept from the keyboard (Down, Alt+K), the
    // window closed with Escape; the next run leaves the declaration alone, and the counters
    // are those the engine gives with that keep file.
    ASSERT_TRUE(chooseFromMenu(window::MenuItem::ReviewFindings, {})) << "the menu did not open";
    QString review;
    ASSERT_TRUE(waitFor(
        [&] {
            for (const QString& w : windows())
                if (xdotool({QStringLiteral("getwindowname"), w}) == QString::fromUtf8("検出結果の確認"))
                    review = w;
            return !review.isEmpty();
        },
        10000))
        << "no review window";
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), review});
    QThread::msleep(500);
    xdotool({QStringLiteral("key"), QStringLiteral("Down")});
    QThread::msleep(300);
    screenshot().copy(geometry(review)).save(artifacts + QStringLiteral("/xvfb-review.png"));
    xdotool({QStringLiteral("key"), QStringLiteral("alt+k")});
    const fs::path keepFile = project.parent_path() / "scourvane-keep.txt";
    ASSERT_TRUE(waitFor([&] { return fs::exists(keepFile); }, 10000)) << "nothing was kept";
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitFor([&] { return windows().size() == 1; }, 10000)) << "Escape left it open";
    const fs::path third = copySample(dir / "third");
    fs::copy_file(keepFile, third.parent_path() / "scourvane-keep.txt");
    Engine keeping(quiet);
    keeping.setRules(RuleSet::Spec);
    keeping.intake(third);
    keeping.run();
    bool changed = false;
    for (int i = 0; i < kCounterCount; ++i)
        changed |= keeping.session().counters.get(static_cast<CounterId>(i)) !=
                   engine.session().counters.get(static_cast<CounterId>(i));
    EXPECT_TRUE(changed) << "keeping " << testing::readFile(keepFile) << " changes no counter";
    click("ComDetectUnusedDeclarations");
    QThread::msleep(500);
    ASSERT_TRUE(waitFor(
        [&] { return samePixels(onScreen(shot = screenshot(), "LabInfo"), endMessage); }, 30000))
        << "the second run did not end";
    for (int i = 0; i < kCounterCount; ++i) {
        const char* name = window::control(window::counterControl(i)).name;
        const QString value = QString::number(keeping.session().counters.get(static_cast<CounterId>(i)));
        EXPECT_TRUE(samePixels(onScreen(shot, name), drawn(name, value)))
            << name << " does not show " << value.toStdString() << " after the keep";
    }

    click("ComExit");
    ASSERT_TRUE(program.waitForFinished(20000)) << "the exit button did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace scourvane::qt
