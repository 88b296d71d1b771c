#include "app/GraphicalSession.h"

#include <QStringList>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// The platforms the toolkit would try, in order, without their ":options".
QStringList CandidatePlatforms(const QString& platform) {
    const QString requested = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    if (requested.isEmpty()) {
        // X is the default; a Wayland session is served natively first.
        if (qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland"))
            return {QStringLiteral("wayland"), QStringLiteral("xcb")};
        return {QStringLiteral("xcb")};
    }
    QStringList names;
    for (const QString& entry : requested.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        names.append(entry.section(QLatin1Char(':'), 0, 0).trimmed());
    return names;
}

// Empty when an X server accepts a connection (with its authorisation), as the toolkit's will.
QString XProblem(const QString& display) {
    const QString name = display.isEmpty() ? qEnvironmentVariable("DISPLAY") : display;
    if (name.isEmpty())
        return QStringLiteral("DISPLAY is not set");
    xcb_connection_t* connection = xcb_connect(name.toLocal8Bit().constData(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed ? QStringLiteral("cannot connect to X display %1").arg(name) : QString();
}

// Empty when the compositor's socket accepts a connection. Without WAYLAND_DISPLAY a client uses
// "wayland-0" in XDG_RUNTIME_DIR; a compositor that started the program may hand it WAYLAND_SOCKET.
QString WaylandProblem() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return {};
    const QString name = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                             ? QStringLiteral("wayland-0")
                             : qEnvironmentVariable("WAYLAND_DISPLAY");
    QString path = name;
    if (!name.startsWith(QLatin1Char('/'))) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return QStringLiteral("XDG_RUNTIME_DIR is not set for Wayland");
        path = runtime + QLatin1Char('/') + name;
    }
    const QByteArray bytes = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return QStringLiteral("the Wayland socket path %1 is too long").arg(path);
    std::copy(bytes.begin(), bytes.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected ? QString() : QStringLiteral("cannot connect to Wayland display %1").arg(name);
}

} // namespace

QString UnreachableDisplay(const QString& platform, const QString& display) {
    QStringList problems;
    for (const QString& name : CandidatePlatforms(platform)) {
        QString problem;
        if (name == QStringLiteral("xcb"))
            problem = XProblem(display);
        else if (name.startsWith(QStringLiteral("wayland")))
            problem = WaylandProblem();
        else
            return {}; // offscreen, minimal, framebuffers and the like need no session
        if (problem.isEmpty())
            return {};
        problems.append(problem);
    }
    if (problems.isEmpty()) // a platform list of nothing but separators: the toolkit's default applies
        return UnreachableDisplay(QStringLiteral("xcb"), display);
    return problems.join(QStringLiteral(", "));
}
