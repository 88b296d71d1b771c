#include "ui/main/MainTray.h"

#include "monitor/TrayLog.h"
#include "resources/Resources.h"
#include "ui/tray/TrayBackend.h"

namespace {
// One log line per tray event: line breaks and quotes escaped so a reader can split on lines.
QString Quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
} // namespace

QString LightImageName(Light light) {
    const QString colour = LightColourName(light);
    return colour.isEmpty() ? colour : colour.toUpper() + QStringLiteral("LED");
}

MainTray::MainTray(std::unique_ptr<TrayBackend> backend, QObject* parent)
    : QObject(parent), m_tray(std::make_unique<Tray>(std::move(backend))) {
    connect(m_tray.get(), &Tray::MouseClick, this, [this](int button) {
        qCInfo(lcTray).noquote() << "click MouseClick button=" + QString::number(button);
        if (button == 1)
            emit leftClicked();
    });
    connect(m_tray.get(), &Tray::LeftClick, this, [this] {
        qCInfo(lcTray).noquote() << "click LeftClick";
        emit leftClicked();
    });
    connect(m_tray.get(), &Tray::RightClick, this, [] { qCInfo(lcTray).noquote() << "click RightClick"; });
    m_areaPoll.setInterval(AreaPollInterval);
    connect(&m_areaPoll, &QTimer::timeout, this, &MainTray::PollNotificationArea);
}

void MainTray::WaitForNotificationArea(std::function<bool()> available, std::chrono::milliseconds limit) {
    m_areaAvailable = std::move(available);
    m_areaLimit = limit;
    m_areaWaited.start();
    qCInfo(lcTray).noquote() << "waiting for a notification area, at most" << limit.count() << "ms";
    m_areaPoll.start();
    PollNotificationArea();
}

void MainTray::PollNotificationArea() {
    const bool found = m_areaAvailable();
    if (!found && m_areaWaited.elapsed() < m_areaLimit.count())
        return;
    m_areaPoll.stop();
    qCInfo(lcTray).noquote() << (found ? "notification area found after" : "no notification area after")
                             << m_areaWaited.elapsed() << "ms";
    emit notificationAreaSettled(found);
}

void MainTray::SetStatusImage(const QIcon& icon, const QString& name) {
    m_statusIcon = icon;
    m_statusImageName = name;
}

void MainTray::ShowIcon(bool visible) {
    if (visible && m_removedForGood)
        return;
    m_tray->Show(visible);
    if (visible)
        qCInfo(lcTray).noquote() << "shown image=" + m_imageName +
                                        " tooltip=" + Quoted(m_tray->TrayToolTip());
    else
        qCInfo(lcTray).noquote() << "removed";
}

void MainTray::RemoveForGood() {
    m_removedForGood = true;
    if (m_tray->IsVisible())
        ShowIcon(false);
}

QString MainTray::TrayToolTip() const {
    return m_tray->TrayToolTip();
}
void MainTray::SetTrayToolTip(const QString& text) {
    m_tray->setTrayToolTip(text);
}

void MainTray::SetTrayImageToLight(Light light) {
    if (light == LightNone) {
        SetTrayImageToStatus();
        return;
    }
    m_imageName = LightImageName(light);
    m_tray->setTrayImage(LoadIconResource(m_imageName));
}

void MainTray::SetTrayImageToStatus() {
    m_imageName = m_statusImageName;
    m_tray->setTrayImage(m_statusIcon);
}

bool MainTray::IsVisible() const {
    return m_tray->IsVisible();
}
