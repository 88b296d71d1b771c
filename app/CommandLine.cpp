#include "app/CommandLine.h"

#include "core/Numeric.h"
#include "monitor/CheckSettings.h"

#include <QCommandLineParser>

namespace {

const QString HelpOption = QStringLiteral("help");
const QString VersionOption = QStringLiteral("version");
const QString CheckOption = QStringLiteral("check");
const QString TimeoutOption = QStringLiteral("timeout");
const QString PlatformOption = QStringLiteral("platform");
const QString DisplayOption = QStringLiteral("display");

// The toolkit reads these from the same command line (a session manager restarts the program with
// -session, a user may pick -platform); they are accepted for it and left out of the help.
const QStringList ToolkitValueOptions = {
    PlatformOption,
    DisplayOption,
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("qwindowicon"),
};
const QStringList ToolkitFlags = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                                  QStringLiteral("dograb"), QStringLiteral("sync")};

void DefineOptions(QCommandLineParser& parser) {
    // Single-dash words are the toolkit's own options (-platform), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Watches network services from the notification area. With --check, checks them "
                       "once from a terminal, from cron or for a monitoring system."));
    parser.addOption({{QStringLiteral("h"), HelpOption}, QStringLiteral("Show this help and exit.")});
    parser.addOption({{QStringLiteral("v"), VersionOption}, QStringLiteral("Show the version and exit.")});
    parser.addOption(
        {CheckOption,
         QStringLiteral("Check every stored service once, print the result the way monitoring systems read "
                        "their plugins and exit with 0 (OK), 1 (WARNING), 2 (CRITICAL) or 3 (UNKNOWN). "
                        "Needs no display and never changes the stored settings.")});
    parser.addOption({TimeoutOption,
                      QStringLiteral("With --check: the connection time-out in seconds (1 to 30) instead "
                                     "of the stored one."),
                      QStringLiteral("seconds")});
    for (const QString& name : ToolkitValueOptions) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : ToolkitFlags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

CommandLine Invalid(CommandLine command, const QString& error) {
    command.mode = CommandLine::Mode::Invalid;
    command.error = error;
    return command;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    DefineOptions(parser);
    CommandLine command;
    const bool parsed = parser.parse(arguments);
    command.checkRequested = parser.isSet(CheckOption);
    if (!parsed)
        return Invalid(command, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return Invalid(command,
                       QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    if (parser.isSet(TimeoutOption)) {
        if (!command.checkRequested)
            return Invalid(command, QStringLiteral("--timeout works only with --check."));
        const QString text = parser.value(TimeoutOption);
        const std::optional<double> seconds = ParseNumeric(text);
        if (!seconds)
            return Invalid(command,
                           QStringLiteral("--timeout needs a number of seconds, not '%1'.").arg(text));
        command.timeoutMs = TimeoutMsFromSeconds(*seconds);
    }

    command.platform = parser.value(PlatformOption);
    command.display = parser.value(DisplayOption);
    if (parser.isSet(HelpOption))
        command.mode = CommandLine::Mode::Help;
    else if (parser.isSet(VersionOption))
        command.mode = CommandLine::Mode::Version;
    else if (command.checkRequested)
        command.mode = CommandLine::Mode::Check;
    return command;
}

QString UsageText() {
    QCommandLineParser parser;
    DefineOptions(parser);
    // The toolkit names the program by the path it was started with; the usage names the command.
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (options >= 0)
        text = QStringLiteral("Usage: ") + CommandLineTexts::Program + text.mid(options);
    return text;
}

namespace CommandLineTexts {

QString VersionLine() {
    return Program + QLatin1Char(' ') + QStringLiteral(VANTREL_VERSION);
}

QString InvalidOption(const QString& error) {
    return Program + QStringLiteral(": ") + error + QLatin1Char('\n') +
           QStringLiteral("Try '%1 --help' for more information.").arg(Program);
}

QString NoGraphicalSession(const QString& why) {
    return Program +
           QStringLiteral(": the tray program needs a graphical session, and none can be reached (") + why +
           QStringLiteral("); '%1 --check' checks the services from a terminal.").arg(Program);
}

} // namespace CommandLineTexts

void PrintText(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}
