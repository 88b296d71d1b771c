#pragma once

#include "monitor/CheckHost.h"
#include "monitor/Light.h"
#include "ui/tray/Tray.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

class TrayBackend;

// "GREENLED", "YELLOWLED", "REDLED": the icon resource of a light; empty for none.
QString LightImageName(Light light);

// The main window's icon in the notification area as the check cycle drives it: the picture of the
// overall light or of a given light, the tooltip, and a log line for every change and click.
class MainTray : public QObject, public TrayIndicator {
    Q_OBJECT
public:
    explicit MainTray(std::unique_ptr<TrayBackend> backend, QObject* parent = nullptr);

    Tray& Control() { return *m_tray; }
    // The picture that imgStatus shows, which the icon shows between flashes.
    void SetStatusImage(const QIcon& icon, const QString& name);
    QString StatusImageName() const { return m_statusImageName; }
    // Adds or updates the icon, or removes it; once the program ends, it is never shown again.
    void ShowIcon(bool visible);
    void RemoveForGood();

    // At login the panel often starts after the program. Asks `available` now and then (Qt 6 gives no
    // public signal for it) until it says yes or `limit` has passed, then emits
    // notificationAreaSettled once. An icon shown meanwhile enters the area as soon as it appears.
    void WaitForNotificationArea(std::function<bool()> available, std::chrono::milliseconds limit);
    static constexpr std::chrono::milliseconds AreaPollInterval{200};

    QString TrayToolTip() const override;
    void SetTrayToolTip(const QString& text) override;
    void SetTrayImageToLight(Light light) override;
    void SetTrayImageToStatus() override;
    bool IsVisible() const override;
    void Show() override { ShowIcon(true); }

signals:
    // A left click, in whichever event mode the control reports it.
    void leftClicked();
    // The wait for a notification area has ended: `found`, or the limit passed without one.
    void notificationAreaSettled(bool found);

private:
    std::unique_ptr<Tray> m_tray;
    QIcon m_statusIcon;
    QString m_statusImageName;
    QString m_imageName; // what the icon shows now
    bool m_removedForGood = false;

    void PollNotificationArea();
    std::function<bool()> m_areaAvailable;
    std::chrono::milliseconds m_areaLimit{0};
    QElapsedTimer m_areaWaited;
    QTimer m_areaPoll;
};
