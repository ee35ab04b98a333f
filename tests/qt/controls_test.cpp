// The window at start-up: its own geometry, and every control's name, parent, place, size,
// caption, visibility, colours, font and pointer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBitmap>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

#include "support/files.h"
#include "qt/artwork.h"
#include "qt/main_window.h"
#include "qt/open_dialog.h"
#include "qt/picture_widgets.h"
#include "qt/qt_texts.h"
#include "ui_support.h"

namespace scourvane::qt {
namespace {

using testing::control;

QString caption(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

class UiControls : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        QApplication::processEvents();
    }
    MainWindow window;
};

TEST_F(UiControls, WindowIsBorderless397By359AndCentred) {
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Scourvane (安全ルール)"));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window.size(), QSize(397, 359));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(128, 128, 128));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.pos(),
              screen.topLeft() + QPoint((screen.width() - 397) / 2, (screen.height() - 359) / 2));
    if (screen.size() == QSize(800, 600)) {
        EXPECT_EQ(window.pos(), QPoint(201, 120));
    }

    const QPixmap icon = window.windowIcon().pixmap(32, 32);
    EXPECT_EQ(icon.size(), QSize(32, 32));
}

struct Placed {
    const char* name;
    const char* parent;  // "Pic_B" for the panel, "MainWindow" for the window
    QRect geometry;      // for auto-sized labels only the top-left counts (see anchor)
    const char* caption;
    bool shown;
    enum { Fixed, FitsFromLeft, FitsToRight262 } sizing = Fixed;
};

const Placed kControls[] = {
    {"Pic_Mbl", "MainWindow", {572, 212, 579, 21}, "", false},
    {"Pic_B", "MainWindow", {0, 20, 397, 337}, "", true},
    {"ComExit", "Pic_B", {208, 272, 176, 26}, "終了", true},
    {"ComDetectUnusedDeclarations", "Pic_B", {208, 8, 176, 26}, "ﾁｪｯｸの開始", true},
    {"ListModules", "Pic_B", {8, 64, 194, 199}, "", true},
    {"ComOpenVBP", "Pic_B", {8, 8, 194, 26}, "VBPﾌｧｲﾙの読み込み", true},
    {"ProgressBar", "Pic_B", {208, 152, 177, 14}, "", true},
    {"lbl_URL", "Pic_B", {8, 304, 0, 0}, "https://scourvane.example/", true, Placed::FitsFromLeft},
    {"lbl_7", "Pic_B", {8, 272, 0, 0}, "Designed by SV Ver.1.0.1 ", true, Placed::FitsFromLeft},
    {"Label3", "Pic_B", {320, 72, 39, 13}, "未使用", true},
    {"Label2", "Pic_B", {268, 72, 42, 13}, "宣言", true},
    {"Label1", "Pic_B", {208, 40, 176, 18}, "結 果", true},
    {"LabUnusedPublic", "Pic_B", {320, 128, 42, 16}, "", true},
    {"LabPublic", "Pic_B", {268, 128, 42, 16}, "", true},
    {"LabDec_4", "Pic_B", {0, 128, 0, 0}, "Public", true, Placed::FitsToRight262},
    {"LabUnusedPrivate", "Pic_B", {320, 108, 42, 16}, "", true},
    {"LabPrivate", "Pic_B", {268, 108, 42, 16}, "", true},
    {"LabDec_2", "Pic_B", {0, 108, 0, 0}, "Private", true, Placed::FitsToRight262},
    {"LabUnusedDim", "Pic_B", {320, 88, 42, 16}, "", true},
    {"LabDim", "Pic_B", {268, 88, 42, 16}, "", true},
    {"LabInfo", "Pic_B", {208, 172, 176, 92}, "", true},
    {"LabDec_0", "Pic_B", {0, 88, 0, 0}, "Dim", true, Placed::FitsToRight262},
    {"LabModules", "Pic_B", {8, 40, 193, 18}, "", true},
    {"imgImages_1", "MainWindow", {568, 156, 16, 15}, "", false},
    {"imgImages_0", "MainWindow", {568, 176, 15, 15}, "", false},
    {"ImgExit", "MainWindow", {376, 4, 15, 15}, "", true},
    {"lbl_1", "MainWindow", {8, 4, 0, 0}, "Scourvane", true, Placed::FitsFromLeft},
    {"Image1", "MainWindow", {0, 0, 397, 22}, "", true},
};

TEST_F(UiControls, EveryControlHasItsNameParentPlaceCaptionAndVisibility) {
    for (const Placed& c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget* w = control(window, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName(), c.parent);
        EXPECT_EQ(caption(w), QString::fromUtf8(c.caption));
        EXPECT_EQ(w->isVisible(), c.shown);
        switch (c.sizing) {
            case Placed::Fixed:
                EXPECT_EQ(w->geometry(), c.geometry);
                break;
            case Placed::FitsFromLeft:
                EXPECT_EQ(w->pos(), c.geometry.topLeft());
                EXPECT_EQ(w->size(), w->sizeHint());
                break;
            case Placed::FitsToRight262:
                // The row titles end just left of the counter column at 268.
                EXPECT_EQ(w->x() + w->width(), 262);
                EXPECT_EQ(w->y(), c.geometry.y());
                EXPECT_EQ(w->size(), w->sizeHint());
                break;
        }
    }
    // The visible controls lie within the window.
    for (const Placed& c : kControls) {
        QWidget* w = control(window, c.name);
        if (w && c.shown && w->parentWidget() == &window) {
            EXPECT_TRUE(window.rect().contains(w->geometry())) << c.name;
        }
    }
}

TEST_F(UiControls, TitleTextAndExitImageLieOnTheStripAndThePanelCoversItsFoot) {
    auto* strip = control(window, "Image1");
    auto* title = control(window, "lbl_1");
    auto* exit = control(window, "ImgExit");
    auto* panel = control(window, "Pic_B");
    ASSERT_TRUE(strip && title && exit && panel);
    EXPECT_EQ(window.childAt(title->geometry().center()), title);
    EXPECT_EQ(window.childAt(exit->geometry().center()), exit);
    EXPECT_EQ(window.childAt(QPoint(300, 10)), strip);
    EXPECT_EQ(window.childAt(QPoint(300, 21)), panel);
    // The longest title, the specified rules', ends before the menu image.
    window.setRules(RuleSet::Spec);
    QApplication::processEvents();
    EXPECT_LT(title->geometry().right(), control(window, "ImgMenu")->geometry().left());
}

TEST_F(UiControls, ColoursAlignmentAndBorders) {
    for (const char* name : {"ComExit", "ComDetectUnusedDeclarations", "ComOpenVBP"})
        EXPECT_EQ(control(window, name)->palette().color(QPalette::Button), QColor(192, 192, 255))
            << name;
    EXPECT_EQ(control(window, "Pic_B")->palette().color(QPalette::Window), QColor(128, 128, 128));

    const std::pair<const char*, QColor> counters[] = {
        {"LabDim", {255, 224, 192}},     {"LabUnusedDim", {255, 224, 192}},
        {"LabPrivate", {255, 255, 192}}, {"LabUnusedPrivate", {255, 255, 192}},
        {"LabPublic", {192, 255, 255}},  {"LabUnusedPublic", {192, 255, 255}},
    };
    for (const auto& [name, colour] : counters) {
        auto* l = control<QLabel>(window, name);
        ASSERT_NE(l, nullptr);
        EXPECT_TRUE(l->autoFillBackground()) << name;
        EXPECT_EQ(l->palette().color(l->backgroundRole()), colour) << name;
        EXPECT_TRUE(l->alignment() & Qt::AlignRight) << name;
        EXPECT_EQ(l->frameShape(), QFrame::Box) << name;
    }
    for (const char* name : {"Label1", "LabInfo", "LabModules"})
        EXPECT_EQ(control<QLabel>(window, name)->frameShape(), QFrame::Box) << name;
    for (const char* name : {"Label1", "Label2", "Label3"})
        EXPECT_TRUE(control<QLabel>(window, name)->alignment() & Qt::AlignHCenter) << name;
    for (const char* name : {"LabDec_0", "LabDec_2", "LabDec_4"}) {
        auto* l = control<QLabel>(window, name);
        EXPECT_TRUE(l->alignment() & Qt::AlignRight) << name;
        EXPECT_FALSE(l->autoFillBackground()) << name;
    }

    auto* url = control<QLabel>(window, "lbl_URL");
    EXPECT_TRUE(url->font().underline());
    EXPECT_FALSE(url->autoFillBackground());
    // The title text: white under the safe rules, amber under the specified ones.
    auto* title = control<QLabel>(window, "lbl_1");
    EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_FALSE(title->autoFillBackground());
    window.setRules(RuleSet::Spec);
    EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(255, 200, 0));
    window.setRules(RuleSet::Safe);
    EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(control(window, "LabInfo")->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(UiControls, EveryCaptionHasGlyphsInTheJapaneseGothicFace) {
    const QString family = controlFontFamily();
    const QStringList japanese{"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic",
                               "Noto Sans CJK JP"};
    EXPECT_TRUE(japanese.contains(family, Qt::CaseInsensitive)) << family.toStdString();

    // Captions, and the texts the engine puts into the status box and the project label.
    QStringList texts{QString::fromUtf8("終了しました。新ﾌﾟﾛｼﾞｪｸﾄはに作成しました。"),
                      QString::fromUtf8("初期処理...検索中...Dim Private Public"),
                      QString::fromUtf8("Sales.vbp ﾌﾟﾛｼﾞｪｸﾄ"),
                      QString::fromUtf8("ﾌｧｲﾙを開く ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (vbp)")};
    for (const Placed& c : kControls) {
        QWidget* w = control(window, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->font().family(), family) << c.name;
        // 13 pixels (9.75 pt at 96 dots per inch) whatever the screen's dots per inch; the column
        // titles, 13 pixels high, take the largest size whose line fits them.
        const int pixels = w->font().pixelSize();
        if (QString::fromLatin1(c.name).contains(QRegularExpression("^Label[23]$"))) {
            QFont larger = w->font();
            larger.setPixelSize(pixels + 1);
            EXPECT_LE(QFontMetrics(w->font()).height(), 13) << c.name;
            EXPECT_TRUE(pixels == 13 || QFontMetrics(larger).height() > 13) << c.name;
        } else {
            EXPECT_EQ(pixels, 13) << c.name;
        }
        EXPECT_EQ(w->font().weight(), QFont::Normal) << c.name;
        texts.push_back(caption(w));
    }
    const QFontMetrics metrics(controlFont());
    for (const QString& text : texts)
        for (char32_t ch : text.toUcs4())
            EXPECT_TRUE(metrics.inFontUcs4(ch))
                << "no glyph for U+" << std::hex << static_cast<unsigned>(ch) << " in "
                << text.toStdString();
}

TEST_F(UiControls, HandPointerOverTheButtonsTheLinkAndTheExitImage) {
    for (const char* name :
         {"ComExit", "ComDetectUnusedDeclarations", "ComOpenVBP", "lbl_URL", "ImgExit"}) {
        const QCursor cursor = control(window, name)->cursor();
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << name;
        EXPECT_EQ(cursor.hotSpot(), QPoint(12, 10)) << name;
        EXPECT_EQ(cursor.bitmap().size(), QSize(32, 32)) << name;
        EXPECT_EQ(cursor.bitmap().depth(), 1) << name;
        EXPECT_EQ(cursor.mask().depth(), 1) << name;
    }
    for (const char* name : {"ListModules", "LabInfo", "Image1", "Pic_B"})
        EXPECT_NE(control(window, name)->cursor().shape(), Qt::BitmapCursor) << name;

    // The tip of the finger is drawn at the hot spot.
    const QImage mask = handCursor().mask().toImage();
    EXPECT_NE(mask.pixelIndex(12, 10), mask.pixelIndex(0, 0));
}

TEST_F(UiControls, StartsWithTheRunButtonDisabledAndEverythingEmpty) {
    EXPECT_FALSE(control(window, "ComDetectUnusedDeclarations")->isEnabled());
    EXPECT_TRUE(control(window, "ComOpenVBP")->isEnabled());
    EXPECT_TRUE(control(window, "ComExit")->isEnabled());
    for (const char* name : {"LabInfo", "LabModules", "LabDim", "LabUnusedDim", "LabPrivate",
                             "LabUnusedPrivate", "LabPublic", "LabUnusedPublic"})
        EXPECT_TRUE(control<QLabel>(window, name)->text().isEmpty()) << name;
    auto* bar = control<QProgressBar>(window, "ProgressBar");
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
    auto* list = control<QListWidget>(window, "ListModules");
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(list->isSortingEnabled());
}

TEST_F(UiControls, ArtworkHasItsSizesAndThePanelIsTiled) {
    EXPECT_EQ(titleStripPicture().size(), QSize(500, 22));
    EXPECT_EQ(exitPicture().size(), QSize(15, 15));
    EXPECT_EQ(exitPressedPicture().size(), QSize(16, 15));
    const QImage tile = tilePicture();
    EXPECT_EQ(tile.size(), QSize(579, 21));
    EXPECT_EQ(tile.depth(), 24);

    auto* strip = control<QLabel>(window, "Image1");
    EXPECT_TRUE(strip->hasScaledContents());
    EXPECT_EQ(strip->pixmap().size(), QSize(500, 22));
    EXPECT_EQ(control<QLabel>(window, "ImgExit")->pixmap().toImage(),
              control<QLabel>(window, "imgImages_0")->pixmap().toImage());
    EXPECT_EQ(control<QLabel>(window, "Pic_Mbl")
                  ->pixmap()
                  .toImage()
                  .convertToFormat(QImage::Format_RGB888),
              tile);

    // The panel keeps the tiled picture: row 26 of the panel is row 5 of the second copy.
    auto* panel = control<PicturePanel>(window, "Pic_B");
    ASSERT_NE(panel, nullptr);
    const QImage& drawn = panel->image();
    ASSERT_EQ(drawn.size(), QSize(397, 337));
    for (QPoint p : {QPoint(0, 0), QPoint(10, 10), QPoint(396, 20), QPoint(200, 336)})
        EXPECT_EQ(drawn.pixelColor(p), tile.pixelColor(p.x(), p.y() % 21)) << p.x() << "," << p.y();
    // What is drawn is what the window shows (here where no control covers the panel).
    const QImage shown = window.grab(QRect(0, 20, 397, 337)).toImage();
    EXPECT_EQ(shown.pixelColor(204, 120), tile.pixelColor(204, 120 % 21));
}

TEST(UiOpenDialog, HasItsTitleAndOneProjectFilter) {
    auto dialog = makeOpenDialog(nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("ﾌｧｲﾙを開く"));
    EXPECT_EQ(dialog->nameFilters(),
              QStringList{QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄ/ｸﾞﾙｰﾌﾟ (vbp, vbg) (*.vbp *.vbg)")});
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
}

TEST(UiOpenDialog, SpeaksJapaneseWhateverTheUsersLocale) {
    // The test runs in the C locale; the program names its language itself.
    const bool installed = QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                                         QStringLiteral("/qtbase_ja.qm"));
    ASSERT_EQ(useJapaneseQtTexts(*QCoreApplication::instance()), installed);
    if (!installed) GTEST_SKIP() << "qtbase_ja.qm is not installed: Qt's texts stay English";

    // A folder with a project and a folder in it: the type column names both kinds.
    const testing::TempDir dir;
    const auto project = testing::writeSalesProject(dir.path());
    std::filesystem::create_directory(project.parent_path() / "Forms");
    auto dialog = makeOpenDialog(nullptr);
    dialog->setDirectory(QString::fromStdString(project.parent_path().string()));
    dialog->show();
    auto* files = dialog->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(
        testing::processUntil([&] { return files->model()->rowCount(files->rootIndex()) == 2; }));
    QStringList texts;
    for (int row = 0; row < 2; ++row)
        texts << files->model()->index(row, 2, files->rootIndex()).data().toString();
    for (const QLabel* l : dialog->findChildren<QLabel*>())
        if (l->isVisible()) texts << l->text();
    for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible()) texts << b->text() << b->toolTip();
    for (const QAbstractItemView* v : dialog->findChildren<QAbstractItemView*>())
        for (int i = 0; v->isVisible() && i < v->model()->columnCount(); ++i)
            texts << v->model()->headerData(i, Qt::Horizontal).toString();
    texts.removeAll(QString());
    // Look in, File name, Files of type, Open, Cancel, the tool buttons' tips, the columns, the
    // two kinds of file.
    EXPECT_GE(texts.size(), 14) << texts.join(QLatin1Char('|')).toStdString();
    for (QString text : texts) {
        const QString shown = text;
        text.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));  // mnemonics: "(&O)"
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << shown.toStdString();
    }
}

}  // namespace
}  // namespace scourvane::qt
