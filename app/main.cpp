// The executable. Without options it is the tray program: the main window lives in the notification
// area until "Exit and unload", the end of the desktop session, or SIGTERM / SIGINT. --help,
// --version and --check answer on the terminal and need no display.
#include "app/CheckCommand.h"
#include "app/CommandLine.h"
#include "app/GraphicalSession.h"
#include "resources/Resources.h"
#include "ui/common/SingleInstance.h"
#include "ui/main/ExitSignals.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {

void PrintLine(std::FILE* stream, const QString& line) {
    PrintText(stream, line + QLatin1Char('\n'));
}

// Warnings (a damaged store, say) go to the terminal or cron's mail, never to the journal.
void WarnOnStandardError(QtMsgType, const QMessageLogContext&, const QString& message) {
    PrintLine(stderr, CommandLineTexts::Program + QStringLiteral(": ") + message);
}

// The modes that answer on the terminal: no display, no session bus, no single-instance hand-over.
int RunCommand(int argc, char** argv, const CommandLine& command) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(WarnOnStandardError);
    switch (command.mode) {
    case CommandLine::Mode::Help:
        PrintText(stdout, UsageText());
        return 0;
    case CommandLine::Mode::Version:
        PrintLine(stdout, CommandLineTexts::VersionLine());
        return 0;
    case CommandLine::Mode::Check:
        return RunCheckCommand(command.timeoutMs, stdout);
    case CommandLine::Mode::Invalid:
    case CommandLine::Mode::Tray:
        break;
    }
    PrintLine(stderr, CommandLineTexts::InvalidOption(command.error));
    // A monitoring system reads 3 as UNKNOWN; elsewhere 2 is the usual answer to a wrong usage.
    return command.checkRequested ? 3 : 2;
}

int RunTrayProgram(int argc, char** argv, const CommandLine& command) {
    // Without a display the toolkit would abort inside QApplication's constructor.
    if (const QString why = UnreachableDisplay(command.platform, command.display); !why.isEmpty()) {
        PrintLine(stderr, CommandLineTexts::NoGraphicalSession(why));
        return 1;
    }

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

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = ParseCommandLine(arguments);
    if (command.mode == CommandLine::Mode::Tray)
        return RunTrayProgram(argc, argv, command);
    return RunCommand(argc, argv, command);
}
