#pragma once

#include <QString>

// What the check cycle says in the tray tooltip and in its questions. Numbers are plain decimal text.
namespace CycleTexts {
inline const QString LineBreak = QStringLiteral("\r\n");
inline const QString CheckInProgress = QStringLiteral("Check in progress");

inline QString LastCheckLine(int lastUpCount, int serviceCount, int percentUp) {
    return QStringLiteral("Last check: %1/%2(%3%) up").arg(lastUpCount).arg(serviceCount).arg(percentUp);
}

// "4 of 5 servers (80%) are up": the share as the tooltip and the command line's report say it.
inline QString UpShare(int upCount, int serviceCount, int percentUp) {
    return QStringLiteral("%1 of %2 servers (%3%) are up").arg(upCount).arg(serviceCount).arg(percentUp);
}

// The second line deliberately begins with a blank.
inline QString Summary(int upCount, int serviceCount, int percentUp) {
    return UpShare(upCount, serviceCount, percentUp) + QLatin1Char('.') + LineBreak +
           QStringLiteral(" Click to see details.");
}

inline const QString NoServicesQuestion = QStringLiteral("No services to be monitored have been defined") +
                                          LineBreak + QStringLiteral("Would you like to define one now?");
inline const QString NoServicesHint =
    QStringLiteral("Click on the Vantrel icon in the system tray at any time") + LineBreak +
    QStringLiteral("to define services to be monitored.");
} // namespace CycleTexts
