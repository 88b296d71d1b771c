#pragma once

#include <QList>
#include <QUrl>

// Opens a document or web address with the desktop's handler. The outcome is not examined: a
// missing browser or viewer leaves no message. Tests record the requests instead.
class DesktopOpener {
public:
    static void open(const QUrl& target);

    static void enableTestMode();
    static QList<QUrl> takeRequests();
};
