#include "ui/common/DesktopNotifier.h"

#include "core/Texts.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QVariantMap>

// "vantrel.notify": every notification sent and what became of it. Silent unless enabled, e.g.
// QT_LOGGING_RULES="vantrel.notify.info=true".
Q_LOGGING_CATEGORY(lcNotify, "vantrel.notify", QtWarningMsg)

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = Service;
// The desktop entry's base name, which is also the icon's name in the desktop's theme.
const QString DesktopEntry = QStringLiteral("vantrel-local");
const QString DefaultAction = QStringLiteral("default");

// A session bus that is really there. Without one, libdbus would try to launch a bus of its own,
// which may block; a program without a session has nobody to notify anyway.
bool SessionBusConfigured() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}
} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

bool DesktopNotifier::Connect() {
    if (m_triedBus)
        return m_onBus;
    m_triedBus = true;
    if (!SessionBusConfigured())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcNotify).noquote() << "no session bus:" << bus.lastError().message();
        return false;
    }
    m_onBus = true;
    bus.connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));

    // Whether the server reads markup in a body decides whether host names need escaping.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        if (!reply.isError())
            m_bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
    });
    return true;
}

void DesktopNotifier::Notify(const QString& summary, const QString& body, bool critical) {
    if (!Connect())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("urgency"), QVariant::fromValue<uchar>(critical ? 2 : 1)},
        {QStringLiteral("desktop-entry"), DesktopEntry},
    };
    // A host name is whatever the user typed: never let the server read it as markup.
    const QString shownBody = m_bodyMarkup ? body.toHtmlEscaped() : body;
    call << Texts::AppTitle << m_lastId << DesktopEntry << summary << shownBody
         << QStringList{DefaultAction, QStringLiteral("Show status")} << hints << -1;
    qCInfo(lcNotify) << "sent" << (critical ? "critical" : "normal") << "replaces" << m_lastId << "summary"
                     << summary << "body" << body;

    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* pending) {
        const QDBusPendingReply<uint> reply = *pending;
        if (reply.isError()) {
            qCInfo(lcNotify).noquote() << "not shown:" << reply.error().name();
        } else {
            m_lastId = reply.value();
            qCInfo(lcNotify) << "shown id" << m_lastId;
        }
        pending->deleteLater();
    });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& actionKey) {
    if (id == 0 || id != m_lastId || actionKey != DefaultAction)
        return;
    qCInfo(lcNotify) << "activated id" << id;
    emit activated();
}
