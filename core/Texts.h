#pragma once

#include "core/SettingsStore.h"
#include "core/VisibleText.h"

#include <QString>

// Texts the user sees in more than one place. Kept here so every window says exactly the same.
namespace Texts {
inline const QString AppTitle = QStringLiteral("Vantrel Local");
inline const QString UnknownHost = QStringLiteral("Unknown host.");
inline const QString InvalidIPAddress = QStringLiteral("Invalid IP address");
inline const QString InvalidHostName = QStringLiteral("Invalid host name");
inline const QString OverwriteQuestion =
    QStringLiteral("You are about to overwrite an existing entry. Are you sure?");
inline QString ServiceSaved(const QString& host, const QString& valueReadBack) {
    return QStringLiteral("Service ") + VisibleText(host) + QStringLiteral(" (") +
           VisibleText(valueReadBack) + QStringLiteral(") has been saved.");
}
// A change the store could not make durable is never reported as saved.
inline QString StoreWriteFailed(const QString& reason) {
    return QStringLiteral("The change could not be saved: ") + reason;
}
// Shown once for each damaged content of the store file: at start-up, or when found later.
inline QString StoreDamaged(const StoreDamage& damage) {
    const auto count = [](qsizetype n, const char* what) {
        return QStringLiteral("%1 %2%3")
            .arg(n)
            .arg(QLatin1StringView(what))
            .arg(QLatin1StringView(n == 1 ? "" : "s"));
    };
    QString text =
        QStringLiteral("The settings file %1 was damaged (%2).\n").arg(damage.file, damage.firstProblem) +
        QStringLiteral("The program goes on with what could be read from it: %1 and %2")
            .arg(count(damage.services, "service"), count(damage.settings, "setting"));
    if (damage.unreadableLines > 0)
        text += QStringLiteral("; %1 could not be read").arg(count(damage.unreadableLines, "line"));
    text += QStringLiteral(".\n");
    if (damage.keptAs.isEmpty())
        return text + QStringLiteral("The damaged file could not be kept aside (%1); it is left as it is.")
                          .arg(damage.failure);
    text += QStringLiteral("A copy of the damaged file was kept as:\n%1").arg(damage.keptAs);
    if (!damage.repairFailure.isEmpty())
        text += QStringLiteral("\nThe file could not be repaired and stays damaged: %1.")
                    .arg(damage.repairFailure);
    return text;
}
// Shown at start-up when the store cannot be read, or lies where others could tamper with it.
inline QString StoreUnusable(const QString& reason) {
    return QStringLiteral("The settings cannot be used: %1.\n").arg(reason) +
           QStringLiteral("The program goes on without the stored services and settings, and writes nothing "
                          "there until this is mended.");
}
} // namespace Texts
