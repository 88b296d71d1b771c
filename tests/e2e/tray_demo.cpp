// A minimal host of the tray control for the real-desktop test: shows the green light with a tooltip,
// reports every click event on stdout, and removes its icon and ends on SIGTERM.
#include "resources/Resources.h"
#include "ui/tray/Tray.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void Report(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);

    Tray tray;
    // EventMode 1 by default, as the program uses it; "separate" asks for LeftClick and RightClick.
    tray.setEventMode(argc > 1 && QByteArray(argv[1]) == "separate" ? 0 : 1);
    QObject::connect(&tray, &Tray::LeftClick, [] { Report("LeftClick"); });
    QObject::connect(&tray, &Tray::RightClick, [] { Report("RightClick"); });
    QObject::connect(&tray, &Tray::MouseClick,
                     [](int button) { Report(button == 1 ? "MouseClick 1" : "MouseClick 2"); });

    QSocketNotifier terminate(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&terminate, &QSocketNotifier::activated, [&tray, &app] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        tray.Show(false);
        Report("removed");
        app.quit();
    });

    tray.setTrayImage(LoadIconResource(QStringLiteral("GREENLED")));
    tray.setTrayToolTip(QStringLiteral("Vantrel tray demo"));
    tray.Show(true);
    Report(Tray::IsAvailable() ? "shown" : "shown without a notification area");
    return app.exec();
}
