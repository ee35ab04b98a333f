// The window's tests need one QApplication for the whole process; it is made on the offscreen
// platform unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

#include "text/codepage.h"

// Qt and fontconfig keep some allocations until exit by design.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    scourvane::text::setActiveCodePage(scourvane::text::CodePage::platformDefault());
    return RUN_ALL_TESTS();
}
