#pragma once

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
    return QStringLiteral("Service ") + host + QStringLiteral(" (") + valueReadBack +
           QStringLiteral(") has been saved.");
}
// A change the store could not make durable is never reported as saved.
inline QString StoreWriteFailed(const QString& reason) {
    return QStringLiteral("The change could not be saved: ") + reason;
}
} // namespace Texts
