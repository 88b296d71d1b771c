#pragma once

#include <QObject>
#include <QString>

// Desktop notifications through the freedesktop Notifications service on the session bus. Every
// call returns at once: the answer arrives later or never. Without a session bus or a notification
// server nothing happens and nothing is shown. Each new notification replaces the previous one.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // `body` is plain text; `critical` asks the server to keep the notification until it is seen.
    void Notify(const QString& summary, const QString& body, bool critical);

signals:
    // The user chose the notification itself (its default action).
    void activated();

private slots:
    void OnActionInvoked(uint id, const QString& actionKey);

private:
    bool Connect();

    bool m_triedBus = false;
    bool m_onBus = false;
    bool m_bodyMarkup = true; // until the server says otherwise, markup in a body is escaped
    uint m_lastId = 0;        // the server's id of the last notification, replaced by the next
};
