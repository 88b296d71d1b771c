// The executable: the main window is the program; it lives in the notification area until
// "Exit and unload", the end of the desktop session, or SIGTERM / SIGINT.
#include "resources/Resources.h"
#include "ui/common/SingleInstance.h"
#include "ui/main/ExitSignals.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel Local"));
    // Closing or hiding the window leaves the program running in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(LoadIconResource(QStringLiteral("PROGRAM")));

    // A second start brings the running program's window forward instead of adding a second icon.
    SingleInstance instance;
    if (!instance.tryBecomePrimary()) {
        SingleInstance::notifyPrimary();
        return 0;
    }

    frmMain window;
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &frmMain::RestoreFromTray);
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &window, &frmMain::Unload);
    // Leaving every event loop, nested ones included, lets a running check unwind before the window goes.
    QObject::connect(&window, &frmMain::unloaded, &app, [] { QCoreApplication::exit(0); });
    // Loaded from inside the event loop, so an exit requested during the first check still ends it.
    QTimer::singleShot(0, &window, &frmMain::Form_Load);
    return QApplication::exec();
}
