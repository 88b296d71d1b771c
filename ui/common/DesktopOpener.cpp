#include "ui/common/DesktopOpener.h"

#include <QDesktopServices>

namespace {
bool g_testMode = false;
QList<QUrl> g_requests;
} // namespace

void DesktopOpener::open(const QUrl& target) {
    if (g_testMode) {
        g_requests.append(target);
        return;
    }
    QDesktopServices::openUrl(target);
}

void DesktopOpener::enableTestMode() { g_testMode = true; }
QList<QUrl> DesktopOpener::takeRequests() { return std::exchange(g_requests, {}); }
