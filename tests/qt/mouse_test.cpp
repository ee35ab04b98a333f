// The window's mouse handling: dragging by the title strip, the exit image, the exit button
// and the link label.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "qt/main_window.h"
#include "ui_support.h"

namespace scourvane::qt {
namespace {

using testing::control;
using testing::sendMouse;

class UiMouse : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        QApplication::processEvents();
        strip = control(window, "Image1");
        start = window.pos();
    }
    // Global position of a point of the strip before anything moved.
    QPoint onStrip(QPoint local) const { return start + local; }

    MainWindow window;
    QWidget* strip = nullptr;
    QPoint start;
};

TEST_F(UiMouse, LeftDragMovesTheWindowPixelForPixel) {
    const QPoint grab(100, 10);
    sendMouse(strip, QEvent::MouseButtonPress, grab, onStrip(grab), Qt::LeftButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(37, -15), Qt::NoButton,
              Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(37, -15));
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(-250, 401), Qt::NoButton,
              Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(-250, 401));
    // The grabbed point stays under the cursor.
    EXPECT_EQ(window.mapToGlobal(grab), onStrip(grab) + QPoint(-250, 401));

    // A release ends the drag: later moves leave the window where it is.
    sendMouse(strip, QEvent::MouseButtonRelease, grab, onStrip(grab) + QPoint(-250, 401),
              Qt::LeftButton, Qt::NoButton);
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(5, 5), Qt::NoButton,
              Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(-250, 401));
}

TEST_F(UiMouse, RightOrMiddleButtonOrNoButtonDoesNotDrag) {
    const QPoint grab(200, 8);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        sendMouse(strip, QEvent::MouseButtonPress, grab, onStrip(grab), button, button);
        sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(30, 30), Qt::NoButton,
                  button);
        sendMouse(strip, QEvent::MouseButtonRelease, grab, onStrip(grab) + QPoint(30, 30), button,
                  Qt::NoButton);
        EXPECT_EQ(window.pos(), start) << button;
    }
    // Moving over the strip with no button pressed.
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(-12, 40), Qt::NoButton,
              Qt::NoButton);
    EXPECT_EQ(window.pos(), start);
}

TEST_F(UiMouse, ReleaseOfAnyButtonEndsADragAndMovesDragWhateverTheButtons) {
    const QPoint grab(50, 12);
    sendMouse(strip, QEvent::MouseButtonPress, grab, onStrip(grab), Qt::LeftButton, Qt::LeftButton);
    // A drag goes on while the flag is set, whatever the buttons report.
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(3, 4), Qt::NoButton,
              Qt::NoButton);
    EXPECT_EQ(window.pos(), start + QPoint(3, 4));
    // A right-button release ends it although the left button is still down.
    sendMouse(strip, QEvent::MouseButtonRelease, grab, onStrip(grab) + QPoint(3, 4),
              Qt::RightButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, grab, onStrip(grab) + QPoint(60, 60), Qt::NoButton,
              Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(3, 4));
}

TEST_F(UiMouse, PressOnTheTitleTextOrTheExitImageStartsNoDrag) {
    auto* title = control(window, "lbl_1");
    const QPoint at(3, 3);
    const QPoint global = title->mapToGlobal(at);
    sendMouse(title, QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton);
    sendMouse(title, QEvent::MouseMove, at, global + QPoint(20, 20), Qt::NoButton, Qt::LeftButton);
    // Even a later move over the strip finds no drag under way.
    sendMouse(strip, QEvent::MouseMove, QPoint(150, 5), onStrip(QPoint(150, 5)) + QPoint(20, 20),
              Qt::NoButton, Qt::LeftButton);
    sendMouse(title, QEvent::MouseButtonRelease, at, global + QPoint(20, 20), Qt::LeftButton,
              Qt::NoButton);
    EXPECT_EQ(window.pos(), start);

    auto* exit = control(window, "ImgExit");
    sendMouse(exit, QEvent::MouseButtonPress, QPoint(7, 7), exit->mapToGlobal(QPoint(7, 7)),
              Qt::LeftButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseMove, QPoint(150, 5), onStrip(QPoint(150, 5)) + QPoint(9, 9),
              Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start);
}

TEST_F(UiMouse, ExitImageShowsThePressedPictureAndARightClickCloses) {
    auto* exit = control<QLabel>(window, "ImgExit");
    const QImage rest = control<QLabel>(window, "imgImages_0")->pixmap().toImage();
    const QImage pressed = control<QLabel>(window, "imgImages_1")->pixmap().toImage();
    ASSERT_NE(rest, pressed);

    QTest::mousePress(exit, Qt::RightButton, {}, QPoint(7, 7));
    EXPECT_EQ(exit->pixmap().toImage(), pressed);
    EXPECT_TRUE(window.isVisible());
    QTest::mouseRelease(exit, Qt::RightButton, {}, QPoint(7, 7));
    EXPECT_EQ(exit->pixmap().toImage(), rest);
    EXPECT_FALSE(window.isVisible());
    // Closed: the engine's next yield ends what it was doing.
    EXPECT_FALSE(window.engineWindow().yield());
}

TEST_F(UiMouse, ExitButtonCloses) {
    EXPECT_TRUE(window.engineWindow().yield());
    QTest::mouseClick(control(window, "ComExit"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.engineWindow().yield());
}

TEST_F(UiMouse, LinkOpensWhatTheLabelShowsUnderTheHourglass) {
    std::vector<QUrl> opened;
    std::vector<Qt::CursorShape> pointer;
    window.setUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        const QCursor* c = QApplication::overrideCursor();
        pointer.push_back(c ? c->shape() : Qt::ArrowCursor);
    });
    auto* link = control<QLabel>(window, "lbl_URL");
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("https://scourvane.example/"));
    EXPECT_EQ(pointer[0], Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Whatever the label shows at the moment of the click.
    link->setText("https://other.example/page");
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl("https://other.example/page"));

    // A right click is no click.
    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened.size(), 2u);
}

}  // namespace
}  // namespace scourvane::qt
