// Shared main for every test program: a QApplication on the offscreen platform (unless the caller
// chose another), message boxes and desktop requests answered by the test seams.
#include "ui/common/DesktopOpener.h"
#include "ui/common/MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    DesktopOpener::enableTestMode();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
