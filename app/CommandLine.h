#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

// What the command line asks for. It is read before any application object exists, so the modes
// that need no display never touch one.
struct CommandLine {
    enum class Mode { Tray, Help, Version, Check, Invalid };
    Mode mode = Mode::Tray;
    std::optional<qint16> timeoutMs; // --timeout, for --check
    QString error;                   // Invalid: what was wrong, in one line
    bool checkRequested = false;     // --check was given, so a failure is the monitoring UNKNOWN
    // The toolkit's own -platform and -display, which the tray program passes on to it.
    QString platform;
    QString display;
};

// `arguments` as the program received them, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);

// The usage text of --help, every option listed.
QString UsageText();

// Writes `text` to a terminal stream as UTF-8 and flushes it, so lines keep their order across
// stdout and stderr.
void PrintText(std::FILE* stream, const QString& text);

namespace CommandLineTexts {
inline const QString Program = QStringLiteral("vantrel-local");
QString VersionLine();
// The two lines for an option that cannot be used: what was wrong, and where to read more.
QString InvalidOption(const QString& error);
// The one line of the tray program started where no display can be reached.
QString NoGraphicalSession(const QString& why);
} // namespace CommandLineTexts
