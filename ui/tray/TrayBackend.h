#pragma once

#include <QIcon>
#include <QString>
#include <functional>

// What the control hands the notification area: the same record is kept so that the removal names
// the icon that was added.
struct TrayNotifyData {
    static constexpr int IconId = 1;
    static constexpr int CallbackMessage = 512;
    QIcon Icon;
    QString TipField; // always Tray::TipFieldLength characters, see Tray::TipField
};

// The seam between the control and a notification area. A backend shows, updates and removes one icon
// and reports mouse activity on it as the notification area's mouse message numbers.
class TrayBackend {
public:
    using MessageHandler = std::function<void(double message)>;

    virtual ~TrayBackend() = default;

    virtual void add(const TrayNotifyData& data) = 0;
    virtual void modify(const TrayNotifyData& data) = 0;
    virtual void remove(const TrayNotifyData& data) = 0;

    // The control installs its handler once; a backend calls deliverMessage for every activation.
    void setMessageHandler(MessageHandler handler) { m_handler = std::move(handler); }

protected:
    void deliverMessage(double message) const {
        if (m_handler)
            m_handler(message);
    }

private:
    MessageHandler m_handler;
};
