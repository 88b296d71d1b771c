// Shared main for every test program: a QApplication on the offscreen platform (unless the caller
// chose another), message boxes and desktop requests answered by the test seams.
#include "ui/common/DesktopOpener.h"
#include "ui/common/MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

// Sanitizer settings live in the test programs themselves, so a test run by hand behaves as under ctest.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
// Leaks inside system libraries that Qt loads (fonts, plugins, D-Bus) are not ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libdbus\nleak:libQt6Gui\nleak:libQt6Core\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    DesktopOpener::enableTestMode();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
